#include "form_fixture.h"
#include "imageex.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <ostream>

namespace {

int pictureState(const TImageEx* button) { return button->property("pictureState").toInt(); }

struct ButtonCase {
    const char* name;
    TImageEx* Ui::TMainForm::*button;
    int leave, enter, press;
    int ProbeForm::*work;    // null: release does nothing more
    QMenu* TMainForm::*menu; // null: press opens nothing
};

void PrintTo(const ButtonCase& c, std::ostream* os) { *os << c.name; }

class ToolBarButtonTest : public FormFixture, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ToolBarButtonTest, PicturesWorkAndMenuForAnyMouseButton)
{
    const ButtonCase& c = GetParam();
    ProbeForm& f = makeForm();
    TImageEx* button = f.*c.button;
    EXPECT_EQ(pictureState(button), c.leave);

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_EQ(pictureState(button), c.enter);

    QTest::mousePress(button, Qt::RightButton);
    EXPECT_EQ(pictureState(button), c.press);
    if (c.menu) {
        ASSERT_EQ(f.popups.size(), 1u);
        EXPECT_EQ(f.popups[0].first, f.*c.menu);
        const QPoint outer = f.frameGeometry().topLeft();
        EXPECT_EQ(f.popups[0].second, QPoint(outer.x() + button->x() + 5, outer.y() + 89));
    } else {
        EXPECT_TRUE(f.popups.empty());
    }

    QTest::mouseRelease(button, Qt::RightButton);
    EXPECT_EQ(pictureState(button), c.enter);
    const int works = f.opens + f.saves + f.reads + f.writes;
    if (c.work) {
        EXPECT_EQ(f.*c.work, 1);
        EXPECT_EQ(works, 1);
    } else {
        EXPECT_EQ(works, 0);
    }

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(pictureState(button), c.leave);
    EXPECT_EQ(button->toolTip().isEmpty(), false);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Buttons, ToolBarButtonTest,
    ::testing::Values(ButtonCase{.name = "OpenFileBtn", .button = &Ui::TMainForm::OpenFileBtn, .leave = 1, .enter = 2,
                                 .press = 3, .work = &ProbeForm::opens, .menu = nullptr},
                      ButtonCase{.name = "SaveFileBtn", .button = &Ui::TMainForm::SaveFileBtn, .leave = 4, .enter = 5,
                                 .press = 6, .work = &ProbeForm::saves, .menu = nullptr},
                      ButtonCase{.name = "PrintBtn", .button = &Ui::TMainForm::PrintBtn, .leave = 7, .enter = 8,
                                 .press = 9, .work = nullptr, .menu = &TMainForm::PrintMenu},
                      ButtonCase{.name = "ReadSetBtn", .button = &Ui::TMainForm::ReadSetBtn, .leave = 10, .enter = 11,
                                 .press = 12, .work = &ProbeForm::reads, .menu = nullptr},
                      ButtonCase{.name = "WriteSetBtn", .button = &Ui::TMainForm::WriteSetBtn, .leave = 13, .enter = 14,
                                 .press = 15, .work = &ProbeForm::writes, .menu = nullptr},
                      ButtonCase{.name = "AboutBtn", .button = &Ui::TMainForm::AboutBtn, .leave = 16, .enter = 17,
                                 .press = 18, .work = nullptr, .menu = &TMainForm::COMMenu}));
// clang-format on

TEST_F(FormFixture, DisableTwiceThenEnableOnceLeavesTheToolBarOn)
{
    ProbeForm& f = makeForm();
    const TImageEx* buttons[] = {f.OpenFileBtn, f.SaveFileBtn, f.PrintBtn, f.ReadSetBtn, f.WriteSetBtn, f.AboutBtn};
    f.Disable_Button();
    for (const TImageEx* b : buttons)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(f.NextPageBtn->isEnabled()) << "only the tool bar goes off";
    f.Disable_Button();
    f.Enable_Button();
    for (const TImageEx* b : buttons)
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
}

TEST_F(FormFixture, ADisabledButtonStartsNoWork)
{
    ProbeForm& f = makeForm();
    f.Disable_Button();
    QTest::mouseClick(f.ReadSetBtn, Qt::LeftButton);
    EXPECT_EQ(f.reads, 0);
}

struct WalkCase {
    int active;
    int next; // -1: nothing happens
    int previous;
};

void PrintTo(const WalkCase& c, std::ostream* os) { *os << "from" << c.active; }

class PageWalkTest : public FormFixture, public ::testing::WithParamInterface<WalkCase> {};

