// The special page driven as a user drives it: keys typed into its edits, items picked in its
// lists; the image, the edits' texts and colours and the boxes shown are what is checked.
#include "battery_limits.h"
#include "form_fixture.h"
#include "mainform_controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

#include <optional>
#include <ostream>

namespace {

using velko::BoxIcon;
using velko::EditImage;
using velko::SegA;
using velko::SegB;
using velko::SegmentImage;

enum class Colour { Yellow, Window };

struct Box {
    QString text;
    bool error; // the error box of a conversion, not a plain message
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& b, std::ostream* os) { *os << (b.error ? "error " : "") << b.text.toStdString(); }

class SpecialPageTest : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ProbeForm& f = makeForm();
        f.show();
        while (f.PageControl->currentWidget() != f.Tab_SpecSet)
            QTest::mouseClick(f.NextPageBtn, Qt::LeftButton);
    }

    TMainForm& f() { return *form; }

    // Types `keys` into `edit`: '\r' is Enter, '\b' Backspace, another control character from
    // 1 to 26 Ctrl with its letter (22: Ctrl+V), anything else its own key.
    static void type(QLineEdit* edit, const QString& keys)
    {
        for (const QChar c : keys) {
            if (c == u'\r')
                QTest::keyClick(edit, Qt::Key_Return);
            else if (c == u'\b')
                QTest::keyClick(edit, Qt::Key_Backspace);
            else if (c.unicode() >= 1 && c.unicode() <= 26)
                QTest::keyClick(edit, static_cast<Qt::Key>(Qt::Key_A + c.unicode() - 1), Qt::ControlModifier);
            else
                QTest::keyClicks(edit, QString(c));
        }
    }

    static Colour colour(const QLineEdit* edit)
    {
        const QColor base = edit->palette().color(QPalette::Base);
        if (base == velko::TakenColour)
            return Colour::Yellow;
        EXPECT_EQ(base, QApplication::palette(edit).color(QPalette::Base)) << "neither yellow nor the window colour";
        return Colour::Window;
    }

    std::vector<Box> takeBoxes()
    {
        std::vector<Box> out;
        for (const auto& b : dialogs.boxes) {
            EXPECT_EQ(b.caption, velko::ApplicationTitle);
            out.push_back({b.text, b.icon == BoxIcon::Error});
        }
        dialogs.boxes.clear();
        return out;
    }
};

// --- gap edits ---------------------------------------------------------------------------

struct GapTyping {
    const char* keys;
    std::vector<int> bytes; // B 54 after each key
    const char* text;       // the edit at the end
    std::vector<const char*> errors;
};

void PrintTo(const GapTyping& c, std::ostream* os) { *os << '"' << c.keys << '"'; }

class GapTypingTest : public SpecialPageTest, public ::testing::WithParamInterface<GapTyping> {};

TEST_P(GapTypingTest, EachKeyStoresOrEmpties)
{
    const GapTyping& c = GetParam();
    f().VR1YGap->clear();
    ASSERT_EQ(SegB(EditImage, 54), 25);
    const QString keys = QString::fromLatin1(c.keys);
    std::vector<int> bytes;
    for (const QChar k : keys) {
        type(f().VR1YGap, QString(k));
        bytes.push_back(SegB(EditImage, 54));
    }
    EXPECT_EQ(bytes, c.bytes);
    EXPECT_EQ(f().VR1YGap->text(), QString::fromLatin1(c.text));
    std::vector<Box> expected;
    for (const char* e : c.errors)
        expected.push_back({QString::fromLatin1(e), true});
    EXPECT_EQ(takeBoxes(), expected);
    EXPECT_EQ(colour(f().VR1YGap), Colour::Window) << "a gap edit's colour is never changed";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sequences, GapTypingTest,
    ::testing::Values(GapTyping{"255", {2, 25, 255}, "255", {}},
                      GapTyping{"2555", {2, 25, 255, 255}, "", {}},
                      GapTyping{"256", {2, 25, 25}, "", {}},
                      GapTyping{"25x", {2, 25, 25}, "25x", {"'25x' is not a valid integer value"}},
                      GapTyping{"255x", {2, 25, 255, 255}, "", {}},
                      GapTyping{"2566", {2, 25, 25, 6}, "6", {}},
                      GapTyping{"  7", {25, 25, 7}, "  7", {}},
                      GapTyping{"0", {0}, "0", {}},
                      GapTyping{"ab", {25, 25}, "ab", {"'a' is not a valid integer value", "'ab' is not a valid integer value"}},
                      GapTyping{"-1", {25, 25}, "", {"'-' is not a valid integer value"}},
                      GapTyping{"-9", {25, 25}, "", {"'-' is not a valid integer value"}}));
