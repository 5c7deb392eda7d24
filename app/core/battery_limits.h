// The two battery bands of Segment B: typed voltages and their window in ADC counts.
#pragma once

#include "settings_image.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace velko {

enum class BatteryPair { Upper, Lower };

// The voltage divider in front of the converter; both resistors of equal value.
inline constexpr float DividerR1 = 220.0f;
inline constexpr float DividerR2 = 220.0f;

struct BatteryWords {
    std::uint16_t mid = 0;  // centre of the band
    std::uint16_t half = 0; // half-width of the band
};

// The voltage of a four-character "d.dd" text, as the single-precision value the unit's
// counts are made from; nothing for any other text.
std::optional<float> BatteryVoltage(std::string_view text);

// Mid and half word of a band in counts of the 12-bit, 3.3 V converter. Single-precision
// steps and double-precision products: a value near a whole count may land one lower than
// exact decimal arithmetic, and the units were calibrated against these figures.
BatteryWords BatteryBandWords(float high, float low);

// Stores a pair's typed voltages and its two words into Segment B of `image` (the pair's
// BatteryVoltsField bytes and its band words). Both texts must be of the form
// "d.dd"; otherwise nothing is stored and the result is false.
bool StoreBatteryPair(std::string_view high, std::string_view low, BatteryPair pair, SegmentImage& image = EditImage);

} // namespace velko
