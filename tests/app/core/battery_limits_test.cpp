#include "battery_limits.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using velko::BatteryPair;
using velko::SegmentImage;

struct BandCase {
    std::string high;
    std::string low;
    int mid;
    int half;
};

void PrintTo(const BandCase& c, std::ostream* os) { *os << c.high << "/" << c.low; }

class BatteryBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(BatteryBandTest, WordsMatchTheUnitsFigures)
{
    const BandCase& c = GetParam();
    SegmentImage image{};
    ASSERT_TRUE(velko::StoreBatteryPair(c.high, c.low, BatteryPair::Lower, image));
    EXPECT_EQ(velko::GetWord(image[velko::SegmentBRow], 120), c.mid);
    EXPECT_EQ(velko::GetWord(image[velko::SegmentBRow], 122), c.half);
}

INSTANTIATE_TEST_SUITE_P(Figures, BatteryBandTest,
                         ::testing::Values(BandCase{"5.20", "4.56", 3027, 198}, BandCase{"4.48", "3.95", 2615, 164},
                                           // exact decimals would give 273
                                           BandCase{"0.45", "0.43", 272, 6}, BandCase{"4.20", "4.00", 2543, 62},
                                           BandCase{"6.40", "0.00", 1985, 1985}, BandCase{"0.01", "0.00", 3, 3}));

TEST(StoreBatteryPair, UpperPairFillsBytes108To119Only)
{
    SegmentImage image{};
    ASSERT_TRUE(velko::StoreBatteryPair("5.20", "4.56", BatteryPair::Upper, image));
    const auto& b = image[velko::SegmentBRow];
    velko::SegmentRow expected{};
    const int bytes[] = {5, 20, 4, 56, 0, 0, 0, 0, 0xD3, 0x0B, 0xC6, 0x00};
    for (int i = 0; i < 12; ++i)
        expected[108 + i] = static_cast<std::uint8_t>(bytes[i]);
    EXPECT_EQ(b, expected);
    EXPECT_EQ(image[velko::SegmentARow], velko::SegmentRow{});
}

TEST(StoreBatteryPair, TextsNotOfTheFormDigitPointDigitDigitStoreNothing)
{
    for (const char* bad : {"", "5.2", "05.20", "5,20", "a.20", "5.2x"}) {
        SegmentImage image{};
        EXPECT_FALSE(velko::StoreBatteryPair("5.20", bad, BatteryPair::Upper, image)) << bad;
        EXPECT_FALSE(velko::StoreBatteryPair(bad, "4.56", BatteryPair::Upper, image)) << bad;
        EXPECT_EQ(image, SegmentImage{}) << bad;
    }
}

} // namespace
