// The simulated unit's faults as velko-unitsim takes them on its command line.
#include "fault_option.h"
#include "loader_unit.h"

#include <gtest/gtest.h>

#include <climits>

using namespace unitsim;

namespace {

struct Good {
    const char* text;
    FaultKind kind;
    Byte command;
    std::optional<Address> address;
    int skip, times;
    std::size_t keep;
    Bytes stray;
};

TEST(FaultOption, ReadsKindCommandAddressAndSettings)
{
    const Bytes defaultStray = Fault{FaultKind::NoAnswer, 0, std::nullopt}.stray;
    // clang-format off
    const Good cases[] = {
        {"no-answer:write@1080",               FaultKind::NoAnswer,        0x12, 0x1080, 0, 1,       0,  defaultStray},
        {"refuse:erase@0x1000",                FaultKind::Refuse,          0x16, 0x1000, 0, 1,       0,  defaultStray},
        {"cut-short:read@ff60,keep=40,skip=1", FaultKind::CutShort,        0x14, 0xFF60, 1, 1,       40, defaultStray},
        {"wrong-check-bytes:read,times=3",     FaultKind::WrongCheckBytes, 0x14, {},     0, 3,       0,  defaultStray},
        {"wrong-data:read@1000,times=all",     FaultKind::WrongData,       0x14, 0x1000, 0, INT_MAX, 0,  defaultStray},
        {"stray-bytes:sync,bytes=A5FF00",      FaultKind::StrayBytes,      0x80, {},     0, 1,       0,  {0xA5, 0xFF, 0x00}},
        {"port-vanishes:version",              FaultKind::PortVanishes,    0x1E, {},     0, 1,       0,  defaultStray},
        {"no-answer:password,skip=2",          FaultKind::NoAnswer,        0x10, {},     2, 1,       0,  defaultStray},
        {"no-answer:1a",                       FaultKind::NoAnswer,        0x1A, {},     0, 1,       0,  defaultStray},
        {"refuse:mass-erase",                  FaultKind::Refuse,          0x18, {},     0, 1,       0,  defaultStray},
        {"refuse:load-pc@0220",                FaultKind::Refuse,          0x1A, 0x0220, 0, 1,       0,  defaultStray},
    };
    // clang-format on
    for (const Good& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto fault = ParseFault(c.text, error);
        ASSERT_TRUE(fault) << error;
        EXPECT_EQ(fault->kind, c.kind);
        EXPECT_EQ(fault->command, c.command);
        EXPECT_EQ(fault->address, c.address);
        EXPECT_EQ(fault->skip, c.skip);
        EXPECT_EQ(fault->times, c.times);
        EXPECT_EQ(fault->keep, c.keep);
        EXPECT_EQ(fault->stray, c.stray);
    }
}

TEST(FaultOption, SaysWhatIsWrong)
{
    const std::pair<const char*, const char*> cases[] = {
        {"no-answer", "no ':'"},
        {"lost:write", "unknown fault"},
        {"no-answer:flash", "unknown command"},
        {"no-answer:write@", "not hexadecimal"},
        {"no-answer:write@10000", "not hexadecimal"},
        {"no-answer:write@10x0", "not hexadecimal"},
        {"no-answer:sync@1080", "no address"},
        {"no-answer:write,times=0", "strike nothing"},
        {"no-answer:write,times=-1", "whole number"},
        {"no-answer:write,skip=", "whole number"},
        {"no-answer:write,keep=3", "cut-short only"},
        {"no-answer:write,bytes=00", "stray-bytes only"},
        {"stray-bytes:write,bytes=0", "pairs of hexadecimal"},
        {"stray-bytes:write,bytes=zz", "pairs of hexadecimal"},
        {"no-answer:write,often", "unknown setting"},
    };
    for (const auto& [text, says] : cases) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(ParseFault(text, error));
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
}

} // namespace
