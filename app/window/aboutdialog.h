// The About dialog: picture, title, and the text of "Vie32.vfd" scrolled to its end.
#pragma once

#include "ui_AboutDialog.h"

#include <QDialog>
#include <QPointer>

class TAboutDialog : public QDialog, public Ui::TAboutDialog {
    Q_OBJECT

public:
    // Throws velko::FileError when "Vie32.vfd" cannot be read.
    explicit TAboutDialog(QWidget* owner = nullptr);

    void OKBitBtnClick(QObject* Sender);

    // While shown: the main window it stands over. Showing that window again (after a window
    // manager hid both, or the dialog alone) brings the dialog back with it.
    void StandOver(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    // The dialog has no close box and no cancel: only OK brings the main window back.
    void reject() override {}

private:
    void bringBack();
    QPointer<QWidget> over_;
};

extern TAboutDialog* AboutDialog;
