#include "image_decode.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using velko::ItemPick;
using velko::SegmentImage;

using Decode = ItemPick (*)(const SegmentImage&);

// One stored byte: Segment 'A' or 'B', byte, value.
struct Put {
    char segment;
    int byte;
    unsigned value;
};

SegmentImage imageWith(const std::vector<Put>& puts)
{
    SegmentImage image{};
    for (const Put& p : puts) {
        auto& row = image[p.segment == 'A' ? velko::SegmentARow : velko::SegmentBRow];
        row[p.byte] = static_cast<std::uint8_t>(p.value);
    }
    return image;
}

std::string pickText(const ItemPick& p) { return p ? std::to_string(*p) : std::string("unchanged"); }

// Auto-off time V in bytes 22-25, high word first.
std::vector<Put> autoOff(std::uint32_t v, bool on = true)
{
    return {{'A', 19, on ? 0x08u : 0u},
            {'A', 22, (v >> 16) & 0xFF},
            {'A', 23, v >> 24},
            {'A', 24, v & 0xFF},
            {'A', 25, (v >> 8) & 0xFF}};
}

std::vector<Put> battCounter(std::uint32_t c, bool on = true)
{
    return {{'A', 19, on ? 0x01u : 0u},
            {'B', 124, c & 0xFF},
            {'B', 125, (c >> 8) & 0xFF},
            {'B', 126, (c >> 16) & 0xFF},
            {'B', 127, c >> 24}};
}

struct ItemCase {
    const char* name;
    Decode decode;
    std::vector<Put> bytes;
    ItemPick expected;
};

void PrintTo(const ItemCase& c, std::ostream* os) { *os << c.name; }

class StoredValueItem : public ::testing::TestWithParam<ItemCase> {};

TEST_P(StoredValueItem, SelectsTheItemOrKeepsTheList)
{
    const ItemCase& c = GetParam();
    EXPECT_EQ(pickText(c.decode(imageWith(c.bytes))), pickText(c.expected));
}

std::vector<Put> txMode(unsigned b18, unsigned time)
{
    return {{'A', 18, b18}, {'A', 28, time & 0xFF}, {'A', 29, time >> 8}};
}

