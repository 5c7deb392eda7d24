// A picture control that tells its owner when the pointer enters and leaves it; presses
// and releases reach the ordinary mouse events of the picture as before.
#pragma once

#include <QLabel>

#include <functional>

class TImageEx : public QLabel {
    Q_OBJECT

public:
    using NotifyEvent = std::function<void(QObject* sender)>;
    using MouseEvent =
        std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TImageEx(QWidget* parent = nullptr);

    NotifyEvent OnMouseLeave;
    NotifyEvent OnMouseEnter;
    MouseEvent OnMouseDown;
    MouseEvent OnMouseUp;

protected:
    // Enter and leave are taken here and not handed on.
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void FMouseEnter();
    void FMouseLeave();
    bool fire(const MouseEvent& handler, QMouseEvent* event);

    bool eventFilter(QObject* watched, QEvent* event) override;

    // While the press handler runs (the pop-up menu it opens runs inside it), a leave waits.
    bool pressing_ = false;
    bool leaveHeld_ = false;
    // A pop-up opened by the press handler; some window systems send no leave after it.
    bool popupShown_ = false;
};
