// The special page: low battery, EMS repeat, battery counter, duty cycle, gaps and battery limits.
#include "mainform.h"

void TMainForm::BindSpecialPage() {}

void TMainForm::LowBattFuncChange(QObject*) {}
void TMainForm::LowBattEMSFuncChange(QObject*) {}
void TMainForm::EMSCounterFuncChange(QObject*) {}
void TMainForm::BattCounterFuncChange(QObject*) {}
void TMainForm::VR1YGapChange(QObject*) {}
void TMainForm::VR1XGapChange(QObject*) {}
void TMainForm::VR2YGapChange(QObject*) {}
void TMainForm::VR2XGapChange(QObject*) {}
void TMainForm::DutyTxKeyPress(QChar&) {}
void TMainForm::DutyCounterKeyPress(QChar&) {}
void TMainForm::BattUpKeyPress(QChar&) {}
void TMainForm::BattUp1KeyPress(QChar&) {}
void TMainForm::BattDownKeyPress(QChar&) {}
void TMainForm::BattDown1KeyPress(QChar&) {}
