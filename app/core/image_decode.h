// Reading an image back into the pages: the items of the lists come from the settings map;
// here are the grid cells and the texts the loader sets from the stored bytes.
#pragma once

#include "settings_image.h"
#include "settings_map.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velko {

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
