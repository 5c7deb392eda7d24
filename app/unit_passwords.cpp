#include "unit_passwords.h"

namespace velko {
namespace {

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

} // namespace

// Keys, switches and joysticks on the ports, the radio on the USART, firmware from 0xE000.
const PasswordTable TxPasswordTable = vectorTable({0xE2A4, 0xE2A4, 0xE3F0, 0xE412, 0xE2A4, 0xE45C, 0xE4A8, 0xE4C6,
                                                   0xE51A, 0xE560, 0xE5A2, 0xE2A4, 0xE5D8, 0xE604, 0xE2A4, 0xE000});

// Relay drivers on timer B, the radio on the USART, firmware from 0xC000.
const PasswordTable RxPasswordTable = vectorTable({0xC3B6, 0xC3B6, 0xC3B6, 0xC41E, 0xC3B6, 0xC3B6, 0xC48A, 0xC4D2,
                                                   0xC53C, 0xC588, 0xC5F4, 0xC3B6, 0xC640, 0xC6A2, 0xC3B6, 0xC000});

} // namespace velko
