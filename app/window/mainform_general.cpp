// The general page: transmitter and receiver functions, keys, switches, the action relay
// and the key-relay table.
#include "mainform.h"

#include "fixed_cells.h"
#include "key_relays.h"
#include "mainform_controls.h"
#include "settings_image.h"

#include <QComboBox>
#include <QPainter>

#include <array>

using velko::EditImage;
using velko::SegA;
using velko::SegB;

namespace {

void setBit(std::uint8_t& byte, int bit) { byte = static_cast<std::uint8_t>(byte | (1u << bit)); }
void clearBit(std::uint8_t& byte, int bit) { byte = static_cast<std::uint8_t>(byte & ~(1u << bit)); }
void putBit(std::uint8_t& byte, int bit, bool on) { on ? setBit(byte, bit) : clearBit(byte, bit); }

std::uint16_t keyEnableMask() { return velko::GetWord(EditImage[velko::SegmentARow], velko::KeyEnableMaskByte); }
void putKeyEnableMask(std::uint16_t mask) { velko::PutWord(EditImage[velko::SegmentARow], velko::KeyEnableMaskByte, mask); }
void putMaskBit(int bit, bool on)
{
    const std::uint16_t mask = keyEnableMask();
    putKeyEnableMask(static_cast<std::uint16_t>(on ? mask | (1u << bit) : mask & ~(1u << bit)));
}

void putTxTime(std::uint16_t value) { velko::PutWord(EditImage[velko::SegmentARow], 28, value); }

// The item of a list, or -1 when it shows none of the `items` a handler knows.
int itemOf(const QComboBox* list, int items)
{
    const int item = list->currentIndex();
    return item >= 0 && item < items ? item : -1;
}

struct FlashPair {
    std::uint8_t on, period;
};
constexpr std::array<FlashPair, 9> LEDGleamPairs = {
    {{150, 150}, {6, 50}, {25, 50}, {20, 50}, {20, 75}, {20, 100}, {20, 150}, {20, 200}, {0, 150}}};

// Auto-off times in ticks; item 0 never powers off.
constexpr std::array<std::uint32_t, 8> AutoOffTicks = {0, 40000, 80000, 120000, 240000, 480000, 720000, 960000};

// The action relay's bit in byte 16.
constexpr int ARBit = 6;

// Grid cells drawn by the window's own handler, on the fixed colour the chrome gave the grid.
class KeyRelayCellDelegate : public velko::FixedCellsDelegate {
public:
    KeyRelayCellDelegate(const QColor& fixed, TMainForm* form, QTableWidget* grid)
        : FixedCellsDelegate(fixed, grid), form_(form), grid_(grid)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const bool fixedCell = index.row() == 0 || index.column() == 0;
        painter->setBrush(fixedCell ? fixedColour() : option.palette.color(QPalette::Base));
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(option.palette.color(group, QPalette::Text));
        painter->setFont(option.font);
        form_->KeyRelayTableDrawCell(grid_, index.column(), index.row(), option.rect, option.state, *painter);
        painter->restore();
    }

private:
    TMainForm* form_;
    QTableWidget* grid_;
};

} // namespace

void TMainForm::RunWithItem(QComboBox* list, ListHandler handler, int item)
{
    list->setCurrentIndex(item);
    (this->*handler)(list);
}

// ---- Transmitter and receiver ----

void TMainForm::OpenModeFuncChange(QObject*)
{
    // Only "開機鍵開機" is offered to the units: power-on mode 01 whatever was picked.
    std::uint8_t& byte18 = SegA(EditImage, 18);
    byte18 = static_cast<std::uint8_t>((byte18 | 0x01) & ~0x02);
    OpenModeFunc->setCurrentIndex(1);
}

