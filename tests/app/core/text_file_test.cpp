#include "test_support.h"
#include "text_file.h"

#include <gtest/gtest.h>

namespace {

using testsupport::ReadFile;
using testsupport::ScopedWorkDir;
using testsupport::WriteFile;

TEST(TextFile, LinesEndAtCrLfLoneCrOrLoneLf)
{
    EXPECT_EQ(velko::SplitLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(velko::SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(velko::SplitLines("\n\r"), (std::vector<std::string>{"", ""}));
    EXPECT_TRUE(velko::SplitLines("").empty());
}

TEST(TextFile, ReadsCodePage950AndWritesItBackWithCrLf)
{
    ScopedWorkDir dir;
    // "設定" in code page 950, then a lone LF and a last line without an end.
    WriteFile("in.txt", "\xB3\x5D\xA9\x77\nVELKO");
    const auto lines = velko::ReadTextLines("in.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "設定");
    EXPECT_EQ(lines[1], "VELKO");

    velko::WriteTextLines("out.txt", lines);
    EXPECT_EQ(ReadFile("out.txt"), "\xB3\x5D\xA9\x77\r\nVELKO\r\n");
}

TEST(TextFile, BadBytesAndUnencodableCharactersDoNotStopTheConversion)
{
    // clang-format off
    EXPECT_EQ(velko::Cp950ToUtf8("A\xFF" "B"), "A\xEF\xBF\xBD" "B");
    EXPECT_EQ(velko::Utf8ToCp950("A\xF0\x9F\x98\x80" "B"), "A?B"); // an emoji
    // clang-format on
}

TEST(TextFile, MissingFileAndUnwritablePathAreReportedByName)
{
    ScopedWorkDir dir;
    try {
        velko::ReadTextLines("ETM.vfa");
        FAIL() << "no error";
    } catch (const velko::FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir.path() / "ETM.vfa").string());
    }
    std::filesystem::create_directory("sub");
    EXPECT_THROW(velko::ReadTextLines("sub"), velko::FileError);
    EXPECT_THROW(velko::WriteTextLines("sub", {"x"}), velko::FileError);
}

} // namespace

namespace {

// Codes and the characters they are, both ways.
struct CodeCase {
    const char* name;
    std::string bytes;
    std::string text; // UTF-8
};

void PrintTo(const CodeCase& c, std::ostream* os) { *os << c.name; }

class Cp950Code : public ::testing::TestWithParam<CodeCase> {};

TEST_P(Cp950Code, ReadsAsItsCharacterAndIsWrittenBack)
{
    const CodeCase& c = GetParam();
    EXPECT_EQ(velko::Cp950ToUtf8(c.bytes), c.text);
    EXPECT_EQ(velko::Utf8ToCp950(c.text), c.bytes);
    // Between other text too.
    EXPECT_EQ(velko::Utf8ToCp950(velko::Cp950ToUtf8("a" + c.bytes + "\xA4\x6A" + c.bytes + "z")),
              "a" + c.bytes + "\xA4\x6A" + c.bytes + "z");
}

INSTANTIATE_TEST_SUITE_P(
    TextFile, Cp950Code,
    ::testing::Values(
        // The user-defined areas, at the ends of each area, lead and trail range.
        CodeCase{"FirstAreaStart", "\xFA\x40", "\uE000"}, CodeCase{"LowTrailsEnd", "\xFA\x7E", "\uE03E"},
        CodeCase{"HighTrailsStart", "\xFA\xA1", "\uE03F"}, CodeCase{"FirstLeadEnd", "\xFA\xFE", "\uE09C"},
        CodeCase{"SecondLeadStart", "\xFB\x40", "\uE09D"}, CodeCase{"FirstAreaEnd", "\xFE\xFE", "\uE310"},
        CodeCase{"SecondAreaStart", "\x8E\x40", "\uE311"}, CodeCase{"SecondAreaEnd", "\xA0\xFE", "\uEEB7"},
        CodeCase{"ThirdAreaStart", "\x81\x40", "\uEEB8"}, CodeCase{"ThirdAreaLowTrail", "\x81\x41", "\uEEB9"},
        CodeCase{"ThirdAreaEnd", "\x8D\xFE", "\uF6B0"},
        // Codes the system's table reads as another code's character, and those codes.
        CodeCase{"SecondTen", "\xA2\xCC", "\u5341\uFE00"}, CodeCase{"Ten", "\xA4\x51", "\u5341"},
        CodeCase{"SecondThirty", "\xA2\xCE", "\u5345\uFE00"}, CodeCase{"Thirty", "\xA4\xCA", "\u5345"},
        CodeCase{"Twenty", "\xA2\xCD", "\u5344"}, CodeCase{"SecondDoubleLine", "\xF9\xF9", "\u2550\uFE00"},
        CodeCase{"DoubleLine", "\xA2\xA4", "\u2550"}, CodeCase{"SecondArc", "\xF9\xFD", "\u256F\uFE00"},
        CodeCase{"Arc", "\xA2\xA3", "\u256F"},
        // Next to the areas, the system's table.
        CodeCase{"BeforeFirstArea", "\xF9\xFE", "\u2593"}, CodeCase{"AfterSecondArea", "\xA1\x40", "\u3000"},
        CodeCase{"AfterThirdArea", "\xC6\xA1", "\uF6B1"}, CodeCase{"Euro", "\xA3\xE1", "\u20AC"},
        CodeCase{"Ascii", "Act01", "Act01"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TextFile, EveryDefinedCodeComesBackAsItWas)
{
    std::string undefined;
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail > 0x7E && trail < 0xA1)
                continue;
            const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string text = velko::Cp950ToUtf8(code);
            if (text == "\uFFFD")
                undefined += code;
            else
                ASSERT_EQ(velko::Utf8ToCp950(text), code) << std::hex << lead << trail;
        }
    // Only the row after the euro sign is empty: 0xA3C0-0xA3FE but 0xA3E1.
    std::string expected;
    for (int trail = 0xC0; trail <= 0xFE; ++trail)
        if (trail != 0xE1)
            expected += std::string{'\xA3', static_cast<char>(trail)};
    EXPECT_EQ(undefined, expected);
}

TEST(TextFile, WhatCodePage950CannotHoldIsMarked)
{
    // A code that is not there takes its trail byte with it: no stray letter shows.
    EXPECT_EQ(velko::Cp950ToUtf8("A\xA3\xC0"
                                 "B"),
              "A\uFFFD"
              "B");
    EXPECT_EQ(velko::Cp950ToUtf8("\xA4"), "\uFFFD");
    EXPECT_EQ(velko::Cp950ToUtf8("\xA4\x0D\x0A"), "\uFFFD\r\n");
    EXPECT_EQ(velko::Cp950ToUtf8("\xFA\x0D"), "\uFFFD\r");
    // A private-use character that no code has, and a selector without its character.
    EXPECT_EQ(velko::Utf8ToCp950("\uF849"), "?");
    EXPECT_EQ(velko::Utf8ToCp950("\uFE00\u2550"), "?\xA2\xA4");
    EXPECT_EQ(velko::Utf8ToCp950("\xEE\x80"), "?"); // cut short
}

TEST(TextFile, AFileThatFailsPartWayIsNotRead)
{
    ScopedWorkDir dir;
    // Reading this one fails at its first byte (EIO).
    std::filesystem::create_symlink("/proc/self/mem", "stick.txt");
    try {
        velko::ReadFileBytes("stick.txt");
        FAIL() << "no error";
    } catch (const velko::FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir.path() / "stick.txt").string());
    }
    EXPECT_THROW(velko::ReadTextLines("stick.txt"), velko::FileError);
}

TEST(TextFile, BytesAreReadAndWrittenAsTheyAre)
{
    ScopedWorkDir dir;
    const std::string bytes("\xFF\xA3\xC0\0\xFA\x40\r\x81", 8);
    velko::WriteFileBytes("raw", bytes);
    EXPECT_EQ(ReadFile("raw"), bytes);
    EXPECT_EQ(velko::ReadFileBytes("raw"), bytes);
}

} // namespace