void expectOnPage(const ProbeForm& f, int page)
{
    EXPECT_EQ(f.PageControl->currentIndex(), page);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(f.PageControl->isTabVisible(i), i == page) << "sheet " << i;
    EXPECT_EQ(f.PreviousPageBtn->isEnabled(), page > 0);
    EXPECT_EQ(f.NextPageBtn->isEnabled(), page < 6);
}

TEST_P(PageWalkTest, StepsToTheTablesPage)
{
    const WalkCase& c = GetParam();
    ProbeForm& f = makeForm();
    for (int i = 0; i < c.active; ++i)
        f.NextPageBtnClick(&f);
    expectOnPage(f, c.active);

    f.NextPageBtnClick(&f);
    expectOnPage(f, c.next < 0 ? c.active : c.next);

    for (int i = 0; i < 6; ++i)
        f.PreviousPageBtnClick(&f);
    for (int i = 0; i < c.active; ++i)
        f.NextPageBtnClick(&f);
    f.PreviousPageBtnClick(&f);
    expectOnPage(f, c.previous);
}

INSTANTIATE_TEST_SUITE_P(Table, PageWalkTest,
                         ::testing::Values(WalkCase{0, 1, 0}, WalkCase{1, 2, 0}, WalkCase{2, 3, 1}, WalkCase{3, 4, 2},
                                           WalkCase{4, 5, 3}, WalkCase{5, 6, 4}, WalkCase{6, -1, 5}));

TEST_F(FormFixture, PageButtonsWalkWhenClicked)
{
    ProbeForm& f = makeForm();
    QTest::mouseClick(f.NextPageBtn, Qt::LeftButton);
    EXPECT_EQ(f.PageControl->currentIndex(), 1);
    QTest::mouseClick(f.PreviousPageBtn, Qt::LeftButton);
    EXPECT_EQ(f.PageControl->currentIndex(), 0);
}

TEST_F(FormFixture, BackgroundOfASixHundredPixelWindow)
{
    ProbeForm& f = makeForm();
    f.setFixedHeight(600);
    const QImage shot = f.grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 300), QColor(128, 144, 192));
    EXPECT_EQ(shot.pixelColor(2, 0), QColor(255, 255, 255));
}

TEST_F(FormFixture, StatusBarPanelsAndClock)
{
    ProbeForm& f = makeForm();
    const int widths[] = {30, 370, 85, 50};
    const char* texts[] = {"狀態", "", "日期", "時間"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.StatusPanels[i]->width(), widths[i]);
        EXPECT_EQ(f.StatusPanels[i]->text(), QString::fromUtf8(texts[i]));
    }
    EXPECT_EQ(f.DateTimer->interval(), 1000);
    EXPECT_TRUE(f.DateTimer->isActive());
    f.DateTimerTimer(f.DateTimer);
    EXPECT_EQ(f.StatusPanels[2]->text(), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    EXPECT_FALSE(f.StatusPanels[3]->text().isEmpty());
    EXPECT_NE(f.StatusPanels[3]->text(), "時間");
}

TEST_F(FormFixture, PopUpMenusHoldTheirItems)
{
    ProbeForm& f = makeForm();
    ASSERT_EQ(f.PrintMenu->actions().size(), 2);
    EXPECT_EQ(f.PrintMenu->actions()[0], f.NPreviewSch);
    EXPECT_EQ(f.NPreviewSch->text(), "預    覽    接   線   圖");
    EXPECT_EQ(f.NPrintSetup->text(), "列      印      設      定");
    ASSERT_EQ(f.COMMenu->actions().size(), 2);
    EXPECT_EQ(f.COMMenu->actions()[0]->menu(), f.COM11);
    EXPECT_EQ(f.COM11->title(), "Select COM Port");
    ASSERT_EQ(f.COM11->actions().size(), 10);
    EXPECT_EQ(f.COM11->actions()[9]->text(), "COM 10");
    EXPECT_EQ(f.AboutProgram1->text(), "About Program");
    EXPECT_FALSE(f.NPrintSetup->icon().isNull());
    EXPECT_FALSE(f.AboutProgram1->icon().isNull());
}

TEST(ImageEx, EnterAndLeaveFireOnceWithTheControlAsSender)
{
    TImageEx image;
    std::vector<std::pair<const char*, QObject*>> seen;
    image.OnMouseEnter = [&](QObject* s) { seen.emplace_back("enter", s); };
    image.OnMouseLeave = [&](QObject* s) { seen.emplace_back("leave", s); };
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&image, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&image, &leave);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_STREQ(seen[0].first, "enter");
    EXPECT_EQ(seen[0].second, &image);
    EXPECT_STREQ(seen[1].first, "leave");
    EXPECT_EQ(seen[1].second, &image);
}

