// The About dialog: picture, title, and the text of "Vie32.vfd" scrolled to its end.
#pragma once

#include "ui_AboutDialog.h"

#include <QDialog>

class TAboutDialog : public QDialog, public Ui::TAboutDialog {
    Q_OBJECT

public:
    // Throws velko::FileError when "Vie32.vfd" cannot be read.
    explicit TAboutDialog(QWidget* owner = nullptr);

    void OKBitBtnClick(QObject* Sender);

protected:
    // The dialog has no close box and no cancel: only OK brings the main window back.
    void reject() override {}
};

extern TAboutDialog* AboutDialog;
