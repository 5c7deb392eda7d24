#include "allocation_text.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using velko::AxisGroup;

std::array<std::uint8_t, velko::RelayAssignBytes> assignWith(int group, int relay, std::initializer_list<int> positions)
{
    std::array<std::uint8_t, velko::RelayAssignBytes> a{};
    for (int k : positions)
        a[velko::RelayAssignIndex(group, k, relay)] = 1;
    return a;
}

struct LabelCase {
    const char* name;
    int group;
    std::vector<int> positions;
    const char* label;
};

void PrintTo(const LabelCase& c, std::ostream* os) { *os << c.name; }

class AxisRelayLabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(AxisRelayLabelTest, ComposesDirectionsAndSteps)
{
    const LabelCase& c = GetParam();
    std::array<std::uint8_t, velko::RelayAssignBytes> a{};
    for (int k : c.positions)
        a[velko::RelayAssignIndex(c.group, k, 3)] = 1;
    EXPECT_EQ(velko::AxisRelayLabel(c.group, 3, a), c.label);
}

INSTANTIATE_TEST_SUITE_P(Labels, AxisRelayLabelTest,
                         ::testing::Values(LabelCase{"LR_1_2_7", velko::LR, {1, 2, 7}, "North/(5)(4),South/(1)"},
                                           LabelCase{"LR_centre", velko::LR, {6}, "Zero"},
                                           LabelCase{"LR_6_11", velko::LR, {6, 11}, "Zero,South/(5)"},
                                           LabelCase{"LR_none", velko::LR, {}, "N/A"},
                                           LabelCase{"UD_5_6_8", velko::UD, {5, 6, 8}, "West/(1),Zero,East/(2)"},
                                           LabelCase{"EW_4", velko::EW, {4}, "Up/(2)"},
                                           LabelCase{"SN_all",
                                                     velko::SN,
                                                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                                                     "Aux(Down)/(5)(4)(3)(2)(1),Zero,Aux(Up)/(1)(2)(3)(4)(5)"}));

// A template of one placeholder a line, Act01..Act40.
std::string fullTemplate()
{
    std::string t;
    for (int n = 1; n <= 40; ++n)
        t += "[" + velko::AllocationPlaceholder(n) + "]\r\n";
    return t;
}

std::string line(const std::string& text, int n)
{
    std::size_t at = 0;
    for (int i = 1; i < n; ++i)
        at = text.find("\r\n", at) + 2;
    return text.substr(at, text.find("\r\n", at) - at);
}

TEST(Allocation, PlaceholdersHaveTwoDigits)
{
    EXPECT_EQ(velko::AllocationPlaceholder(9), "Act09");
    EXPECT_EQ(velko::AllocationPlaceholder(10), "Act10");
}

TEST(Allocation, KeyRelaysComeFirstThenLrThenUd)
{
    auto a = assignWith(velko::LR, 1, {1});
    a[velko::RelayAssignIndex(velko::LR, 7, 2)] = 1;
    a[velko::RelayAssignIndex(velko::UD, 6, 1)] = 1;
    velko::AllocationInput in;
    in.keyRelayCount = 2;
    in.keyNames = {"R0", "SW 1A"};
    in.axisCounts[velko::LR] = 2;
    in.axisCounts[velko::UD] = 1;
    in.assign = &a;
    const std::string text = velko::BuildAllocationText(fullTemplate(), in);
    EXPECT_EQ(line(text, 1), "[R0]");
    EXPECT_EQ(line(text, 2), "[SW 1A]");
    EXPECT_EQ(line(text, 3), "[North/(5)]");
    EXPECT_EQ(line(text, 4), "[South/(1)]");
    EXPECT_EQ(line(text, 5), "[Zero]");
    EXPECT_EQ(line(text, 6), "[N/A]");
    EXPECT_EQ(line(text, 40), "[N/A]");
    EXPECT_EQ(text.size() - text.rfind("\r\n"), 2u) << "ends with CR LF";
}

