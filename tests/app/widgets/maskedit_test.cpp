// The masked edit: what the program reads from a masked field, and what typing does.
#include "maskedit.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString IdMask = QStringLiteral("\\3\\7>999999<");
const QString DateMask = QStringLiteral("\\2\\0!00/00/00");

void ensureApplication()
{
    if (!QApplication::instance()) {
        static int argc = 1;
        static char name[] = "maskedit_test";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

class MaskEditTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

struct FitCase {
    const char* name;
    QString mask;
    QString plain;  // text of the field without its mask
    QString text;   // text() once the mask is on
    QString shown;  // what the field displays
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class MaskFit : public MaskEditTest, public ::testing::WithParamInterface<FitCase> {};

} // namespace

TEST_P(MaskFit, SpreadsThePlainTextOverTheTypedPositions)
{
    const FitCase& c = GetParam();
    TMaskEdit edit;
    edit.setText(c.plain);
    edit.setEditMask(c.mask);
    EXPECT_EQ(edit.text(), c.text);
    EXPECT_EQ(edit.displayText(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskFit,
    ::testing::Values(FitCase{"EmptyId", IdMask, "", "37      ", "37______"},
                      FitCase{"HexDigitsUpperCase", IdMask, "abcdef", "37ABCDEF", "37ABCDEF"},
                      FitCase{"ShortIdLeftAligned", IdMask, "123", "37123   ", "37123___"},
                      FitCase{"LongIdKeepsSix", IdMask, "EE12345", "37EE1234", "37EE1234"},
                      FitCase{"EmptyDate", DateMask, "", "20  /  /  ", "20__/__/__"},
                      FitCase{"Date", DateMask, "050812", "2005/08/12", "2005/08/12"},
                      FitCase{"NoFixedInText", QStringLiteral("\\3\\7999;0;*"), "12", "12 ", "3712*"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(MaskEditTest, RemovingTheMaskKeepsTypedPositionsAndDropsUnfilledAtTheEnd)
{
    TMaskEdit edit;
    edit.setEditMask(IdMask);
    edit.setText(QStringLiteral("371 3    "));
    EXPECT_EQ(edit.text(), "371 3   ");
    edit.setEditMask(QString());
    EXPECT_EQ(edit.text(), "1 3");
    edit.setText(QStringLiteral("000123"));
    edit.setEditMask(IdMask);
    EXPECT_EQ(edit.text(), "37000123");
}

TEST_F(MaskEditTest, TypingTakesDigitsOnlyAndSkipsTheFixedCharacters)
{
    TMaskEdit edit;
    edit.setEditMask(IdMask);
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, "1x2-3");
    EXPECT_EQ(edit.text(), "37123   ");
    EXPECT_EQ(edit.cursorPosition(), 5);

    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "3712    ");
    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClicks(&edit, "9");
    EXPECT_EQ(edit.text(), "3712 9  ") << "a position passed over stays a blank";

    edit.setCursorPosition(8);
    QTest::keyClicks(&edit, "7");
    EXPECT_EQ(edit.text(), "3712 9  ") << "nothing beyond the last position";
}

TEST_F(MaskEditTest, ReadOnlyFieldStillSeesEnter)
{
    TMaskEdit edit;
    edit.setEditMask(IdMask);
    edit.setReadOnly(true);
    QString seen;
    edit.onKeyPress = [&seen](QChar& key) { seen += key; };
    QTest::keyClicks(&edit, "12");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.text(), "37      ");
    EXPECT_EQ(seen, QStringLiteral("12\r"));
}

TEST_F(MaskEditTest, KeyHandlerCanSwallowAKey)
{
    TMaskEdit edit;
    edit.setEditMask(IdMask);
    edit.onKeyPress = [](QChar& key) {
        if (key == u'5')
            key = QChar();
    };
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, "456");
    EXPECT_EQ(edit.text(), "3746    ");
}

TEST_F(MaskEditTest, WithoutMaskItIsAPlainLineEdit)
{
    TMaskEdit edit;
    edit.setText(QStringLiteral("free text"));
    EXPECT_EQ(edit.text(), "free text");
    EXPECT_EQ(edit.editMask(), QString());
}

TEST_F(MaskEditTest, PastedTextGoesInAsIfTypedAndNothingBypassesTheMask)
{
    TMaskEdit edit;
    edit.setEditMask(IdMask);
    QGuiApplication::clipboard()->setText(QStringLiteral("65a4"));
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "37654   ");

    // Routes that reach the line edit directly (its own paste slot, an input method, a drop).
    edit.insert(QStringLiteral("999"));
    edit.paste();
    EXPECT_EQ(edit.text(), "37654   ");
    EXPECT_EQ(edit.displayText(), "37654___") << "the field shows exactly what it holds";
}
