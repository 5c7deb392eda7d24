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

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, RelayBudgetTest,
    ::testing::Values(
        BudgetCase{.name = "ExactlyFortyIsLeftAlone", .keys = 0, .before = counts(10, 10, 10, 10),
                   .after = counts(10, 10, 10, 10), .steps = 0, .free = 0},
        BudgetCase{.name = "UnderBudget", .keys = 3, .before = counts(2, 0, 1, 2), .after = counts(2, 0, 1, 2),
                   .steps = 0, .free = 32},
        BudgetCase{.name = "SeventyOneEndsWithSnZeroEwOne", .keys = 7, .before = counts(16, 16, 16, 16),
                   .after = counts(16, 16, 1, 0), .steps = 31, .free = 0},
        BudgetCase{.name = "RaisingLrLowersSnNotLr", .keys = 0, .before = counts(12, 10, 10, 10),
                   .after = counts(12, 10, 10, 8), .steps = 2, .free = 0},
        BudgetCase{.name = "UdBeforeLr", .keys = 10, .before = counts(16, 16, 0, 0), .after = counts(16, 14, 0, 0),
                   .steps = 2, .free = 0},
        BudgetCase{.name = "LrLastOfAll", .keys = 30, .before = counts(16, 2, 0, 0), .after = counts(10, 0, 0, 0),
                   .steps = 8, .free = 0},
        // A loaded image: the key relays alone over the budget, the axes beyond the lists.
        BudgetCase{.name = "KeysOverBudgetStopsAtZero", .keys = 50, .before = counts(200, 200, 200, 200),
                   .after = counts(0, 0, 0, 0), .steps = 800, .free = -10},
        BudgetCase{.name = "NegativeCountsTakeNone", .keys = 0, .before = counts(-1, -1, 16, 16),
                   .after = counts(-1, -1, 16, 16), .steps = 0, .free = 8}),
    [](const auto& c) { return std::string(c.param.name); });
// clang-format on

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
