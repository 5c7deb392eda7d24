// Where the printed pages go on a sheet: two window pictures, one above the other, scaled to
// the sheet's printable width.
#pragma once

namespace velko {

// Edges in printer pixels; right and bottom lie just past the area.
struct SheetRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const SheetRect&) const = default;
};

struct SheetHalves {
    SheetRect upper;
    SheetRect lower;
};

// The halves of a printable area `width` x `height` printer pixels. The upper picture is 100
// pixels shorter than the lower one, and the last 100 rows (101 for an odd height) stay blank.
SheetHalves SheetHalvesOf(int width, int height);

// The part of the window each picture shows, from its top left corner: as wide as the window's
// outer width and 60 pixels less than its outer height, which under a dialog frame leaves the
// status bar off the paper. A thinner frame (or none) would cut the foot of the pages, so the
// picture always reaches down to `pagesBottom`, the lower edge of the page control.
struct SnapshotSize {
    int width = 0;
    int height = 0;
};
SnapshotSize SnapshotSizeOf(int outerWidth, int outerHeight, int pagesBottom);

inline constexpr int PrintedSheets = 3; // the six pages before the special page, two to a sheet

} // namespace velko
