// Where every setting of the pages lives in the settings image: each list's, edit's and
// grid's byte(s), bits and value table, named once, and the functions that put an item into
// an image and read the item back out of one. The window speaks of these names only.
//
// A Store function does to the image exactly what picking `item` in its list does; an item
// the list does not have (-1 for none) stores what the list's handler stores for it. A
// reading function gives the item that shows the stored value (see ItemPick).
#pragma once

#include "settings_image.h"

#include <cstdint>
#include <optional>
#include <span>

namespace velko {

// ---- Places in the image ----

// One byte of a segment.
struct ImageByte {
    int row; // SegmentARow or SegmentBRow
    int k;
    constexpr ImageByte next(int n = 1) const { return {row, k + n}; }
    bool operator==(const ImageByte&) const = default;
};
constexpr ImageByte InSegA(int k) { return {SegmentARow, k}; }
constexpr ImageByte InSegB(int k) { return {SegmentBRow, k}; }
inline std::uint8_t& At(SegmentImage& image, ImageByte b) { return image[b.row][b.k]; }
inline std::uint8_t At(const SegmentImage& image, ImageByte b) { return image[b.row][b.k]; }

// One bit of a byte.
struct ImageBit {
    ImageByte byte;
    int bit;
};
inline bool BitOf(const SegmentImage& image, ImageBit b) { return ((At(image, b.byte) >> b.bit) & 1u) != 0; }
inline void PutBit(SegmentImage& image, ImageBit b, bool on)
{
    std::uint8_t& byte = At(image, b.byte);
    byte = static_cast<std::uint8_t>(on ? byte | (1u << b.bit) : byte & ~(1u << b.bit));
}

// A little-endian word, by its low byte.
inline std::uint16_t WordAt(const SegmentImage& image, ImageByte low) { return GetWord(image[low.row], low.k); }
inline void PutWordAt(SegmentImage& image, ImageByte low, std::uint16_t value)
{
    PutWord(image[low.row], low.k, value);
}

// Copies `count` bytes from `first` on.
void CopyBytes(SegmentImage& to, const SegmentImage& from, ImageByte first, int count = 1);

// ---- List shapes ----

// The item a list is set to. Empty: the stored value is none of the list's items and the
// list keeps what it shows. An index the list does not have leaves it with no item.
using ItemPick = std::optional<int>;

// The first entry of `table` that equals `value`, as an item index.
template <typename Table>
ItemPick TableItem(const Table& table, std::uint8_t value)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == value)
            return static_cast<int>(i);
    return std::nullopt;
}

// A two-item list kept in one bit: `itemWhenSet` sets it, the other item clears it.
struct BitListField {
    ImageBit bit;
    int itemWhenSet;
};
void StoreItem(SegmentImage& image, const BitListField& field, int item); // other items: nothing
ItemPick ReadItem(const SegmentImage& image, const BitListField& field);

// A list whose item i stores entry i of a value table in one byte.
struct TableListField {
    ImageByte byte;
    std::span<const std::uint8_t> table;
};
void StoreItem(SegmentImage& image, const TableListField& field, int item); // other items: nothing
ItemPick ReadItem(const SegmentImage& image, const TableListField& field);

// ---- Bytes of bits that lists of several pages share (Segment A) ----

// Power-on and transmission modes, what powers the unit off, switch 1's centre.
inline constexpr ImageByte PowerFlags = InSegA(18);
// The counters, radio settings and power saving on, switch 2's centre, EMS at low battery.
inline constexpr ImageByte FunctionFlags = InSegA(19);

// ---- Identification ----

// The ID code's six digits, one Hamming codeword a byte.
inline constexpr ImageByte IdCodeField = InSegA(2);
inline constexpr int IdCodeBytes = 6;
// The check bytes: the first over bytes 0, 2, 4, 6, the second over 1, 3, 5, 7.
inline constexpr ImageByte CheckBytesField = InSegA(8);
// Machine serial number and factory date (year, month, day): two digits a byte.
inline constexpr ImageByte SerialNumberField = InSegB(96);
inline constexpr int SerialNumberBytes = 3;
inline constexpr ImageByte FactoryDateField = InSegB(100);
inline constexpr int FactoryDateBytes = 3;

