#include "dialogs.h"

#include "framework_error.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QUrl>

namespace velko {

namespace {

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
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    }

    bool printDialog(QPrinter& printer) override
    {
        QPrintDialog dialog(&printer);
        return dialog.exec() == QDialog::Accepted;
    }

    bool openDocument(const QString& path) override
    {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
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

void ShowException(const QString& message)
{
    Dialogs().messageBox({message, ApplicationTitle, BoxIcon::Error});
}

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
