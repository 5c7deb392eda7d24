#include "settings_map.h"

#include "limit_rules.h"

#include <array>

namespace velko {

namespace {

// Power-on mode and transmission mode.
constexpr ImageBit PowerOnKeyBit{PowerFlags, 0};
constexpr ImageBit PowerOnOtherBit{PowerFlags, 1};
constexpr ImageBit TxContinuousBit{PowerFlags, 2};
constexpr ImageBit TxAlwaysOnBit{PowerFlags, 3};
// Transmission time of a mode, in 100 ms; 40 and 15 for the two power-saving items.
constexpr ImageByte TxTimeWord = InSegA(28);
constexpr std::uint16_t PulsedTxTime[2] = {40, 15};
constexpr std::uint16_t AlwaysOnTxTime = 255;

constexpr BitListField DutyCycleFuncField{{FunctionFlags, 4}, 0};

// LED flashing: on time, then period.
constexpr ImageByte LEDOnField = InSegA(30);
constexpr ImageByte LEDPeriodField = InSegA(31);
struct FlashPair {
    std::uint8_t on, period;
};
constexpr std::array<FlashPair, 9> LEDGleamPairs = {
    {{150, 150}, {6, 50}, {25, 50}, {20, 50}, {20, 75}, {20, 100}, {20, 150}, {20, 200}, {0, 150}}};

// Auto-off: the on bit, and the time in ticks in bytes 22-25, high word first, each word
// low byte first. Item 0 never powers off.
constexpr ImageBit AutoOffBit{FunctionFlags, 3};
constexpr ImageByte AutoOffHighWord = InSegA(22);
constexpr ImageByte AutoOffLowWord = InSegA(24);
constexpr std::array<std::uint32_t, 8> AutoOffTicks = {0, 40000, 80000, 120000, 240000, 480000, 720000, 960000};

constexpr ImageByte EMSCounterField = InSegA(21);

// Battery counter: the on bit, and the count word in Segment B bytes 124-127, low byte first.
constexpr ImageBit BattCounterBit{FunctionFlags, 0};
constexpr ImageByte BattCounterWord = InSegB(124);

// R1's byte: its mode bits 0-4, EMS and the R0/R1 inhibit above them.
constexpr ImageBit R1NormalBit{R1Field, 0};
constexpr ImageBit R1LatchingBit{R1Field, 2};
constexpr std::uint8_t R1ModeBits = 0x1F;
constexpr ImageBit InhibitBit{R1Field, 7};
constexpr ImageByte InhibitDelayField = InSegB(53);

constexpr BitListField ARRelaySelectField{ARRelayBit, 0};

std::uint32_t autoOffTime(const SegmentImage& image)
{
    return static_cast<std::uint32_t>(WordAt(image, AutoOffHighWord)) << 16 | WordAt(image, AutoOffLowWord);
}

std::uint32_t battCounter(const SegmentImage& image)
{
    std::uint32_t c = 0;
    for (int i = 3; i >= 0; --i)
        c = c << 8 | At(image, BattCounterWord.next(i));
    return c;
}

void putPulsedTxTime(SegmentImage& image, int dutyCycleItem)
{
    PutWordAt(image, TxTimeWord, PulsedTxTime[dutyCycleItem == 0 ? 0 : 1]);
}

} // namespace

void CopyBytes(SegmentImage& to, const SegmentImage& from, ImageByte first, int count)
{
    for (int i = 0; i < count; ++i)
        At(to, first.next(i)) = At(from, first.next(i));
}

void StoreItem(SegmentImage& image, const BitListField& field, int item)
{
    if (item == 0 || item == 1)
        PutBit(image, field.bit, item == field.itemWhenSet);
}

ItemPick ReadItem(const SegmentImage& image, const BitListField& field)
{
    return BitOf(image, field.bit) ? field.itemWhenSet : 1 - field.itemWhenSet;
}

void StoreItem(SegmentImage& image, const TableListField& field, int item)
{
    if (item >= 0 && item < static_cast<int>(field.table.size()))
        At(image, field.byte) = field.table[static_cast<std::size_t>(item)];
}

ItemPick ReadItem(const SegmentImage& image, const TableListField& field)
{
    return TableItem(field.table, At(image, field.byte));
}

void StoreStartUpKeyBytes(SegmentImage& image)
{
    // Only the mask bits of R1 and SW 1A stay in the low byte; 11 is cleared, 13 and 14 set.
    PutBit(image, KeyMaskBit(11), false);
    At(image, KeyEnableMask) &= 0x81;
    for (int k : {106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 92, 93, 102, 103})
        At(image, InSegA(k)) = 0;
    PutBit(image, KeyMaskBit(13), true);
    PutBit(image, KeyMaskBit(14), true);
    At(image, InSegA(14)) = 0;
    At(image, InSegA(15)) = 0;
    At(image, R1Field) = 0;
    PutBit(image, {FunctionFlags, 5}, false);
}

// ---- Transmitter and receiver ----

void StoreOpenModeFunc(SegmentImage& image)
{
    PutBit(image, PowerOnKeyBit, true);
    PutBit(image, PowerOnOtherBit, false);
}

void StoreTxModeFunc(SegmentImage& image, int item, int dutyCycleItem)
{
    PutBit(image, TxContinuousBit, true);
    PutBit(image, TxAlwaysOnBit, false);
    if (item == 0) {
        putPulsedTxTime(image, dutyCycleItem);
        PutBit(image, TxContinuousBit, false);
    } else if (item >= 1 && item <= 7) {
        PutWordAt(image, TxTimeWord, TxTimeTable[static_cast<std::size_t>(item - 1)]);
    } else if (item == 8) {
        PutWordAt(image, TxTimeWord, AlwaysOnTxTime);
        PutBit(image, TxAlwaysOnBit, true);
    }
}

ItemPick TxModeFuncItem(const SegmentImage& image)
{
    const std::uint16_t time = WordAt(image, TxTimeWord);
    if (!BitOf(image, TxContinuousBit) || time == PulsedTxTime[0])
        return 0;
    if (BitOf(image, TxAlwaysOnBit))
        return 8;
    for (std::size_t i = 0; i < TxTimeTable.size(); ++i)
        if (TxTimeTable[i] == time)
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

void StoreDutyCycleFunc(SegmentImage& image, int item, int txModeItem)
{
    if (item != 0 && item != 1)
        return;
    StoreItem(image, DutyCycleFuncField, item);
    if (txModeItem == 0) {
        PutBit(image, TxContinuousBit, false);
        putPulsedTxTime(image, item);
    }
}

ItemPick DutyCycleFuncItem(const SegmentImage& image) { return ReadItem(image, DutyCycleFuncField); }
ItemPick SleepEMSFuncItem(const SegmentImage& image) { return ReadItem(image, SleepEMSFuncField); }

void StoreLEDGleamFunc(SegmentImage& image, int item)
{
    if (item < 0 || item >= static_cast<int>(LEDGleamPairs.size()))
        return;
    At(image, LEDOnField) = LEDGleamPairs[static_cast<std::size_t>(item)].on;
    At(image, LEDPeriodField) = LEDGleamPairs[static_cast<std::size_t>(item)].period;
}

ItemPick LEDGleamFuncItem(const SegmentImage& image)
{
    const std::uint8_t p = At(image, LEDOnField), q = At(image, LEDPeriodField);
    // Equal on time and period: always on. Otherwise the on time tells the fast flashes
    // apart, the period the slow ones.
    if (p == q)
        return 0;
    if (p == LEDGleamPairs[8].on)
        return 8;
    if (p == LEDGleamPairs[1].on)
        return 1;
    if (p == LEDGleamPairs[2].on)
        return 2;
    for (int item = 4; item <= 7; ++item)
        if (q == LEDGleamPairs[static_cast<std::size_t>(item)].period)
            return item;
    if (p == LEDGleamPairs[3].on)
        return 3;
    return std::nullopt;
}

ItemPick TxRemoteFuncItem(const SegmentImage& image) { return ReadItem(image, TxRemoteFuncField); }
ItemPick PassiveEMSFuncItem(const SegmentImage& image) { return ReadItem(image, PassiveEMSFuncField); }
ItemPick PassiveTimeFuncItem(const SegmentImage& image) { return ReadItem(image, PassiveTimeFuncField); }

void StoreAutoOffFunc(SegmentImage& image, int item)
{
    PutBit(image, AutoOffBit, true);
    if (item < 0 || item >= static_cast<int>(AutoOffTicks.size()))
        return;
    if (item == 0)
        PutBit(image, AutoOffBit, false);
    const std::uint32_t ticks = AutoOffTicks[static_cast<std::size_t>(item)];
    PutWordAt(image, AutoOffHighWord, static_cast<std::uint16_t>(ticks >> 16));
    PutWordAt(image, AutoOffLowWord, static_cast<std::uint16_t>(ticks));
}

ItemPick AutoOffFuncItem(const SegmentImage& image)
{
    if (!BitOf(image, AutoOffBit))
        return 0;
    const std::uint32_t v = autoOffTime(image);
    // 2000 ticks asks for an item the list does not have.
    if (v == 2000)
        return 8;
    if (v == AutoOffTicks[1])
        return 1;
    if (v == AutoOffTicks[2])
        return 2;
    for (int item = 3; item < static_cast<int>(AutoOffTicks.size()); ++item)
        if (v <= AutoOffTicks[static_cast<std::size_t>(item)])
            return item;
    return std::nullopt;
}

ItemPick RxRemoteFuncItem(const SegmentImage& image) { return ReadItem(image, RxRemoteFuncField); }

// ---- Special functions ----

ItemPick LowBattFuncItem(const SegmentImage& image) { return ReadItem(image, LowBattFuncField); }
ItemPick LowBattEMSFuncItem(const SegmentImage& image) { return ReadItem(image, LowBattEMSFuncField); }

void StoreEMSCounterFunc(SegmentImage& image, int item) { At(image, EMSCounterField) = EMSRepeatCount(item); }
ItemPick EMSCounterFuncItem(const SegmentImage& image) { return TableItem(EMSCountTable, At(image, EMSCounterField)); }

void StoreBattCounterFunc(SegmentImage& image, int item)
{
    // Counter off keeps all ones in the count bytes, like no item.
    PutBit(image, BattCounterBit, item != 0);
    const std::uint32_t word = BatteryCounterWord(item);
    for (int i = 0; i < 4; ++i)
        At(image, BattCounterWord.next(i)) = static_cast<std::uint8_t>(word >> (8 * i));
}

ItemPick BattCounterFuncItem(const SegmentImage& image)
{
    if (!BitOf(image, BattCounterBit))
        return 0;
    std::uint32_t c = battCounter(image);
    if (c == 0xFFFFFFFFu)
        return 32;
    int ones = 0;
    for (; c & 1u; c >>= 1)
        ++ones;
    return ones;
}

// ---- Keys, switches and the action relay ----

void StoreR1Func(SegmentImage& image, int item)
{
    PutBit(image, KeyMaskBit(MaskBitR1), true);
    At(image, R1Field) &= static_cast<std::uint8_t>(~R1ModeBits);
    if (item == 0)
        PutBit(image, R1NormalBit, true);
    else if (item == 1)
        PutBit(image, R1LatchingBit, true);
    else if (item == 2) // not in use
        PutBit(image, KeyMaskBit(MaskBitR1), false);
}

ItemPick R1FuncItem(const SegmentImage& image)
{
    if (BitOf(image, R1NormalBit))
        return 0;
    return BitOf(image, R1LatchingBit) ? 1 : 2;
}

void StoreR0Func(SegmentImage& image, int item)
{
    const bool actionRelay = BitOf(image, ARRelayBit);
    At(image, R0Field) = 0;
    PutBit(image, ARRelayBit, actionRelay);
    PutBit(image, KeyMaskBit(MaskBitAR), actionRelay);
    PutBit(image, KeyMaskBit(MaskBitR0), true);
    if (item == 0)
        PutBit(image, R0NormalBit, true);
    else if (item == 1)
        PutBit(image, R0LatchingBit, true);
    else if (item == 2) // inching: no relay, no inhibit
        PutBit(image, R0InchingBit, true);
}

ItemPick R0FuncItem(const SegmentImage& image)
{
    if (BitOf(image, R0NormalBit))
        return 0;
    if (BitOf(image, R0LatchingBit))
        return 1;
    if (BitOf(image, R0InchingBit) && !BitOf(image, R0InchingRelayBit))
        return 2;
    // No mode bit, or inching with a relay: items the list does not have.
    return BitOf(image, R0InchingBit) ? 4 : 3;
}

void StoreARRelaySelect(SegmentImage& image, int item)
{
    if (item != 0 && item != 1)
        return;
    StoreItem(image, ARRelaySelectField, item);
    PutBit(image, KeyMaskBit(MaskBitAR), item == 0);
    if (item == 1)
        PutWordAt(image, ARRelayWord, 0);
}

ItemPick ARRelaySelectItem(const SegmentImage& image) { return ReadItem(image, ARRelaySelectField); }
ItemPick AR_TimeItem(const SegmentImage& image) { return ReadItem(image, AR_TimeField); }
ItemPick R1EMSItem(const SegmentImage& image) { return ReadItem(image, R1EMSField); }
ItemPick R0EMSItem(const SegmentImage& image) { return ReadItem(image, R0EMSField); }

void StoreR0R1RepFunc(SegmentImage& image, int item)
{
    PutBit(image, InhibitBit, true);
    if (item >= 0 && item < static_cast<int>(InhibitDelayTable.size())) {
        At(image, InhibitDelayField) = InhibitDelayTable[static_cast<std::size_t>(item)];
    } else if (item == static_cast<int>(InhibitDelayTable.size())) { // no inhibit
        PutBit(image, InhibitBit, false);
        At(image, InhibitDelayField) = 0;
    }
}

ItemPick R0R1RepFuncItem(const SegmentImage& image)
{
    if (!BitOf(image, InhibitBit))
        return static_cast<int>(InhibitDelayTable.size());
    return TableItem(InhibitDelayTable, At(image, InhibitDelayField));
}

ItemPick SwBFuncItem(const SegmentImage& image) { return ReadItem(image, SwBFuncField); }
ItemPick SwB1FuncItem(const SegmentImage& image) { return ReadItem(image, SwB1FuncField); }
ItemPick SwCFuncItem(const SegmentImage& image) { return ReadItem(image, SwCFuncField); }
ItemPick SwC1FuncItem(const SegmentImage& image) { return ReadItem(image, SwC1FuncField); }
ItemPick SwBEMSItem(const SegmentImage& image) { return ReadItem(image, SwBEMSField); }
ItemPick SwB1EMSItem(const SegmentImage& image) { return ReadItem(image, SwB1EMSField); }
ItemPick SwCEMSItem(const SegmentImage& image) { return ReadItem(image, SwCEMSField); }
ItemPick SwC1EMSItem(const SegmentImage& image) { return ReadItem(image, SwC1EMSField); }
ItemPick SwBABFuncItem(const SegmentImage& image) { return ReadItem(image, SwBABFuncField); }
ItemPick SwCABFuncItem(const SegmentImage& image) { return ReadItem(image, SwCABFuncField); }
ItemPick InchTimeItem(const SegmentImage& image) { return ReadItem(image, InchTimeField); }

// ---- Joystick axes ----

ItemPick AccDelayItem(std::uint8_t stored) { return TableItem(AccDelayTable, stored); }
ItemPick InchingItem(std::uint8_t stored) { return TableItem(InchTimeTable, stored); }

void StoreRelayCount(SegmentImage& image, int group, int item)
{
    At(image, RelayCountField[group]) = static_cast<std::uint8_t>(item & 0xFF);
}

ItemPick RelayCountItem(const SegmentImage& image, int group) { return At(image, RelayCountField[group]); }

void CopyRelayCounts(SegmentImage& to, const SegmentImage& from)
{
    CopyBytes(to, from, KeyRelayCountField);
    for (ImageByte count : RelayCountField)
        CopyBytes(to, from, count);
}

void StoreInterLock(SegmentImage& image, int group, int item)
{
    const InterLockPlace& place = InterLockField[group];
    PutBit(image, place.on, true);
    if (item == 0) {
        PutBit(image, place.on, false);
        At(image, place.delay) = 0;
    } else if (item >= 1 && item < static_cast<int>(AccDelayTable.size())) {
        At(image, place.delay) = AccDelayTable[static_cast<std::size_t>(item)];
    }
}

ItemPick InterLockItem(const SegmentImage& image, int group)
{
    const InterLockPlace& place = InterLockField[group];
    if (!BitOf(image, place.on))
        return 0;
    // Item 0 stores 0 with the bit clear: a 0 beside a set bit is none of the items.
    const ItemPick item = AccDelayItem(At(image, place.delay));
    if (item == 0)
        return std::nullopt;
    return item;
}

ImageByte RelayMaskLow(int group, int column) { return InSegA(RelayMaskLowBase + RelayPositionK[group][column]); }
ImageByte RelayMaskHigh(int group, int column) { return InSegB(RelayPositionK[group][column]); }

ImageBit RelayMaskBit(int group, int column, int row)
{
    return row <= 8 ? ImageBit{RelayMaskLow(group, column), row - 1} : ImageBit{RelayMaskHigh(group, column), row - 9};
}

void ClearRelayMasks(SegmentImage& image, int group)
{
    for (int column = 1; column < RelayPositions; ++column) {
        At(image, RelayMaskLow(group, column)) = 0;
        At(image, RelayMaskHigh(group, column)) = 0;
    }
}

} // namespace velko
