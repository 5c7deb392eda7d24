#include "aboutdialog.h"

#include "mainform.h"
#include "text_file.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>

#include <utility>

TAboutDialog* AboutDialog = nullptr;

TAboutDialog::TAboutDialog(QWidget* owner) : QDialog(owner)
{
    setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
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
