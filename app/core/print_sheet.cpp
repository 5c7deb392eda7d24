#include "print_sheet.h"

#include <algorithm>

namespace velko {

SheetHalves SheetHalvesOf(int width, int height)
{
    const int w2 = width / 2;
    const int h2 = height / 2;
    return {{0, 0, 2 * w2, h2 - 100}, {0, h2 - 100, 2 * w2, 2 * h2 - 100}};
}

SnapshotSize SnapshotSizeOf(int outerWidth, int outerHeight, int pagesBottom)
{
    return {std::max(outerWidth, 0), std::max({outerHeight - 60, pagesBottom, 0})};
}

} // namespace velko