// ---- The key-enable mask and the key relays (Segment A) ----

// KeyEnableMask: bytes 26 (low) and 27 (high).
inline constexpr int KeyEnableMaskByte = 26;
inline constexpr ImageByte KeyEnableMask = InSegA(KeyEnableMaskByte);
constexpr ImageBit KeyMaskBit(int maskBit) { return {KeyEnableMask.next(maskBit / 8), maskBit % 8}; }

// Mask bits of the keys.
inline constexpr int MaskBitR1 = 0;
inline constexpr int MaskBitSw1A = 7;
inline constexpr int MaskBitSw1B = 8;
inline constexpr int MaskBitSw2A = 9;
inline constexpr int MaskBitSw2B = 10;
inline constexpr int MaskBitR0 = 12;
inline constexpr int MaskBitAR = 15;

inline constexpr int KeyRelayCountByte = 37;
inline constexpr ImageByte KeyRelayCountField = InSegA(KeyRelayCountByte);
// Each keyed relay's one-hot word. Bytes 92-117 are cleared before every numbering; the
// action relay's word (122-123) is not among them.
inline constexpr int KeyRelayWordsFirst = 92;
inline constexpr int KeyRelayWordsLast = 117;
inline constexpr ImageByte R0RelayWord = InSegA(104);
inline constexpr ImageByte R1RelayWord = InSegA(116);
inline constexpr ImageByte Sw1ARelayWord = InSegA(94);
inline constexpr ImageByte Sw1BRelayWord = InSegA(96);
inline constexpr ImageByte Sw2ARelayWord = InSegA(98);
inline constexpr ImageByte Sw2BRelayWord = InSegA(100);
inline constexpr ImageByte ARRelayWord = InSegA(122);

// What start-up keeps of the key bytes before any page is touched.
void StoreStartUpKeyBytes(SegmentImage& image);

// ---- Transmitter and receiver functions ----

void StoreOpenModeFunc(SegmentImage& image); // only the power-on key is offered
// The time depends on the power-saving item when the mode is not continuous.
void StoreTxModeFunc(SegmentImage& image, int item, int dutyCycleItem);
ItemPick TxModeFuncItem(const SegmentImage& image);
// A non-continuous mode (`txModeItem` 0) takes its time from the power-saving item.
void StoreDutyCycleFunc(SegmentImage& image, int item, int txModeItem);
ItemPick DutyCycleFuncItem(const SegmentImage& image);
inline constexpr BitListField SleepEMSFuncField{{PowerFlags, 6}, 0};
ItemPick SleepEMSFuncItem(const SegmentImage& image);
void StoreLEDGleamFunc(SegmentImage& image, int item);
ItemPick LEDGleamFuncItem(const SegmentImage& image);
inline constexpr BitListField TxRemoteFuncField{{FunctionFlags, 2}, 0};
ItemPick TxRemoteFuncItem(const SegmentImage& image);
// Here item 1 ("關          機") is the one that sets the bit.
inline constexpr BitListField PassiveEMSFuncField{{PowerFlags, 4}, 1};
ItemPick PassiveEMSFuncItem(const SegmentImage& image);
inline constexpr TableListField PassiveTimeFuncField{InSegA(10), PassiveTimeTable};
ItemPick PassiveTimeFuncItem(const SegmentImage& image);
void StoreAutoOffFunc(SegmentImage& image, int item);
ItemPick AutoOffFuncItem(const SegmentImage& image);
inline constexpr BitListField RxRemoteFuncField{{FunctionFlags, 1}, 0};
ItemPick RxRemoteFuncItem(const SegmentImage& image);

// ---- Special functions ----

