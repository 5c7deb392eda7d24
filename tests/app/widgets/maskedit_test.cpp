// The masked edit: what the program reads from a masked field, and what typing does.
#include "maskedit.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
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
    QString plain; // text of the field without its mask
    QString text;  // text() once the mask is on
    QString shown; // what the field displays
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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, MaskFit,
                         ::testing::Values(FitCase{.name = "EmptyId", .mask = IdMask, .plain = "", .text = "37      ",
                                                   .shown = "37______"},
                                           FitCase{.name = "HexDigitsUpperCase", .mask = IdMask, .plain = "abcdef",
                                                   .text = "37ABCDEF", .shown = "37ABCDEF"},
                                           FitCase{.name = "ShortIdLeftAligned", .mask = IdMask, .plain = "123",
                                                   .text = "37123   ", .shown = "37123___"},
                                           FitCase{.name = "LongIdKeepsSix", .mask = IdMask, .plain = "EE12345",
                                                   .text = "37EE1234", .shown = "37EE1234"},
                                           FitCase{.name = "EmptyDate", .mask = DateMask, .plain = "",
                                                   .text = "20  /  /  ", .shown = "20__/__/__"},
                                           FitCase{.name = "Date", .mask = DateMask, .plain = "050812",
                                                   .text = "2005/08/12", .shown = "2005/08/12"},
                                           FitCase{.name = "NoFixedInText", .mask = QStringLiteral("\\3\\7999;0;*"),
                                                   .plain = "12", .text = "12 ", .shown = "3712*"}),
                         [](const auto& p) { return std::string(p.param.name); });
// clang-format on

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
    EXPECT_EQ(edit.text(), "3712 97 ") << "past the last position: on after the filled ones";
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

namespace {

// The field with its beep counted.
class CountingMaskEdit : public TMaskEdit {
public:
    int beeps = 0;

protected:
    void refuse() override { ++beeps; }
};

// A shown field with the ID mask, the focus and a known clipboard.
class MaskEditorTest : public MaskEditTest {
protected:
    void SetUp() override
    {
        MaskEditTest::SetUp();
        edit.setEditMask(IdMask);
        edit.resize(120, 22);
        edit.show();
        edit.activateWindow();
        edit.setFocus();
        QApplication::clipboard()->clear();
    }

    // Opens the field's own context menu as a right click does and picks an entry by its text.
    void pickFromContextMenu(const QString& entry)
    {
        const QPoint at(10, edit.height() / 2);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, edit.mapToGlobal(at));
        QCoreApplication::sendEvent(&edit, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr) << "no context menu";
        QAction* picked = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->isVisible() && !action->isSeparator())
                offered.append(action->text().section(u'\t', 0, 0).remove(u'&'));
            if (action->text().section(u'\t', 0, 0).remove(u'&') == entry)
                picked = action;
        }
        ASSERT_NE(picked, nullptr) << "no entry " << entry.toStdString();
        ASSERT_TRUE(picked->isEnabled()) << entry.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(picked).center());
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }

    CountingMaskEdit edit;
    QStringList offered;
};

struct MenuCase {
    const char* name;
    const char* entry;
    const char* before;           // the field's text
    int selectFrom, selectLength; // length 0: cursor at selectFrom
    const char* clipboard;        // before the pick
    const char* after;
    const char* clipboardAfter;
};

void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }

