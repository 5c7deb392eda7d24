// Stored window bounds: which sizes and places give a window the user can see.
#include "window_bounds.h"

#include <gtest/gtest.h>

#include <climits>

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
    for (const Case& c : {Case{{319, 198, 792, 548}, true}, Case{{1500, 100, 792, 548}, true},
                          Case{{-692, 0, 792, 548}, true}, Case{{-693, 0, 792, 548}, false},
                          Case{{1980, 0, 792, 548}, true}, Case{{1981, 0, 792, 548}, false},
                          Case{{1500, 500, 792, 548}, true}, Case{{1500, 501, 792, 548}, false},
                          Case{{100, 924, 792, 548}, true}, Case{{100, -3000, 792, 548}, false},
                          Case{{INT_MAX, INT_MAX, 792, 548}, false}, Case{{INT_MIN, INT_MIN, 792, 548}, false}})
        EXPECT_EQ(velko::ShowsOnAScreen(c.window, two), c.shows) << c.window.left << "," << c.window.top;
    EXPECT_TRUE(velko::ShowsOnAScreen({5000, 5000, 792, 548}, {})) << "no screen known: nothing to judge by";
    const Bounds largest = velko::LargestScreen(two);
    EXPECT_EQ(largest.width, 1280);
    EXPECT_EQ(largest.height, 1024);
}

} // namespace
