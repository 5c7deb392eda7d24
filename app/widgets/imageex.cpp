#include "imageex.h"

#include <QMouseEvent>

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
    FMouseEnter();
}

void TImageEx::leaveEvent(QEvent* event)
{
    event->accept();
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
    if (!fire(OnMouseDown, event))
        QLabel::mousePressEvent(event);
}

void TImageEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (!fire(OnMouseUp, event))
        QLabel::mouseReleaseEvent(event);
}