class ContextMenuTest : public MaskEditorTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ContextMenuTest, EveryEntryWorksThroughTheMask)
{
    const MenuCase& c = GetParam();
    edit.setText(QString::fromLatin1(c.before));
    QApplication::clipboard()->setText(QString::fromLatin1(c.clipboard));
    if (c.selectLength)
        edit.setSelection(c.selectFrom, c.selectLength);
    else
        edit.setCursorPosition(c.selectFrom);
    pickFromContextMenu(QString::fromLatin1(c.entry));
    EXPECT_EQ(edit.text(), QString::fromLatin1(c.after));
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromLatin1(c.clipboardAfter));
    for (const char* absent : {"Undo", "Redo"})
        EXPECT_FALSE(offered.contains(QLatin1String(absent))) << absent << " is offered but cannot work";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Entries, ContextMenuTest,
    ::testing::Values(MenuCase{.name = "PasteDigits", .entry = "Paste", .before = "37      ", .selectFrom = 2,
                               .selectLength = 0, .clipboard = "65a4", .after = "37654   ", .clipboardAfter = "65a4"},
                      MenuCase{.name = "PasteACopiedCode", .entry = "Paste", .before = "37      ", .selectFrom = 2,
                               .selectLength = 0, .clipboard = "37654321", .after = "37654321",
                               .clipboardAfter = "37654321"},
                      MenuCase{.name = "PasteOverTheSelection", .entry = "Paste", .before = "37123456", .selectFrom = 4,
                               .selectLength = 2, .clipboard = "99", .after = "37129956", .clipboardAfter = "99"},
                      MenuCase{.name = "Cut", .entry = "Cut", .before = "37123456", .selectFrom = 3, .selectLength = 3,
                               .clipboard = "", .after = "371   56", .clipboardAfter = "234"},
                      MenuCase{.name = "Copy", .entry = "Copy", .before = "37123456", .selectFrom = 0,
                               .selectLength = 8, .clipboard = "", .after = "37123456", .clipboardAfter = "37123456"},
                      MenuCase{.name = "Delete", .entry = "Delete", .before = "37123456", .selectFrom = 2,
                               .selectLength = 6, .clipboard = "x", .after = "37      ", .clipboardAfter = "x"}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(MaskEditorTest, SelectAllFromTheMenuThenTypingStartsAfresh)
{
    edit.setText(QStringLiteral("37123456"));
    pickFromContextMenu(QStringLiteral("Select All"));
    EXPECT_EQ(edit.selectedText(), "37123456");
    QTest::keyClicks(&edit, "9");
    EXPECT_EQ(edit.text(), "379     ");
}

TEST_F(MaskEditorTest, ReadOnlyFieldOffersNoChange)
{
    edit.setText(QStringLiteral("37123456"));
    edit.setReadOnly(true);
    edit.selectAll();
    QApplication::clipboard()->setText(QStringLiteral("999999"));
    pickFromContextMenu(QStringLiteral("Copy"));
    EXPECT_EQ(QApplication::clipboard()->text(), "37123456");
    auto* menu = edit.findChild<QMenu*>();
    EXPECT_EQ(menu, nullptr) << "the menu goes when it closes";
    EXPECT_EQ(edit.text(), "37123456");
}

TEST_F(MaskEditorTest, TypingAfterAClickInTheRightHalfOfAnEmptyFieldIsNotLost)
{
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 4, edit.height() / 2));
    ASSERT_EQ(edit.cursorPosition(), 8) << "the click puts the cursor after the last position";
    QTest::keyClicks(&edit, "12");
    EXPECT_EQ(edit.text(), "3712    ");
    EXPECT_EQ(edit.beeps, 0);

    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClicks(&edit, "3456");
    EXPECT_EQ(edit.text(), "37123456");
    QTest::keyClicks(&edit, "7");
    EXPECT_EQ(edit.text(), "37123456");
    EXPECT_EQ(edit.beeps, 1) << "a full field refuses audibly";
}

TEST_F(MaskEditorTest, TypingOrPastingOverASelectionReplacesIt)
{
    edit.setText(QStringLiteral("37123456"));
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, "5");
    EXPECT_EQ(edit.text(), "375     ");

    edit.setText(QStringLiteral("37123456"));
    edit.setCursorPosition(4);
    QTest::keyClick(&edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&edit, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(&edit, "0");
    EXPECT_EQ(edit.text(), "37120 56") << "the selected positions are cleared, typing starts at the first";

    edit.setText(QStringLiteral("37123456"));
    QApplication::clipboard()->setText(QStringLiteral("789"));
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "37789   ");

    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.text(), "37789   ") << "a key the field cannot take leaves the selection";
    EXPECT_EQ(edit.beeps, 1);
    EXPECT_EQ(edit.selectedText(), "37789___");
}

TEST_F(MaskEditorTest, ACopiedFieldPastesBackInItsPlaces)
{
    edit.setText(QStringLiteral("37654321"));
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "37654321");

    CountingMaskEdit other;
    other.setEditMask(IdMask);
    other.show();
    other.setCursorPosition(2);
    QTest::keyClick(&other, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other.text(), "37654321");

    QApplication::clipboard()->setText(QStringLiteral("37123___")); // a copy of a part-filled field
    other.setCursorPosition(5);
    QTest::keyClick(&other, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other.text(), "37123   ");
    EXPECT_EQ(other.beeps, 0);

    TMaskEdit date;
    date.setEditMask(DateMask);
    QApplication::clipboard()->setText(QStringLiteral("2005/08/12"));
    date.setCursorPosition(0);
    QTest::keyClick(&date, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(date.text(), "2005/08/12");

    QApplication::clipboard()->setText(QStringLiteral("3765"));
    other.setText(QString());
    other.setCursorPosition(2);
    QTest::keyClick(&other, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(other.text(), "3765    ") << "the model digits lead it: it lands in its places";
}

TEST_F(MaskEditorTest, PastedCharactersTheFieldCannotTakeAreRefusedAudibly)
{
    QApplication::clipboard()->setText(QStringLiteral("12ab"));
    edit.setCursorPosition(2);
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "3712    ");
    EXPECT_EQ(edit.beeps, 1);
}

} // namespace
