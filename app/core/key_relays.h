// Which receiver relays the keys, switch positions and the action relay take: the enabled
// keys are numbered RY1, RY2, ... in a fixed order, and each keyed relay gets a one-hot word.
#pragma once

#include "settings_image.h"
#include "settings_map.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velko {

// Pixels per grid column: a 41-px cell and its 1-px line.
inline constexpr int KeyRelayColumnPixels = 42;

struct KeyRelay {
    int maskBit = 0;
    std::string name;  // "R0", "SW 1A" ...; empty for mask bits 1-6, which name no key
    int wordByte = -1; // Segment A byte of the key's word (low byte), -1 when it has none
    std::uint16_t word = 0;
};

struct KeyRelayNumbering {
    std::vector<KeyRelay> relays; // relay n is relays[n - 1]
    int count() const { return static_cast<int>(relays.size()); }
};

// An inching R0 (its inching bit set, its relay bit clear) takes no relay.
bool R0Inching(std::uint8_t r0Byte);

// Numbers the relays of the mask bits 12, 0, 1 ... 10, 15 that are set; bits 11, 13 and 14
// never take one.
KeyRelayNumbering NumberKeyRelays(std::uint16_t keyEnableMask, std::uint8_t r0Byte);
KeyRelayNumbering NumberKeyRelays(const SegmentImage& image);

// "RY" and the relay number.
std::string KeyRelayName(int number);

// Width of the key-relay grid showing `count` relays beside its fixed column.
inline int KeyRelayGridWidth(int count) { return KeyRelayColumnPixels * (count + 1); }

// Clears the key relay words, stores each keyed relay's word and the key-relay count.
void StoreKeyRelays(SegmentImage& image, const KeyRelayNumbering& numbering);

} // namespace velko
