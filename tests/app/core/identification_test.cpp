// Identification fields: zero fill, the fold into the image, check bytes, and the digits shown.
#include "conversion.h"
#include "fenlo.h"
#include "identification.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velko;

namespace {

using Record = std::array<std::uint8_t, RecordBytes>;

std::vector<std::uint8_t> bytesA(const SegmentImage& image, int from, int to)
{
    return {image[SegmentARow].begin() + from, image[SegmentARow].begin() + to + 1};
}

std::vector<std::uint8_t> bytesB(const SegmentImage& image, int from, int to)
{
    return {image[SegmentBRow].begin() + from, image[SegmentBRow].begin() + to + 1};
}

} // namespace

TEST(ZeroFill, PadsShortTextsToSixAndLeavesLongerOnes)
{
    struct Case {
        const char* positions;
        const char* filled;
    };
    for (const Case& c : {Case{"123", "000123"}, Case{"", "000000"}, Case{"  12 ", "000012"}, Case{"1 3", "0001 3"},
                          Case{"123456", "123456"}, Case{"EE12345", "EE12345"}})
        EXPECT_EQ(ZeroFilled(c.positions), c.filled) << c.positions;
}

struct FoldCase {
    const char* name;
    IdentificationTexts texts;
    std::vector<std::uint8_t> idBytes;     // Segment A 2-7
    std::vector<std::uint8_t> serialBytes; // Segment B 96-98
    std::vector<std::uint8_t> dateBytes;   // Segment B 100-102
};

void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.name; }

class Fold : public ::testing::TestWithParam<FoldCase> {};

TEST_P(Fold, WritesTheFieldsBytes)
{
    const FoldCase& c = GetParam();
    SegmentImage image{};
    FoldIdentification(c.texts, image);
    EXPECT_EQ(bytesA(image, 2, 7), c.idBytes);
    EXPECT_EQ(bytesB(image, 96, 98), c.serialBytes);
    EXPECT_EQ(bytesB(image, 100, 102), c.dateBytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, Fold,
                         ::testing::Values(FoldCase{"ZeroFilledDigits",
                                                    {"37000123", "37123456", "2005/08/12"},
                                                    {0x00, 0x00, 0x00, 0x0F, 0x33, 0x3C},
                                                    {0x12, 0x34, 0x56},
                                                    {0x05, 0x08, 0x12}},
                                           FoldCase{"HexLetters",
                                                    {"37ABCDEF", "37ABCDEF", "2099/12/31"},
                                                    {0xA5, 0xAA, 0xC3, 0xCC, 0xF0, 0xFF},
                                                    {0xAB, 0xCD, 0xEF},
                                                    {0x99, 0x12, 0x31}},
                                           FoldCase{"LongIdTakesTheSixAfterThePrefix",
                                                    {"37EE12345", "37000000", "2000/01/01"},
                                                    {0xF0, 0xF0, 0x0F, 0x33, 0x3C, 0x55},
                                                    {0, 0, 0},
                                                    {0x00, 0x01, 0x01}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Fold, AFieldThatIsNotHexadecimalStopsWithTheConversionMessage)
{
    struct Case {
        IdentificationTexts texts;
        const char* message;
    };
    for (const Case& c : {Case{{"37000123", "37      ", "2005/08/12"}, "'0x  ' is not a valid integer value"},
                          Case{{"371 3    ", "37123456", "2005/08/12"}, "'0x' is not a valid integer value"},
                          Case{{"37000123", "3712G456", "2005/08/12"}, "'0xG4' is not a valid integer value"}}) {
        SegmentImage image{};
        try {
            FoldIdentification(c.texts, image);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.message().toStdString(), c.message);
        }
    }

    SegmentImage image{};
    SegB(image, 96) = 0x77;
    EXPECT_THROW(FoldIdentification({"37000123", "37      ", "2005/08/12"}, image), ConversionError);
    EXPECT_EQ(bytesA(image, 2, 7), (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x0F, 0x33, 0x3C}));
    EXPECT_EQ(SegB(image, 96), 0x77) << "the failing byte and those after it are not written";
}

TEST(CheckBytes, RotatedSumsOverEvenAndOddBytes)
{
    struct Case {
        std::array<std::uint8_t, 8> bytes;
        std::uint8_t even, odd;
    };
    for (const Case& c : {Case{{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}, 0x0B, 0xCA},
                          Case{{0, 1, 2, 3, 4, 5, 6, 7}, 0x18, 0x20}, Case{{}, 0x00, 0x00}}) {
        SegmentImage image{};
        for (int k = 0; k < 8; ++k)
            SegA(image, k) = c.bytes[k];
        CalculateCheckBytes(image);
        EXPECT_EQ(SegA(image, 8), c.even);
        EXPECT_EQ(SegA(image, 9), c.odd);
    }
}

TEST(ShownDigits, FromTheImageAndTheUnitsRecord)
{
    SegmentImage image{};
    for (int k = 2; k <= 7; ++k)
        SegA(image, k) = 0xFF;
    EXPECT_EQ(IdCodeDigits(image), "FFFFFF") << "an unprogrammed ID code shows as six F";
    SegA(image, 4) = 0x12;
    EXPECT_EQ(IdCodeDigits(image), "FFEEFFF") << "a byte that is no codeword shows as EE";

    SegB(image, 96) = 0xAB;
    SegB(image, 97) = 0x0D;
    SegB(image, 98) = 0xEF;
    SegB(image, 100) = 0x05;
    SegB(image, 101) = 0x08;
    SegB(image, 102) = 0x12;
    EXPECT_EQ(SerialDigitsFromImage(image), "AB0DEF");
    EXPECT_EQ(DateDigitsFromImage(image), "050812");

    Record record{};
    record.fill(0xFF);
    EXPECT_EQ(SerialDigitsFromRecord(record), "") << "an unprogrammed serial leaves the field empty";
    for (int i = 0; i < 6; ++i)
        record[RecordSerialAt + i] = DeHamming(static_cast<unsigned char>(i + 1));
    record[RecordDateAt] = 5;
    record[RecordDateAt + 1] = 8;
    record[RecordDateAt + 2] = 12;
    EXPECT_EQ(SerialDigitsFromRecord(record), "123456");
    EXPECT_EQ(DateDigitsFromRecord(record), "050812");
}

TEST(StrToInt, DecimalAndHexadecimalTexts)
{
    struct Case {
        const char* text;
        int value;
    };
    for (const Case& c : {Case{"12", 12}, Case{"-5", -5}, Case{"0x1F", 31}, Case{"0xff", 255}, Case{"$10", 16},
                          Case{"  7", 7}, Case{"0xFFFFFFFF", -1}})
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    for (const char* bad : {"", "0x", "0x  ", "1 ", "0xG", "12a", "99999999999"})
        EXPECT_THROW(StrToInt(bad), ConversionError) << bad;
}
