// The loader passwords of the two kinds of unit: the vector tables (0xFFE0..0xFFFF) of the
// transmitter's and the receiver's firmware. Never shown, saved or written to a file.
#pragma once

#include "settings_image.h"

namespace velko {

using PasswordTable = std::array<std::uint8_t, PasswordBytes>;

extern const PasswordTable TxPasswordTable;
extern const PasswordTable RxPasswordTable;

} // namespace velko
