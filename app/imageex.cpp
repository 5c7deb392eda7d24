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

void TImageEx::mousePressEvent(QMouseEvent* event)
{
    if (!OnMouseDown) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->position().toPoint();
    OnMouseDown(this, event->button(), event->modifiers(), at.x(), at.y());
}

void TImageEx::mouseReleaseEvent(QMouseEvent* event)
{
    if (!OnMouseUp) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    const QPoint at = event->position().toPoint();
    OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
}
