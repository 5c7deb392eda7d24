#include "background_gradient.h"

namespace velko {

namespace {

int channel(int start, int end, int y, float height)
{
    const float step = static_cast<float>(end - start) / height;
    const int offset = static_cast<int>(static_cast<double>(y) * static_cast<double>(step));
    return (start + offset) & 0xFF;
}

} // namespace

Rgb GradientRow(int y, float outerHeight)
{
    return {channel(255, 0, y, outerHeight), channel(255, 32, y, outerHeight), channel(255, 128, y, outerHeight)};
}

} // namespace velko
