// The loader passwords of the two kinds of unit: the vector tables (0xFFE0..0xFFFF) of the
// transmitter's and the receiver's firmware. Never shown, saved or written to a file.
// The simulated unit's presets carry the same tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velko {

using PasswordTable = std::array<std::uint8_t, 32>;

namespace detail {
// Sixteen little-endian vectors, 0xFFE0 first; the last one is the reset vector.
constexpr PasswordTable vectorTable(const std::array<std::uint16_t, 16>& vectors)
{
    PasswordTable table{};
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        table[2 * i] = static_cast<std::uint8_t>(vectors[i] & 0xFF);
        table[2 * i + 1] = static_cast<std::uint8_t>(vectors[i] >> 8);
    }
    return table;
}
} // namespace detail

// Keys, switches and joysticks on the ports, the radio on the USART, firmware from 0xC000.
inline constexpr PasswordTable TxPasswordTable =
    detail::vectorTable({0xC2A4, 0xC2A4, 0xC3F0, 0xC412, 0xC2A4, 0xC45C, 0xC4A8, 0xC4C6, 0xC51A, 0xC560, 0xC5A2, 0xC2A4,
                         0xC5D8, 0xC604, 0xC2A4, 0xC000});

// Relay drivers on timer B, the radio on the USART, firmware from 0xE000.
inline constexpr PasswordTable RxPasswordTable =
    detail::vectorTable({0xE3B6, 0xE3B6, 0xE3B6, 0xE41E, 0xE3B6, 0xE3B6, 0xE48A, 0xE4D2, 0xE53C, 0xE588, 0xE5F4, 0xE3B6,
                         0xE640, 0xE6A2, 0xE3B6, 0xE000});

} // namespace velko