TEST(ImageEx, PressesAndReleasesReachTheMouseEvents)
{
    TImageEx image;
    image.resize(52, 63);
    std::vector<Qt::MouseButton> downs, ups;
    image.OnMouseDown = [&](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { downs.push_back(b); };
    image.OnMouseUp = [&](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) { ups.push_back(b); };
    QTest::mouseClick(&image, Qt::MiddleButton);
    QTest::mouseClick(&image, Qt::LeftButton);
    EXPECT_EQ(downs, (std::vector<Qt::MouseButton>{Qt::MiddleButton, Qt::LeftButton}));
    EXPECT_EQ(ups, downs);

    TImageEx plain; // without handlers it is a plain picture
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&plain, &enter);
    QTest::mouseClick(&plain, Qt::LeftButton);
}

} // namespace

namespace {

// The window with its real pop-up menus.
class RealMenuForm : public ProbeForm {
protected:
    void PopupMenuAt(QMenu* menu, const QPoint& at) override { TMainForm::PopupMenuAt(menu, at); }
};

struct PressedCase {
    const char* name;
    TImageEx* Ui::TMainForm::*button;
    QMenu* TMainForm::*menu;
    int leave, enter, press;
};

void PrintTo(const PressedCase& c, std::ostream* os) { *os << c.name; }

// The window shown with its real menus, the pointer resting on the case's button.
class PressedPictureTest : public FormFixture, public ::testing::WithParamInterface<PressedCase> {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        real = std::make_unique<RealMenuForm>();
        MainForm = real.get();
        button = real.get()->*GetParam().button;
        menu = real.get()->*GetParam().menu;
        middle = button->rect().center();
        real->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(real.get()));
        QTest::mouseMove(real.get(), QPoint(500, 300));
        QCursor::setPos(button->mapToGlobal(middle));
        QTest::mouseMove(button, middle);
        QCoreApplication::processEvents();
        ASSERT_EQ(pictureState(button), GetParam().enter);
    }
    void TearDown() override
    {
        MainForm = nullptr;
        real.reset();
        FormFixture::TearDown();
    }

    std::unique_ptr<RealMenuForm> real;
    TImageEx* button = nullptr;
    QMenu* menu = nullptr;
    QPoint middle;
};

// The pop-up's opening takes the pointer from the button: the pressed picture stays all the
// same until the menu closes.
TEST_P(PressedPictureTest, StaysWhileTheRealMenuIsOpen)
{
    const PressedCase& c = GetParam();

    bool menuWasOpen = false;
    std::vector<int> whileOpen;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (QApplication::activePopupWidget() != menu)
            return;
        menuWasOpen = true;
        whileOpen.push_back(pictureState(button));
        if (whileOpen.size() == 3)
            menu->close();
    });
    probe.start();
    QTest::mousePress(button, Qt::LeftButton, {}, middle);
    probe.stop();
    QTest::mouseRelease(button, Qt::LeftButton, {}, middle);
    EXPECT_TRUE(menuWasOpen);
    EXPECT_EQ(whileOpen, std::vector<int>(3, c.press));
    EXPECT_EQ(pictureState(button), c.enter) << "released over the button";
    QTest::mouseMove(real.get(), QPoint(500, 300));
    EXPECT_EQ(pictureState(button), c.leave);
}

// Swallows every leave the button gets, as X does while a pop-up holds the pointer and
// after it is closed by a click elsewhere.
class NoLeave : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Leave; }
};

// A menu closed with the pointer elsewhere: the button must not stay lit, even when no
// leave reaches it.
TEST_P(PressedPictureTest, MenuClosedWithThePointerElsewhereLeavesTheButton)
{
    const PressedCase& c = GetParam();

    NoLeave noLeave;
    button->installEventFilter(&noLeave);
    bool menuWasOpen = false;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (QApplication::activePopupWidget() != menu)
            return;
        menuWasOpen = true;
        QCursor::setPos(real->mapToGlobal(QPoint(500, 300)));
        menu->close();
    });
    probe.start();
    QTest::mousePress(button, Qt::LeftButton, {}, middle);
    probe.stop();
    EXPECT_TRUE(menuWasOpen);
    EXPECT_EQ(pictureState(button), c.leave);
    button->removeEventFilter(&noLeave);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Buttons, PressedPictureTest,
    ::testing::Values(PressedCase{.name = "PrintBtn", .button = &Ui::TMainForm::PrintBtn, .menu = &TMainForm::PrintMenu,
                                  .leave = 7, .enter = 8, .press = 9},
                      PressedCase{.name = "AboutBtn", .button = &Ui::TMainForm::AboutBtn, .menu = &TMainForm::COMMenu,
                                  .leave = 16, .enter = 17, .press = 18}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

} // namespace
