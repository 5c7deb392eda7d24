#include "background_gradient.h"
#include "settings_image.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(SettingsImage, RelayPositionMasksUseEveryKOnce)
{
    std::set<int> seen;
    for (const auto& group : velko::RelayPositionK)
        for (int column = 1; column <= 11; ++column)
            EXPECT_TRUE(seen.insert(group[column]).second) << group[column];
    EXPECT_EQ(seen.size(), 44u);
    EXPECT_EQ(*seen.begin(), 0);
    EXPECT_EQ(*seen.rbegin(), 43);
    EXPECT_EQ(velko::RelayPositionK[velko::UD][6], 16);
    EXPECT_EQ(velko::RelayPositionK[velko::LR][6], 5);
}

TEST(SettingsImage, RelayAssignIndexFollowsTheGroupBases)
{
    EXPECT_EQ(velko::RelayAssignIndex(velko::LR, 0, 0), 204);
    EXPECT_EQ(velko::RelayAssignIndex(velko::SN, 11, 16), 612 + 11 * 17 + 16);
    EXPECT_EQ(velko::RelayAssignIndex(velko::SN, 11, 16), velko::RelayAssignBytes - 1);
}

TEST(SettingsImage, RowsAreSegmentBThenSegmentA)
{
    velko::SegmentImage image{};
    velko::SegA(image, 5) = 1;
    velko::SegB(image, 5) = 2;
    EXPECT_EQ(image[1][5], 1);
    EXPECT_EQ(image[0][5], 2);
    EXPECT_EQ(reinterpret_cast<const std::uint8_t*>(&image)[128 + 5], 1) << "one 256-byte block";
}

TEST(BackgroundGradient, SixHundredPixelWindowRowThreeHundred)
{
    const velko::Rgb c = velko::GradientRow(300, 600.0f);
    EXPECT_EQ(c.red, 128);
    EXPECT_EQ(c.green, 144);
    EXPECT_EQ(c.blue, 192);
    const velko::Rgb top = velko::GradientRow(0, 600.0f);
    EXPECT_EQ(top.red + top.green + top.blue, 3 * 255);
    const velko::Rgb bottom = velko::GradientRow(600, 600.0f);
    EXPECT_EQ(bottom.red, 0);
    EXPECT_EQ(bottom.green, 32);
    EXPECT_EQ(bottom.blue, 128);
}

} // namespace
