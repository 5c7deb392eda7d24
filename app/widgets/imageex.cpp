#include "imageex.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

#include <utility>

TImageEx::TImageEx(QWidget* parent) : QLabel(parent) {}

void TImageEx::FMouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TImageEx::FMouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TImageEx::enterEvent(QEnterEvent* event)
{
    event->accept();
    leaveHeld_ = false;
    FMouseEnter();
}

void TImageEx::leaveEvent(QEvent* event)
{
    event->accept();
    // The pop-up menu a press opens takes the pointer from the control without the pointer
    // moving: no leave until it has closed, so the pressed picture stays while it is up.
    if (pressing_) {
        leaveHeld_ = true;
        return;
    }
    FMouseLeave();
}

bool TImageEx::fire(const MouseEvent& handler, QMouseEvent* event)
{
    if (!handler)
        return false;
    event->accept();
    const QPoint at = event->position().toPoint();
    handler(this, event->button(), event->modifiers(), at.x(), at.y());
    return true;
}

bool TImageEx::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->windowType() == Qt::Popup)
        popupShown_ = true;
    return false;
}

void TImageEx::mousePressEvent(QMouseEvent* event)
{
    pressing_ = true;
    leaveHeld_ = false;
    popupShown_ = false;
    qApp->installEventFilter(this);
    const bool handled = fire(OnMouseDown, event);
    qApp->removeEventFilter(this);
    pressing_ = false;
    // Closed now: a pointer that is elsewhere has left, whether or not a leave came while
    // the pop-up was up (under X none comes when it is closed by a click elsewhere).
    const bool mayHaveLeft = std::exchange(leaveHeld_, false) || std::exchange(popupShown_, false);
    if (mayHaveLeft && !rect().contains(mapFromGlobal(QCursor::pos())))
        FMouseLeave();
    if (!handled)
        QLabel::mousePressEvent(event);
}

void TImageEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (!fire(OnMouseUp, event))
        QLabel::mouseReleaseEvent(event);
}
