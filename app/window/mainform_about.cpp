// The About dialog shown over a fully transparent main window.
#include "mainform.h"

#include "aboutdialog.h"

void TMainForm::AboutProgram1Click(QObject*)
{
    SetAlphaBlend(true);
    SetAlphaBlendValue(0);
    if (AboutDialog) {
        AboutDialog->StandOver(this);
        AboutDialog->exec();
    }
}
