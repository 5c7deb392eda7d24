// The library's process-wide state.
#pragma once

#include "platform/serial.h"

#include <cstddef>

namespace fenlo {

inline constexpr std::size_t RxBufferSize = 256;

// The open serial port, or null.
extern platform::SerialPort* PortHandle;
// Bytes of the last reply, a 0 byte right behind them.
extern unsigned char RxBuffer[RxBufferSize + 1];
// How many bytes the last wait took into RxBuffer (0 after a send): a reply whose tail is
// zeros and one the time-out cut short look alike in the buffer itself.
extern std::size_t RxTaken;
// Set by the version query: the unit's loader needs the patch program.
extern unsigned char PatchRequired;
// What ProgressCounter and ProgressMax report.
extern int ProgressDone;
extern int ProgressTotal;

} // namespace fenlo
