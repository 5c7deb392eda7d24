#include "image_decode.h"
#include "settings_map.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace {

using velko::ItemPick;
using velko::SegmentImage;

// One stored byte: Segment 'A' or 'B', byte, value.
struct Put {
    char segment;
    int byte;
    unsigned value;
};

SegmentImage imageWith(const std::vector<Put>& puts, std::uint8_t fill = 0)
{
    SegmentImage image;
    for (auto& row : image)
        row.fill(fill);
    for (const Put& p : puts) {
        auto& row = image[p.segment == 'A' ? velko::SegmentARow : velko::SegmentBRow];
        row[p.byte] = static_cast<std::uint8_t>(p.value);
    }
    return image;
}

// The bytes where two images differ, as "A18=0x0c B53=0x21".
std::string differences(const SegmentImage& from, const SegmentImage& to)
{
    std::string text;
    for (int row : {velko::SegmentARow, velko::SegmentBRow})
        for (int k = 0; k < velko::SegmentBytes; ++k)
            if (from[row][k] != to[row][k]) {
                char b[24];
                std::snprintf(b, sizeof b, "%s%c%d=0x%02x", text.empty() ? "" : " ",
                              row == velko::SegmentARow ? 'A' : 'B', k, to[row][k]);
                text += b;
            }
    return text;
}

std::string pickText(const ItemPick& p) { return p ? std::to_string(*p) : std::string("unchanged"); }

using Store = std::function<void(SegmentImage&, int)>;
using Read = std::function<ItemPick(const SegmentImage&)>;

