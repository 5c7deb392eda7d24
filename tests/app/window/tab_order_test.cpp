// Walking the window with the keyboard: Tab and Shift+Tab on the focused control visit the
// shown page's controls in reading order, then the identification fields and the page
// buttons, and wrap; hidden and disabled controls are passed over.
#include "joystick_support.h"

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>

#include <ostream>
#include <string>
#include <vector>

namespace {

using joystick::Pick;
using Names = std::vector<std::string>;

struct PageCase {
    const char* name;
    int page;
    Names controls; // in Tab order, as the page stands after the fixture's picks
};

void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }

const Names GeneralPage{"TxModeFunc",     "DutyCycleFunc",   "SleepEMSFunc", "LEDGleamFunc", "TxRemoteFunc",
                        "PassiveEMSFunc", "PassiveTimeFunc", "AutoOffFunc",  "RxRemoteFunc", "ARRelaySelect",
                        "AR_Time",        "R0Func",          "R1Func",       "R0EMS",        "R1EMS",
                        "InchTime",       "R0R1RepFunc",     "SwBFunc",      "SwB1Func",     "SwBEMS",
                        "SwB1EMS",        "SwBABFunc",       "SwCFunc",      "SwC1Func",     "SwCEMS",
                        "SwC1EMS",        "SwCABFunc"};

class TabWalk : public FormFixture {
protected:
    // The window on screen and active, every relay grid enabled by a count, on `page`.
    ProbeForm& showPage(int page, bool pickCounts = true)
    {
        ProbeForm& f = makeForm();
        f.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        f.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f));
        if (pickCounts) {
            for (QComboBox* list : {f.LRRelayCount, f.UDRelayCount, f.EWRelayCount, f.SNRelayCount})
                Pick(list, 2);
        }
        for (int i = 0; i < page; ++i)
            f.NextPageBtnClick(&f);
        return f;
    }

    static Names withTail(const ProbeForm& f, Names names)
    {
        for (const char* field : {"IDCODE", "MachineSN", "EEqupmentDate"})
            names.emplace_back(field);
        if (f.PreviousPageBtn->isEnabled())
            names.emplace_back("PreviousPageBtn");
        if (f.NextPageBtn->isEnabled())
            names.emplace_back("NextPageBtn");
        return names;
    }

    // Presses the key on whatever has the focus, `count` times; the names of where it went.
    static Names walk(int count, bool back = false)
    {
        Names visited;
        for (int i = 0; i < count; ++i) {
            QWidget* focused = QApplication::focusWidget();
            if (!focused) {
                visited.emplace_back("(none)");
                break;
            }
            if (back)
                QTest::keyClick(focused, Qt::Key_Backtab, Qt::ShiftModifier);
            else
                QTest::keyClick(focused, Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            visited.emplace_back(!now                ? "(none)"
                                 : !now->isVisible() ? "(hidden) " + now->objectName().toStdString()
                                 : !now->isEnabled() ? "(disabled) " + now->objectName().toStdString()
                                                     : now->objectName().toStdString());
        }
        return visited;
    }

    static void focusOn(ProbeForm& f, const std::string& name)
    {
        auto* w = f.findChild<QWidget*>(QString::fromStdString(name));
        ASSERT_NE(w, nullptr) << name;
        ASSERT_TRUE(w->isVisible()) << name;
        w->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), w) << name;
    }

    static void expectFocusShown()
    {
        const QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused->isVisible() && focused->isEnabled()) << focused->objectName().toStdString();
    }

    // Tab from the first control round to it again, then Shift+Tab the same way back.
    void expectRound(ProbeForm& f, const Names& controls)
    {
        const Names ring = withTail(f, controls);
        focusOn(f, ring.front());
        Names forward(ring.begin() + 1, ring.end());
        forward.push_back(ring.front());
        EXPECT_EQ(walk(static_cast<int>(ring.size())), forward);

        Names backward(ring.rbegin(), ring.rend());
        EXPECT_EQ(walk(static_cast<int>(ring.size()), true), backward);
    }
};

class TabWalkTest : public TabWalk, public ::testing::WithParamInterface<PageCase> {};

