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
