#include "key_relays.h"

namespace velko {

namespace {

struct KeyOfBit {
    int maskBit;
    const char* name;
    int wordByte;
};

// The numbering order; bits 1-6 take a relay but belong to no key.
constexpr KeyOfBit NumberingOrder[] = {
    {MaskBitR0, "R0", R0RelayWord.k},
    {MaskBitR1, "R1", R1RelayWord.k},
    {1, "", -1},
    {2, "", -1},
    {3, "", -1},
    {4, "", -1},
    {5, "", -1},
    {6, "", -1},
    {MaskBitSw1A, "SW 1A", Sw1ARelayWord.k},
    {MaskBitSw1B, "SW 1B", Sw1BRelayWord.k},
    {MaskBitSw2A, "SW 2A", Sw2ARelayWord.k},
    {MaskBitSw2B, "SW 2B", Sw2BRelayWord.k},
    {MaskBitAR, "AR", ARRelayWord.k},
};

} // namespace

bool R0Inching(std::uint8_t r0Byte)
{
    return ((r0Byte >> R0InchingBit.bit) & 1u) != 0 && ((r0Byte >> R0InchingRelayBit.bit) & 1u) == 0;
}

KeyRelayNumbering NumberKeyRelays(std::uint16_t keyEnableMask, std::uint8_t r0Byte)
{
    std::uint16_t m = keyEnableMask;
    if (R0Inching(r0Byte))
        m = static_cast<std::uint16_t>(m & ~(1u << MaskBitR0));

    KeyRelayNumbering out;
    std::uint16_t word = 1;
    for (const KeyOfBit& key : NumberingOrder) {
        if ((m & (1u << key.maskBit)) == 0)
            continue;
        KeyRelay relay;
        relay.maskBit = key.maskBit;
        relay.name = key.name;
        relay.wordByte = key.wordByte;
        relay.word = word;
        out.relays.push_back(relay);
        word = static_cast<std::uint16_t>(word << 1);
    }
    return out;
}

KeyRelayNumbering NumberKeyRelays(const SegmentImage& image)
{
    return NumberKeyRelays(WordAt(image, KeyEnableMask), At(image, R0Field));
}

std::string KeyRelayName(int number) { return "RY" + std::to_string(number); }

void StoreKeyRelays(SegmentImage& image, const KeyRelayNumbering& numbering)
{
    for (int k = KeyRelayWordsFirst; k <= KeyRelayWordsLast; ++k)
        SegA(image, k) = 0;
    for (const KeyRelay& relay : numbering.relays) {
        if (relay.wordByte >= 0)
            PutWord(image[SegmentARow], relay.wordByte, relay.word);
    }
    SegA(image, KeyRelayCountByte) = static_cast<std::uint8_t>(numbering.count());
}

} // namespace velko