// clang-format on

TEST_F(SpecialPageTest, EachGapEditWritesItsOwnByte)
{
    QLineEdit* const gaps[] = {f().VR1YGap, f().VR1XGap, f().VR2YGap, f().VR2XGap};
    for (int i = 0; i < 4; ++i) {
        const SegmentImage before = EditImage;
        gaps[i]->clear();
        type(gaps[i], QStringLiteral("1%1").arg(i));
        SegmentImage expected = before;
        SegB(expected, 54 + i) = static_cast<std::uint8_t>(10 + i);
        EXPECT_EQ(EditImage, expected) << i;
    }
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(SpecialPageTest, GapTextThatIsNotTypedTakesTheSameRoad)
{
    f().VR2XGap->setText(QStringLiteral("300"));
    EXPECT_EQ(f().VR2XGap->text(), "");
    EXPECT_EQ(SegB(EditImage, 57), 25);
    f().VR2XGap->setText(QStringLiteral("9"));
    EXPECT_EQ(SegB(EditImage, 57), 9);

    QGuiApplication::clipboard()->setText(QStringLiteral("1234"));
    f().VR1XGap->clear();
    f().VR1XGap->paste();
    EXPECT_EQ(f().VR1XGap->text(), "");
    EXPECT_EQ(SegB(EditImage, 55), 25);
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    f().VR1XGap->paste();
    EXPECT_EQ(SegB(EditImage, 55), 42);
    QGuiApplication::clipboard()->setText(QStringLiteral("x"));
    f().VR1XGap->paste();
    EXPECT_EQ(f().VR1XGap->text(), "42x");
    EXPECT_EQ(SegB(EditImage, 55), 42);
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{"'42x' is not a valid integer value", true}}));
}

// --- duty edits --------------------------------------------------------------------------

struct DutyTyping {
    bool counter; // DutyCounter (B 51) rather than DutyTx (B 52)
    const char* start;
    const char* keys;
    const char* text;
    int byte;
    Colour colour;
    std::vector<const char16_t*> messages;
};

void PrintTo(const DutyTyping& c, std::ostream* os)
{
    *os << (c.counter ? "DutyCounter" : "DutyTx") << " \"" << c.start << "\" + \"" << c.keys << '"';
}

class DutyTypingTest : public SpecialPageTest, public ::testing::WithParamInterface<DutyTyping> {};

