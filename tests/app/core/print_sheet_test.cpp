#include "print_sheet.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using velko::SheetRect;

struct HalvesCase {
    int width, height;
    SheetRect upper, lower;
};

void PrintTo(const HalvesCase& c, std::ostream* os) { *os << c.width << "x" << c.height; }

class SheetHalvesTest : public ::testing::TestWithParam<HalvesCase> {};

TEST_P(SheetHalvesTest, UpperIsAHundredShorterAndTheFootStaysBlank)
{
    const HalvesCase& c = GetParam();
    const velko::SheetHalves halves = velko::SheetHalvesOf(c.width, c.height);
    EXPECT_EQ(halves.upper, c.upper);
    EXPECT_EQ(halves.lower, c.lower);
    EXPECT_EQ(halves.upper.bottom, halves.lower.top);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, SheetHalvesTest,
    ::testing::Values(HalvesCase{4800, 6600, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                      HalvesCase{4801, 6600, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                      // an odd height leaves 101 rows blank
                      HalvesCase{4800, 6601, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                      // A4 at 1200 dpi without margins
                      HalvesCase{9921, 14031, {0, 0, 9920, 6915}, {0, 6915, 9920, 13930}}));

TEST(SnapshotSize, OuterWidthAndSixtyLessThanTheOuterHeight)
{
    const velko::SnapshotSize framed = velko::SnapshotSizeOf(800, 582);
    EXPECT_EQ(framed.width, 800);
    EXPECT_EQ(framed.height, 522);
    const velko::SnapshotSize tiny = velko::SnapshotSizeOf(40, 50);
    EXPECT_EQ(tiny.width, 40);
    EXPECT_EQ(tiny.height, 0);
}

} // namespace
