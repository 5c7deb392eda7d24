#include "conversion.h"
#include "limit_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace {

using velko::BatteryEdit;
using velko::EditColour;
using Gap = velko::GapVerdict::Action;

// --- gap edits ---------------------------------------------------------------------------

struct GapCase {
    const char16_t* text;
    Gap action;
    int value;             // for Store
    const char16_t* error; // conversion error message, or nullptr
};

void PrintTo(const GapCase& c, std::ostream* os) { *os << '"' << QString::fromUtf16(c.text).toStdString() << '"'; }

class GapRuleTest : public ::testing::TestWithParam<GapCase> {};

TEST_P(GapRuleTest, GivesTheVerdictOfItsText)
{
    const GapCase& c = GetParam();
    const QString text = QString::fromUtf16(c.text);
    if (c.error) {
        try {
            velko::GapRule(text);
            FAIL() << "no conversion error";
        } catch (const velko::ConversionError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf16(c.error));
        }
        return;
    }
    const velko::GapVerdict v = velko::GapRule(text);
    EXPECT_EQ(v.action, c.action);
    if (c.action == Gap::Store) {
        EXPECT_EQ(v.value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GapRuleTest,
    ::testing::Values(GapCase{u"2", Gap::Store, 2, nullptr}, GapCase{u"25", Gap::Store, 25, nullptr},
                      GapCase{u"255", Gap::Store, 255, nullptr}, GapCase{u"0", Gap::Store, 0, nullptr},
                      GapCase{u"007", Gap::Store, 7, nullptr}, GapCase{u"  7", Gap::Store, 7, nullptr},
                      GapCase{u"\t7\n", Gap::Store, 7, nullptr}, GapCase{u"+9", Gap::Store, 9, nullptr},
                      // above 255, and a fourth character of any kind: emptied, no message
                      GapCase{u"256", Gap::Clear, 0, nullptr}, GapCase{u"999", Gap::Clear, 0, nullptr},
                      GapCase{u"2555", Gap::Clear, 0, nullptr}, GapCase{u"255a", Gap::Clear, 0, nullptr},
                      GapCase{u"    ", Gap::Clear, 0, nullptr}, GapCase{u"12345678", Gap::Clear, 0, nullptr},
                      // negative values are out of the byte's range too
                      GapCase{u"-1", Gap::Clear, 0, nullptr}, GapCase{u"-99", Gap::Clear, 0, nullptr},
                      GapCase{u"-0", Gap::Store, 0, nullptr},
                      // empty or blanks only: nothing
                      GapCase{u"", Gap::Nothing, 0, nullptr}, GapCase{u"   ", Gap::Nothing, 0, nullptr},
                      // short texts that are no decimal integer: the trimmed text in the message
                      GapCase{u"a", Gap::Nothing, 0, u"'a' is not a valid integer value"},
                      GapCase{u"-", Gap::Nothing, 0, u"'-' is not a valid integer value"},
                      GapCase{u" 1a", Gap::Nothing, 0, u"'1a' is not a valid integer value"},
                      GapCase{u"1 2", Gap::Nothing, 0, u"'1 2' is not a valid integer value"},
                      GapCase{u"$FF", Gap::Nothing, 0, u"'$FF' is not a valid integer value"},
                      GapCase{u"２", Gap::Nothing, 0, u"'２' is not a valid integer value"}));

// --- duty edits --------------------------------------------------------------------------

struct DutyCase {
    char16_t key;
    const char16_t* text;
    bool drop;
    const char16_t* message; // nullptr: none
    bool clear;
    EditColour colour;
    int value; // -1: nothing stored
};

void PrintTo(const DutyCase& c, std::ostream* os)
{
    *os << "key " << int(c.key) << " on \"" << QString::fromUtf16(c.text).toStdString() << '"';
}

class DutyRuleTest : public ::testing::TestWithParam<DutyCase> {};

TEST_P(DutyRuleTest, GivesTheVerdictOfItsKey)
{
    const DutyCase& c = GetParam();
    const velko::DutyVerdict v = velko::DutyRule(QChar(c.key), QString::fromUtf16(c.text));
    EXPECT_EQ(v.dropKey, c.drop);
    EXPECT_EQ(v.message, c.message ? QString::fromUtf16(c.message) : QString());
    EXPECT_EQ(v.clear, c.clear);
    EXPECT_EQ(v.colour, c.colour);
    EXPECT_EQ(v.value ? int(*v.value) : -1, c.value);
}

constexpr char16_t Enter = u'\r';
constexpr char16_t Back = u'\b';

// clang-format off
INSTANTIATE_TEST_SUITE_P(Keys, DutyRuleTest,
                         ::testing::Values(
                             // digits pass and change nothing
                             DutyCase{.key = u'0', .text = u"", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = u'9', .text = u"12", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Keep, .value = -1},
                             // anything else is dropped, told, emptied and reset
                             DutyCase{.key = u'a', .text = u"12", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u' ', .text = u"12", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u'.', .text = u"", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u'\x1b', .text = u"1", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u'\n', .text = u"1", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u'中', .text = u"1", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             DutyCase{.key = u'２', .text = u"1", .drop = true, .message = u"請輸入0~9", .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             // Backspace erases the whole entry, keeps the byte, goes on
                             DutyCase{.key = Back, .text = u"123", .drop = false, .message = nullptr, .clear = true,
                                      .colour = EditColour::Window, .value = -1},
                             // Enter
                             DutyCase{.key = Enter, .text = u"", .drop = true, .message = u"請輸入0~255", .clear = true,
                                      .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = Enter, .text = u"012", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Taken, .value = 12},
                             DutyCase{.key = Enter, .text = u"0", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Taken, .value = 0},
                             DutyCase{.key = Enter, .text = u"255", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Taken, .value = 255},
                             DutyCase{.key = Enter, .text = u" 7 ", .drop = false, .message = nullptr, .clear = false,
                                      .colour = EditColour::Taken, .value = 7},
                             // above 255 (or pasted below 0): refused like an empty entry, the byte kept
                             DutyCase{.key = Enter, .text = u"256", .drop = true, .message = u"請輸入0~255", .clear = true,
                                      .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = Enter, .text = u"300", .drop = true, .message = u"請輸入0~255", .clear = true,
                                      .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = Enter, .text = u"0004000", .drop = true, .message = u"請輸入0~255",
                                      .clear = true, .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = Enter, .text = u"99999999999999999999", .drop = true,
                                      .message = u"請輸入0~255", .clear = true, .colour = EditColour::Keep, .value = -1},
                             DutyCase{.key = Enter, .text = u"-5", .drop = true, .message = u"請輸入0~255", .clear = true,
                                      .colour = EditColour::Keep, .value = -1}));
// clang-format on

TEST(DutyRule, EnterOnPastedTextThatIsNoNumberIsAConversionError)
{
    for (const char16_t* text : {u"1a", u"  ", u"0x10", u"- 1"}) {
        const QString t = QString::fromUtf16(text);
        try {
            velko::DutyRule(QChar(Enter), t);
            ADD_FAILURE() << t.toStdString();
        } catch (const velko::ConversionError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(velko::TrimBlanks(t)));
        }
    }
}

// --- battery edits -----------------------------------------------------------------------

struct BatteryCase {
    BatteryEdit edit;
    char16_t key;
    const char16_t* text;
    const char16_t* partner;
    const char16_t* message;
    bool clear;
    EditColour colour;
    bool clearPartner;
    EditColour partnerColour;
    bool store;
};

const char* name(BatteryEdit e)
{
    switch (e) {
    case BatteryEdit::BattUp: return "BattUp";
    case BatteryEdit::BattUp1: return "BattUp1";
    case BatteryEdit::BattDown: return "BattDown";
    case BatteryEdit::BattDown1: break;
    }
    return "BattDown1";
}

void PrintTo(const BatteryCase& c, std::ostream* os)
{
    *os << name(c.edit) << " key " << int(c.key) << " on \"" << QString::fromUtf16(c.text).toStdString()
        << "\" partner \"" << QString::fromUtf16(c.partner).toStdString() << '"';
}

class BatteryRuleTest : public ::testing::TestWithParam<BatteryCase> {};

TEST_P(BatteryRuleTest, GivesTheVerdictOfItsKey)
{
    const BatteryCase& c = GetParam();
    const velko::BatteryVerdict v =
        velko::BatteryRule(c.edit, QChar(c.key), QString::fromUtf16(c.text), QString::fromUtf16(c.partner));
    EXPECT_EQ(v.message, c.message ? QString::fromUtf16(c.message) : QString());
    EXPECT_EQ(v.clear, c.clear);
    EXPECT_EQ(v.colour, c.colour);
    EXPECT_EQ(v.clearPartner, c.clearPartner);
    EXPECT_EQ(v.partnerColour, c.partnerColour);
    EXPECT_EQ(v.storePair, c.store);
}

constexpr auto Up = BatteryEdit::BattUp;
constexpr auto Up1 = BatteryEdit::BattUp1;
constexpr auto Down = BatteryEdit::BattDown;
constexpr auto Down1 = BatteryEdit::BattDown1;
constexpr auto Keep = EditColour::Keep;
constexpr auto Window = EditColour::Window;
constexpr auto Taken = EditColour::Taken;
constexpr const char16_t* Lower = u"請輸入0.xx~6.40";
constexpr const char16_t* Caps = u"請輸入0.XX~6.40";
constexpr const char16_t* Order = u"電池電壓上限值不可小於下限值,請重新設定";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, BatteryRuleTest,
    ::testing::Values(
        // any character but Enter and Backspace passes untested
        BatteryCase{.edit = Up, .key = u'x', .text = u"5.2", .partner = u"4.56", .message = nullptr, .clear = false,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = u' ', .text = u"", .partner = u"", .message = nullptr, .clear = false,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        // Backspace: erased and reset, the image kept
        BatteryCase{.edit = Up1, .key = Back, .text = u"4.56", .partner = u"5.20", .message = nullptr, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 1. empty: nothing
        BatteryCase{.edit = Up, .key = Enter, .text = u"", .partner = u"4.56", .message = nullptr, .clear = false,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 2. wrong length: each edit its own message, colour kept
        BatteryCase{.edit = Up, .key = Enter, .text = u"5.2", .partner = u"4.56", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"05.20", .partner = u"5.20", .message = Caps, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down, .key = Enter, .text = u"5.2", .partner = u"3.95", .message = Caps, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"3.9", .partner = u"4.48", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"05.20", .partner = u"", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 3. wrong form, before the limit: one message for all four, reset
        BatteryCase{.edit = Up, .key = Enter, .text = u"5,20", .partner = u"4.56", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"a.20", .partner = u"5.20", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down, .key = Enter, .text = u"5.2x", .partner = u"3.95", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"9x99", .partner = u"4.48", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up, .key = Enter, .text = u" 5.2", .partner = u"4.56", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up, .key = Enter, .text = u"５.20", .partner = u"4.56", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 4. above 6.40: only BattUp is reset
        BatteryCase{.edit = Up, .key = Enter, .text = u"6.41", .partner = u"4.56", .message = Lower, .clear = true,
                    .colour = Window, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"6.41", .partner = u"6.50", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down, .key = Enter, .text = u"9.99", .partner = u"3.95", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"7.00", .partner = u"", .message = Lower, .clear = true,
                    .colour = Keep, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 5. the pair's order, tested before the partner's emptiness matters; equal refused too
        BatteryCase{.edit = Up, .key = Enter, .text = u"6.40", .partner = u"4.56", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = true},
        BatteryCase{.edit = Up, .key = Enter, .text = u"4.56", .partner = u"4.56", .message = Order, .clear = true,
                    .colour = Window, .clearPartner = true, .partnerColour = Window, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"4.56", .partner = u"4.56", .message = Order, .clear = true,
                    .colour = Window, .clearPartner = true, .partnerColour = Window, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"5.30", .partner = u"5.20", .message = Order, .clear = true,
                    .colour = Window, .clearPartner = true, .partnerColour = Window, .store = false},
        BatteryCase{.edit = Down, .key = Enter, .text = u"3.00", .partner = u"3.95", .message = Order, .clear = true,
                    .colour = Window, .clearPartner = true, .partnerColour = Window, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"4.49", .partner = u"4.48", .message = Order, .clear = true,
                    .colour = Window, .clearPartner = true, .partnerColour = Window, .store = false},
        // 6. empty partner, and a partner typed without Enter that is no "d.dd": taken, not stored
        BatteryCase{.edit = Up, .key = Enter, .text = u"5.00", .partner = u"", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"3.00", .partner = u"", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up, .key = Enter, .text = u"5.00", .partner = u"4.5", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Up1, .key = Enter, .text = u"4.00", .partner = u"5,00", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = false},
        BatteryCase{.edit = Down, .key = Enter, .text = u"4.00", .partner = u"x.95", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = false},
        // 7. stored; the partner's colour is not touched
        BatteryCase{.edit = Up1, .key = Enter, .text = u"0.00", .partner = u"6.40", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = true},
        BatteryCase{.edit = Down, .key = Enter, .text = u"0.01", .partner = u"0.00", .message = nullptr, .clear = false,
                    .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = true},
        BatteryCase{.edit = Down1, .key = Enter, .text = u"3.95", .partner = u"4.48", .message = nullptr,
                    .clear = false, .colour = Taken, .clearPartner = false, .partnerColour = Keep, .store = true}));
// clang-format on

TEST(BatteryEditTraits, PairsRolesAndPartners)
{
    EXPECT_EQ(velko::BatteryTraits(Up).partner, Up1);
    EXPECT_EQ(velko::BatteryTraits(Up1).partner, Up);
    EXPECT_EQ(velko::BatteryTraits(Down).partner, Down1);
    EXPECT_EQ(velko::BatteryTraits(Down1).partner, Down);
    EXPECT_EQ(velko::BatteryTraits(Up1).pair, velko::BatteryPair::Upper);
    EXPECT_EQ(velko::BatteryTraits(Down).pair, velko::BatteryPair::Lower);
    EXPECT_EQ(velko::BatteryTraits(Up1).role, velko::BatteryRole::Low);
    EXPECT_EQ(velko::BatteryTraits(Down).role, velko::BatteryRole::High);
}

// --- lists -------------------------------------------------------------------------------

TEST(EMSRepeatCount, EveryItemAndNoItem)
{
    const int expected[20] = {5, 10, 20, 30, 40, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200};
    for (int item = 0; item < 20; ++item)
        EXPECT_EQ(velko::EMSRepeatCount(item), expected[item]) << item;
    EXPECT_EQ(velko::EMSRepeatCount(-1), 5);
    EXPECT_EQ(velko::EMSRepeatCount(20), 5);
}

TEST(BatteryCounterWord, LowBitsPerCountAllOnesOtherwise)
{
    const std::pair<int, std::uint32_t> cases[] = {{0, 0xFFFFFFFF},  {1, 0x1},         {5, 0x1F},
                                                   {9, 0x1FF},       {31, 0x7FFFFFFF}, {32, 0xFFFFFFFF},
                                                   {-1, 0xFFFFFFFF}, {33, 0xFFFFFFFF}};
    for (const auto& [item, word] : cases)
        EXPECT_EQ(velko::BatteryCounterWord(item), word) << item;
}

} // namespace
