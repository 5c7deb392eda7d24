#include "key_relays.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

struct Keyed {
    std::string name; // "" for a relay that names no key
    int wordByte;     // -1: none
};

struct NumberingCase {
    const char* name;
    std::uint16_t mask;
    std::uint8_t r0Byte;
    std::vector<Keyed> relays; // RY1, RY2 ... in order
    int width;
};

void PrintTo(const NumberingCase& c, std::ostream* os) { *os << c.name; }

class KeyRelayNumberingTest : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(KeyRelayNumberingTest, NumbersWordsCountAndWidth)
{
    const NumberingCase& c = GetParam();
    velko::SegmentImage image{};
    // Words of earlier numberings and the neighbours of the word range.
    for (int k = 90; k <= 125; ++k)
        velko::SegA(image, k) = 0xEE;
    velko::PutWord(image[velko::SegmentARow], velko::KeyEnableMaskByte, c.mask);
    velko::SegA(image, 16) = c.r0Byte;
    const velko::SegmentImage before = image;

    const velko::KeyRelayNumbering n = velko::NumberKeyRelays(image);
    ASSERT_EQ(n.count(), static_cast<int>(c.relays.size()));
    velko::SegmentImage expected = before;
    for (int k = velko::KeyRelayWordsFirst; k <= velko::KeyRelayWordsLast; ++k)
        velko::SegA(expected, k) = 0;
    for (std::size_t i = 0; i < c.relays.size(); ++i) {
        EXPECT_EQ(n.relays[i].name, c.relays[i].name) << "RY" << i + 1;
        EXPECT_EQ(n.relays[i].wordByte, c.relays[i].wordByte) << "RY" << i + 1;
        EXPECT_EQ(n.relays[i].word, 1u << i) << "RY" << i + 1;
        if (c.relays[i].wordByte >= 0)
            velko::PutWord(expected[velko::SegmentARow], c.relays[i].wordByte, static_cast<std::uint16_t>(1u << i));
    }
    velko::SegA(expected, velko::KeyRelayCountByte) = static_cast<std::uint8_t>(c.relays.size());
    EXPECT_EQ(velko::KeyRelayGridWidth(n.count()), c.width);

    velko::StoreKeyRelays(image, n);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < velko::SegmentBytes; ++k)
            EXPECT_EQ(image[row][k], expected[row][k]) << (row ? "A " : "B ") << k;
}

const Keyed R0{"R0", 104}, R1{"R1", 116}, Sw1A{"SW 1A", 94}, Sw1B{"SW 1B", 96}, Sw2A{"SW 2A", 98}, Sw2B{"SW 2B", 100},
    AR{"AR", 122}, NoKey{"", -1};

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyRelayNumberingTest,
    ::testing::Values(
        // R0 normal, R1 latching, both switches in full use, the action relay: all seven.
        NumberingCase{"SevenRelays", 0xF781, 0x61, {R0, R1, Sw1A, Sw1B, Sw2A, Sw2B, AR}, 336},
        NumberingCase{"R0InchingTakesNone", 0xF781, 0xC0, {R1, Sw1A, Sw1B, Sw2A, Sw2B, AR}, 294},
        NumberingCase{"OnlyR0", 0x7000, 0x21, {R0}, 84}, NumberingCase{"NothingInUse", 0x6000, 0x00, {}, 42},
        NumberingCase{"ZeroMask", 0x0000, 0x00, {}, 42}, NumberingCase{"R0InchingAlone", 0x7000, 0x80, {}, 42},
        // 0x90 is no R0 item: R0 is not inching and keeps its relay.
        NumberingCase{"R0ByteWithoutItem", 0x1000, 0x90, {R0}, 84},
        NumberingCase{"InchingBitWithBit4", 0x1000, 0xB0, {R0}, 84},
        NumberingCase{"ActionRelayStaysLast", 0x9001, 0x44, {R0, R1, AR}, 168},
        NumberingCase{"SwitchBPositionsOnly", 0x0500, 0x00, {Sw1B, Sw2B}, 126},
        // Bits 1-6 of a loaded image take numbers but name no key; 11, 13, 14 never count.
        NumberingCase{"BitsOneToSix", 0x107F, 0x01, {R0, R1, NoKey, NoKey, NoKey, NoKey, NoKey, NoKey}, 378},
        NumberingCase{"BitsThatNeverCount", 0x6800, 0x00, {}, 42},
        NumberingCase{"EveryBit",
                      0xFFFF,
                      0x01,
                      {R0, R1, NoKey, NoKey, NoKey, NoKey, NoKey, NoKey, Sw1A, Sw1B, Sw2A, Sw2B, AR},
                      588}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(KeyRelays, WordsOfThirteenRelaysStayOneHot)
{
    const velko::KeyRelayNumbering n = velko::NumberKeyRelays(0xFFFF, 0x01);
    ASSERT_EQ(n.count(), 13);
    velko::SegmentImage image{};
    velko::StoreKeyRelays(image, n);
    // AR is relay 13: its word is bit 12, in the byte pair outside the cleared range.
    EXPECT_EQ(velko::GetWord(image[velko::SegmentARow], 122), 0x1000);
    EXPECT_EQ(velko::GetWord(image[velko::SegmentARow], 100), 0x0800);
    EXPECT_EQ(velko::SegA(image, velko::KeyRelayCountByte), 13);
}

TEST(KeyRelays, NamesOfTheRelays)
{
    EXPECT_EQ(velko::KeyRelayName(1), "RY1");
    EXPECT_EQ(velko::KeyRelayName(13), "RY13");
}

} // namespace
