// The six tool-bar buttons: three pictures each (leave, enter, press), the work on release,
// and the busy bracket. Which mouse button was used never matters.
#include "mainform.h"

#include "imageex.h"

void TMainForm::OpenFileBtnMouseLeave(QObject*) { Img_Change(OpenFileBtn, 1); }
void TMainForm::OpenFileBtnMouseEnter(QObject*) { Img_Change(OpenFileBtn, 2); }
void TMainForm::OpenFileBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(OpenFileBtn, 3);
}
void TMainForm::OpenFileBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(OpenFileBtn, 2);
    OpenSettingsFile();
}

void TMainForm::SaveFileBtnMouseLeave(QObject*) { Img_Change(SaveFileBtn, 4); }
void TMainForm::SaveFileBtnMouseEnter(QObject*) { Img_Change(SaveFileBtn, 5); }
void TMainForm::SaveFileBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(SaveFileBtn, 6);
}
void TMainForm::SaveFileBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(SaveFileBtn, 5);
    SaveSettingsFile();
}

void TMainForm::PrintBtnMouseLeave(QObject*) { Img_Change(PrintBtn, 7); }
void TMainForm::PrintBtnMouseEnter(QObject*) { Img_Change(PrintBtn, 8); }
void TMainForm::PrintBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(PrintBtn, 9);
    OpenMenuUnder(PrintBtn, PrintMenu);
}
void TMainForm::PrintBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { Img_Change(PrintBtn, 8); }

void TMainForm::ReadSetBtnMouseLeave(QObject*) { Img_Change(ReadSetBtn, 10); }
void TMainForm::ReadSetBtnMouseEnter(QObject*) { Img_Change(ReadSetBtn, 11); }
void TMainForm::ReadSetBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(ReadSetBtn, 12);
}
void TMainForm::ReadSetBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(ReadSetBtn, 11);
    ReadUnitSettings();
}

void TMainForm::WriteSetBtnMouseLeave(QObject*) { Img_Change(WriteSetBtn, 13); }
void TMainForm::WriteSetBtnMouseEnter(QObject*) { Img_Change(WriteSetBtn, 14); }
void TMainForm::WriteSetBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(WriteSetBtn, 15);
}
void TMainForm::WriteSetBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(WriteSetBtn, 14);
    WriteUnitSettings();
}

void TMainForm::AboutBtnMouseLeave(QObject*) { Img_Change(AboutBtn, 16); }
void TMainForm::AboutBtnMouseEnter(QObject*) { Img_Change(AboutBtn, 17); }
void TMainForm::AboutBtnMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(AboutBtn, 18);
    OpenMenuUnder(AboutBtn, COMMenu);
}
void TMainForm::AboutBtnMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
    Img_Change(AboutBtn, 17);
}

void TMainForm::Disable_Button()
{
    for (TImageEx* b : {OpenFileBtn, SaveFileBtn, PrintBtn, ReadSetBtn, WriteSetBtn, AboutBtn})
        b->setEnabled(false);
}

void TMainForm::Enable_Button()
{
    for (TImageEx* b : {OpenFileBtn, SaveFileBtn, PrintBtn, ReadSetBtn, WriteSetBtn, AboutBtn})
        b->setEnabled(true);
}
