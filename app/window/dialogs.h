// Every modal message box, file dialog and print dialog of the program, and the shell's
// open-document call, pass through one seam, so that a test answers them instead of a user.
#pragma once

#include <QString>

class QPrinter;

namespace velko {

enum class BoxIcon { None, Information, Error };

struct MessageRequest {
    QString text;
    QString caption;
    BoxIcon icon = BoxIcon::None;
};

struct FileRequest {
    QString title;
    QString filter;
    QString defaultSuffix;
    QString directory;
};

class DialogSeam {
public:
    virtual ~DialogSeam() = default;
    // A modal box with one OK button; returns once it is pressed.
    virtual void messageBox(const MessageRequest& request) = 0;
    // A modal question with Yes and No; true for Yes. A seam that is never asked says Yes.
    virtual bool ask(const MessageRequest&) { return true; }
    // The chosen file, or an empty text when the dialog is cancelled. The save dialog does not
    // ask before replacing a file; its caller does.
    virtual QString openFileName(const FileRequest& request) = 0;
    virtual QString saveFileName(const FileRequest& request) = 0;
    // False when the print dialog is cancelled.
    virtual bool printDialog(QPrinter& printer) = 0;
    // Opens a document in the viewer the desktop associates with it; false when none took it.
    virtual bool openDocument(const QString& path) = 0;
};

// The seam in use: the real dialogs unless a test has put its own in (null restores them).
DialogSeam& Dialogs();
void SetDialogSeam(DialogSeam* seam);

// The program's title, the caption of the framework's own boxes.
inline const QString ApplicationTitle = QStringLiteral("VELKO-Q37");

// A box of the program's own: text, caption and icon as given.
void MessageBoxOk(const QString& text, const QString& caption, BoxIcon icon);
// The framework's plain message dialog.
void ShowMessage(const QString& text);
// The application's error box for an exception: its message and nothing more.
void ShowException(const QString& message);
// Inside a catch block: the exception being handled, its message if the framework raised it.
void ShowCurrentException();

} // namespace velko
