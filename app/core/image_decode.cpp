#include "image_decode.h"

#include <array>

namespace velko {

namespace {

bool bit(std::uint8_t byte, int n) { return ((byte >> n) & 1u) != 0; }

// Two-item lists: one item for a set bit, the other for a clear one.
ItemPick bitItem(std::uint8_t byte, int n, int itemWhenSet) { return bit(byte, n) ? itemWhenSet : 1 - itemWhenSet; }

std::uint32_t autoOffTime(const SegmentImage& image)
{
    // High word first, each word little-endian.
    return static_cast<std::uint32_t>(SegA(image, 23)) << 24 | static_cast<std::uint32_t>(SegA(image, 22)) << 16
         | static_cast<std::uint32_t>(SegA(image, 25)) << 8 | SegA(image, 24);
}

std::uint32_t batteryCounter(const SegmentImage& image)
{
    std::uint32_t c = 0;
    for (int i = 3; i >= 0; --i)
        c = c << 8 | SegB(image, 124 + i);
    return c;
}

} // namespace

ItemPick TxModeFuncItem(const SegmentImage& image)
{
    const std::uint8_t b18 = SegA(image, 18);
    const std::uint16_t time = GetWord(image[SegmentARow], 28);
    if (!bit(b18, 2) || time == 40)
        return 0;
    if (bit(b18, 3))
        return 8;
    for (std::size_t i = 0; i < TxTimeTable.size(); ++i)
        if (TxTimeTable[i] == time)
            return static_cast<int>(i) + 1;
    return std::nullopt;
}

ItemPick DutyCycleFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 19), 4, 0); }
ItemPick SleepEMSFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 18), 6, 0); }

ItemPick LEDGleamFuncItem(const SegmentImage& image)
{
    const std::uint8_t p = SegA(image, 30), q = SegA(image, 31);
    if (p == q)
        return 0;
    if (p == 0)
        return 8;
    if (p == 6)
        return 1;
    if (p == 25)
        return 2;
    if (q == 75)
        return 4;
    if (q == 100)
        return 5;
    if (q == 150)
        return 6;
    if (q == 200)
        return 7;
    if (p == 20)
        return 3;
    return std::nullopt;
}

ItemPick TxRemoteFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 19), 2, 0); }
ItemPick PassiveEMSFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 18), 4, 1); }
ItemPick PassiveTimeFuncItem(const SegmentImage& image) { return TableItem(PassiveTimeTable, SegA(image, 10)); }

ItemPick AutoOffFuncItem(const SegmentImage& image)
{
    if (!bit(SegA(image, 19), 3))
        return 0;
    const std::uint32_t v = autoOffTime(image);
    // 2000 ticks asks for an item the list does not have.
    if (v == 2000)
        return 8;
    if (v == 40000)
        return 1;
    if (v == 80000)
        return 2;
    constexpr std::uint32_t upTo[] = {120000, 240000, 480000, 720000, 960000};
    for (int i = 0; i < 5; ++i)
        if (v <= upTo[i])
            return 3 + i;
    return std::nullopt;
}

ItemPick RxRemoteFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 19), 1, 0); }

ItemPick LowBattFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 18), 5, 1); }
ItemPick LowBattEMSFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 19), 7, 0); }
ItemPick EMSCounterFuncItem(const SegmentImage& image) { return TableItem(EMSCountTable, SegA(image, 21)); }

ItemPick BattCounterFuncItem(const SegmentImage& image)
{
    if (!bit(SegA(image, 19), 0))
        return 0;
    std::uint32_t c = batteryCounter(image);
    if (c == 0xFFFFFFFFu)
        return 32;
    int ones = 0;
    for (; c & 1u; c >>= 1)
        ++ones;
    return ones;
}

ItemPick R1FuncItem(const SegmentImage& image)
{
    const std::uint8_t b13 = SegA(image, 13);
    if (bit(b13, 0))
        return 0;
    return bit(b13, 2) ? 1 : 2;
}

