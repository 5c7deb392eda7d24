// The four joystick pages: acceleration, inching, interlock, relay counts and the budget.
#include "mainform.h"

void TMainForm::BindJoystickPages() {}

void TMainForm::UpAccTimeChange(QObject*) {}
void TMainForm::DownAccTimeChange(QObject*) {}
void TMainForm::LeftAccTimeChange(QObject*) {}
void TMainForm::RightAccTimeChange(QObject*) {}
void TMainForm::EastAccTimeChange(QObject*) {}
void TMainForm::WestAccTimeChange(QObject*) {}
void TMainForm::SouthAccTimeChange(QObject*) {}
void TMainForm::NorthAccTimeChange(QObject*) {}
void TMainForm::UpInchTimeChange(QObject*) {}
void TMainForm::DownInchTimeChange(QObject*) {}
void TMainForm::LeftInchTimeChange(QObject*) {}
void TMainForm::RightInchTimeChange(QObject*) {}
void TMainForm::EastInchTimeChange(QObject*) {}
void TMainForm::WestInchTimeChange(QObject*) {}
void TMainForm::SouthInchTimeChange(QObject*) {}
void TMainForm::NorthInchTimeChange(QObject*) {}
void TMainForm::UDRelayCountChange(QObject*) {}
void TMainForm::LRRelayCountChange(QObject*) {}
void TMainForm::EWRelayCountChange(QObject*) {}
void TMainForm::SNRelayCountChange(QObject*) {}
void TMainForm::UD_InterLockChange(QObject*) {}
void TMainForm::LR_InterLockChange(QObject*) {}
void TMainForm::EW_InterLockChange(QObject*) {}
void TMainForm::SN_InterLockChange(QObject*) {}
void TMainForm::ShowRelayTimerTimer(QObject*) {}
