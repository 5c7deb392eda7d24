#include "image_decode.h"

namespace velko {

std::vector<GridCell> RelayMaskCells(const SegmentImage& image, int group)
{
    std::vector<GridCell> cells;
    const auto byteCells = [&](int column, std::uint8_t byte, int firstRow) {
        for (int b = 0; b < 8; ++b)
            if (((byte >> b) & 1u) != 0)
                cells.push_back({column, firstRow + b});
    };
    const auto half = [&](int from, int to) {
        const int step = from <= to ? 1 : -1;
        for (int c = from; c != to + step; c += step)
            byteCells(c, At(image, RelayMaskLow(group, c)), 1);
        for (int c = from; c != to + step; c += step)
            byteCells(c, At(image, RelayMaskHigh(group, c)), 9);
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