ItemPick R0FuncItem(const SegmentImage& image)
{
    const std::uint8_t b16 = SegA(image, 16);
    if (bit(b16, 0))
        return 0;
    if (bit(b16, 2))
        return 1;
    if (bit(b16, 7) && !bit(b16, 4))
        return 2;
    // No mode bit, or inching with bit 4: items the list does not have.
    return bit(b16, 7) ? 4 : 3;
}

ItemPick ARRelaySelectItem(const SegmentImage& image) { return bitItem(SegA(image, 16), 6, 0); }
ItemPick AR_TimeItem(const SegmentImage& image) { return TableItem(ARTimeTable, SegA(image, 124)); }
ItemPick R1EMSItem(const SegmentImage& image) { return bitItem(SegA(image, 13), 5, 0); }
ItemPick R0EMSItem(const SegmentImage& image) { return bitItem(SegA(image, 16), 5, 0); }

ItemPick R0R1RepFuncItem(const SegmentImage& image)
{
    if (!bit(SegA(image, 13), 7))
        return 8;
    return TableItem(InhibitDelayTable, SegB(image, 53));
}

ItemPick SwBFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 26), 7, 0); }
ItemPick SwB1FuncItem(const SegmentImage& image) { return bitItem(SegA(image, 27), 0, 0); }
ItemPick SwCFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 27), 1, 0); }
ItemPick SwC1FuncItem(const SegmentImage& image) { return bitItem(SegA(image, 27), 2, 0); }
ItemPick SwBEMSItem(const SegmentImage& image) { return bitItem(SegA(image, 121), 1, 0); }
ItemPick SwB1EMSItem(const SegmentImage& image) { return bitItem(SegA(image, 121), 2, 0); }
ItemPick SwCEMSItem(const SegmentImage& image) { return bitItem(SegA(image, 121), 3, 0); }
ItemPick SwC1EMSItem(const SegmentImage& image) { return bitItem(SegA(image, 121), 4, 0); }
ItemPick SwBABFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 18), 7, 0); }
ItemPick SwCABFuncItem(const SegmentImage& image) { return bitItem(SegA(image, 19), 6, 0); }
ItemPick InchTimeItem(const SegmentImage& image) { return InchingItem(SegA(image, 11)); }

ItemPick RelayCountItem(const SegmentImage& image, int group) { return SegA(image, RelayCountByte[group]); }
ItemPick AccDelayItem(std::uint8_t stored) { return TableItem(AccDelayTable, stored); }
ItemPick InchingItem(std::uint8_t stored) { return TableItem(InchTimeTable, stored); }

ItemPick InterLockItem(const SegmentImage& image, int group)
{
    if (!bit(SegB(image, 48), InterLockBit[group]))
        return 0;
    // Item 0 stores 0 with the bit clear: a 0 beside a set bit is none of the items.
    const ItemPick item = AccDelayItem(SegB(image, InterLockByte[group]));
    if (item == 0)
        return std::nullopt;
    return item;
}

std::vector<GridCell> RelayMaskCells(const SegmentImage& image, int group)
{
    std::vector<GridCell> cells;
    const auto byteCells = [&](int column, std::uint8_t byte, int firstRow) {
        for (int b = 0; b < 8; ++b)
            if (bit(byte, b))
                cells.push_back({column, firstRow + b});
    };
    const auto half = [&](int from, int to) {
        const int step = from <= to ? 1 : -1;
        for (int c = from; c != to + step; c += step)
            byteCells(c, SegA(image, RelayMaskLowBase + RelayPositionK[group][c]), 1);
        for (int c = from; c != to + step; c += step)
            byteCells(c, SegB(image, RelayPositionK[group][c]), 9);
    };
    half(5, 1);
    half(6, 6);
    half(7, 11);
    return cells;
}

std::string BatteryVoltageText(std::uint8_t volts, std::uint8_t hundredths)
{
    std::string text = std::to_string(volts) + ".";
    if (hundredths == 0)
        text += "00";
    else if (hundredths <= 9)
        text += "0" + std::to_string(hundredths);
    else
        text += std::to_string(hundredths);
    return text.substr(0, 4);
}

} // namespace velko
