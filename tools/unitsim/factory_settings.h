// The settings a transmitter and its receiver leave the factory with: both information
// segments byte for byte as the configuration program itself writes them, so that reading
// a preset fills every list of the settings pages and loads without changing a byte.
#pragma once

#include "sim_line.h"

#include <array>

namespace unitsim {

// Six decimal digits of a serial number or an ID code, first digit first.
using Digits = std::array<Byte, 6>;

struct Identity {
    Digits serial;
    Byte year; // 0-99, of the century 2000
    Byte month;
    Byte day;
};

// The (8,4) Hamming codeword a unit keeps for one decimal digit.
Byte DigitCodeword(Byte digit);

// A set shares its ID code and its settings; each unit keeps its own serial number and
// factory date in Segment B beside them.
inline constexpr Digits SetIdCode = {4, 8, 2, 9, 1, 3};

struct InfoSegments {
    Bytes segmentB; // 0x1000, 128 bytes
    Bytes segmentA; // 0x1080, 128 bytes
};

InfoSegments FactorySegments(const Identity& unit);

// Device bytes 0xFFD0-0xFFDB of the identification block: the serial number as codewords,
// the model tag, the factory date.
Bytes IdentificationBlock(const Identity& unit);

} // namespace unitsim
