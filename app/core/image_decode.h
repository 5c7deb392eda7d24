// Reading an image back into the pages: for each list, the item that shows a stored value
// (the inverse of what the list's handler stores), and the texts and grid cells the loader
// sets from the stored bytes.
#pragma once

#include "settings_image.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velko {

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

// Transmitter and receiver functions.
ItemPick TxModeFuncItem(const SegmentImage& image);
ItemPick DutyCycleFuncItem(const SegmentImage& image);
ItemPick SleepEMSFuncItem(const SegmentImage& image);
ItemPick LEDGleamFuncItem(const SegmentImage& image);
ItemPick TxRemoteFuncItem(const SegmentImage& image);
ItemPick PassiveEMSFuncItem(const SegmentImage& image);
ItemPick PassiveTimeFuncItem(const SegmentImage& image);
ItemPick AutoOffFuncItem(const SegmentImage& image);
ItemPick RxRemoteFuncItem(const SegmentImage& image);

// Special functions.
ItemPick LowBattFuncItem(const SegmentImage& image);
ItemPick LowBattEMSFuncItem(const SegmentImage& image);
ItemPick EMSCounterFuncItem(const SegmentImage& image);
ItemPick BattCounterFuncItem(const SegmentImage& image);

// Keys, switches and the action relay.
ItemPick R1FuncItem(const SegmentImage& image);
ItemPick R0FuncItem(const SegmentImage& image);
ItemPick ARRelaySelectItem(const SegmentImage& image);
ItemPick AR_TimeItem(const SegmentImage& image);
ItemPick R1EMSItem(const SegmentImage& image);
ItemPick R0EMSItem(const SegmentImage& image);
ItemPick R0R1RepFuncItem(const SegmentImage& image);
ItemPick SwBFuncItem(const SegmentImage& image);
ItemPick SwB1FuncItem(const SegmentImage& image);
ItemPick SwCFuncItem(const SegmentImage& image);
ItemPick SwC1FuncItem(const SegmentImage& image);
ItemPick SwBEMSItem(const SegmentImage& image);
ItemPick SwB1EMSItem(const SegmentImage& image);
ItemPick SwCEMSItem(const SegmentImage& image);
ItemPick SwC1EMSItem(const SegmentImage& image);
ItemPick SwBABFuncItem(const SegmentImage& image);
ItemPick SwCABFuncItem(const SegmentImage& image);
ItemPick InchTimeItem(const SegmentImage& image);

// Joystick axes, by AxisGroup. The stored relay count is the item, unchecked.
inline constexpr int RelayCountByte[AxisGroups] = {38, 39, 40, 41};
ItemPick RelayCountItem(const SegmentImage& image, int group);
ItemPick AccDelayItem(std::uint8_t stored);
ItemPick InchingItem(std::uint8_t stored);
// Interlock delay bytes and their bits of Segment B byte 48.
inline constexpr int InterLockByte[AxisGroups] = {45, 44, 46, 47};
inline constexpr int InterLockBit[AxisGroups] = {1, 0, 2, 3};
ItemPick InterLockItem(const SegmentImage& image, int group);

// A data cell of a relay grid: column = lever position 1-11, row = relay 1-16.
struct GridCell {
    int column;
    int row;
    bool operator==(const GridCell&) const = default;
};
// The set mask bits of a group, as the cells the loader clicks, in its order: the Segment A
// bytes of columns 5 to 1, then their Segment B bytes, then column 6, then columns 7 to 11
// the same way; bit 0 of each byte first.
std::vector<GridCell> RelayMaskCells(const SegmentImage& image, int group);

// A battery edit's text from its stored whole volts and hundredths: "5.20", "4.05", "3.00";
// never more than four characters ("12.3" for 12 and 34).
std::string BatteryVoltageText(std::uint8_t volts, std::uint8_t hundredths);

} // namespace velko
