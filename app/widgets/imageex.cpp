#include "imageex.h"

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

void TImageEx::mousePressEvent(QMouseEvent* event)
{
    pressing_ = true;
    leaveHeld_ = false;
    const bool handled = fire(OnMouseDown, event);
    pressing_ = false;
    // Closed now: a pointer that is elsewhere has left.
    if (std::exchange(leaveHeld_, false) && !rect().contains(mapFromGlobal(QCursor::pos())))
        FMouseLeave();
    if (!handled)
        QLabel::mousePressEvent(event);
}

void TImageEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (!fire(OnMouseUp, event))
        QLabel::mouseReleaseEvent(event);
}