TEST_P(DutyTypingTest, TakesDigitsAndEnter)
{
    const DutyTyping& c = GetParam();
    QLineEdit* const edit = c.counter ? f().DutyCounter : f().DutyTx;
    const int k = c.counter ? 51 : 52;
    edit->setText(QString::fromLatin1(c.start));
    ASSERT_EQ(colour(edit), Colour::Yellow);
    SegmentImage expected = EditImage;
    SegB(expected, k) = static_cast<std::uint8_t>(c.byte);

    type(edit, QString::fromLatin1(c.keys));
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(EditImage, expected);
    EXPECT_EQ(colour(edit), c.colour);
    std::vector<Box> boxes;
    for (const char16_t* m : c.messages)
        boxes.push_back({QString::fromUtf16(m), false});
    EXPECT_EQ(takeBoxes(), boxes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, DutyTypingTest,
    ::testing::Values(
        // digits go in; the byte and the colour wait for Enter
        DutyTyping{.counter = false, .start = "2", .keys = "5", .text = "25", .byte = 2, .colour = Colour::Yellow,
                   .messages = {}},
        DutyTyping{.counter = false, .start = "", .keys = "012\r", .text = "012", .byte = 12, .colour = Colour::Yellow,
                   .messages = {}},
        DutyTyping{.counter = true, .start = "", .keys = "255\r", .text = "255", .byte = 255, .colour = Colour::Yellow,
                   .messages = {}},
        DutyTyping{.counter = true, .start = "", .keys = "0\r", .text = "0", .byte = 0, .colour = Colour::Yellow,
                   .messages = {}},
        // a letter or a blank: dropped, told, emptied, reset
        DutyTyping{.counter = false, .start = "12", .keys = "a", .text = "", .byte = 2, .colour = Colour::Window,
                   .messages = {u"請輸入0~9"}},
        DutyTyping{.counter = true, .start = "1", .keys = "2 ", .text = "", .byte = 10, .colour = Colour::Window,
                   .messages = {u"請輸入0~9"}},
        DutyTyping{.counter = false, .start = "", .keys = "1.5\r", .text = "5", .byte = 5, .colour = Colour::Yellow,
                   .messages = {u"請輸入0~9"}},
        // Ctrl with a letter types a control character: Ctrl+V and Ctrl+A are refused too
        DutyTyping{.counter = false, .start = "12", .keys = "\x16", .text = "", .byte = 2, .colour = Colour::Window,
                   .messages = {u"請輸入0~9"}},
        DutyTyping{.counter = true, .start = "10", .keys = "\x01", .text = "", .byte = 10, .colour = Colour::Window,
                   .messages = {u"請輸入0~9"}},
        // Backspace erases the whole entry and keeps the byte
        DutyTyping{.counter = false, .start = "123", .keys = "\b", .text = "", .byte = 2, .colour = Colour::Window,
                   .messages = {}},
        DutyTyping{.counter = true, .start = "123", .keys = "\b9\r", .text = "9", .byte = 9, .colour = Colour::Yellow,
                   .messages = {}},
        // Enter on nothing: told and the colour kept
        DutyTyping{.counter = false, .start = "", .keys = "\r", .text = "", .byte = 2, .colour = Colour::Yellow,
                   .messages = {u"請輸入0~255"}},
        // above the byte's range: refused the same way
        DutyTyping{.counter = false, .start = "", .keys = "300\r", .text = "", .byte = 2, .colour = Colour::Yellow,
                   .messages = {u"請輸入0~255"}},
        DutyTyping{.counter = true, .start = "", .keys = "0004000\r", .text = "", .byte = 10, .colour = Colour::Yellow,
                   .messages = {u"請輸入0~255"}}));
// clang-format on

TEST_F(SpecialPageTest, DutyEnterPassesOnOnlyWhenTaken)
{
    QSignalSpy returns(f().DutyTx, &QLineEdit::returnPressed);
    f().DutyTx->clear();
    type(f().DutyTx, QStringLiteral("\r"));
    EXPECT_EQ(returns.count(), 0);
    type(f().DutyTx, QStringLiteral("7\r"));
    EXPECT_EQ(returns.count(), 1);
    EXPECT_EQ(SegB(EditImage, 52), 7);
}

TEST_F(SpecialPageTest, CtrlWithALetterReachesTheKeyHandlers)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("7"));
    // The platform's own text for Ctrl+V is its control character.
    f().DutyTx->setText(QStringLiteral("12"));
    QTest::sendKeyEvent(QTest::Click, f().DutyTx, Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(f().DutyTx->text(), "") << "not pasted";
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{QStringLiteral("請輸入0~9"), false}}));
    // A battery edit passes every character on: the edit pastes.
    f().BattUp->clear();
    type(f().BattUp, QStringLiteral("\x16"));
    EXPECT_EQ(f().BattUp->text(), "7");
    EXPECT_TRUE(takeBoxes().empty());
}

