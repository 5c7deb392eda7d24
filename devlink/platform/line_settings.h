// The line settings of the loader link, applied to a terminal's settings.
#pragma once

#include <termios.h>

namespace fenlo::platform {

// 9600 baud, 8 data bits, even parity, one stop bit, binary (no software flow control);
// hardware flow control, line states and special characters stay as they were.
void applyLineSettings(termios& tio);

} // namespace fenlo::platform
