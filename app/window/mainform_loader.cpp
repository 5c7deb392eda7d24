// Loading an image into the pages: every list, grid and edit set from BaselineImage, each
// list's handler run right after it so that EditImage holds what the pages show.
//
// The load runs to its end without giving the event loop a turn: nothing in here paints or
// processes events, and what the handlers want repainted is painted once, afterwards.
#include "image_decode.h"
#include "mainform.h"
#include "mainform_controls.h"
#include "settings_image.h"
#include "settings_map.h"

#include <QComboBox>

using namespace velko;

namespace {

using Handler = void (TMainForm::*)(QObject*);
using CellClick = void (TMainForm::*)(QObject*, int, int, bool&);

} // namespace

void TMainForm::ShowEEPROMSet()
{
    const SegmentImage& base = BaselineImage;

    // A list takes the item of the stored value, or keeps its own when the value is none of
    // its items; its handler runs either way.
    const auto load = [this](QComboBox* list, ItemPick item, Handler handler) {
        if (item)
            list->setCurrentIndex(*item);
        (this->*handler)(list);
    };

    // Transmitter and receiver functions.
    load(TxModeFunc, TxModeFuncItem(base), &TMainForm::TxModeFuncChange);
    load(DutyCycleFunc, DutyCycleFuncItem(base), &TMainForm::DutyCycleFuncChange);
    load(SleepEMSFunc, SleepEMSFuncItem(base), &TMainForm::SleepEMSFuncChange);
    load(LEDGleamFunc, LEDGleamFuncItem(base), &TMainForm::LEDGleamFuncChange);
    load(TxRemoteFunc, TxRemoteFuncItem(base), &TMainForm::TxRemoteFuncChange);
    load(PassiveEMSFunc, PassiveEMSFuncItem(base), &TMainForm::PassiveEMSFuncChange);
    load(PassiveTimeFunc, PassiveTimeFuncItem(base), &TMainForm::PassiveTimeFuncChange);
    load(AutoOffFunc, AutoOffFuncItem(base), &TMainForm::AutoOffFuncChange);
    load(RxRemoteFunc, RxRemoteFuncItem(base), &TMainForm::RxRemoteFuncChange);

    // Special functions.
    load(LowBattFunc, LowBattFuncItem(base), &TMainForm::LowBattFuncChange);
    load(LowBattEMSFunc, LowBattEMSFuncItem(base), &TMainForm::LowBattEMSFuncChange);
    load(EMSCounterFunc, EMSCounterFuncItem(base), &TMainForm::EMSCounterFuncChange);
    load(BattCounterFunc, BattCounterFuncItem(base), &TMainForm::BattCounterFuncChange);

    // Keys, switches and the action relay.
    load(R1Func, R1FuncItem(base), &TMainForm::R1FuncChange);
    load(R0Func, R0FuncItem(base), &TMainForm::R0FuncChange);
    load(ARRelaySelect, ARRelaySelectItem(base), &TMainForm::ARRelaySelectChange);
    load(AR_Time, AR_TimeItem(base), &TMainForm::AR_TimeChange);
    load(R1EMS, R1EMSItem(base), &TMainForm::R1EMSChange);
    load(R0EMS, R0EMSItem(base), &TMainForm::R0EMSChange);
    load(R0R1RepFunc, R0R1RepFuncItem(base), &TMainForm::R0R1RepFuncChange);
    load(SwBFunc, SwBFuncItem(base), &TMainForm::SwBFuncChange);
    load(SwB1Func, SwB1FuncItem(base), &TMainForm::SwB1FuncChange);
    load(SwCFunc, SwCFuncItem(base), &TMainForm::SwCFuncChange);
    load(SwC1Func, SwC1FuncItem(base), &TMainForm::SwC1FuncChange);
    load(SwBEMS, SwBEMSItem(base), &TMainForm::SwBEMSChange);
    load(SwB1EMS, SwB1EMSItem(base), &TMainForm::SwB1EMSChange);
    load(SwCEMS, SwCEMSItem(base), &TMainForm::SwCEMSChange);
    load(SwC1EMS, SwC1EMSItem(base), &TMainForm::SwC1EMSChange);
    load(SwBABFunc, SwBABFuncItem(base), &TMainForm::SwBABFuncChange);
    load(SwCABFunc, SwCABFuncItem(base), &TMainForm::SwCABFuncChange);
    load(InchTime, InchTimeItem(base), &TMainForm::InchTimeChange);

    // Relay counts; a stored count above 16 leaves its list with no item.
    load(UDRelayCount, RelayCountItem(base, UD), &TMainForm::UDRelayCountChange);
    load(LRRelayCount, RelayCountItem(base, LR), &TMainForm::LRRelayCountChange);
    load(SNRelayCount, RelayCountItem(base, SN), &TMainForm::SNRelayCountChange);
    load(EWRelayCount, RelayCountItem(base, EW), &TMainForm::EWRelayCountChange);

    // Acceleration delays, then inching times, of each lever direction.
    const struct {
        LeverDirection direction;
        QComboBox* accList;
        Handler accHandler;
        QComboBox* inchList;
        Handler inchHandler;
    } levers[] = {
        {Up, UpAccTime, &TMainForm::UpAccTimeChange, UpInchTime, &TMainForm::UpInchTimeChange},
        {Down, DownAccTime, &TMainForm::DownAccTimeChange, DownInchTime, &TMainForm::DownInchTimeChange},
        {Left, LeftAccTime, &TMainForm::LeftAccTimeChange, LeftInchTime, &TMainForm::LeftInchTimeChange},
        {Right, RightAccTime, &TMainForm::RightAccTimeChange, RightInchTime, &TMainForm::RightInchTimeChange},
        {North, NorthAccTime, &TMainForm::NorthAccTimeChange, NorthInchTime, &TMainForm::NorthInchTimeChange},
        {South, SouthAccTime, &TMainForm::SouthAccTimeChange, SouthInchTime, &TMainForm::SouthInchTimeChange},
        {West, WestAccTime, &TMainForm::WestAccTimeChange, WestInchTime, &TMainForm::WestInchTimeChange},
        {East, EastAccTime, &TMainForm::EastAccTimeChange, EastInchTime, &TMainForm::EastInchTimeChange},
    };
    for (const auto& l : levers)
        load(l.accList, ReadItem(base, LeverAccTimeField[l.direction]), l.accHandler);
    for (const auto& l : levers)
        load(l.inchList, ReadItem(base, LeverInchTimeField[l.direction]), l.inchHandler);

    // Each grid cleared, then every stored mask bit clicked into it, whatever the count.
    const struct {
        int group;
        QTableWidget* grid;
        CellClick click;
    } grids[] = {
        {UD, UDRelayTable, &TMainForm::UDRelayTableSelectCell},
        {LR, LRRelayTable, &TMainForm::LRRelayTableSelectCell},
        {SN, SNRelayTable, &TMainForm::SNRelayTableSelectCell},
        {EW, EWRelayTable, &TMainForm::EWRelayTableSelectCell},
    };
    for (const auto& g : grids) {
        for (int position = 0; position < RelayPositions; ++position)
            for (int relay = 0; relay < RelaysPerPosition; ++relay)
                RelayAssign[RelayAssignIndex(g.group, position, relay)] = 0;
        g.grid->viewport()->update();
        ClearRelayMasks(EditImage, g.group);
        for (const GridCell& cell : RelayMaskCells(base, g.group)) {
            bool canSelect = true;
            (this->*g.click)(g.grid, cell.column, cell.row, canSelect);
        }
    }

    // The stored counts win over what the handlers worked out.
    KeyRelayCount = At(base, KeyRelayCountField);
    for (int group = 0; group < AxisGroups; ++group)
        AxisRelayNum(group) = At(base, RelayCountField[group]);
    CopyRelayCounts(EditImage, base);

    // Battery edits; the key handlers do not run. A pair's band words come with its high edit.
    const struct {
        QLineEdit* edit;
        int field; // of BatteryVoltsField
        const ImageByte* bandWords;
    } batteries[] = {
        {BattUp, 0, &UpperBandWords},
        {BattUp1, 1, nullptr},
        {BattDown, 2, &LowerBandWords},
        {BattDown1, 3, nullptr},
    };
    for (const auto& b : batteries) {
        const ImageByte volts = BatteryVoltsField[b.field];
        CopyBytes(EditImage, base, volts, 2);
        if (b.bandWords)
            CopyBytes(EditImage, base, *b.bandWords, BandWordBytes);
        b.edit->setText(QString::fromStdString(BatteryVoltageText(At(base, volts), At(base, volts.next()))));
        SetEditColour(b.edit, TakenColour);
    }

    // Interlocks.
    load(UD_InterLock, InterLockItem(base, UD), &TMainForm::UD_InterLockChange);
    load(LR_InterLock, InterLockItem(base, LR), &TMainForm::LR_InterLockChange);
    load(EW_InterLock, InterLockItem(base, EW), &TMainForm::EW_InterLockChange);
    load(SN_InterLock, InterLockItem(base, SN), &TMainForm::SN_InterLockChange);

    // Duty cycle edits.
    for (const auto& [edit, byte] : {std::pair{DutyCounter, DutyCounterField}, std::pair{DutyTx, DutyTxField}}) {
        CopyBytes(EditImage, base, byte);
        edit->setText(QString::number(At(base, byte)));
        SetEditColour(edit, TakenColour);
    }

    // Gaps; the byte first, so that the edit's own handler finds it unchanged.
    QLineEdit* const gaps[] = {VR1YGap, VR1XGap, VR2YGap, VR2XGap};
    for (int i = 0; i < 4; ++i) {
        CopyBytes(EditImage, base, GapField[i]);
        gaps[i]->setText(QString::number(At(base, GapField[i])));
    }

    // The one rebuild of the allocation table.
    Modify_Allocation_Draw();
}
