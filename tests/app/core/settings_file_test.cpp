// The settings file without a window: the lines a save writes, the two blocks an open takes
// back, and the customer record's parser.
#include "settings_file.h"
#include "text_file.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace velko;
using namespace std::string_literals;

namespace {

// Segment B byte k = k, Segment A byte k = 0x80 + k: every byte tells where it came from.
SegmentImage patternImage()
{
    SegmentImage image{};
    for (int k = 0; k < SegmentBytes; ++k) {
        SegB(image, k) = static_cast<std::uint8_t>(k);
        SegA(image, k) = static_cast<std::uint8_t>(0x80 + k);
    }
    return image;
}

std::string fileBytes(const SegmentImage& image, const CustomerRecord& customer)
{
    return Utf8ToCp950(JoinLines(SettingsFileLines(image, customer)));
}

// The fixed part of a file holding patternImage(), as the format spells it out.
const std::string PatternFixedPart = "INFOB\r\n"
                                     "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n"
                                     "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F\r\n"
                                     "20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F\r\n"
                                     "30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F\r\n"
                                     "40 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F\r\n"
                                     "50 51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F\r\n"
                                     "60 61 62 63 64 65 66 67 68 69 6A 6B 6C 6D 6E 6F\r\n"
                                     "70 71 72 73 74 75 76 77 78 79 7A 7B 7C 7D 7E 7F\r\n"
                                     "INFOA\r\n"
                                     "80 81 82 83 84 85 86 87 88 89 8A 8B 8C 8D 8E 8F\r\n"
                                     "90 91 92 93 94 95 96 97 98 99 9A 9B 9C 9D 9E 9F\r\n"
                                     "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF\r\n"
                                     "B0 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA BB BC BD BE BF\r\n"
                                     "C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 CA CB CC CD CE CF\r\n"
                                     "D0 D1 D2 D3 D4 D5 D6 D7 D8 D9 DA DB DC DD DE DF\r\n"
                                     "E0 E1 E2 E3 E4 E5 E6 E7 E8 E9 EA EB EC ED EE EF\r\n"
                                     "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF\r\n"
                                     "q\r\n";

const std::string EmptyRecord = "Customer No:\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\n"
                                "Company E-Mail:\r\nCompany Address:\r\nContect Man:\r\nContect Tel:\r\n"
                                "Contect Mobile:\r\nContect E-mail:\r\nRemark:\r\nChanel:\r\nFrequency:\r\nEnd\r\n";

} // namespace

TEST(SettingsFileSave, FixedPartIs801BytesOfBothSegmentsInUpperCaseHex)
{
    const std::string bytes = fileBytes(patternImage(), {});
    ASSERT_GE(bytes.size(), 801u);
    EXPECT_EQ(PatternFixedPart.size(), 801u);
    EXPECT_EQ(bytes.substr(0, 801), PatternFixedPart);
    const auto lines = SettingsFileLines(patternImage(), {});
    EXPECT_EQ(lines[1], "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");  // Segment B 0-15
    EXPECT_EQ(lines[17], "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF"); // Segment A 112-127
}

TEST(SettingsFileSave, EmptyCustomerPageGivesTheThirteenLabelsAlone)
{
    EXPECT_EQ(fileBytes(patternImage(), {}), PatternFixedPart + EmptyRecord);
}

TEST(SettingsFileSave, MemoLinesBecomeFileLinesAndChineseIsCp950)
{
    CustomerRecord c;
    c[0] = "C-001";
    c[1] = "公司";          // cp950 A4 BD A5 71
    c[5] = "No. 5\nRoad 7"; // two memo lines
    c[10] = "line\n";       // a memo ending in a line break gives one more, empty, line
    c[12] = "433.92";
    const std::string bytes = fileBytes(SegmentImage{}, c);
    EXPECT_EQ(bytes.substr(801), "Customer No:C-001\r\n"
                                 "Company Name:\xA4\xBD\xA5\x71\r\n"
                                 "Company Fax No:\r\nCompany Tel:\r\nCompany E-Mail:\r\n"
                                 "Company Address:No. 5\r\nRoad 7\r\n"
                                 "Contect Man:\r\nContect Tel:\r\nContect Mobile:\r\nContect E-mail:\r\n"
                                 "Remark:line\r\n\r\n"
                                 "Chanel:\r\nFrequency:433.92\r\nEnd\r\n");
}

TEST(SettingsFileSave, FieldsThatCp950CannotHoldAreNamed)
{
    CustomerRecord c;
    c[1] = "公司 Ltd. €";
    c[5] = "第一行\n第二行";
    EXPECT_EQ(FieldOutsideCp950(c), std::nullopt);
    c[6] = "Straße";            // no ß in code page 950
    c[11] = "\xF0\x9F\x98\x80"; // an emoji
    EXPECT_EQ(FieldOutsideCp950(c), 6);
    c[6].clear();
    EXPECT_EQ(FieldOutsideCp950(c), 11);
}