void TMainForm::TxModeFuncChange(QObject*)
{
    std::uint8_t& byte18 = SegA(EditImage, 18);
    setBit(byte18, 2);
    clearBit(byte18, 3);
    PassiveEMSFunc->setEnabled(true);
    SleepEMSFunc->setEnabled(true);

    const int item = itemOf(TxModeFunc, 9);
    if (item == 0) {
        // Not continuous: the power-saving choice decides the transmission time, and a unit
        // that sleeps between transmissions always shuts off passively without powering off.
        putTxTime(DutyCycleFunc->currentIndex() == 0 ? 40 : 15);
        clearBit(byte18, 2);
        RunWithItem(SleepEMSFunc, &TMainForm::SleepEMSFuncChange, 1);
        SleepEMSFunc->setEnabled(false);
        RunWithItem(PassiveEMSFunc, &TMainForm::PassiveEMSFuncChange, 0);
        PassiveEMSFunc->setEnabled(false);
    } else if (item >= 1 && item <= 7) {
        putTxTime(velko::TxTimeTable[static_cast<std::size_t>(item - 1)]);
    } else if (item == 8) {
        putTxTime(255);
        setBit(byte18, 3);
        RunWithItem(SleepEMSFunc, &TMainForm::SleepEMSFuncChange, 1);
        SleepEMSFunc->setEnabled(false);
    }
}

void TMainForm::DutyCycleFuncChange(QObject*)
{
    const int item = itemOf(DutyCycleFunc, 2);
    if (item < 0)
        return;
    putBit(SegA(EditImage, 19), 4, item == 0);
    if (TxModeFunc->currentIndex() == 0) {
        clearBit(SegA(EditImage, 18), 2);
        putTxTime(item == 0 ? 40 : 15);
    }
}

void TMainForm::SleepEMSFuncChange(QObject*)
{
    if (const int item = itemOf(SleepEMSFunc, 2); item >= 0)
        putBit(SegA(EditImage, 18), 6, item == 0);
}

void TMainForm::LEDGleamFuncChange(QObject*)
{
    if (const int item = itemOf(LEDGleamFunc, 9); item >= 0) {
        SegA(EditImage, 30) = LEDGleamPairs[static_cast<std::size_t>(item)].on;
        SegA(EditImage, 31) = LEDGleamPairs[static_cast<std::size_t>(item)].period;
    }
}

void TMainForm::TxRemoteFuncChange(QObject*)
{
    if (const int item = itemOf(TxRemoteFunc, 2); item >= 0)
        putBit(SegA(EditImage, 19), 2, item == 0);
}

void TMainForm::PassiveEMSFuncChange(QObject*)
{
    // Here item 1 ("關          機") is the one that sets the bit.
    if (const int item = itemOf(PassiveEMSFunc, 2); item >= 0)
        putBit(SegA(EditImage, 18), 4, item == 1);
}

void TMainForm::PassiveTimeFuncChange(QObject*)
{
    if (const int item = itemOf(PassiveTimeFunc, 10); item >= 0)
        SegA(EditImage, 10) = velko::PassiveTimeTable[static_cast<std::size_t>(item)];
}

void TMainForm::AutoOffFuncChange(QObject*)
{
    std::uint8_t& byte19 = SegA(EditImage, 19);
    setBit(byte19, 3);
    const int item = itemOf(AutoOffFunc, 8);
    if (item < 0)
        return;
    if (item == 0)
        clearBit(byte19, 3);
    // High word first, each word low byte first.
    const std::uint32_t ticks = AutoOffTicks[static_cast<std::size_t>(item)];
    SegA(EditImage, 22) = static_cast<std::uint8_t>(ticks >> 16);
    SegA(EditImage, 23) = static_cast<std::uint8_t>(ticks >> 24);
    SegA(EditImage, 24) = static_cast<std::uint8_t>(ticks);
    SegA(EditImage, 25) = static_cast<std::uint8_t>(ticks >> 8);
}

void TMainForm::RxRemoteFuncChange(QObject*)
{
    if (const int item = itemOf(RxRemoteFunc, 2); item >= 0)
        putBit(SegA(EditImage, 19), 1, item == 0);
}

// ---- Keys ----

void TMainForm::KeyRelaysChanged()
{
    SetKeyRelayTable();
    if (SettingsLoaded == 1)
        Modify_Allocation_Draw();
}

