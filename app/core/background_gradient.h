// The main window's background: white at the top, fading to dark blue at its outer height.
#pragma once

namespace velko {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Colour of row y of a window `outerHeight` pixels high (rows past it wrap round).
Rgb GradientRow(int y, float outerHeight);

inline constexpr int GradientRows = 1025; // rows 0..1024
inline constexpr int GradientWidth = 1280;

} // namespace velko