// What an input method sends when the user ends a composition.
void commit(QLineEdit* edit, const QString& preedit, const QString& text)
{
    QInputMethodEvent composing(preedit, {});
    QApplication::sendEvent(edit, &composing);
    QInputMethodEvent done;
    done.setCommitString(text);
    QApplication::sendEvent(edit, &done);
}

TEST_F(SpecialPageTest, InputMethodTextMeetsTheKeyHandlers)
{
    f().DutyCounter->setText(QStringLiteral("1"));
    commit(f().DutyCounter, QStringLiteral("3"), QStringLiteral("3"));
    EXPECT_EQ(f().DutyCounter->text(), "13");
    EXPECT_EQ(colour(f().DutyCounter), Colour::Yellow);
    EXPECT_TRUE(takeBoxes().empty());

    // A full-width digit or a Chinese character is no digit 0 to 9.
    commit(f().DutyCounter, QStringLiteral("ㄓㄨㄥ"), QStringLiteral("中"));
    EXPECT_EQ(f().DutyCounter->text(), "");
    EXPECT_EQ(colour(f().DutyCounter), Colour::Window);
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{QStringLiteral("請輸入0~9"), false}}));
    commit(f().DutyCounter, QString(), QStringLiteral("2５"));
    EXPECT_EQ(f().DutyCounter->text(), "");
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{QStringLiteral("請輸入0~9"), false}}));
    EXPECT_EQ(SegB(EditImage, 51), 10);

    // The battery edits take any character until Enter.
    f().BattDown->clear();
    commit(f().BattDown, QString(), QStringLiteral("４.20"));
    EXPECT_EQ(f().BattDown->text(), "４.20");
    EXPECT_TRUE(takeBoxes().empty());
    type(f().BattDown, QStringLiteral("\r"));
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{QStringLiteral("請輸入0.xx~6.40"), false}}));
}

TEST_F(SpecialPageTest, DutyTextPastedMeetsTheConversionAtEnter)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("1a"));
    f().DutyCounter->clear();
    f().DutyCounter->paste();
    EXPECT_TRUE(takeBoxes().empty()) << "pasting is not typing";
    type(f().DutyCounter, QStringLiteral("\r"));
    EXPECT_EQ(takeBoxes(), (std::vector<Box>{{"'1a' is not a valid integer value", true}}));
    EXPECT_EQ(f().DutyCounter->text(), "1a");
    EXPECT_EQ(SegB(EditImage, 51), 10);
    EXPECT_EQ(colour(f().DutyCounter), Colour::Yellow);

    QGuiApplication::clipboard()->setText(QStringLiteral(" 33 "));
    f().DutyCounter->clear();
    f().DutyCounter->paste();
    type(f().DutyCounter, QStringLiteral("\r"));
    EXPECT_EQ(SegB(EditImage, 51), 33);
    EXPECT_TRUE(takeBoxes().empty());
}

// --- battery edits -----------------------------------------------------------------------

enum Batt { Up, Up1, Down, Down1 };

struct BatteryTyping {
    Batt edit;
    const char* start;   // the edit's text before typing
    const char* partner; // the partner's text
    const char* keys;
    const char* text;
    const char* partnerText;
    Colour colour;
    Colour partnerColour;
    const char16_t* message; // nullptr: none
    bool stored;             // the pair from the two texts as they were at Enter
};

const char* battName(Batt b)
{
    static const char* const names[] = {"BattUp", "BattUp1", "BattDown", "BattDown1"};
    return names[b];
}

void PrintTo(const BatteryTyping& c, std::ostream* os)
{
    *os << battName(c.edit) << " \"" << c.start << "\" + \"" << c.keys << "\", partner \"" << c.partner << '"';
}