inline constexpr BitListField LowBattFuncField{{PowerFlags, 5}, 1};
ItemPick LowBattFuncItem(const SegmentImage& image);
inline constexpr BitListField LowBattEMSFuncField{{FunctionFlags, 7}, 0};
ItemPick LowBattEMSFuncItem(const SegmentImage& image);
void StoreEMSCounterFunc(SegmentImage& image, int item);
ItemPick EMSCounterFuncItem(const SegmentImage& image);
void StoreBattCounterFunc(SegmentImage& image, int item);
ItemPick BattCounterFuncItem(const SegmentImage& image);

// Duty cycle edits (Segment B).
inline constexpr ImageByte DutyCounterField = InSegB(51);
inline constexpr ImageByte DutyTxField = InSegB(52);

// Joystick gaps, in the order VR1Y, VR1X, VR2Y, VR2X.
inline constexpr ImageByte GapField[4] = {InSegB(54), InSegB(55), InSegB(56), InSegB(57)};
inline constexpr std::uint8_t DefaultGap = 25;

// Battery edits, in the order BattUp, BattUp1, BattDown, BattDown1: whole volts, then
// hundredths. Each pair's band words (mid, then half) follow with its high edit.
inline constexpr ImageByte BatteryVoltsField[4] = {InSegB(108), InSegB(110), InSegB(112), InSegB(114)};
inline constexpr ImageByte UpperBandWords = InSegB(116);
inline constexpr ImageByte LowerBandWords = InSegB(120);
inline constexpr int BandWordBytes = 4;

// ---- Keys, switches and the action relay ----

// R1's byte (Segment A byte 13).
inline constexpr ImageByte R1Field = InSegA(13);
void StoreR1Func(SegmentImage& image, int item);
ItemPick R1FuncItem(const SegmentImage& image);
// Byte 16 keeps only the action relay's bit; the R0 and action-relay mask bits follow.
void StoreR0Func(SegmentImage& image, int item);
ItemPick R0FuncItem(const SegmentImage& image);
// The R0 byte: its mode bits, and the action relay's bit beside them.
inline constexpr ImageByte R0Field = InSegA(16);
inline constexpr ImageBit R0NormalBit{R0Field, 0};
inline constexpr ImageBit R0LatchingBit{R0Field, 2};
inline constexpr ImageBit R0InchingRelayBit{R0Field, 4};
inline constexpr ImageBit ARRelayBit{R0Field, 6};
inline constexpr ImageBit R0InchingBit{R0Field, 7};
void StoreARRelaySelect(SegmentImage& image, int item);
ItemPick ARRelaySelectItem(const SegmentImage& image);
inline constexpr TableListField AR_TimeField{InSegA(124), ARTimeTable};
ItemPick AR_TimeItem(const SegmentImage& image);
inline constexpr BitListField R1EMSField{{R1Field, 5}, 0};
ItemPick R1EMSItem(const SegmentImage& image);
inline constexpr BitListField R0EMSField{{R0Field, 5}, 0};
ItemPick R0EMSItem(const SegmentImage& image);
void StoreR0R1RepFunc(SegmentImage& image, int item);
ItemPick R0R1RepFuncItem(const SegmentImage& image);
// The switch positions are their bits of the key-enable mask: item 0 is in use.
inline constexpr BitListField SwBFuncField{KeyMaskBit(MaskBitSw1A), 0};
inline constexpr BitListField SwB1FuncField{KeyMaskBit(MaskBitSw1B), 0};
inline constexpr BitListField SwCFuncField{KeyMaskBit(MaskBitSw2A), 0};
inline constexpr BitListField SwC1FuncField{KeyMaskBit(MaskBitSw2B), 0};
ItemPick SwBFuncItem(const SegmentImage& image);
ItemPick SwB1FuncItem(const SegmentImage& image);
ItemPick SwCFuncItem(const SegmentImage& image);
ItemPick SwC1FuncItem(const SegmentImage& image);
// The switch positions under EMS control: bits 1-4 of one byte.
inline constexpr ImageByte SwitchEMSFlags = InSegA(121);
inline constexpr BitListField SwBEMSField{{SwitchEMSFlags, 1}, 0};
inline constexpr BitListField SwB1EMSField{{SwitchEMSFlags, 2}, 0};
inline constexpr BitListField SwCEMSField{{SwitchEMSFlags, 3}, 0};
inline constexpr BitListField SwC1EMSField{{SwitchEMSFlags, 4}, 0};
ItemPick SwBEMSItem(const SegmentImage& image);
ItemPick SwB1EMSItem(const SegmentImage& image);
ItemPick SwCEMSItem(const SegmentImage& image);
ItemPick SwC1EMSItem(const SegmentImage& image);
inline constexpr BitListField SwBABFuncField{{PowerFlags, 7}, 0};
inline constexpr BitListField SwCABFuncField{{FunctionFlags, 6}, 0};
ItemPick SwBABFuncItem(const SegmentImage& image);
ItemPick SwCABFuncItem(const SegmentImage& image);
inline constexpr TableListField InchTimeField{InSegA(11), InchTimeTable};
ItemPick InchTimeItem(const SegmentImage& image);

