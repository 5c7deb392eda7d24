#include "aboutdialog.h"

#include "mainform.h"
#include "text_file.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QWindow>

#include <utility>

TAboutDialog* AboutDialog = nullptr;

namespace {
// The X11 platform's window type flag for _NET_WM_WINDOW_TYPE_TOOLBAR.
constexpr int XcbToolbarType = 0x08;
} // namespace

TAboutDialog::TAboutDialog(QWidget* owner) : QDialog(owner)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    // Hidden, the modal dialog would leave a transparent main window that takes no input. The
    // frame's hints above leave out minimise, maximise and close, but some window managers
    // honour only a window type for that: a tool bar type in front of the dialog type (window
    // managers take the first they know) is one that none lets minimise or maximise. The
    // platform reads it when it makes the native window, so it is given before that.
    setAttribute(Qt::WA_NativeWindow);
    if (QWindow* window = windowHandle())
        window->setProperty("_q_xcb_wm_window_type", XcbToolbarType);
    OKBitBtn->setDefault(true);
    for (const auto& [widget, pixels] : {std::pair<QWidget*, int>{Label1, 16}, {Memo, 13}}) {
        QFont font = widget->font();
        font.setPixelSize(pixels);
        widget->setFont(font);
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    connect(OKBitBtn, &QPushButton::clicked, this, [this] { OKBitBtnClick(OKBitBtn); });

    velko::RestoreStartupDir();
    QStringList lines;
    for (const std::string& line : velko::ReadTextLines("Vie32.vfd"))
        lines.append(QString::fromStdString(line));
    Memo->setPlainText(lines.join(QLatin1Char('\n')));

    // Scrolled once the loop runs, when the memo has laid its text out.
    QMetaObject::invokeMethod(
        Memo,
        [memo = Memo] {
            QScrollBar* bar = memo->verticalScrollBar();
            bar->setValue(bar->maximum());
        },
        Qt::QueuedConnection);
}

void TAboutDialog::OKBitBtnClick(QObject*)
{
    if (MainForm) {
        MainForm->SetAlphaBlendValue(255);
        MainForm->SetAlphaBlend(false);
    }
    accept();
}

void TAboutDialog::StandOver(QWidget* window)
{
    if (over_)
        over_->removeEventFilter(this);
    over_ = window;
    if (!window)
        return;
    window->installEventFilter(this);
    // The window manager then keeps the two together: minimising one minimises both, and
    // restoring the main window restores the dialog.
    if (window->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(window->windowHandle());
}

bool TAboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == over_ && isVisible()) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::WindowActivate:
        case QEvent::WindowStateChange:
            if (!over_->isMinimized())
                bringBack();
            break;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutDialog::bringBack()
{
    const QWindow* window = windowHandle();
    if (!isMinimized() && window && window->isExposed())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TAboutDialog::hideEvent(QHideEvent* event)
{
    // A window manager's minimising hides it too (spontaneously): then it is to come back.
    if (!event->spontaneous())
        StandOver(nullptr);
    QDialog::hideEvent(event);
}