class BatteryTypingTest : public SpecialPageTest, public ::testing::WithParamInterface<BatteryTyping> {
protected:
    QLineEdit* edit(Batt b)
    {
        QLineEdit* const edits[] = {f().BattUp, f().BattUp1, f().BattDown, f().BattDown1};
        return edits[b];
    }
};

TEST_P(BatteryTypingTest, EnterTestsInItsOrder)
{
    const BatteryTyping& c = GetParam();
    const Batt partner = static_cast<Batt>(c.edit ^ 1);
    QLineEdit* const e = edit(c.edit);
    QLineEdit* const p = edit(partner);
    e->setText(QString::fromLatin1(c.start));
    p->setText(QString::fromLatin1(c.partner));
    SegmentImage expected = EditImage;
    if (c.stored) {
        const QString typed = QString::fromLatin1(c.start) + QString::fromLatin1(c.keys).remove(u'\r');
        const std::string mine = typed.toStdString();
        const std::string other = c.partner;
        const bool high = c.edit == Up || c.edit == Down;
        ASSERT_TRUE(velko::StoreBatteryPair(high ? mine : other, high ? other : mine,
                                            c.edit <= Up1 ? velko::BatteryPair::Upper : velko::BatteryPair::Lower,
                                            expected));
    }
    QSignalSpy returns(e, &QLineEdit::returnPressed);

    type(e, QString::fromLatin1(c.keys));
    EXPECT_EQ(e->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(p->text(), QString::fromLatin1(c.partnerText));
    EXPECT_EQ(colour(e), c.colour);
    EXPECT_EQ(colour(p), c.partnerColour);
    EXPECT_EQ(EditImage, expected);
    const auto boxes = takeBoxes();
    if (c.message)
        EXPECT_EQ(boxes, (std::vector<Box>{{QString::fromUtf16(c.message), false}}));
    else
        EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(returns.count(), QString::fromLatin1(c.keys).count(u'\r')) << "Enter always goes on";
}

constexpr auto Yellow = Colour::Yellow;
constexpr auto Window = Colour::Window;
constexpr const char16_t* Lower = u"請輸入0.xx~6.40";
constexpr const char16_t* Caps = u"請輸入0.XX~6.40";
constexpr const char16_t* Order = u"電池電壓上限值不可小於下限值,請重新設定";

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, BatteryTypingTest,
    ::testing::Values(
        // typing takes any character; Backspace erases the entry, keeps the image
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "5x2", .text = "5x2", .partnerText = "4.56",
                      .colour = Yellow, .partnerColour = Yellow, .message = nullptr, .stored = false},
        BatteryTyping{.edit = Down1, .start = "3.95", .partner = "4.48", .keys = "\b", .text = "",
                      .partnerText = "4.48", .colour = Window, .partnerColour = Yellow, .message = nullptr,
                      .stored = false},
        // empty: nothing
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "\r", .text = "", .partnerText = "4.56",
                      .colour = Yellow, .partnerColour = Yellow, .message = nullptr, .stored = false},
        // wrong length: each edit its own message, colour kept
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "5.2\r", .text = "", .partnerText = "4.56",
                      .colour = Yellow, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Up1, .start = "", .partner = "5.20", .keys = "05.20\r", .text = "", .partnerText = "5.20",
                      .colour = Yellow, .partnerColour = Yellow, .message = Caps, .stored = false},
        BatteryTyping{.edit = Down, .start = "", .partner = "3.95", .keys = "5.2\r", .text = "", .partnerText = "3.95",
                      .colour = Yellow, .partnerColour = Yellow, .message = Caps, .stored = false},
        BatteryTyping{.edit = Down1, .start = "", .partner = "4.48", .keys = "3.9\r", .text = "", .partnerText = "4.48",
                      .colour = Yellow, .partnerColour = Yellow, .message = Lower, .stored = false},
        // wrong form: reset
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "5,20\r", .text = "", .partnerText = "4.56",
                      .colour = Window, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Up1, .start = "", .partner = "5.20", .keys = "a.20\r", .text = "", .partnerText = "5.20",
                      .colour = Window, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Down, .start = "", .partner = "3.95", .keys = "5.2x\r", .text = "", .partnerText = "3.95",
                      .colour = Window, .partnerColour = Yellow, .message = Lower, .stored = false},
        // above 6.40: only BattUp is reset
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "6.41\r", .text = "", .partnerText = "4.56",
                      .colour = Window, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Up1, .start = "", .partner = "6.50", .keys = "6.41\r", .text = "", .partnerText = "6.50",
                      .colour = Yellow, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Down, .start = "", .partner = "3.95", .keys = "6.41\r", .text = "", .partnerText = "3.95",
                      .colour = Yellow, .partnerColour = Yellow, .message = Lower, .stored = false},
        BatteryTyping{.edit = Down1, .start = "", .partner = "4.48", .keys = "6.41\r", .text = "",
                      .partnerText = "4.48", .colour = Yellow, .partnerColour = Yellow, .message = Lower,
                      .stored = false},
        // 6.40 is in range
        BatteryTyping{.edit = Up, .start = "", .partner = "4.56", .keys = "6.40\r", .text = "6.40",
                      .partnerText = "4.56", .colour = Yellow, .partnerColour = Yellow, .message = nullptr,
                      .stored = true},
        // the pair's order; equal voltages refused too: both emptied and reset
        BatteryTyping{.edit = Up1, .start = "", .partner = "4.56", .keys = "4.56\r", .text = "", .partnerText = "",
                      .colour = Window, .partnerColour = Window, .message = Order, .stored = false},
        BatteryTyping{.edit = Up, .start = "", .partner = "5.20", .keys = "5.00\r", .text = "", .partnerText = "",
                      .colour = Window, .partnerColour = Window, .message = Order, .stored = false},
        BatteryTyping{.edit = Down1, .start = "", .partner = "4.48", .keys = "4.50\r", .text = "", .partnerText = "",
                      .colour = Window, .partnerColour = Window, .message = Order, .stored = false},
        // stored from both texts; the partner keeps its colour
        BatteryTyping{.edit = Up1, .start = "", .partner = "5.20", .keys = "0.45\r", .text = "0.45",
                      .partnerText = "5.20", .colour = Yellow, .partnerColour = Yellow, .message = nullptr,
                      .stored = true},
        BatteryTyping{.edit = Down, .start = "4.", .partner = "3.95", .keys = "20\r", .text = "4.20",
                      .partnerText = "3.95", .colour = Yellow, .partnerColour = Yellow, .message = nullptr,
                      .stored = true},
        BatteryTyping{.edit = Down1, .start = "", .partner = "4.48", .keys = "0.00\r", .text = "0.00",
                      .partnerText = "4.48", .colour = Yellow, .partnerColour = Yellow, .message = nullptr,
                      .stored = true},
        // empty partner: taken, nothing stored
        BatteryTyping{.edit = Down, .start = "", .partner = "", .keys = "4.00\r", .text = "4.00", .partnerText = "",
                      .colour = Yellow, .partnerColour = Yellow, .message = nullptr, .stored = false}));
