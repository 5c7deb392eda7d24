#include "relay_budget.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using velko::AxisCounts;
using velko::EW;
using velko::LR;
using velko::SN;
using velko::UD;

// Counts written in the order LR, UD, EW, SN, as the pages and the numbering take them.
AxisCounts counts(int lr, int ud, int ew, int sn)
{
    AxisCounts c{};
    c[LR] = lr;
    c[UD] = ud;
    c[EW] = ew;
    c[SN] = sn;
    return c;
}

struct BudgetCase {
    const char* name;
    int keys;
    AxisCounts before;
    AxisCounts after;
    int steps;      // relays removed
    long long free; // after the reduction
};

void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.name; }

class RelayBudgetTest : public ::testing::TestWithParam<BudgetCase> {};

TEST_P(RelayBudgetTest, LowersSnThenEwThenUdThenLr)
{
    const BudgetCase& c = GetParam();
    const std::vector<int> steps = velko::RelayBudgetSteps(c.keys, c.before);
    AxisCounts after = c.before;
    for (int group : steps) {
        ASSERT_GT(after[static_cast<std::size_t>(group)], 0);
        --after[static_cast<std::size_t>(group)];
    }
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(static_cast<int>(steps.size()), c.steps);
    EXPECT_EQ(velko::FreeRelays(c.keys, after), c.free);
    EXPECT_EQ(velko::AxisToLower(c.keys, after), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RelayBudgetTest,
    ::testing::Values(
        BudgetCase{"ExactlyFortyIsLeftAlone", 0, counts(10, 10, 10, 10), counts(10, 10, 10, 10), 0, 0},
        BudgetCase{"UnderBudget", 3, counts(2, 0, 1, 2), counts(2, 0, 1, 2), 0, 32},
        BudgetCase{"SeventyOneEndsWithSnZeroEwOne", 7, counts(16, 16, 16, 16), counts(16, 16, 1, 0), 31, 0},
        BudgetCase{"RaisingLrLowersSnNotLr", 0, counts(12, 10, 10, 10), counts(12, 10, 10, 8), 2, 0},
        BudgetCase{"UdBeforeLr", 10, counts(16, 16, 0, 0), counts(16, 14, 0, 0), 2, 0},
        BudgetCase{"LrLastOfAll", 30, counts(16, 2, 0, 0), counts(10, 0, 0, 0), 8, 0},
        // A loaded image: the key relays alone over the budget, the axes beyond the lists.
        BudgetCase{"KeysOverBudgetStopsAtZero", 50, counts(200, 200, 200, 200), counts(0, 0, 0, 0), 800, -10},
        BudgetCase{"NegativeCountsTakeNone", 0, counts(-1, -1, 16, 16), counts(-1, -1, 16, 16), 0, 8}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(RelayBudgetTest, EachStepIsOneRelayOfTheFirstAxisLeftInOrder)
{
    const std::vector<int> steps = velko::RelayBudgetSteps(7, counts(16, 16, 16, 16));
    ASSERT_EQ(steps.size(), 31u);
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_EQ(steps[i], SN) << i;
    for (std::size_t i = 16; i < 31; ++i)
        EXPECT_EQ(steps[i], EW) << i;
}

struct NumberingCase {
    const char* name;
    int keys;
    AxisCounts counts;
    // first number and labelled rows, LR, UD, EW, SN
    long long firstLr, firstUd, firstEw, firstSn;
    int rowsLr, rowsUd, rowsEw, rowsSn;
};

void PrintTo(const NumberingCase& c, std::ostream* os) { *os << c.name; }

class RelayRowNumberingTest : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(RelayRowNumberingTest, RunsOnFromTheKeyRelaysThroughLrUdEwSn)
{
    const NumberingCase& c = GetParam();
    const auto rows = velko::RelayRowNumbering(c.keys, c.counts);
    EXPECT_EQ(rows[LR].first, c.firstLr);
    EXPECT_EQ(rows[UD].first, c.firstUd);
    EXPECT_EQ(rows[EW].first, c.firstEw);
    EXPECT_EQ(rows[SN].first, c.firstSn);
    EXPECT_EQ(rows[LR].rows, c.rowsLr);
    EXPECT_EQ(rows[UD].rows, c.rowsUd);
    EXPECT_EQ(rows[EW].rows, c.rowsEw);
    EXPECT_EQ(rows[SN].rows, c.rowsSn);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, RelayRowNumberingTest,
    ::testing::Values(
        // LR RY4-RY5, no UD row, EW RY6, SN RY7-RY8.
        NumberingCase{.name = "ThreeKeyRelays", .keys = 3, .counts = counts(2, 0, 1, 2), .firstLr = 4, .firstUd = 6,
                      .firstEw = 6, .firstSn = 7, .rowsLr = 2, .rowsUd = 0, .rowsEw = 1, .rowsSn = 2},
        NumberingCase{.name = "NoKeysAllSixteen", .keys = 0, .counts = counts(16, 16, 16, 16), .firstLr = 1,
                      .firstUd = 17, .firstEw = 33, .firstSn = 49, .rowsLr = 16, .rowsUd = 16, .rowsEw = 16,
                      .rowsSn = 16},
        NumberingCase{.name = "NoItemCountsAsZero", .keys = 2, .counts = counts(-1, 3, -1, 1), .firstLr = 3,
                      .firstUd = 3, .firstEw = 6, .firstSn = 6, .rowsLr = 0, .rowsUd = 3, .rowsEw = 0, .rowsSn = 1},
        // Never more rows than the grid and RelayAssign have; numbers run on regardless.
        NumberingCase{.name = "MalformedCounts", .keys = 50, .counts = counts(200, 200, 0, 17), .firstLr = 51,
                      .firstUd = 251, .firstEw = 451, .firstSn = 451, .rowsLr = 16, .rowsUd = 16, .rowsEw = 0,
                      .rowsSn = 16}),
    [](const auto& c) { return std::string(c.param.name); });
// clang-format on

TEST(RelayLabelTest, RyAndTheNumberWithoutPadding)
{
    EXPECT_EQ(velko::RelayLabel(1), "RY1");
    EXPECT_EQ(velko::RelayLabel(40), "RY40");
}

} // namespace
