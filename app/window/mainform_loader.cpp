// Loading an image into the pages: every list, grid and edit set from BaselineImage, each
// list's handler run right after it so that EditImage holds what the pages show.
//
// The load runs to its end without giving the event loop a turn: nothing in here paints or
// processes events, and what the handlers want repainted is painted once, afterwards.
#include "image_decode.h"
#include "mainform.h"
#include "mainform_controls.h"
#include "settings_image.h"

#include <QComboBox>

using namespace velko;

namespace {

using Handler = void (TMainForm::*)(QObject*);
using CellClick = void (TMainForm::*)(QObject*, int, int, bool&);

void copyBytes(SegmentRow& to, const SegmentRow& from, int first, int last)
{
    for (int k = first; k <= last; ++k)
        to[k] = from[k];
}

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

    // 1-9: transmitter and receiver functions.
    load(TxModeFunc, TxModeFuncItem(base), &TMainForm::TxModeFuncChange);
    load(DutyCycleFunc, DutyCycleFuncItem(base), &TMainForm::DutyCycleFuncChange);
    load(SleepEMSFunc, SleepEMSFuncItem(base), &TMainForm::SleepEMSFuncChange);
    load(LEDGleamFunc, LEDGleamFuncItem(base), &TMainForm::LEDGleamFuncChange);
    load(TxRemoteFunc, TxRemoteFuncItem(base), &TMainForm::TxRemoteFuncChange);
    load(PassiveEMSFunc, PassiveEMSFuncItem(base), &TMainForm::PassiveEMSFuncChange);
    load(PassiveTimeFunc, PassiveTimeFuncItem(base), &TMainForm::PassiveTimeFuncChange);
    load(AutoOffFunc, AutoOffFuncItem(base), &TMainForm::AutoOffFuncChange);
    load(RxRemoteFunc, RxRemoteFuncItem(base), &TMainForm::RxRemoteFuncChange);

    // 10-13: special functions.
    load(LowBattFunc, LowBattFuncItem(base), &TMainForm::LowBattFuncChange);
    load(LowBattEMSFunc, LowBattEMSFuncItem(base), &TMainForm::LowBattEMSFuncChange);
    load(EMSCounterFunc, EMSCounterFuncItem(base), &TMainForm::EMSCounterFuncChange);
    load(BattCounterFunc, BattCounterFuncItem(base), &TMainForm::BattCounterFuncChange);

    // 14-31: keys, switches and the action relay.
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

    // 32: relay counts; a stored count above 16 leaves its list with no item.
    load(UDRelayCount, RelayCountItem(base, UD), &TMainForm::UDRelayCountChange);
    load(LRRelayCount, RelayCountItem(base, LR), &TMainForm::LRRelayCountChange);
    load(SNRelayCount, RelayCountItem(base, SN), &TMainForm::SNRelayCountChange);
    load(EWRelayCount, RelayCountItem(base, EW), &TMainForm::EWRelayCountChange);

    // 33-34: acceleration delays and inching times.
    const struct {
        QComboBox* list;
        int byte;
        Handler handler;
    } accelerations[] = {
        {UpAccTime, 12, &TMainForm::UpAccTimeChange},       {DownAccTime, 17, &TMainForm::DownAccTimeChange},
        {LeftAccTime, 20, &TMainForm::LeftAccTimeChange},   {RightAccTime, 32, &TMainForm::RightAccTimeChange},
        {NorthAccTime, 36, &TMainForm::NorthAccTimeChange}, {SouthAccTime, 35, &TMainForm::SouthAccTimeChange},
        {WestAccTime, 34, &TMainForm::WestAccTimeChange},   {EastAccTime, 33, &TMainForm::EastAccTimeChange},
    },
      inchings[] = {
          {UpInchTime, 43, &TMainForm::UpInchTimeChange},       {DownInchTime, 44, &TMainForm::DownInchTimeChange},
          {LeftInchTime, 45, &TMainForm::LeftInchTimeChange},   {RightInchTime, 46, &TMainForm::RightInchTimeChange},
          {NorthInchTime, 120, &TMainForm::NorthInchTimeChange}, {SouthInchTime, 119, &TMainForm::SouthInchTimeChange},
          {WestInchTime, 118, &TMainForm::WestInchTimeChange},   {EastInchTime, 47, &TMainForm::EastInchTimeChange},
      };
    for (const auto& a : accelerations)
        load(a.list, AccDelayItem(SegA(base, a.byte)), a.handler);
    for (const auto& i : inchings)
        load(i.list, InchingItem(SegA(base, i.byte)), i.handler);

    // 35: each grid cleared, then every stored mask bit clicked into it, whatever the count.
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
        for (int column = 1; column <= 11; ++column) {
            const int k = RelayPositionK[g.group][column];
            SegA(EditImage, RelayMaskLowBase + k) = 0;
            SegB(EditImage, k) = 0;
        }
        for (const GridCell& cell : RelayMaskCells(base, g.group)) {
            bool canSelect = true;
            (this->*g.click)(g.grid, cell.column, cell.row, canSelect);
        }
    }

    // 36: the stored counts win over what the handlers worked out.
    KeyRelayCount = SegA(base, 37);
    for (int group = 0; group < AxisGroups; ++group)
        AxisRelayNum(group) = SegA(base, RelayCountByte[group]);
    copyBytes(EditImage[SegmentARow], base[SegmentARow], 37, 41);

    // 37: battery edits; the key handlers do not run.
    const struct {
        QLineEdit* edit;
        int first; // whole volts, then hundredths
        int wordsFirst, wordsLast; // the pair's two words, copied with its high edit
    } batteries[] = {{BattUp, 108, 116, 119}, {BattUp1, 110, 0, -1}, {BattDown, 112, 120, 123}, {BattDown1, 114, 0, -1}};
    for (const auto& b : batteries) {
        copyBytes(EditImage[SegmentBRow], base[SegmentBRow], b.first, b.first + 1);
        copyBytes(EditImage[SegmentBRow], base[SegmentBRow], b.wordsFirst, b.wordsLast);
        b.edit->setText(QString::fromStdString(BatteryVoltageText(SegB(base, b.first), SegB(base, b.first + 1))));
        SetEditColour(b.edit, TakenColour);
    }

    // 38: interlocks.
    load(UD_InterLock, InterLockItem(base, UD), &TMainForm::UD_InterLockChange);
    load(LR_InterLock, InterLockItem(base, LR), &TMainForm::LR_InterLockChange);
    load(EW_InterLock, InterLockItem(base, EW), &TMainForm::EW_InterLockChange);
    load(SN_InterLock, InterLockItem(base, SN), &TMainForm::SN_InterLockChange);

    // 39: duty cycle.
    for (const auto& [edit, byte] : {std::pair{DutyCounter, 51}, std::pair{DutyTx, 52}}) {
        SegB(EditImage, byte) = SegB(base, byte);
        edit->setText(QString::number(SegB(base, byte)));
        SetEditColour(edit, TakenColour);
    }

    // 40: gaps; the byte first, so that the edit's own handler finds it unchanged.
    QLineEdit* const gaps[] = {VR1YGap, VR1XGap, VR2YGap, VR2XGap};
    for (int i = 0; i < 4; ++i) {
        SegB(EditImage, 54 + i) = SegB(base, 54 + i);
        gaps[i]->setText(QString::number(SegB(base, 54 + i)));
    }

    // 41: the one rebuild of the allocation table.
    Modify_Allocation_Draw();
}