// clang-format on

TEST_F(SpecialPageTest, AnEmptyPartnerWaitsForTheSecondEnter)
{
    const SegmentImage before = EditImage;
    type(f().BattUp1, QStringLiteral("\b"));
    type(f().BattUp, QStringLiteral("\b5.00\r"));
    EXPECT_EQ(colour(f().BattUp), Colour::Yellow);
    EXPECT_EQ(colour(f().BattUp1), Colour::Window);
    EXPECT_EQ(EditImage, before);

    type(f().BattUp1, QStringLiteral("4.00\r"));
    SegmentImage expected = before;
    velko::StoreBatteryPair("5.00", "4.00", velko::BatteryPair::Upper, expected);
    EXPECT_EQ(EditImage, expected);
    EXPECT_EQ(SegB(EditImage, 108), 5);
    EXPECT_EQ(SegB(EditImage, 110), 4);
    EXPECT_EQ(colour(f().BattUp1), Colour::Yellow);
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(SpecialPageTest, APartnerTypedWithoutEnterInAnotherFormIsNoPartner)
{
    const SegmentImage before = EditImage;
    type(f().BattDown1, QStringLiteral("\b3.9"));
    type(f().BattDown, QStringLiteral("\b4.00\r"));
    EXPECT_EQ(EditImage, before) << "no garbage from \"3.9\"";
    EXPECT_EQ(f().BattDown->text(), "4.00");
    EXPECT_EQ(f().BattDown1->text(), "3.9");
    EXPECT_EQ(colour(f().BattDown), Colour::Yellow);
    EXPECT_TRUE(takeBoxes().empty());

    type(f().BattDown1, QStringLiteral("5\r"));
    SegmentImage expected = before;
    velko::StoreBatteryPair("4.00", "3.95", velko::BatteryPair::Lower, expected);
    EXPECT_EQ(EditImage, expected);
}

// --- lists -------------------------------------------------------------------------------

// Picks an item with the keyboard, as a user does on the closed list: Home, then Down.
void pick(QComboBox* list, int item)
{
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < item; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentIndex(), item);
}

