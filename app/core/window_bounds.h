// Whether stored window bounds give a window the user can see and use.
#pragma once

#include <vector>

namespace velko {

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// How much of the window must show on one screen for the user to see it and drag it back.
inline constexpr int MinimumVisible = 100;

// A stored width or height: no smaller than the window is made for, no larger than the
// largest screen (with no screen known, no larger than the window system allows).
bool UsableExtent(int stored, int designed, int largestScreen);

// The window system keeps a window's place in 16-bit coordinates: a stored place outside them
// is on no screen, and is refused before it takes part in any arithmetic.
inline constexpr int PlaceLimit = 32767;
bool UsablePlace(int stored);

// The largest width and height among the screens (0 and 0 when there is none).
Bounds LargestScreen(const std::vector<Bounds>& screens);

// True when some screen shows at least MinimumVisible pixels of the window both ways, or
// when no screen is known.
bool ShowsOnAScreen(const Bounds& window, const std::vector<Bounds>& screens);

// The bounds a window made as `designed` takes from `stored`: each usable stored size, else the
// designed one; the stored place when both its values are usable and the window shows there
// on a screen, else the designed place. Any int values are safe.
Bounds UsableBounds(const Bounds& stored, const Bounds& designed, const std::vector<Bounds>& screens);

} // namespace velko
