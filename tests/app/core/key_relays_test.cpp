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

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, KeyRelayNumberingTest,
    ::testing::Values(
        // R0 normal, R1 latching, both switches in full use, the action relay: all seven.
        NumberingCase{.name = "SevenRelays", .mask = 0xF781, .r0Byte = 0x61,
                      .relays = {R0, R1, Sw1A, Sw1B, Sw2A, Sw2B, AR}, .width = 336},
        NumberingCase{.name = "R0InchingTakesNone", .mask = 0xF781, .r0Byte = 0xC0,
                      .relays = {R1, Sw1A, Sw1B, Sw2A, Sw2B, AR}, .width = 294},
        NumberingCase{.name = "OnlyR0", .mask = 0x7000, .r0Byte = 0x21, .relays = {R0}, .width = 84},
        NumberingCase{.name = "NothingInUse", .mask = 0x6000, .r0Byte = 0x00, .relays = {}, .width = 42},
        NumberingCase{.name = "ZeroMask", .mask = 0x0000, .r0Byte = 0x00, .relays = {}, .width = 42},
        NumberingCase{.name = "R0InchingAlone", .mask = 0x7000, .r0Byte = 0x80, .relays = {}, .width = 42},
        // 0x90 is no R0 item: R0 is not inching and keeps its relay.
        NumberingCase{.name = "R0ByteWithoutItem", .mask = 0x1000, .r0Byte = 0x90, .relays = {R0}, .width = 84},
        NumberingCase{.name = "InchingBitWithBit4", .mask = 0x1000, .r0Byte = 0xB0, .relays = {R0}, .width = 84},
        NumberingCase{.name = "ActionRelayStaysLast", .mask = 0x9001, .r0Byte = 0x44, .relays = {R0, R1, AR},
                      .width = 168},
        NumberingCase{.name = "SwitchBPositionsOnly", .mask = 0x0500, .r0Byte = 0x00, .relays = {Sw1B, Sw2B},
                      .width = 126},
        // Bits 1-6 of a loaded image take numbers but name no key; 11, 13, 14 never count.
        NumberingCase{.name = "BitsOneToSix", .mask = 0x107F, .r0Byte = 0x01,
                      .relays = {R0, R1, NoKey, NoKey, NoKey, NoKey, NoKey, NoKey}, .width = 378},
        NumberingCase{.name = "BitsThatNeverCount", .mask = 0x6800, .r0Byte = 0x00, .relays = {}, .width = 42},
        NumberingCase{.name = "EveryBit", .mask = 0xFFFF, .r0Byte = 0x01,
                      .relays = {R0, R1, NoKey, NoKey, NoKey, NoKey, NoKey, NoKey, Sw1A, Sw1B, Sw2A, Sw2B, AR},
                      .width = 588}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

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