struct ListCase {
    QComboBox* Ui::TMainForm::*list;
    const char* name;
    int item;
    int a18, a19; // Segment A bytes 18 and 19 before the pick
    int expectA18, expectA19, expectA21;
    std::uint32_t counter; // B 124-127
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name << " item " << c.item; }

class ListPickTest : public SpecialPageTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ListPickTest, WritesItsBitsAndBytesOnly)
{
    const ListCase& c = GetParam();
    SegA(EditImage, 18) = static_cast<std::uint8_t>(c.a18);
    SegA(EditImage, 19) = static_cast<std::uint8_t>(c.a19);
    SegA(EditImage, 21) = 77;
    for (int i = 0; i < 4; ++i)
        SegB(EditImage, 124 + i) = 0x5A;
    SegmentImage expected = EditImage;
    SegA(expected, 18) = static_cast<std::uint8_t>(c.expectA18);
    SegA(expected, 19) = static_cast<std::uint8_t>(c.expectA19);
    SegA(expected, 21) = static_cast<std::uint8_t>(c.expectA21);
    for (int i = 0; i < 4; ++i)
        SegB(expected, 124 + i) = static_cast<std::uint8_t>(c.counter >> (8 * i));

    pick(f().*c.list, c.item);
    EXPECT_EQ(EditImage, expected);
    EXPECT_TRUE(takeBoxes().empty());
}

