// Stored window bounds: which sizes and places give a window the user can see.
#include "window_bounds.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>

namespace {

using velko::Bounds;

TEST(WindowBounds, ExtentsBelowTheDesignOrAboveTheLargestScreenAreRefused)
{
    struct Case {
        int stored, designed, screen;
        bool usable;
    };
    for (const Case& c : {Case{548, 548, 1024, true}, Case{700, 548, 1024, true}, Case{1024, 548, 1024, true},
                          Case{547, 548, 1024, false}, Case{0, 548, 1024, false}, Case{-1, 548, 1024, false},
                          Case{INT_MIN, 548, 1024, false}, Case{1025, 548, 1024, false},
                          Case{INT_MAX, 548, 1024, false}, Case{4000, 548, 0, true}, Case{INT_MAX, 548, 0, false}})
        EXPECT_EQ(velko::UsableExtent(c.stored, c.designed, c.screen), c.usable)
            << c.stored << " of " << c.designed << " on " << c.screen;
}

TEST(WindowBounds, AWindowMustShowOnSomeScreen)
{
    const std::vector<Bounds> two = {{0, 0, 1280, 1024}, {1280, 0, 800, 600}};
    struct Case {
        Bounds window;
        bool shows;
    };
    for (const Case& c :
         {Case{{319, 198, 792, 548}, true}, Case{{1500, 100, 792, 548}, true}, Case{{-692, 0, 792, 548}, true},
          Case{{-693, 0, 792, 548}, false}, Case{{1980, 0, 792, 548}, true}, Case{{1981, 0, 792, 548}, false},
          Case{{1500, 500, 792, 548}, true}, Case{{1500, 501, 792, 548}, false}, Case{{100, 924, 792, 548}, true},
          Case{{100, -3000, 792, 548}, false}, Case{{INT_MAX, INT_MAX, 792, 548}, false},
          Case{{INT_MIN, INT_MIN, 792, 548}, false}})
        EXPECT_EQ(velko::ShowsOnAScreen(c.window, two), c.shows) << c.window.left << "," << c.window.top;
    EXPECT_TRUE(velko::ShowsOnAScreen({5000, 5000, 792, 548}, {})) << "no screen known: nothing to judge by";
    const Bounds largest = velko::LargestScreen(two);
    EXPECT_EQ(largest.width, 1280);
    EXPECT_EQ(largest.height, 1024);
}

struct UsableBoundsCase {
    const char* name;
    Bounds stored;
    Bounds taken;
};

void PrintTo(const UsableBoundsCase& c, std::ostream* os) { *os << c.name; }

class UsableBoundsTest : public ::testing::TestWithParam<UsableBoundsCase> {};

// Values anywhere in the int range give a window inside the screens' coordinates, and the sum
// of a place and a size never leaves the int range.
TEST_P(UsableBoundsTest, TakeWhatIsUsableAndTheDesignForTheRest)
{
    const std::vector<Bounds> two = {{0, 0, 1280, 1024}, {1280, 0, 800, 600}};
    const Bounds designed = {319, 198, 792, 548};
    const UsableBoundsCase& c = GetParam();
    const Bounds taken = velko::UsableBounds(c.stored, designed, two);
    EXPECT_EQ(taken.left, c.taken.left);
    EXPECT_EQ(taken.top, c.taken.top);
    EXPECT_EQ(taken.width, c.taken.width);
    EXPECT_EQ(taken.height, c.taken.height);
    EXPECT_LE(std::int64_t{taken.left} + taken.width, INT_MAX);
    EXPECT_LE(std::int64_t{taken.top} + taken.height, INT_MAX);
}

INSTANTIATE_TEST_SUITE_P(
    Extremes, UsableBoundsTest,
    ::testing::Values(
        UsableBoundsCase{"AsStored", {100, 50, 800, 600}, {100, 50, 800, 600}},
        UsableBoundsCase{"OnTheSecondScreen", {1500, 100, 792, 548}, {1500, 100, 792, 548}},
        UsableBoundsCase{"LeftFarOff", {-5000, 50, 792, 548}, {319, 198, 792, 548}},
        UsableBoundsCase{"TopIntMaxHeightZero", {100, INT_MAX, 792, 0}, {319, 198, 792, 548}},
        UsableBoundsCase{"TopIntMaxSizesFine", {100, INT_MAX, 792, 548}, {319, 198, 792, 548}},
        UsableBoundsCase{"LeftIntMinWidthIntMax", {INT_MIN, 50, INT_MAX, 548}, {319, 198, 792, 548}},
        UsableBoundsCase{"AllIntMax", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {319, 198, 792, 548}},
        UsableBoundsCase{"AllIntMin", {INT_MIN, INT_MIN, INT_MIN, INT_MIN}, {319, 198, 792, 548}},
        UsableBoundsCase{"AllMinusOne", {-1, -1, -1, -1}, {-1, -1, 792, 548}},
        UsableBoundsCase{"AllZero", {0, 0, 0, 0}, {0, 0, 792, 548}},
        UsableBoundsCase{"PlaceAtTheCoordinateLimit", {velko::PlaceLimit, 0, 792, 548}, {319, 198, 792, 548}},
        UsableBoundsCase{"SizeOffTheScreenButPlaceFine", {100, 50, 100000, 548}, {100, 50, 792, 548}},
        // Judged at the size it will have: the stored width would have reached the screen.
        UsableBoundsCase{"ShowsOnlyAtItsStoredWidth", {-2000, 50, 2100, 548}, {319, 198, 792, 548}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(WindowBounds, PlacesOutsideTheWindowSystemsCoordinatesAreRefused)
{
    for (const int place : {0, -1, 1, velko::PlaceLimit, -velko::PlaceLimit - 1})
        EXPECT_TRUE(velko::UsablePlace(place)) << place;
    for (const int place : {velko::PlaceLimit + 1, -velko::PlaceLimit - 2, INT_MAX, INT_MIN})
        EXPECT_FALSE(velko::UsablePlace(place)) << place;
}

} // namespace