// ---- Joystick axes ----

// The eight lever directions of the acceleration and inching lists.
enum LeverDirection { Up, Down, Left, Right, East, West, South, North };
inline constexpr int LeverDirections = 8;
inline constexpr TableListField LeverAccTimeField[LeverDirections] = {
    {InSegA(12), AccDelayTable}, {InSegA(17), AccDelayTable}, {InSegA(20), AccDelayTable}, {InSegA(32), AccDelayTable},
    {InSegA(33), AccDelayTable}, {InSegA(34), AccDelayTable}, {InSegA(35), AccDelayTable}, {InSegA(36), AccDelayTable},
};
inline constexpr TableListField LeverInchTimeField[LeverDirections] = {
    {InSegA(43), InchTimeTable},  {InSegA(44), InchTimeTable},  {InSegA(45), InchTimeTable},
    {InSegA(46), InchTimeTable},  {InSegA(47), InchTimeTable},  {InSegA(118), InchTimeTable},
    {InSegA(119), InchTimeTable}, {InSegA(120), InchTimeTable},
};
ItemPick AccDelayItem(std::uint8_t stored);
ItemPick InchingItem(std::uint8_t stored);

// Relay counts by AxisGroup. The stored count is the item, unchecked; no item stores 0xFF.
inline constexpr ImageByte RelayCountField[AxisGroups] = {InSegA(38), InSegA(39), InSegA(40), InSegA(41)};
void StoreRelayCount(SegmentImage& image, int group, int item);
ItemPick RelayCountItem(const SegmentImage& image, int group);
// The key-relay count and the four axis counts, as the image holds them.
void CopyRelayCounts(SegmentImage& to, const SegmentImage& from);

// Interlocks by AxisGroup: the group's on bit and its delay byte.
inline constexpr ImageByte InterLockFlags = InSegB(48);
struct InterLockPlace {
    ImageBit on;
    ImageByte delay;
};
inline constexpr InterLockPlace InterLockField[AxisGroups] = {
    {{InterLockFlags, 1}, InSegB(45)},
    {{InterLockFlags, 0}, InSegB(44)},
    {{InterLockFlags, 2}, InSegB(46)},
    {{InterLockFlags, 3}, InSegB(47)},
};
void StoreInterLock(SegmentImage& image, int group, int item);
ItemPick InterLockItem(const SegmentImage& image, int group);

// A relay grid's cell (lever position `column` 1-11, relay `row` 1-16) is one bit of the
// position's mask: relays 1-8 in its low byte, 9-16 in its high byte.
ImageByte RelayMaskLow(int group, int column);
ImageByte RelayMaskHigh(int group, int column);
ImageBit RelayMaskBit(int group, int column, int row);
// Every mask byte of a group back to 0.
void ClearRelayMasks(SegmentImage& image, int group);

} // namespace velko