TEST(Allocation, ALoadedMaskOfThirteenKeyRelaysNamesEveryOne)
{
    // Mask bits 1-6 take relays 3-8 without a name; the switch positions and AR follow them.
    const auto a = assignWith(velko::LR, 1, {11});
    velko::AllocationInput in;
    in.keyRelayCount = 13;
    in.keyNames = {"R0", "R1", "", "", "", "", "", "", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "AR"};
    in.axisCounts[velko::LR] = 1;
    in.assign = &a;
    const std::string text = velko::BuildAllocationText(fullTemplate(), in);
    for (int n = 1; n <= 13; ++n)
        EXPECT_EQ(line(text, n), "[" + in.keyNames[static_cast<std::size_t>(n - 1)] + "]") << n;
    EXPECT_EQ(line(text, 14), "[South/(5)]");
    EXPECT_EQ(line(text, 15), "[N/A]");
    EXPECT_EQ(text.find("Act"), std::string::npos);
}

TEST(Allocation, AStoredKeyCountAboveTheTableFillsItWithoutReadingPastTheNames)
{
    velko::AllocationInput in;
    in.keyRelayCount = 50;
    in.keyNames = {"R0", "R1"};
    const std::string text = velko::BuildAllocationText(fullTemplate() + "Act40\r\n", in);
    EXPECT_EQ(line(text, 2), "[R1]");
    EXPECT_EQ(line(text, 3), "[]");
    EXPECT_EQ(line(text, 40), "[]");
    EXPECT_EQ(line(text, 41), "Act40");
}

TEST(Allocation, RelayNumbersTenAndUpUseNoLeadingZero)
{
    const auto a = assignWith(velko::SN, 1, {6});
    velko::AllocationInput in;
    in.axisCounts[velko::LR] = 9;
    in.axisCounts[velko::SN] = 1;
    in.assign = &a;
    const std::string text = velko::BuildAllocationText(fullTemplate(), in);
    EXPECT_EQ(line(text, 9), "[N/A]");
    EXPECT_EQ(line(text, 10), "[Zero]");
}

TEST(Allocation, OnlyTheFirstOccurrenceOfAnAssignedPlaceholderIsReplaced)
{
    const auto a = assignWith(velko::LR, 1, {6});
    velko::AllocationInput in;
    in.axisCounts[velko::LR] = 1;
    in.assign = &a;
    EXPECT_EQ(velko::BuildAllocationText("Act01 Act01 act02\r\n", in), "Zero Act01 act02\r\n");
}

TEST(Allocation, UnassignedNumbersTurnToNaElevenTimesAtMost)
{
    std::string tmpl;
    for (int i = 0; i < 12; ++i)
        tmpl += "Act40 ";
    velko::AllocationInput in;
    std::string expected;
    for (int i = 0; i < 11; ++i)
        expected += "N/A ";
    EXPECT_EQ(velko::BuildAllocationText(tmpl, in), expected + "Act40 ");
}

TEST(Allocation, FortyRelaysLeaveNoPlaceForNa)
{
    velko::AllocationInput in;
    in.keyRelayCount = 7;
    in.keyNames = {"R0", "R1", "SW 1A", "SW 1B", "SW 2A", "SW 2B", "AR"};
    in.axisCounts = {16, 16, 1, 0}; // UD, LR, EW, SN
    std::array<std::uint8_t, velko::RelayAssignBytes> none{};
    in.assign = &none;
    const std::string text = velko::BuildAllocationText(fullTemplate() + "Act40\r\n", in);
    EXPECT_EQ(line(text, 7), "[AR]");
    // Every axis relay without a position reads N/A by its label, and the second Act40 stays.
    EXPECT_EQ(line(text, 40), "[N/A]");
    EXPECT_EQ(line(text, 41), "Act40");
}

TEST(Allocation, StoredCountsBeyondTheTableNeverReadPastIt)
{
    std::array<std::uint8_t, velko::RelayAssignBytes> all;
    all.fill(1);
    velko::AllocationInput in;
    in.axisCounts[velko::SN] = 200;
    in.assign = &all;
    const std::string text = velko::BuildAllocationText(fullTemplate(), in);
    EXPECT_EQ(line(text, 16), "[Aux(Down)/(5)(4)(3)(2)(1),Zero,Aux(Up)/(1)(2)(3)(4)(5)]");
    EXPECT_EQ(line(text, 17), "[N/A]");
}

} // namespace
