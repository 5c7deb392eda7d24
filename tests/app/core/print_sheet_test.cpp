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

INSTANTIATE_TEST_SUITE_P(Pages, SheetHalvesTest,
                         ::testing::Values(HalvesCase{4800, 6600, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                                           HalvesCase{4801, 6600, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                                           // an odd height leaves 101 rows blank
                                           HalvesCase{4800, 6601, {0, 0, 4800, 3200}, {0, 3200, 4800, 6500}},
                                           // A4 at 1200 dpi without margins
                                           HalvesCase{9921, 14031, {0, 0, 9920, 6915}, {0, 6915, 9920, 13930}}));

struct SnapshotCase {
    const char* name;
    int outerWidth, outerHeight, pagesBottom;
    int width, height;
};

void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.name; }

class SnapshotSizeTest : public ::testing::TestWithParam<SnapshotCase> {};

TEST_P(SnapshotSizeTest, OuterSizeLessSixtyRowsButNeverShortOfThePages)
{
    const SnapshotCase& c = GetParam();
    const velko::SnapshotSize size = velko::SnapshotSizeOf(c.outerWidth, c.outerHeight, c.pagesBottom);
    EXPECT_EQ(size.width, c.width);
    EXPECT_EQ(size.height, c.height);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Frames, SnapshotSizeTest,
                         ::testing::Values(SnapshotCase{.name = "DialogFrame", .outerWidth = 800, .outerHeight = 582,
                                                        .pagesBottom = 513, .width = 800, .height = 522},
                                           SnapshotCase{.name = "TallFrame", .outerWidth = 792, .outerHeight = 600,
                                                        .pagesBottom = 513, .width = 792, .height = 540},
                                           // no frame at all: 488 rows would cut the foot of every page
                                           SnapshotCase{.name = "NoFrame", .outerWidth = 792, .outerHeight = 548,
                                                        .pagesBottom = 513, .width = 792, .height = 513},
                                           SnapshotCase{.name = "Tiny", .outerWidth = 40, .outerHeight = 50,
                                                        .pagesBottom = 0, .width = 40, .height = 0}));
// clang-format on

} // namespace
