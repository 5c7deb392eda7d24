// Check bytes and the (8,4) Hamming nibble code.
#include "fenlo.h"

#include <array>
#include <cstdint>

namespace {

// The codeword of a nibble is the XOR of one row per set bit.
constexpr std::array<std::uint8_t, 4> HammingRows = {0x0F, 0x33, 0x55, 0x96};

constexpr std::array<std::uint8_t, 16> Codewords = [] {
    std::array<std::uint8_t, 16> words{};
    for (unsigned n = 0; n < 16; ++n) {
        for (unsigned bit = 0; bit < 4; ++bit) {
            if (n & (1u << bit))
                words[n] ^= HammingRows[bit];
        }
    }
    return words;
}();
static_assert(Codewords[3] == 0x3C && Codewords[8] == 0x96 && Codewords[15] == 0xFF);

constexpr unsigned char Invalid = 0xEE;

} // namespace

FENLO_API void CheckSum(unsigned char* frame, int length)
{
    if (!frame || length < 3)
        return;
    unsigned char& even = frame[length - 2];
    unsigned char& odd = frame[length - 1];
    for (int i = 0; i < length - 2; ++i)
        (i % 2 == 0 ? even : odd) ^= frame[i];
    even = static_cast<unsigned char>(~even);
    odd = static_cast<unsigned char>(~odd);
}

FENLO_API unsigned char DeHamming(unsigned char nibble)
{
    return nibble < Codewords.size() ? Codewords[nibble] : Invalid;
}

FENLO_API unsigned char ReHamming(unsigned char codeword)
{
    for (unsigned n = 0; n < Codewords.size(); ++n) {
        if (Codewords[n] == codeword)
            return static_cast<unsigned char>(n);
    }
    return Invalid;
}