void TMainForm::R0FuncChange(QObject*)
{
    // Byte 16 keeps only the action relay's bit, and the action relay's mask bit follows it.
    std::uint8_t& byte16 = SegA(EditImage, 16);
    const bool actionRelay = (byte16 & (1u << ARBit)) != 0;
    byte16 = actionRelay ? 0x40 : 0x00;
    putMaskBit(velko::MaskBitAR, actionRelay);
    for (QWidget* w : std::initializer_list<QWidget*>{InchTime, InchTimeLabel, R0R1RepFunc, R0R1RepLabel})
        w->hide();
    putMaskBit(velko::MaskBitR0, true);
    R0EMS->setEnabled(true);

    const bool r1InUse = R1Func->currentIndex() != 2;
    switch (itemOf(R0Func, 3)) {
    case 0: // normal
        byte16 |= 0x01;
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 0);
        R0EMS->setEnabled(false);
        if (r1InUse) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 1: // latching
        byte16 |= 0x04;
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 1);
        if (r1InUse) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 2: // inching: no relay, no inhibit
        byte16 |= 0x80;
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 1);
        R0EMS->setEnabled(false);
        InchTime->show();
        InchTimeLabel->show();
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::InchTimeChange(QObject*)
{
    const int item = InchTime->currentIndex();
    if (item >= 0 && item < static_cast<int>(velko::InchTimeTable.size()))
        SegA(EditImage, 11) = velko::InchTimeTable[static_cast<std::size_t>(item)];
}

void TMainForm::R0EMSChange(QObject*)
{
    if (const int item = itemOf(R0EMS, 2); item >= 0)
        putBit(SegA(EditImage, 16), 5, item == 0);
}

void TMainForm::R1FuncChange(QObject*)
{
    putMaskBit(velko::MaskBitR1, true);
    R1EMS->setEnabled(true);
    std::uint8_t& byte13 = SegA(EditImage, 13);
    byte13 &= 0xE0; // the mode bits; EMS and inhibit stay

    const bool r0Inching = R0Func->currentIndex() == 2;
    switch (itemOf(R1Func, 3)) {
    case 0: // normal
        setBit(byte13, 0);
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 0);
        R1EMS->setEnabled(false);
        if (!r0Inching) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 1: // latching
        setBit(byte13, 2);
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 1);
        if (!r0Inching) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 2: // not in use
        putMaskBit(velko::MaskBitR1, false);
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 1);
        R1EMS->setEnabled(false);
        R0R1RepFunc->hide();
        R0R1RepLabel->hide();
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::R1EMSChange(QObject*)
{
    if (const int item = itemOf(R1EMS, 2); item >= 0)
        putBit(SegA(EditImage, 13), 5, item == 0);
}

void TMainForm::R0R1RepFuncChange(QObject*)
{
    std::uint8_t& byte13 = SegA(EditImage, 13);
    setBit(byte13, 7);
    const int item = itemOf(R0R1RepFunc, 9);
    if (item >= 0 && item <= 7) {
        SegB(EditImage, 53) = velko::InhibitDelayTable[static_cast<std::size_t>(item)];
    } else if (item == 8) {
        clearBit(byte13, 7);
        SegB(EditImage, 53) = 0;
    }
}

// ---- Switches ----