TEST_P(TabWalkTest, TabVisitsThePageInReadingOrderThenTheHeaderAndButtonsAndWraps)
{
    const PageCase& c = GetParam();
    ProbeForm& f = showPage(c.page);
    expectRound(f, c.controls);
    // Tab left every memo as it was: it moves on, it does not type.
    for (const QPlainTextEdit* memo : f.findChildren<QPlainTextEdit*>())
        EXPECT_EQ(memo->toPlainText(), "") << memo->objectName().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, TabWalkTest,
    ::testing::Values(
        PageCase{"General", 0, GeneralPage},
        PageCase{"Joy1X",
                 1,
                 {"LRRelayCount", "LeftAccTime", "RightAccTime", "LeftInchTime", "RightInchTime", "LR_InterLock",
                  "LRRelayTable"}},
        PageCase{"Joy1Y",
                 2,
                 {"UDRelayCount", "DownAccTime", "UpAccTime", "DownInchTime", "UpInchTime", "UD_InterLock",
                  "UDRelayTable"}},
        PageCase{"Joy2X",
                 3,
                 {"EWRelayCount", "EastAccTime", "WestAccTime", "EastInchTime", "WestInchTime", "EW_InterLock",
                  "EWRelayTable"}},
        PageCase{"Joy2Y",
                 4,
                 {"SNRelayCount", "NorthAccTime", "SouthAccTime", "NorthInchTime", "SouthInchTime", "SN_InterLock",
                  "SNRelayTable"}},
        PageCase{"Customer",
                 5,
                 {"ECustomerNo", "ECompanyName", "ECompanyFax", "ECompanyTel", "ECompanyEmail", "MCompanyAdd",
                  "EContectName", "EContectTel", "EContectMobil", "EContectEmail", "MRemark", "EChanel", "EFrequency"}},
        PageCase{"Special",
                 6,
                 {"LowBattFunc", "LowBattEMSFunc", "EMSCounterFunc", "BattCounterFunc", "DutyTx", "DutyCounter",
                  "VR1YGap", "VR1XGap", "VR2YGap", "VR2XGap", "BattUp", "BattUp1", "BattDown", "BattDown1"}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST_F(TabWalk, TheWindowOpensWithTheFirstListOfTheGeneralPageFocused)
{
    showPage(0, false);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "TxModeFunc");
}

TEST_F(TabWalk, ControlsThatHandlersHideOrDisableArePassedOver)
{
    ProbeForm& f = showPage(0, false);
    // Each while the control it takes away has the focus, as a load can do.
    focusOn(f, "AR_Time");
    Pick(f.ARRelaySelect, 1); // no action relay: its time list goes
    expectFocusShown();
    focusOn(f, "SleepEMSFunc");
    Pick(f.TxModeFunc, 0); // not continuous: both power-saving EMS lists are fixed
    expectFocusShown();
    ASSERT_FALSE(f.AR_Time->isVisible());
    ASSERT_FALSE(f.SleepEMSFunc->isEnabled());
    ASSERT_FALSE(f.PassiveEMSFunc->isEnabled());
    Names controls = GeneralPage;
    std::erase_if(controls,
                  [](const std::string& n) { return n == "AR_Time" || n == "SleepEMSFunc" || n == "PassiveEMSFunc"; });
    expectRound(f, controls);

    // A grid without a count is disabled and passed over too.
    f.NextPageBtnClick(&f);
    ASSERT_FALSE(f.LRRelayTable->isEnabled());
    expectRound(f, {"LRRelayCount", "LeftAccTime", "RightAccTime", "LeftInchTime", "RightInchTime", "LR_InterLock"});
}

TEST_F(TabWalk, AGridTakesTheFocusButNoOtherKeyAndTabLeavesIt)
{
    ProbeForm& f = showPage(1);
    focusOn(f, "LR_InterLock");
    EXPECT_EQ(walk(1), Names{"LRRelayTable"});
    // The focus shows, on the first cell a click can toggle, and goes with it.
    const QRect first = f.LRRelayTable->visualRect(f.LRRelayTable->model()->index(1, 1));
    const QImage focusedCell = f.LRRelayTable->viewport()->grab(first).toImage();
    QWidget* away = f.LRRelayCount;
    away->setFocus(Qt::TabFocusReason);
    EXPECT_NE(f.LRRelayTable->viewport()->grab(first).toImage(), focusedCell);
    f.LRRelayTable->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.LRRelayTable->viewport()->grab(first).toImage(), focusedCell);

    const velko::SegmentImage before = velko::EditImage;
    const int row = f.LRRelayTable->currentRow(), column = f.LRRelayTable->currentColumn();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Space, Qt::Key_Return})
        QTest::keyClick(f.LRRelayTable, key);
    EXPECT_EQ(QApplication::focusWidget(), f.LRRelayTable);
    EXPECT_EQ(f.LRRelayTable->currentRow(), row);
    EXPECT_EQ(f.LRRelayTable->currentColumn(), column);
    EXPECT_EQ(velko::EditImage, before);
    EXPECT_EQ(walk(1), Names{"IDCODE"});
    EXPECT_EQ(walk(2, true), (Names{"LRRelayTable", "LR_InterLock"}));
}

TEST_F(TabWalk, FocusStaysOnTheShownPageWhenThePageChanges)
{
    ProbeForm& f = showPage(0);
    // The next-page button pressed from the keyboard up to the last page, where it goes off.
    focusOn(f, "NextPageBtn");
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(f.PageControl->currentIndex(), 6);
    expectFocusShown();

    // A read or an open goes back to the first page while an edit of another page has the focus.
    focusOn(f, "BattUp1");
    f.PageControl->setCurrentIndex(1);
    f.PreviousPageBtnClick(&f);
    ASSERT_EQ(f.PageControl->currentIndex(), 0);
    expectFocusShown();
    EXPECT_EQ(walk(1).front().find('('), std::string::npos);
}

} // namespace