// An item stored into an image: the bytes it leaves changed, and the item read back.
struct StoreCase {
    const char* name;
    Store store;
    Read read;
    int item;
    std::vector<Put> start = {};  // over an all-zero image
    std::vector<Put> stored = {}; // what differs from `start` afterwards
    ItemPick readBack = {};
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class FieldStore : public ::testing::TestWithParam<StoreCase> {};

TEST_P(FieldStore, ChangesOnlyItsBytesAndReadsBack)
{
    const StoreCase& c = GetParam();
    const SegmentImage start = imageWith(c.start);
    SegmentImage image = start;
    c.store(image, c.item);

    SegmentImage expected = start;
    for (const Put& p : c.stored)
        expected[p.segment == 'A' ? velko::SegmentARow : velko::SegmentBRow][p.byte] =
            static_cast<std::uint8_t>(p.value);
    EXPECT_EQ(differences(start, image), differences(start, expected));
    EXPECT_EQ(pickText(c.read(image)), pickText(c.readBack));
}

Store txMode(int dutyCycleItem)
{
    return [dutyCycleItem](SegmentImage& image, int item) { velko::StoreTxModeFunc(image, item, dutyCycleItem); };
}
Store dutyCycle(int txModeItem)
{
    return [txModeItem](SegmentImage& image, int item) { velko::StoreDutyCycleFunc(image, item, txModeItem); };
}
Store relayCount(int group)
{
    return [group](SegmentImage& image, int item) { velko::StoreRelayCount(image, group, item); };
}
Read relayCountItem(int group)
{
    return [group](const SegmentImage& image) { return velko::RelayCountItem(image, group); };
}
Store interLock(int group)
{
    return [group](SegmentImage& image, int item) { velko::StoreInterLock(image, group, item); };
}
Read interLockItem(int group)
{
    return [group](const SegmentImage& image) { return velko::InterLockItem(image, group); };
}
Store openMode()
{
    return [](SegmentImage& image, int) { velko::StoreOpenModeFunc(image); };
}
Read noRead()
{
    return [](const SegmentImage&) { return ItemPick{}; };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Composite, FieldStore,
    ::testing::Values(
        // Power-on mode: the key's bit whatever was picked, the other one cleared.
        StoreCase{.name = "OpenModeFunc", .store = openMode(), .read = noRead(), .item = 0,
                  .start = {{'A', 18, 0x02}}, .stored = {{'A', 18, 0x01}}, .readBack = {}},
        // Transmission mode: bit 2 continuous, bit 3 always on, the time word in 28-29.
        StoreCase{.name = "TxModeFuncPulsedPowerSaving", .store = txMode(0), .read = velko::TxModeFuncItem,
                  .item = 0, .stored = {{'A', 28, 40}}, .readBack = 0},
        StoreCase{.name = "TxModeFuncPulsedFull", .store = txMode(1), .read = velko::TxModeFuncItem, .item = 0,
                  .stored = {{'A', 28, 15}}, .readBack = 0},
        StoreCase{.name = "TxModeFuncTimed", .store = txMode(0), .read = velko::TxModeFuncItem, .item = 3,
                  .stored = {{'A', 18, 0x04}, {'A', 28, 900 & 0xFF}, {'A', 29, 900 >> 8}}, .readBack = 3},
        StoreCase{.name = "TxModeFuncLongest", .store = txMode(0), .read = velko::TxModeFuncItem, .item = 7,
                  .stored = {{'A', 18, 0x04}, {'A', 28, 6000 & 0xFF}, {'A', 29, 6000 >> 8}}, .readBack = 7},
        StoreCase{.name = "TxModeFuncAlwaysOn", .store = txMode(0), .read = velko::TxModeFuncItem, .item = 8,
                  .start = {{'A', 29, 0x17}}, .stored = {{'A', 18, 0x0C}, {'A', 28, 255}, {'A', 29, 0}},
                  .readBack = 8},
        StoreCase{.name = "TxModeFuncNoItemKeepsTheTime", .store = txMode(0), .read = velko::TxModeFuncItem,
                  .item = -1, .start = {{'A', 18, 0x08}, {'A', 28, 0x21}}, .stored = {{'A', 18, 0x04}},
                  .readBack = {}},
        // Power saving: bit 4 of 19, and the time of a pulsed mode with it.
        StoreCase{.name = "DutyCycleFuncPulsed", .store = dutyCycle(0), .read = velko::DutyCycleFuncItem,
                  .item = 0, .start = {{'A', 18, 0x04}}, .stored = {{'A', 18, 0}, {'A', 19, 0x10}, {'A', 28, 40}},
                  .readBack = 0},
        StoreCase{.name = "DutyCycleFuncContinuous", .store = dutyCycle(3), .read = velko::DutyCycleFuncItem,
                  .item = 1, .start = {{'A', 18, 0x04}, {'A', 19, 0x10}}, .stored = {{'A', 19, 0}}, .readBack = 1},
        StoreCase{.name = "DutyCycleFuncNoItem", .store = dutyCycle(0), .read = velko::DutyCycleFuncItem,
                  .item = -1, .start = {{'A', 18, 0x04}}, .stored = {}, .readBack = 1},
        // LED flashing: on time in 30, period in 31.
        StoreCase{.name = "LEDGleamFuncAlwaysOn", .store = velko::StoreLEDGleamFunc,
                  .read = velko::LEDGleamFuncItem, .item = 0, .stored = {{'A', 30, 150}, {'A', 31, 150}},
                  .readBack = 0},
        StoreCase{.name = "LEDGleamFuncFast", .store = velko::StoreLEDGleamFunc, .read = velko::LEDGleamFuncItem,
                  .item = 3, .stored = {{'A', 30, 20}, {'A', 31, 50}}, .readBack = 3},
        StoreCase{.name = "LEDGleamFuncSlow", .store = velko::StoreLEDGleamFunc, .read = velko::LEDGleamFuncItem,
                  .item = 7, .stored = {{'A', 30, 20}, {'A', 31, 200}}, .readBack = 7},
        StoreCase{.name = "LEDGleamFuncOff", .store = velko::StoreLEDGleamFunc, .read = velko::LEDGleamFuncItem,
                  .item = 8, .stored = {{'A', 31, 150}}, .readBack = 8},
        // Auto-off: bit 3 of 19, ticks in 22-25 high word first.
        StoreCase{.name = "AutoOffFuncNever", .store = velko::StoreAutoOffFunc, .read = velko::AutoOffFuncItem,
                  .item = 0, .start = {{'A', 19, 0x08}, {'A', 22, 1}, {'A', 25, 2}},
                  .stored = {{'A', 19, 0}, {'A', 22, 0}, {'A', 25, 0}}, .readBack = 0},
        StoreCase{.name = "AutoOffFuncTime", .store = velko::StoreAutoOffFunc, .read = velko::AutoOffFuncItem,
                  .item = 4, .stored = {{'A', 19, 0x08}, {'A', 22, 0x03}, {'A', 24, 0x80}, {'A', 25, 0xA9}},
                  .readBack = 4},
        StoreCase{.name = "AutoOffFuncLongest", .store = velko::StoreAutoOffFunc, .read = velko::AutoOffFuncItem,
                  .item = 7, .stored = {{'A', 19, 0x08}, {'A', 22, 0x0E}, {'A', 24, 0x00}, {'A', 25, 0xA6}},
                  .readBack = 7},
        StoreCase{.name = "AutoOffFuncNoItemOnlyTurnsItOn", .store = velko::StoreAutoOffFunc,
                  .read = velko::AutoOffFuncItem, .item = -1, .start = {{'A', 24, 0x40}, {'A', 25, 0x9C}},
                  .stored = {{'A', 19, 0x08}}, .readBack = 1},
        // EMS repeat count in 21; no item stores 5.
        StoreCase{.name = "EMSCounterFunc", .store = velko::StoreEMSCounterFunc,
                  .read = velko::EMSCounterFuncItem, .item = 4, .stored = {{'A', 21, 40}}, .readBack = 4},
        StoreCase{.name = "EMSCounterFuncNoItem", .store = velko::StoreEMSCounterFunc,
                  .read = velko::EMSCounterFuncItem, .item = -1, .stored = {{'A', 21, 5}}, .readBack = 0},
        // Battery counter: bit 0 of 19, the count word in Segment B 124-127.
        StoreCase{.name = "BattCounterFuncOff", .store = velko::StoreBattCounterFunc,
                  .read = velko::BattCounterFuncItem, .item = 0, .start = {{'A', 19, 0x01}},
                  .stored = {{'A', 19, 0}, {'B', 124, 0xFF}, {'B', 125, 0xFF}, {'B', 126, 0xFF}, {'B', 127, 0xFF}},
                  .readBack = 0},
        StoreCase{.name = "BattCounterFuncCount", .store = velko::StoreBattCounterFunc,
                  .read = velko::BattCounterFuncItem, .item = 11,
                  .stored = {{'A', 19, 0x01}, {'B', 124, 0xFF}, {'B', 125, 0x07}}, .readBack = 11},
        StoreCase{.name = "BattCounterFuncAll", .store = velko::StoreBattCounterFunc,
                  .read = velko::BattCounterFuncItem, .item = 32,
                  .stored = {{'A', 19, 0x01}, {'B', 124, 0xFF}, {'B', 125, 0xFF}, {'B', 126, 0xFF}, {'B', 127, 0xFF}},
                  .readBack = 32},
        // R1 (byte 13, mask bit 0 in 26): the mode bits go, EMS and the inhibit stay.
        StoreCase{.name = "R1FuncNormal", .store = velko::StoreR1Func, .read = velko::R1FuncItem, .item = 0,
                  .start = {{'A', 13, 0xBF}}, .stored = {{'A', 13, 0xA1}, {'A', 26, 0x01}}, .readBack = 0},
        StoreCase{.name = "R1FuncLatching", .store = velko::StoreR1Func, .read = velko::R1FuncItem, .item = 1,
                  .stored = {{'A', 13, 0x04}, {'A', 26, 0x01}}, .readBack = 1},
        StoreCase{.name = "R1FuncNotInUse", .store = velko::StoreR1Func, .read = velko::R1FuncItem, .item = 2,
                  .start = {{'A', 13, 0x01}, {'A', 26, 0x81}}, .stored = {{'A', 13, 0}, {'A', 26, 0x80}},
                  .readBack = 2},
        // R0 (byte 16, mask bit 12 in 27): only the action relay's bit 6 stays, and mask bit 15
        // follows it.
        StoreCase{.name = "R0FuncNormal", .store = velko::StoreR0Func, .read = velko::R0FuncItem, .item = 0,
                  .start = {{'A', 16, 0xB4}, {'A', 27, 0x80}}, .stored = {{'A', 16, 0x01}, {'A', 27, 0x10}},
                  .readBack = 0},
        StoreCase{.name = "R0FuncLatchingWithTheActionRelay", .store = velko::StoreR0Func,
                  .read = velko::R0FuncItem, .item = 1, .start = {{'A', 16, 0x40}},
                  .stored = {{'A', 16, 0x44}, {'A', 27, 0x90}}, .readBack = 1},
        StoreCase{.name = "R0FuncInching", .store = velko::StoreR0Func, .read = velko::R0FuncItem, .item = 2,
                  .stored = {{'A', 16, 0x80}, {'A', 27, 0x10}}, .readBack = 2},
        // The action relay: bit 6 of 16 and mask bit 15; not in use clears its word 122-123.
        StoreCase{.name = "ARRelaySelectInUse", .store = velko::StoreARRelaySelect,
                  .read = velko::ARRelaySelectItem, .item = 0, .start = {{'A', 122, 4}},
                  .stored = {{'A', 16, 0x40}, {'A', 27, 0x80}}, .readBack = 0},
        StoreCase{.name = "ARRelaySelectNotInUse", .store = velko::StoreARRelaySelect,
                  .read = velko::ARRelaySelectItem, .item = 1,
                  .start = {{'A', 16, 0x41}, {'A', 27, 0x90}, {'A', 122, 4}, {'A', 123, 1}},
                  .stored = {{'A', 16, 0x01}, {'A', 27, 0x10}, {'A', 122, 0}, {'A', 123, 0}}, .readBack = 1},
        // The R0/R1 inhibit: bit 7 of 13, its delay in Segment B 53.
        StoreCase{.name = "R0R1RepFuncShortest", .store = velko::StoreR0R1RepFunc,
                  .read = velko::R0R1RepFuncItem, .item = 0, .stored = {{'A', 13, 0x80}, {'B', 53, 1}},
                  .readBack = 0},
        StoreCase{.name = "R0R1RepFuncDelay", .store = velko::StoreR0R1RepFunc, .read = velko::R0R1RepFuncItem,
                  .item = 5, .stored = {{'A', 13, 0x80}, {'B', 53, 133}}, .readBack = 5},
        StoreCase{.name = "R0R1RepFuncNone", .store = velko::StoreR0R1RepFunc, .read = velko::R0R1RepFuncItem,
                  .item = 8, .start = {{'A', 13, 0x85}, {'B', 53, 20}}, .stored = {{'A', 13, 0x05}, {'B', 53, 0}},
                  .readBack = 8},
        // Relay counts 38-41 by group; no item stores 0xFF.
        StoreCase{.name = "UDRelayCount", .store = relayCount(velko::UD), .read = relayCountItem(velko::UD),
                  .item = 16, .stored = {{'A', 38, 16}}, .readBack = 16},
        StoreCase{.name = "LRRelayCount", .store = relayCount(velko::LR), .read = relayCountItem(velko::LR),
                  .item = 3, .stored = {{'A', 39, 3}}, .readBack = 3},
        StoreCase{.name = "EWRelayCount", .store = relayCount(velko::EW), .read = relayCountItem(velko::EW),
                  .item = 7, .stored = {{'A', 40, 7}}, .readBack = 7},
        StoreCase{.name = "SNRelayCountNoItem", .store = relayCount(velko::SN), .read = relayCountItem(velko::SN),
                  .item = -1, .stored = {{'A', 41, 0xFF}}, .readBack = 255},
        // Interlocks: their bit of Segment B 48 and their delay byte 44-47.
        StoreCase{.name = "UD_InterLock", .store = interLock(velko::UD), .read = interLockItem(velko::UD),
                  .item = 3, .stored = {{'B', 48, 0x02}, {'B', 45, 66}}, .readBack = 3},
        StoreCase{.name = "LR_InterLock", .store = interLock(velko::LR), .read = interLockItem(velko::LR),
                  .item = 7, .stored = {{'B', 48, 0x01}, {'B', 44, 255}}, .readBack = 7},
        StoreCase{.name = "EW_InterLock", .store = interLock(velko::EW), .read = interLockItem(velko::EW),
                  .item = 1, .stored = {{'B', 48, 0x04}, {'B', 46, 20}}, .readBack = 1},
        StoreCase{.name = "SN_InterLockOff", .store = interLock(velko::SN), .read = interLockItem(velko::SN),
                  .item = 0, .start = {{'B', 48, 0x0F}, {'B', 47, 33}}, .stored = {{'B', 48, 0x07}, {'B', 47, 0}},
                  .readBack = 0},
        StoreCase{.name = "SN_InterLockNoItemOnlyTurnsItOn", .store = interLock(velko::SN),
                  .read = interLockItem(velko::SN), .item = -1, .start = {{'B', 47, 100}},
                  .stored = {{'B', 48, 0x08}}, .readBack = 4}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// A list of one bit or one table byte: where it lives, and every item of it.
struct SimpleCase {
    const char* name;
    std::variant<velko::BitListField, velko::TableListField> field;
    char segment;
    int byte;
    int bit; // -1: the whole byte
};

void PrintTo(const SimpleCase& c, std::ostream* os) { *os << c.name; }

class SimpleField : public ::testing::TestWithParam<SimpleCase> {};

TEST_P(SimpleField, LivesAtItsPlaceAndEveryItemReadsBack)
{
    const SimpleCase& c = GetParam();
    const velko::ImageByte expected = c.segment == 'A' ? velko::InSegA(c.byte) : velko::InSegB(c.byte);
    const int items = std::visit(
        [](const auto& f) {
            if constexpr (std::is_same_v<std::decay_t<decltype(f)>, velko::BitListField>)
                return 2;
            else
                return static_cast<int>(f.table.size());
        },
        c.field);
    for (const std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
        for (int item = 0; item < items; ++item) {
            SCOPED_TRACE("start " + std::to_string(fill) + ", item " + std::to_string(item));
            const SegmentImage start = imageWith({}, fill);
            SegmentImage image = start;
            std::visit([&](const auto& f) { velko::StoreItem(image, f, item); }, c.field);
            ItemPick read = std::visit([&](const auto& f) { return velko::ReadItem(image, f); }, c.field);
            EXPECT_EQ(pickText(read), pickText(item));

            // Nothing outside the field changes; a bit list changes its bit only.
            SegmentImage outside = image;
            velko::At(outside, expected) = velko::At(start, expected);
            EXPECT_EQ(differences(start, outside), "");
            if (c.bit >= 0) {
                EXPECT_EQ((velko::At(image, expected) ^ fill) & ~(1u << c.bit), 0u);
            }
        }
        // No item stores nothing.
        SegmentImage image = imageWith({}, fill);
        std::visit([&](const auto& f) { velko::StoreItem(image, f, -1); }, c.field);
        std::visit([&](const auto& f) { velko::StoreItem(image, f, items); }, c.field);
        EXPECT_EQ(differences(imageWith({}, fill), image), "");
    }
}

#define BIT_LIST(field, seg, byte, bit) \
    SimpleCase { #field, velko::field##Field, seg, byte, bit }
#define TABLE_LIST(field, seg, byte) \
    SimpleCase { #field, velko::field##Field, seg, byte, -1 }
#define LEVER(kind, direction, byte) \
    SimpleCase { #direction #kind, velko::Lever##kind##Field[velko::direction], 'A', byte, -1 }

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Lists, SimpleField,
    ::testing::Values(BIT_LIST(SleepEMSFunc, 'A', 18, 6), BIT_LIST(TxRemoteFunc, 'A', 19, 2),
                      BIT_LIST(PassiveEMSFunc, 'A', 18, 4), BIT_LIST(RxRemoteFunc, 'A', 19, 1),
                      BIT_LIST(LowBattFunc, 'A', 18, 5), BIT_LIST(LowBattEMSFunc, 'A', 19, 7),
                      BIT_LIST(R1EMS, 'A', 13, 5), BIT_LIST(R0EMS, 'A', 16, 5), BIT_LIST(SwBFunc, 'A', 26, 7),
                      BIT_LIST(SwB1Func, 'A', 27, 0), BIT_LIST(SwCFunc, 'A', 27, 1), BIT_LIST(SwC1Func, 'A', 27, 2),
                      BIT_LIST(SwBEMS, 'A', 121, 1), BIT_LIST(SwB1EMS, 'A', 121, 2), BIT_LIST(SwCEMS, 'A', 121, 3),
                      BIT_LIST(SwC1EMS, 'A', 121, 4), BIT_LIST(SwBABFunc, 'A', 18, 7),
                      BIT_LIST(SwCABFunc, 'A', 19, 6), TABLE_LIST(PassiveTimeFunc, 'A', 10),
                      TABLE_LIST(AR_Time, 'A', 124), TABLE_LIST(InchTime, 'A', 11), LEVER(AccTime, Up, 12),
                      LEVER(AccTime, Down, 17), LEVER(AccTime, Left, 20), LEVER(AccTime, Right, 32),
                      LEVER(AccTime, East, 33), LEVER(AccTime, West, 34), LEVER(AccTime, South, 35),
                      LEVER(AccTime, North, 36), LEVER(InchTime, Up, 43), LEVER(InchTime, Down, 44),
                      LEVER(InchTime, Left, 45), LEVER(InchTime, Right, 46), LEVER(InchTime, East, 47),
                      LEVER(InchTime, West, 118), LEVER(InchTime, South, 119), LEVER(InchTime, North, 120)),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// A grid click's bit is the cell the loader clicks back for it.
TEST(RelayMaskBit, EveryCellIsReadBackAsItself)
{
    for (int group = 0; group < velko::AxisGroups; ++group)
        for (int column = 1; column <= 11; ++column)
            for (int row = 1; row <= 16; ++row) {
                SCOPED_TRACE(std::to_string(group) + "/" + std::to_string(column) + "/" + std::to_string(row));
                SegmentImage image{};
                velko::PutBit(image, velko::RelayMaskBit(group, column, row), true);
                const std::vector<velko::GridCell> cells = velko::RelayMaskCells(image, group);
                ASSERT_EQ(cells.size(), 1u);
                EXPECT_EQ(cells[0], (velko::GridCell{column, row}));
                velko::ClearRelayMasks(image, group);
                EXPECT_EQ(differences(SegmentImage{}, image), "");
            }
}

TEST(RelayMaskBit, LowRelaysInSegmentAHighOnesInSegmentB)
{
    // UD's column 7 is mask 0 (Segment A 48), its column 1 mask 10 (Segment B 10).
    SegmentImage image{};
    velko::PutBit(image, velko::RelayMaskBit(velko::UD, 7, 3), true);
    velko::PutBit(image, velko::RelayMaskBit(velko::UD, 1, 16), true);
    EXPECT_EQ(differences(SegmentImage{}, image), "A48=0x04 B10=0x80");
}

TEST(StartUpKeyBytes, ClearWhatStartUpOwnsAndKeepTheRest)
{
    SegmentImage image = imageWith({}, 0xFF);
    velko::StoreStartUpKeyBytes(image);
    EXPECT_EQ(differences(imageWith({}, 0xFF), image),
              "A13=0x00 A14=0x00 A15=0x00 A19=0xdf A26=0x81 A27=0xf7 A92=0x00 A93=0x00 A102=0x00 A103=0x00 "
              "A106=0x00 A107=0x00 A108=0x00 A109=0x00 A110=0x00 A111=0x00 A112=0x00 A113=0x00 A114=0x00 "
              "A115=0x00");
}

TEST(RelayCounts, CopyTheKeyRelayCountAndTheFourAxes)
{
    const SegmentImage from = imageWith({}, 0x5A);
    SegmentImage to{};
    velko::CopyRelayCounts(to, from);
    EXPECT_EQ(differences(SegmentImage{}, to), "A37=0x5a A38=0x5a A39=0x5a A40=0x5a A41=0x5a");
}

} // namespace