constexpr std::uint32_t Untouched = 0x5A5A5A5A;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Items, ListPickTest,
    ::testing::Values(ListCase{.list = &Ui::TMainForm::LowBattFunc, .name = "LowBattFunc", .item = 0, .a18 = 0xFF,
                               .a19 = 0x00, .expectA18 = 0xDF, .expectA19 = 0x00, .expectA21 = 77,
                               .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::LowBattFunc, .name = "LowBattFunc", .item = 1, .a18 = 0x01,
                               .a19 = 0x00, .expectA18 = 0x21, .expectA19 = 0x00, .expectA21 = 77,
                               .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::LowBattEMSFunc, .name = "LowBattEMSFunc", .item = 0, .a18 = 0,
                               .a19 = 0x01, .expectA18 = 0, .expectA19 = 0x81, .expectA21 = 77, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::LowBattEMSFunc, .name = "LowBattEMSFunc", .item = 1, .a18 = 0,
                               .a19 = 0xFF, .expectA18 = 0, .expectA19 = 0x7F, .expectA21 = 77, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::EMSCounterFunc, .name = "EMSCounterFunc", .item = 0, .a18 = 0,
                               .a19 = 0, .expectA18 = 0, .expectA19 = 0, .expectA21 = 5, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::EMSCounterFunc, .name = "EMSCounterFunc", .item = 3, .a18 = 0,
                               .a19 = 0, .expectA18 = 0, .expectA19 = 0, .expectA21 = 30, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::EMSCounterFunc, .name = "EMSCounterFunc", .item = 4, .a18 = 0,
                               .a19 = 0, .expectA18 = 0, .expectA19 = 0, .expectA21 = 40, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::EMSCounterFunc, .name = "EMSCounterFunc", .item = 5, .a18 = 0,
                               .a19 = 0, .expectA18 = 0, .expectA19 = 0, .expectA21 = 60, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::EMSCounterFunc, .name = "EMSCounterFunc", .item = 19, .a18 = 0,
                               .a19 = 0, .expectA18 = 0, .expectA19 = 0, .expectA21 = 200, .counter = Untouched},
                      ListCase{.list = &Ui::TMainForm::BattCounterFunc, .name = "BattCounterFunc", .item = 0, .a18 = 0,
                               .a19 = 0x81, .expectA18 = 0, .expectA19 = 0x80, .expectA21 = 77, .counter = 0xFFFFFFFF},
                      ListCase{.list = &Ui::TMainForm::BattCounterFunc, .name = "BattCounterFunc", .item = 5, .a18 = 0,
                               .a19 = 0x80, .expectA18 = 0, .expectA19 = 0x81, .expectA21 = 77, .counter = 0x1F},
                      ListCase{.list = &Ui::TMainForm::BattCounterFunc, .name = "BattCounterFunc", .item = 9, .a18 = 0,
                               .a19 = 0x00, .expectA18 = 0, .expectA19 = 0x01, .expectA21 = 77, .counter = 0x1FF},
                      ListCase{.list = &Ui::TMainForm::BattCounterFunc, .name = "BattCounterFunc", .item = 32, .a18 = 0,
                               .a19 = 0x00, .expectA18 = 0, .expectA19 = 0x01, .expectA21 = 77,
                               .counter = 0xFFFFFFFF}));
// clang-format on

TEST_F(SpecialPageTest, AnItemPickedInTheOpenListIsStored)
{
    QComboBox* const list = f().EMSCounterFunc;
    list->showPopup();
    QAbstractItemView* const view = list->view();
    const QModelIndex item = view->model()->index(4, 0);
    view->scrollTo(item);
    // The list ignores a release right after it opened, the end of the click that opened it.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    EXPECT_EQ(list->currentIndex(), 4);
    EXPECT_EQ(SegA(EditImage, 21), 40);
}

TEST_F(SpecialPageTest, WithNoItemOnlyTheCountersAreWritten)
{
    for (QComboBox* list : {f().LowBattFunc, f().LowBattEMSFunc, f().EMSCounterFunc, f().BattCounterFunc})
        ASSERT_EQ(list->currentIndex(), -1) << "no item at start";
    SegA(EditImage, 18) = 0xAA;
    SegA(EditImage, 19) = 0x55;
    SegA(EditImage, 21) = 77;
    SegmentImage expected = EditImage;
    SegA(expected, 19) = 0x55; // bit 0 already set
    SegA(expected, 21) = 5;
    for (int i = 0; i < 4; ++i)
        SegB(expected, 124 + i) = 0xFF;

    f().LowBattFuncChange(nullptr);
    f().LowBattEMSFuncChange(nullptr);
    f().EMSCounterFuncChange(nullptr);
    f().BattCounterFuncChange(nullptr);
    EXPECT_EQ(EditImage, expected);
    EXPECT_EQ(f().EMSCounterFunc->currentIndex(), -1);

    SegA(EditImage, 19) = 0x54;
    f().BattCounterFuncChange(nullptr);
    EXPECT_EQ(SegA(EditImage, 19), 0x55) << "no item counts as on";
}

} // namespace
