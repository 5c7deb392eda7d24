#include "window_bounds.h"

#include <algorithm>
#include <cstdint>

namespace velko {

namespace {
constexpr int WindowSystemLimit = 16384; // beyond this the window system cannot make a window

// Overlap of [a, a + la) and [b, b + lb), in 64 bits: stored values may be near the int limits.
std::int64_t overlap(std::int64_t a, std::int64_t la, std::int64_t b, std::int64_t lb)
{
    return std::max<std::int64_t>(0, std::min(a + la, b + lb) - std::max(a, b));
}
} // namespace

bool UsableExtent(int stored, int designed, int largestScreen)
{
    const int limit = largestScreen > 0 ? largestScreen : WindowSystemLimit;
    return stored >= designed && stored <= limit;
}

bool UsablePlace(int stored) { return stored >= -PlaceLimit - 1 && stored <= PlaceLimit; }

Bounds LargestScreen(const std::vector<Bounds>& screens)
{
    Bounds largest;
    for (const Bounds& s : screens) {
        largest.width = std::max(largest.width, s.width);
        largest.height = std::max(largest.height, s.height);
    }
    return largest;
}

bool ShowsOnAScreen(const Bounds& window, const std::vector<Bounds>& screens)
{
    if (screens.empty())
        return true;
    return std::any_of(screens.begin(), screens.end(), [&](const Bounds& s) {
        return overlap(window.left, window.width, s.left, s.width) >= MinimumVisible
            && overlap(window.top, window.height, s.top, s.height) >= MinimumVisible;
    });
}

Bounds UsableBounds(const Bounds& stored, const Bounds& designed, const std::vector<Bounds>& screens)
{
    const Bounds largest = LargestScreen(screens);
    Bounds usable = designed;
    if (UsableExtent(stored.width, designed.width, largest.width))
        usable.width = stored.width;
    if (UsableExtent(stored.height, designed.height, largest.height))
        usable.height = stored.height;
    if (UsablePlace(stored.left) && UsablePlace(stored.top)
        && ShowsOnAScreen({stored.left, stored.top, usable.width, usable.height}, screens)) {
        usable.left = stored.left;
        usable.top = stored.top;
    }
    return usable;
}

} // namespace velko