INSTANTIATE_TEST_SUITE_P(
    Lists, StoredValueItem,
    ::testing::Values(
        // Transmission mode: bit 2 clear or a time of 40 is item 0, bit 3 is item 8.
        ItemCase{"TxModeBit2ClearIsItem0", velko::TxModeFuncItem, txMode(0x08, 300), 0},
        ItemCase{"TxModeTime40IsItem0EvenWithBit3", velko::TxModeFuncItem, txMode(0x0C, 40), 0},
        ItemCase{"TxModeTime15NeedsBit2Clear", velko::TxModeFuncItem, txMode(0x04, 15), std::nullopt},
        ItemCase{"TxModeBit3IsItem8", velko::TxModeFuncItem, txMode(0x0C, 255), 8},
        ItemCase{"TxModeBit3BeforeTheTimes", velko::TxModeFuncItem, txMode(0x0C, 900), 8},
        ItemCase{"TxModeTime900IsItem3", velko::TxModeFuncItem, txMode(0x04, 900), 3},
        ItemCase{"TxModeTime6000IsItem7", velko::TxModeFuncItem, txMode(0x04, 6000), 7},
        ItemCase{"TxModeNeverOffTimeWithoutBit3", velko::TxModeFuncItem, txMode(0x04, 255), std::nullopt},
        // LED pairs, tested in their order.
        ItemCase{"LedEqualPairIsItem0", velko::LEDGleamFuncItem, {{'A', 30, 0}, {'A', 31, 0}}, 0},
        ItemCase{"LedAnyEqualPair", velko::LEDGleamFuncItem, {{'A', 30, 77}, {'A', 31, 77}}, 0},
        ItemCase{"LedFirstZeroBeforeSecond75", velko::LEDGleamFuncItem, {{'A', 30, 0}, {'A', 31, 75}}, 8},
        ItemCase{"LedFirst6BeforeSecond150", velko::LEDGleamFuncItem, {{'A', 30, 6}, {'A', 31, 150}}, 1},
        ItemCase{"LedFirst20AnyOtherSecond", velko::LEDGleamFuncItem, {{'A', 30, 20}, {'A', 31, 51}}, 3},
        ItemCase{"LedNoRuleMatches", velko::LEDGleamFuncItem, {{'A', 30, 21}, {'A', 31, 51}}, std::nullopt},
        ItemCase{"PassiveTime34IsNoItem", velko::PassiveTimeFuncItem, {{'A', 10, 34}}, std::nullopt},
        ItemCase{"PassiveTime255IsItem9", velko::PassiveTimeFuncItem, {{'A', 10, 255}}, 9},
        // Auto-off: bit 3 decides first, then the times; 2000 asks for an item the list lacks.
        ItemCase{"AutoOffBit3ClearIsItem0", velko::AutoOffFuncItem, autoOff(40000, false), 0},
        ItemCase{"AutoOffTime0IsItem3", velko::AutoOffFuncItem, autoOff(0), 3},
        ItemCase{"AutoOffTime2000IsItem8", velko::AutoOffFuncItem, autoOff(2000), 8},
        ItemCase{"AutoOffTime1999IsItem3", velko::AutoOffFuncItem, autoOff(1999), 3},
        ItemCase{"AutoOffTime40000IsItem1", velko::AutoOffFuncItem, autoOff(40000), 1},
        ItemCase{"AutoOffTime40001IsItem3", velko::AutoOffFuncItem, autoOff(40001), 3},
        ItemCase{"AutoOffTime80000IsItem2", velko::AutoOffFuncItem, autoOff(80000), 2},
        ItemCase{"AutoOffTime120000IsItem3", velko::AutoOffFuncItem, autoOff(120000), 3},
        ItemCase{"AutoOffTime120001IsItem4", velko::AutoOffFuncItem, autoOff(120001), 4},
        ItemCase{"AutoOffTime480000IsItem5", velko::AutoOffFuncItem, autoOff(480000), 5},
        ItemCase{"AutoOffTime720000IsItem6", velko::AutoOffFuncItem, autoOff(720000), 6},
        ItemCase{"AutoOffTime960000IsItem7", velko::AutoOffFuncItem, autoOff(960000), 7},
        ItemCase{"AutoOffTime960001IsNoItem", velko::AutoOffFuncItem, autoOff(960001), std::nullopt},
        ItemCase{"AutoOffTimeIsUnsigned", velko::AutoOffFuncItem, autoOff(0xFFFFFFFFu), std::nullopt},
        ItemCase{"AutoOffBytesOfItem2",
                 velko::AutoOffFuncItem,
                 {{'A', 19, 8}, {'A', 22, 1}, {'A', 23, 0}, {'A', 24, 128}, {'A', 25, 56}},
                 2},
        ItemCase{"AutoOffBytesOfItem7",
                 velko::AutoOffFuncItem,
                 {{'A', 19, 8}, {'A', 22, 14}, {'A', 23, 0}, {'A', 24, 0}, {'A', 25, 166}},
                 7},
        ItemCase{"EmsCount40IsItem4", velko::EMSCounterFuncItem, {{'A', 21, 40}}, 4},
        ItemCase{"EmsCount50IsNoItem", velko::EMSCounterFuncItem, {{'A', 21, 50}}, std::nullopt},
        ItemCase{"EmsCount200IsItem19", velko::EMSCounterFuncItem, {{'A', 21, 200}}, 19},
        // Battery counter: the run of set bits from bit 0.
        ItemCase{"BattCounterOffIsItem0", velko::BattCounterFuncItem, battCounter(0x3, false), 0},
        ItemCase{"BattCounterAllOnesIsItem32", velko::BattCounterFuncItem, battCounter(0xFFFFFFFFu), 32},
        ItemCase{"BattCounterBits0And1ThenClear", velko::BattCounterFuncItem, battCounter(0xFFFFFFFBu), 2},
        ItemCase{"BattCounterBit0Clear", velko::BattCounterFuncItem, battCounter(0xFFFFFFFEu), 0},
        ItemCase{"BattCounterFive", velko::BattCounterFuncItem, battCounter(0x1F), 5},
        ItemCase{"BattCounterThirtyOne", velko::BattCounterFuncItem, battCounter(0x7FFFFFFFu), 31},
        // Keys.
        ItemCase{"R1NormalBeforeLatching", velko::R1FuncItem, {{'A', 13, 0x05}}, 0},
        ItemCase{"R1Latching", velko::R1FuncItem, {{'A', 13, 0x04}}, 1},
        ItemCase{"R1NotUsed", velko::R1FuncItem, {{'A', 13, 0xE0}}, 2},
        ItemCase{"R0Normal", velko::R0FuncItem, {{'A', 16, 0x85}}, 0},
        ItemCase{"R0Latching", velko::R0FuncItem, {{'A', 16, 0x84}}, 1},
        ItemCase{"R0Inching", velko::R0FuncItem, {{'A', 16, 0xE0}}, 2},
        ItemCase{"R0NoModeAsksItem3", velko::R0FuncItem, {{'A', 16, 0x70}}, 3},
        ItemCase{"R0InchingWithBit4AsksItem4", velko::R0FuncItem, {{'A', 16, 0x90}}, 4},
        ItemCase{"ArTime133IsItem7", velko::AR_TimeItem, {{'A', 124, 133}}, 7},
        ItemCase{"ArTime8IsNoItem", velko::AR_TimeItem, {{'A', 124, 8}}, std::nullopt},
        ItemCase{"InhibitOffIsItem8", velko::R0R1RepFuncItem, {{'A', 13, 0x00}, {'B', 53, 20}}, 8},
        ItemCase{"InhibitDelay1IsItem0", velko::R0R1RepFuncItem, {{'A', 13, 0x80}, {'B', 53, 1}}, 0},
        ItemCase{"InhibitDelay0IsNoItem", velko::R0R1RepFuncItem, {{'A', 13, 0x80}, {'B', 53, 0}}, std::nullopt},
        ItemCase{"InhibitDelay255IsItem7", velko::R0R1RepFuncItem, {{'A', 13, 0x80}, {'B', 53, 255}}, 7},
        ItemCase{"InchTime33IsItem5", velko::InchTimeItem, {{'A', 11, 33}}, 5},
        ItemCase{"InchTime4IsNoItem", velko::InchTimeItem, {{'A', 11, 4}}, std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

// The two-item lists: which byte and bit each reads, and which item a set bit selects.
struct BitCase {
    const char* name;
    Decode decode;
    char segment;
    int byte;
    int bit;
    int itemWhenSet;
};

void PrintTo(const BitCase& c, std::ostream* os) { *os << c.name; }

class BitListItem : public ::testing::TestWithParam<BitCase> {};

TEST_P(BitListItem, FollowsItsOwnBitAlone)
{
    const BitCase& c = GetParam();
    const unsigned only = 1u << c.bit;
    EXPECT_EQ(c.decode(imageWith({{c.segment, c.byte, only}})), c.itemWhenSet);
    EXPECT_EQ(c.decode(imageWith({{c.segment, c.byte, 0xFFu & ~only}})), 1 - c.itemWhenSet);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, BitListItem,
                         ::testing::Values(BitCase{.name = "DutyCycleFunc", .decode = velko::DutyCycleFuncItem,
                                                   .segment = 'A', .byte = 19, .bit = 4, .itemWhenSet = 0},
                                           BitCase{.name = "SleepEMSFunc", .decode = velko::SleepEMSFuncItem,
                                                   .segment = 'A', .byte = 18, .bit = 6, .itemWhenSet = 0},
                                           BitCase{.name = "TxRemoteFunc", .decode = velko::TxRemoteFuncItem,
                                                   .segment = 'A', .byte = 19, .bit = 2, .itemWhenSet = 0},
                                           BitCase{.name = "PassiveEMSFunc", .decode = velko::PassiveEMSFuncItem,
                                                   .segment = 'A', .byte = 18, .bit = 4, .itemWhenSet = 1},
                                           BitCase{.name = "RxRemoteFunc", .decode = velko::RxRemoteFuncItem,
                                                   .segment = 'A', .byte = 19, .bit = 1, .itemWhenSet = 0},
                                           BitCase{.name = "LowBattFunc", .decode = velko::LowBattFuncItem,
                                                   .segment = 'A', .byte = 18, .bit = 5, .itemWhenSet = 1},
                                           BitCase{.name = "LowBattEMSFunc", .decode = velko::LowBattEMSFuncItem,
                                                   .segment = 'A', .byte = 19, .bit = 7, .itemWhenSet = 0},
                                           BitCase{.name = "ARRelaySelect", .decode = velko::ARRelaySelectItem,
                                                   .segment = 'A', .byte = 16, .bit = 6, .itemWhenSet = 0},
                                           BitCase{.name = "R1EMS", .decode = velko::R1EMSItem, .segment = 'A',
                                                   .byte = 13, .bit = 5, .itemWhenSet = 0},
                                           BitCase{.name = "R0EMS", .decode = velko::R0EMSItem, .segment = 'A',
                                                   .byte = 16, .bit = 5, .itemWhenSet = 0},
                                           BitCase{.name = "SwBFunc", .decode = velko::SwBFuncItem, .segment = 'A',
                                                   .byte = 26, .bit = 7, .itemWhenSet = 0},
                                           BitCase{.name = "SwB1Func", .decode = velko::SwB1FuncItem, .segment = 'A',
                                                   .byte = 27, .bit = 0, .itemWhenSet = 0},
                                           BitCase{.name = "SwCFunc", .decode = velko::SwCFuncItem, .segment = 'A',
                                                   .byte = 27, .bit = 1, .itemWhenSet = 0},
                                           BitCase{.name = "SwC1Func", .decode = velko::SwC1FuncItem, .segment = 'A',
                                                   .byte = 27, .bit = 2, .itemWhenSet = 0},
                                           BitCase{.name = "SwBEMS", .decode = velko::SwBEMSItem, .segment = 'A',
                                                   .byte = 121, .bit = 1, .itemWhenSet = 0},
                                           BitCase{.name = "SwB1EMS", .decode = velko::SwB1EMSItem, .segment = 'A',
                                                   .byte = 121, .bit = 2, .itemWhenSet = 0},
                                           BitCase{.name = "SwCEMS", .decode = velko::SwCEMSItem, .segment = 'A',
                                                   .byte = 121, .bit = 3, .itemWhenSet = 0},
                                           BitCase{.name = "SwC1EMS", .decode = velko::SwC1EMSItem, .segment = 'A',
                                                   .byte = 121, .bit = 4, .itemWhenSet = 0},
                                           BitCase{.name = "SwBABFunc", .decode = velko::SwBABFuncItem, .segment = 'A',
                                                   .byte = 18, .bit = 7, .itemWhenSet = 0},
                                           BitCase{.name = "SwCABFunc", .decode = velko::SwCABFuncItem, .segment = 'A',
                                                   .byte = 19, .bit = 6, .itemWhenSet = 0}),
                         [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST(ImageDecode, EveryStoredTableValueMapsBackToItsOwnItem)
{
    for (std::size_t i = 0; i < velko::AccDelayTable.size(); ++i)
        EXPECT_EQ(velko::AccDelayItem(velko::AccDelayTable[i]), static_cast<int>(i));
    for (std::size_t i = 0; i < velko::InchTimeTable.size(); ++i)
        EXPECT_EQ(velko::InchingItem(velko::InchTimeTable[i]), static_cast<int>(i));
    for (std::size_t i = 0; i < velko::ARTimeTable.size(); ++i)
        EXPECT_EQ(velko::AR_TimeItem(imageWith({{'A', 124, velko::ARTimeTable[i]}})), static_cast<int>(i));
    const unsigned passive[] = {33, 40, 46, 53, 60, 66, 100, 133, 200, 255};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(velko::PassiveTimeFuncItem(imageWith({{'A', 10, passive[i]}})), i);
    const unsigned ems[] = {5, 10, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(velko::EMSCounterFuncItem(imageWith({{'A', 21, ems[i]}})), i);
    const unsigned led[9][2] = {{150, 150}, {6, 50},   {25, 50},  {20, 50}, {20, 75},
                                {20, 100},  {20, 150}, {20, 200}, {0, 150}};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(velko::LEDGleamFuncItem(imageWith({{'A', 30, led[i][0]}, {'A', 31, led[i][1]}})), i);
    const unsigned times[] = {300, 600, 900, 1200, 1800, 3000, 6000};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(velko::TxModeFuncItem(imageWith(txMode(0x04, times[i]))), i + 1);

    std::set<int> values;
    for (int v = 0; v < 256; ++v)
        if (velko::AccDelayItem(static_cast<std::uint8_t>(v)))
            values.insert(v);
    EXPECT_EQ(values.size(), 8u) << "only the table's own values are items";
}

TEST(ImageDecode, RelayCountIsTheStoredByteUnchecked)
{
    const SegmentImage image = imageWith({{'A', 38, 3}, {'A', 39, 17}, {'A', 40, 255}, {'A', 41, 16}});
    EXPECT_EQ(velko::RelayCountItem(image, velko::UD), 3);
    EXPECT_EQ(velko::RelayCountItem(image, velko::LR), 17);
    EXPECT_EQ(velko::RelayCountItem(image, velko::EW), 255);
    EXPECT_EQ(velko::RelayCountItem(image, velko::SN), 16);
}

TEST(ImageDecode, InterlockFromItsGroupsBitThenTheDelay)
{
    struct Case {
        unsigned bits;
        unsigned delay;
        ItemPick expected;
    };
    const int delayByte[] = {45, 44, 46, 47}; // UD, LR, EW, SN
    const int bitOf[] = {1, 0, 2, 3};
    for (int group = 0; group < velko::AxisGroups; ++group) {
        const unsigned own = 1u << bitOf[group];
        for (const Case& c : {Case{0x0F & ~own, 66, 0}, Case{own, 0, std::nullopt}, Case{own, 20, 1}, Case{own, 66, 3},
                              Case{own, 255, 7}, Case{0x0F, 21, std::nullopt}}) {
            const SegmentImage image = imageWith({{'B', 48, c.bits}, {'B', delayByte[group], c.delay}});
            EXPECT_EQ(pickText(velko::InterLockItem(image, group)), pickText(c.expected))
                << "group " << group << " bits " << c.bits << " delay " << c.delay;
        }
    }
}

TEST(ImageDecode, MaskCellsComeInTheLoadersOrder)
{
    // UD: column 1 is k = 10, column 5 k = 6, the centre k = 16, column 7 k = 0, column 11 k = 4.
    const SegmentImage image = imageWith({{'A', 48 + 10, 0x80}, // column 1, row 8
                                          {'B', 10, 0x01},      // column 1, row 9
                                          {'A', 48 + 6, 0x05},  // column 5, rows 1 and 3
                                          {'B', 6, 0x80},       // column 5, row 16
                                          {'A', 48 + 16, 0x02}, // centre, row 2
                                          {'B', 16, 0x01},      // centre, row 9
                                          {'A', 48 + 0, 0x01},  // column 7, row 1
                                          {'B', 4, 0x40},       // column 11, row 15
                                          {'A', 48 + 5, 0xFF},
                                          {'B', 5, 0xFF}}); // LR's centre: not UD's
    const std::vector<velko::GridCell> expected = {{5, 1}, {5, 3}, {1, 8}, {5, 16}, {1, 9},
                                                   {6, 2}, {6, 9}, {7, 1}, {11, 15}};
    EXPECT_EQ(velko::RelayMaskCells(image, velko::UD), expected);

    const std::vector<velko::GridCell> lr = velko::RelayMaskCells(image, velko::LR);
    ASSERT_EQ(lr.size(), 16u);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(lr[static_cast<std::size_t>(i)], (velko::GridCell{6, i + 1}));
}

TEST(ImageDecode, EveryMaskBitIsOneCellOnce)
{
    SegmentImage image{};
    for (auto& row : image)
        row.fill(0xFF);
    for (int group = 0; group < velko::AxisGroups; ++group) {
        const std::vector<velko::GridCell> cells = velko::RelayMaskCells(image, group);
        std::set<std::pair<int, int>> seen;
        for (const velko::GridCell& c : cells)
            EXPECT_TRUE(seen.insert({c.column, c.row}).second) << c.column << "," << c.row;
        EXPECT_EQ(cells.size(), 11u * 16u);
        EXPECT_EQ(seen.begin()->first, 1);
        EXPECT_EQ(seen.rbegin()->first, 11);
    }
}

TEST(ImageDecode, BatteryTextsFromTheStoredBytes)
{
    struct Case {
        unsigned volts, hundredths;
        const char* text;
    };
    for (const Case& c : {Case{5, 20, "5.20"}, Case{4, 5, "4.05"}, Case{3, 0, "3.00"}, Case{12, 34, "12.3"},
                          Case{0, 99, "0.99"}, Case{6, 40, "6.40"}, Case{5, 123, "5.12"}, Case{255, 0, "255."}})
        EXPECT_EQ(velko::BatteryVoltageText(static_cast<std::uint8_t>(c.volts),
                                            static_cast<std::uint8_t>(c.hundredths)),
                  c.text);
}

} // namespace