void TMainForm::SwitchPositionChange(int position)
{
    struct Position {
        QComboBox* list;
        int maskBit;
        QComboBox* ems;
        ListHandler emsChange;
        QComboBox* other;
        QComboBox* centre;
        ListHandler centreChange;
        bool aPosition;
    };
    const Position positions[] = {
        {SwBFunc, velko::MaskBitSw1A, SwBEMS, &TMainForm::SwBEMSChange, SwB1Func, SwBABFunc,
         &TMainForm::SwBABFuncChange, true},
        {SwB1Func, velko::MaskBitSw1B, SwB1EMS, &TMainForm::SwB1EMSChange, SwBFunc, SwBABFunc,
         &TMainForm::SwBABFuncChange, false},
        {SwCFunc, velko::MaskBitSw2A, SwCEMS, &TMainForm::SwCEMSChange, SwC1Func, SwCABFunc,
         &TMainForm::SwCABFuncChange, true},
        {SwC1Func, velko::MaskBitSw2B, SwC1EMS, &TMainForm::SwC1EMSChange, SwCFunc, SwCABFunc,
         &TMainForm::SwCABFuncChange, false},
    };
    const Position& p = positions[position];

    p.ems->setEnabled(true);
    p.centre->setEnabled(true);
    switch (itemOf(p.list, 2)) {
    case 0: // in use: "= A+B" needs the other position too
        if (p.other->currentIndex() == 1) {
            RunWithItem(p.centre, p.centreChange, 1);
            p.centre->setEnabled(false);
        }
        putMaskBit(p.maskBit, true);
        break;
    case 1: // not in use
        RunWithItem(p.centre, p.centreChange, 1);
        p.centre->setEnabled(false);
        putMaskBit(p.maskBit, false);
        if (p.aPosition && p.other->currentIndex() == 0) {
            p.ems->setEnabled(false);
        } else {
            RunWithItem(p.ems, p.emsChange, 0);
            p.ems->setEnabled(false);
        }
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::SwBFuncChange(QObject*) { SwitchPositionChange(0); }
void TMainForm::SwB1FuncChange(QObject*) { SwitchPositionChange(1); }
void TMainForm::SwCFuncChange(QObject*) { SwitchPositionChange(2); }
void TMainForm::SwC1FuncChange(QObject*) { SwitchPositionChange(3); }

void TMainForm::SwBABFuncChange(QObject*)
{
    if (const int item = itemOf(SwBABFunc, 2); item >= 0)
        putBit(SegA(EditImage, 18), 7, item == 0);
}

void TMainForm::SwCABFuncChange(QObject*)
{
    if (const int item = itemOf(SwCABFunc, 2); item >= 0)
        putBit(SegA(EditImage, 19), 6, item == 0);
}

void TMainForm::SwBEMSChange(QObject*)
{
    if (const int item = itemOf(SwBEMS, 2); item >= 0)
        putBit(SegA(EditImage, 121), 1, item == 0);
}

void TMainForm::SwB1EMSChange(QObject*)
{
    if (const int item = itemOf(SwB1EMS, 2); item >= 0)
        putBit(SegA(EditImage, 121), 2, item == 0);
}

void TMainForm::SwCEMSChange(QObject*)
{
    if (const int item = itemOf(SwCEMS, 2); item >= 0)
        putBit(SegA(EditImage, 121), 3, item == 0);
}

void TMainForm::SwC1EMSChange(QObject*)
{
    if (const int item = itemOf(SwC1EMS, 2); item >= 0)
        putBit(SegA(EditImage, 121), 4, item == 0);
}

// ---- Action relay ----

void TMainForm::ARRelaySelectChange(QObject*)
{
    AR_Time->hide();
    ARTimeLabel->hide();
    switch (itemOf(ARRelaySelect, 2)) {
    case 0:
        setBit(SegA(EditImage, 16), ARBit);
        putMaskBit(velko::MaskBitAR, true);
        AR_Time->show();
        ARTimeLabel->show();
        break;
    case 1:
        clearBit(SegA(EditImage, 16), ARBit);
        putMaskBit(velko::MaskBitAR, false);
        velko::PutWord(EditImage[velko::SegmentARow], 122, 0);
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::AR_TimeChange(QObject*)
{
    if (const int item = itemOf(AR_Time, static_cast<int>(velko::ARTimeTable.size())); item >= 0)
        SegA(EditImage, 124) = velko::ARTimeTable[static_cast<std::size_t>(item)];
}

// ---- The key-relay table ----

void TMainForm::SetKeyRelayTable()
{
    const velko::KeyRelayNumbering numbering = velko::NumberKeyRelays(EditImage);
    velko::KeyRelayCount = numbering.count();
    KeyRelayTable->setColumnCount(numbering.count() + 1);
    for (int n = 1; n <= numbering.count(); ++n) {
        velko::SetCellText(KeyRelayTable, 0, n, QString::fromStdString(velko::KeyRelayName(n)));
        // A relay of a bit that names no key shows no name, not one left from before.
        velko::SetCellText(KeyRelayTable, 1, n,
                           QString::fromStdString(numbering.relays[static_cast<std::size_t>(n - 1)].name));
    }
    KeyRelayTable->resize(velko::KeyRelayGridWidth(numbering.count()), KeyRelayTable->height());
    velko::StoreKeyRelays(EditImage, numbering);
}

void TMainForm::KeyRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect&, QStyle::State, QPainter& Canvas)
{
    const QRect cell = KeyRelayTable->visualRect(KeyRelayTable->model()->index(ARow, ACol));
    Canvas.fillRect(cell, Canvas.brush());
    const QString text = velko::CellText(KeyRelayTable, ARow, ACol);
    Canvas.drawText(QPoint(cell.left() + 4, cell.top() + 2 + Canvas.fontMetrics().ascent()), text);
}

void TMainForm::BindKeyRelayTableDrawing()
{
    QColor fixed = palette().color(QPalette::Button);
    if (const auto* chrome = dynamic_cast<const velko::FixedCellsDelegate*>(KeyRelayTable->itemDelegate()))
        fixed = chrome->fixedColour();
    // The 41-px cells are made for the small grid font: "SW 1A" fits in one.
    QFont small = KeyRelayTable->font();
    small.setPixelSize(11);
    KeyRelayTable->setFont(small);
    QAbstractItemDelegate* previous = KeyRelayTable->itemDelegate();
    KeyRelayTable->setItemDelegate(new KeyRelayCellDelegate(fixed, this, KeyRelayTable));
    if (previous && previous->parent() == KeyRelayTable)
        previous->deleteLater();
}

void TMainForm::BindGeneralPage()
{
    const struct {
        QComboBox* list;
        ListHandler change;
    } lists[] = {
        {OpenModeFunc, &TMainForm::OpenModeFuncChange},
        {TxModeFunc, &TMainForm::TxModeFuncChange},
        {DutyCycleFunc, &TMainForm::DutyCycleFuncChange},
        {SleepEMSFunc, &TMainForm::SleepEMSFuncChange},
        {LEDGleamFunc, &TMainForm::LEDGleamFuncChange},
        {TxRemoteFunc, &TMainForm::TxRemoteFuncChange},
        {PassiveEMSFunc, &TMainForm::PassiveEMSFuncChange},
        {PassiveTimeFunc, &TMainForm::PassiveTimeFuncChange},
        {AutoOffFunc, &TMainForm::AutoOffFuncChange},
        {RxRemoteFunc, &TMainForm::RxRemoteFuncChange},
        {R0Func, &TMainForm::R0FuncChange},
        {R1Func, &TMainForm::R1FuncChange},
        {R0EMS, &TMainForm::R0EMSChange},
        {R1EMS, &TMainForm::R1EMSChange},
        {InchTime, &TMainForm::InchTimeChange},
        {R0R1RepFunc, &TMainForm::R0R1RepFuncChange},
        {SwBFunc, &TMainForm::SwBFuncChange},
        {SwB1Func, &TMainForm::SwB1FuncChange},
        {SwCFunc, &TMainForm::SwCFuncChange},
        {SwC1Func, &TMainForm::SwC1FuncChange},
        {SwBEMS, &TMainForm::SwBEMSChange},
        {SwB1EMS, &TMainForm::SwB1EMSChange},
        {SwCEMS, &TMainForm::SwCEMSChange},
        {SwC1EMS, &TMainForm::SwC1EMSChange},
        {SwBABFunc, &TMainForm::SwBABFuncChange},
        {SwCABFunc, &TMainForm::SwCABFuncChange},
        {ARRelaySelect, &TMainForm::ARRelaySelectChange},
        {AR_Time, &TMainForm::AR_TimeChange},
    };
    for (const auto& l : lists)
        connect(l.list, &QComboBox::activated, this, [this, list = l.list, change = l.change] { (this->*change)(list); });
    BindKeyRelayTableDrawing();
}