TEST(SettingsFileOpen, TextEndsAtTheFirstNulAndEveryLineGetsCrLf)
{
    EXPECT_EQ(SettingsFileText("a\r\nb"), "a\r\nb\r\n");
    EXPECT_EQ(SettingsFileText("a\rb\nc\r\n"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(SettingsFileText("a\r\n\r\n\n\r"), "a\r\n\r\n\r\n\r\n");
    EXPECT_EQ(SettingsFileText("a\nb\0c\nd"s), "a\r\nb\r\n");
    EXPECT_EQ(SettingsFileText("a\n\0b\nc"s), "a\r\n");
    EXPECT_EQ(SettingsFileText("\0a"s), "");
    EXPECT_EQ(SettingsFileText(""), "");
    // Each line of the text as the lines of the file are joined.
    for (const char* text : {"x\r\r\ny\n", "\n", "\r\n\r", "INFOB\r\n00\rq"})
        EXPECT_EQ(SettingsFileText(text), JoinLines(SplitLines(text))) << text;
}

struct ArrangeCase {
    const char* name;
    std::string text;
    bool accepted;
    std::string rest; // what ArrangeSet returns
};

void PrintTo(const ArrangeCase& c, std::ostream* os) { *os << c.name; }

class Arrange : public ::testing::TestWithParam<ArrangeCase> {};

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string lowerHex(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'F')
            ch = static_cast<char>(ch - 'A' + 'a');
    return replaced(replaced(text, "INfOb", "INFOB"), "INfOa", "INFOA");
}

const std::string Blocks = PatternFixedPart.substr(0, 801 - 3); // without "q"
const std::string ShortLine = replaced(Blocks, "30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F\r\n",
                                       "30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E\r\n");

} // namespace

