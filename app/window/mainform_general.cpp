// The general page: transmitter and receiver functions, keys, switches, the action relay
// and the key-relay table.
#include "mainform.h"

#include "settings_image.h"

#include <QComboBox>

using velko::EditImage;
using velko::SegA;

void TMainForm::OpenModeFuncChange(QObject*)
{
    // Only "開機鍵開機" is offered to the units: power-on mode 01 whatever was picked.
    std::uint8_t& byte18 = SegA(EditImage, 18);
    byte18 = static_cast<std::uint8_t>((byte18 | 0x01) & ~0x02);
    OpenModeFunc->setCurrentIndex(1);
}

void TMainForm::InchTimeChange(QObject*)
{
    const int item = InchTime->currentIndex();
    if (item >= 0 && item < static_cast<int>(velko::InchTimeTable.size()))
        SegA(EditImage, 11) = velko::InchTimeTable[static_cast<std::size_t>(item)];
}

void TMainForm::BindGeneralPage()
{
    connect(OpenModeFunc, &QComboBox::activated, this, [this] { OpenModeFuncChange(OpenModeFunc); });
    connect(InchTime, &QComboBox::activated, this, [this] { InchTimeChange(InchTime); });
}

void TMainForm::TxModeFuncChange(QObject*) {}
void TMainForm::DutyCycleFuncChange(QObject*) {}
void TMainForm::SleepEMSFuncChange(QObject*) {}
void TMainForm::LEDGleamFuncChange(QObject*) {}
void TMainForm::TxRemoteFuncChange(QObject*) {}
void TMainForm::PassiveEMSFuncChange(QObject*) {}
void TMainForm::PassiveTimeFuncChange(QObject*) {}
void TMainForm::AutoOffFuncChange(QObject*) {}
void TMainForm::RxRemoteFuncChange(QObject*) {}
void TMainForm::R0FuncChange(QObject*) {}
void TMainForm::R0EMSChange(QObject*) {}
void TMainForm::R1FuncChange(QObject*) {}
void TMainForm::R1EMSChange(QObject*) {}
void TMainForm::R0R1RepFuncChange(QObject*) {}
void TMainForm::SwBFuncChange(QObject*) {}
void TMainForm::SwB1FuncChange(QObject*) {}
void TMainForm::SwBABFuncChange(QObject*) {}
void TMainForm::SwBEMSChange(QObject*) {}
void TMainForm::SwB1EMSChange(QObject*) {}
void TMainForm::SwCFuncChange(QObject*) {}
void TMainForm::SwC1FuncChange(QObject*) {}
void TMainForm::SwCABFuncChange(QObject*) {}
void TMainForm::SwCEMSChange(QObject*) {}
void TMainForm::SwC1EMSChange(QObject*) {}
void TMainForm::ARRelaySelectChange(QObject*) {}
void TMainForm::AR_TimeChange(QObject*) {}
void TMainForm::SetKeyRelayTable() {}
