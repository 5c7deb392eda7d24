#include "dialogs.h"

#include "framework_error.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace velko {

namespace {

// How long the opener has to say that no viewer takes a document.
constexpr qint64 OpenerVerdictMs = 3000;

class RealDialogs final : public DialogSeam {
public:
    void messageBox(const MessageRequest& request) override
    {
        QMessageBox box(iconOf(request.icon), request.caption, request.text, QMessageBox::Ok);
        box.exec();
    }

    bool ask(const MessageRequest& request) override
    {
        QMessageBox box(QMessageBox::Question, request.caption, request.text, QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }

    QString openFileName(const FileRequest& request) override
    {
        return QFileDialog::getOpenFileName(nullptr, request.title, request.directory, request.filter);
    }

    QString saveFileName(const FileRequest& request) override
    {
        QFileDialog dialog(nullptr, request.title, request.directory, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(request.defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    }

    bool printDialog(QPrinter& printer) override
    {
        QPrintDialog dialog(&printer);
        return dialog.exec() == QDialog::Accepted;
    }

    bool openDocument(const QString& path) override
    {
        // xdg-open tells of a file that no viewer takes only by its exit status, which openUrl
        // never sees (it starts xdg-open and returns). So it runs detached here and writes its
        // status; still running after a moment means it keeps a viewer in the foreground.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        QTemporaryDir statusDir;
        if (opener.isEmpty() || !statusDir.isValid())
            return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        const QString status = statusDir.filePath(QStringLiteral("status"));
        const QString script =
            QStringLiteral("\"$0\" \"$1\"; { echo $? > \"$2.new\" && mv \"$2.new\" \"$2\"; } 2>/dev/null");
        if (!QProcess::startDetached(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, opener, path, status}))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (!QFile::exists(status) && waited.elapsed() < OpenerVerdictMs) {
            QEventLoop pause; // the window keeps painting meanwhile
            QTimer::singleShot(20, &pause, &QEventLoop::quit);
            pause.exec();
        }
        QFile verdict(status);
        if (!verdict.open(QIODevice::ReadOnly))
            return true;
        return verdict.readAll().trimmed() == "0";
    }

private:
    static QMessageBox::Icon iconOf(BoxIcon icon)
    {
        switch (icon) {
        case BoxIcon::Information: return QMessageBox::Information;
        case BoxIcon::Error: return QMessageBox::Critical;
        case BoxIcon::None: break;
        }
        return QMessageBox::NoIcon;
    }
};

RealDialogs realDialogs;
DialogSeam* current = &realDialogs;

} // namespace

DialogSeam& Dialogs() { return *current; }

void SetDialogSeam(DialogSeam* seam) { current = seam ? seam : &realDialogs; }

void MessageBoxOk(const QString& text, const QString& caption, BoxIcon icon)
{
    Dialogs().messageBox({text, caption, icon});
}

void ShowMessage(const QString& text) { Dialogs().messageBox({text, ApplicationTitle, BoxIcon::None}); }

void ShowException(const QString& message) { Dialogs().messageBox({message, ApplicationTitle, BoxIcon::Error}); }

void ShowCurrentException()
{
    try {
        throw;
    } catch (const FrameworkError& e) {
        ShowException(QString::fromStdString(e.what()));
    } catch (...) {
        ShowException(QString());
    }
}

} // namespace velko