TEST_P(Arrange, TakesBothBlocksOrLeavesTheImageAlone)
{
    const ArrangeCase& c = GetParam();
    SegmentImage image{};
    image[0].fill(0x5A);
    image[1].fill(0xA5);
    const SegmentImage before = image;
    const auto rest = ArrangeSet(c.text, image);
    ASSERT_EQ(rest.has_value(), c.accepted);
    if (c.accepted) {
        EXPECT_EQ(image, patternImage());
        EXPECT_EQ(*rest, c.rest);
    } else {
        EXPECT_EQ(image, before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsTexts, Arrange,
    ::testing::Values(ArrangeCase{"OurOwnFile", PatternFixedPart + EmptyRecord, true, "\r\nq\r\n" + EmptyRecord},
                      ArrangeCase{"LowerCaseDigits", lowerHex(PatternFixedPart) + "End\r\n", true, "\r\nq\r\nEnd\r\n"},
                      ArrangeCase{"LoneLfLineEnds", replaced(PatternFixedPart, "\r\n", "\n"), true, "\nq\n"},
                      ArrangeCase{"LoneCrLineEnds", replaced(PatternFixedPart, "\r\n", "\r"), true, "\rq\r"},
                      ArrangeCase{"TrailingBlanks", replaced(Blocks, "\r\n", " \r\n"), true, "\r\n"},
                      ArrangeCase{"EndsAtTheLastByteLine", Blocks.substr(0, Blocks.size() - 2), true, ""},
                      ArrangeCase{"Empty", "", false, ""},
                      ArrangeCase{"TextFile", "Dear customer,\r\nyour unit is ready.\r\n", false, ""},
                      ArrangeCase{"BinaryFile",
                                  std::string("\x7F"
                                              "ELF\x02\x01\x01\0\0\0\xFF\xFE\r\n\x80",
                                              15),
                                  false, ""},
                      ArrangeCase{"ShortLine", ShortLine, false, ""},
                      ArrangeCase{"SeventeenPairs", replaced(Blocks, "0E 0F\r\n", "0E 0F 10\r\n"), false, ""},
                      ArrangeCase{"ThreeDigits", replaced(Blocks, " 0A ", " 0AB "), false, ""},
                      ArrangeCase{"NotHex", replaced(Blocks, " 0A ", " 0G "), false, ""},
                      ArrangeCase{"PairsNotSeparated", replaced(Blocks, "0E 0F", "0E0F"), false, ""},
                      ArrangeCase{"MissingInfoA", replaced(Blocks, "INFOA\r\n", ""), false, ""},
                      ArrangeCase{"InfoBNotFirst", "\r\n" + Blocks, false, ""},
                      ArrangeCase{"SevenLinesInA", Blocks.substr(0, Blocks.size() - 49), false, ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(SettingsFileOpen, CustomerRecordStartsAfterSeventeenCharacters)
{
    EXPECT_EQ(CustomerRecordText("\r\nq\r\nCustomer No:C-1\r\nEnd"), "C-1\r\nEnd");
    EXPECT_EQ(CustomerRecordText("\r\nq\r\nCustomer No:"), "");
    EXPECT_EQ(CustomerRecordText("\r\nq\r\n"), "");
    // A character is a character, however many bytes it takes.
    EXPECT_EQ(CustomerRecordText("一二三四五六七八九十一二三四五六七甲"), "甲");
}

struct ParseCase {
    const char* name;
    std::string text; // from the customer number's value on
    std::vector<std::string> values;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class CustomerParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CustomerParse, FillsTheFieldsReached) { EXPECT_EQ(ParseCustomerRecord(GetParam().text), GetParam().values); }

namespace {

const std::vector<std::string> ThirteenEmpty(13);

std::vector<std::string> withValues(std::vector<std::pair<int, std::string>> set, std::size_t size = 13)
{
    std::vector<std::string> v(size);
    for (auto& [i, s] : set)
        v[static_cast<std::size_t>(i)] = s;
    return v;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Records, CustomerParse,
    ::testing::Values(
        ParseCase{"AllEmpty", EmptyRecord.substr(12), ThirteenEmpty},
        ParseCase{"TwoMemoLinesComeBackWithoutTheSavesLineBreak",
                  replaced(EmptyRecord.substr(12), "Company Address:\r\n", "Company Address:No. 5\r\nRoad 7\r\n"),
                  withValues({{5, "No. 5\r\nRoad 7"}})},
        ParseCase{"MemoEndingInAnEmptyLineKeepsIt", replaced(EmptyRecord.substr(12), "Remark:\r\n", "Remark:a\r\n\r\n"),
                  withValues({{10, "a\r\n"}})},
        ParseCase{
            "EveryField",
            "C-1\r\nCompany Name:Co\r\nCompany Fax No:Fax\r\nCompany Tel:Tel\r\nCompany E-Mail:Mail\r\n"
            "Company Address:Addr\r\nContect Man:Man\r\nContect Tel:CT\r\n"
            "Contect Mobile:Mob\r\nContect E-mail:CM\r\nRemark:R1\r\nR2\r\nChanel:7\r\nFrequency:433.92\r\nEnd\r\n",
            {"C-1", "Co", "Fax", "Tel", "Mail", "Addr", "Man", "CT", "Mob", "CM", "R1\r\nR2", "7", "433.92"}},
        ParseCase{"LabelInsideAValueEndsIt",
                  replaced(EmptyRecord.substr(12), "Company Name:\r\nCompany Fax No:\r\n",
                           "Company Name:ACME Company Fax No:123\r\n"),
                  withValues({{1, "ACME "}, {2, "123"}})},
        ParseCase{"TextEndsBeforeEnd",
                  "C-1\r\nCompany Name:ACME\r\nCompany Fax No:12\r\n34\r\n",
                  {"C-1", "ACME", "1234"}},
        ParseCase{"MemoCutShortKeepsItsLineBreaks",
                  "C\r\nCompany Name:\r\nCompany Fax No:\r\nCompany Tel:\r\n"
                  "Company E-Mail:\r\nCompany Address:a\r\nb\r\n",
                  withValues({{0, "C"}, {5, "a\r\nb\r\n"}}, 6)},
        ParseCase{"TextEndsRightAfterALabel", "C-1\r\nCompany Name:", {"C-1", ""}},
        ParseCase{"MissingLabelTakesAllTheRest", "C-1\r\nCompany Fax No:9\r\nEnd\r\n", {"C-1Company Fax No:9End"}},
        ParseCase{"LabelOutOfOrder", "C-1\r\nCompany Fax No:9\r\nCompany Name:X\r\n", {"C-1Company Fax No:9", "X"}},
        ParseCase{"LabelsAreCaseSensitive", "C-1\r\ncompany name:X\r\nCompany Name:Y\r\n", {"C-1company name:X", "Y"}},
        ParseCase{"NothingAfterEndIsRead", EmptyRecord.substr(12) + "Customer No:again\r\n", ThirteenEmpty}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(SettingsFile, SavedRecordParsesBackToWhatWasTyped)
{
    CustomerRecord c = {"C-001", "大同公司", "02-1234",  "02-5678", "a@b.tw", "台北市\n中山路 1 號\n", "王小明", "0912",
                        "0987",  "w@b.tw",   "\n第二行", "12",      "433.92"};
    const std::string text = JoinLines(SettingsFileLines(patternImage(), c));
    SegmentImage image{};
    const auto rest = ArrangeSet(text, image);
    ASSERT_TRUE(rest);
    EXPECT_EQ(image, patternImage());
    const auto values = ParseCustomerRecord(CustomerRecordText(*rest));
    ASSERT_EQ(values.size(), 13u);
    for (std::size_t i = 0; i < 13; ++i)
        EXPECT_EQ(replaced(values[i], "\r\n", "\n"), c[i]) << CustomerFields[i].label;
}
