#include "joystick_support.h"
#include "relay_budget.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>

#include <ostream>

namespace {

using joystick::Pick;
using joystick::Tick;
using velko::EditImage;
using velko::SegA;
using velko::SegB;

struct TimeListCase {
    const char* name;
    QComboBox* Ui::TMainForm::*list;
    void (TMainForm::*change)(QObject*);
    int segAByte;
    bool inching; // else acceleration
};

void PrintTo(const TimeListCase& c, std::ostream* os) { *os << c.name; }

class TimeListTest : public FormFixture, public ::testing::WithParamInterface<TimeListCase> {};

TEST_P(TimeListTest, PickStoresTheTableEntryAndNoItemStoresNothing)
{
    const TimeListCase& c = GetParam();
    ProbeForm& f = makeForm();
    QComboBox* list = f.*c.list;
    EXPECT_EQ(list->currentIndex(), -1);
    const std::uint8_t* table = c.inching ? velko::InchTimeTable.data() : velko::AccDelayTable.data();
    const velko::SegmentImage start = EditImage;
    for (int item : {0, 5, 7}) {
        Pick(list, item);
        EXPECT_EQ(SegA(EditImage, c.segAByte), table[item]) << item;
    }
    velko::SegmentImage expected = start;
    SegA(expected, c.segAByte) = table[7];
    EXPECT_EQ(EditImage, expected); // no other byte

    list->setCurrentIndex(-1);
    (f.*c.change)(list);
    EXPECT_EQ(EditImage, expected);
}

#define TIME_LIST(list, byte, inching) \
    TimeListCase { #list, &Ui::TMainForm::list, &TMainForm::list##Change, byte, inching }

INSTANTIATE_TEST_SUITE_P(Lists, TimeListTest,
                         ::testing::Values(TIME_LIST(LeftAccTime, 20, false), TIME_LIST(RightAccTime, 32, false),
                                           TIME_LIST(DownAccTime, 17, false), TIME_LIST(UpAccTime, 12, false),
                                           TIME_LIST(EastAccTime, 33, false), TIME_LIST(WestAccTime, 34, false),
                                           TIME_LIST(NorthAccTime, 36, false), TIME_LIST(SouthAccTime, 35, false),
                                           TIME_LIST(LeftInchTime, 45, true), TIME_LIST(RightInchTime, 46, true),
                                           TIME_LIST(DownInchTime, 44, true), TIME_LIST(UpInchTime, 43, true),
                                           TIME_LIST(EastInchTime, 47, true), TIME_LIST(WestInchTime, 118, true),
                                           TIME_LIST(NorthInchTime, 120, true), TIME_LIST(SouthInchTime, 119, true)),
                         [](const auto& c) { return std::string(c.param.name); });

struct InterlockCase {
    const char* name;
    QComboBox* Ui::TMainForm::*list;
    void (TMainForm::*change)(QObject*);
    int delayByte;
    std::uint8_t bit;
};

void PrintTo(const InterlockCase& c, std::ostream* os) { *os << c.name; }

class InterlockTest : public FormFixture, public ::testing::WithParamInterface<InterlockCase> {};

TEST_P(InterlockTest, ItemZeroClearsItsBitOthersSetItAndStoreTheDelay)
{
    const InterlockCase& c = GetParam();
    ProbeForm& f = makeForm();
    QComboBox* list = f.*c.list;
    const std::uint8_t others = static_cast<std::uint8_t>(0x0F & ~c.bit);
    SegB(EditImage, 48) = others | 0xF0;

    Pick(list, 3);
    EXPECT_EQ(SegB(EditImage, c.delayByte), 66);
    EXPECT_EQ(SegB(EditImage, 48), 0xFF);
    Pick(list, 0);
    EXPECT_EQ(SegB(EditImage, c.delayByte), 0);
    EXPECT_EQ(SegB(EditImage, 48), others | 0xF0);
    Pick(list, 7);
    EXPECT_EQ(SegB(EditImage, c.delayByte), 255);

    // No item: the bit is set and the delay kept.
    SegB(EditImage, 48) = others;
    SegB(EditImage, c.delayByte) = 42;
    list->setCurrentIndex(-1);
    (f.*c.change)(list);
    EXPECT_EQ(SegB(EditImage, 48), 0x0F);
    EXPECT_EQ(SegB(EditImage, c.delayByte), 42);
}

#define INTERLOCK(list, byte, bit) \
    InterlockCase { #list, &Ui::TMainForm::list, &TMainForm::list##Change, byte, bit }

INSTANTIATE_TEST_SUITE_P(Lists, InterlockTest,
                         ::testing::Values(INTERLOCK(LR_InterLock, 44, 0x01), INTERLOCK(UD_InterLock, 45, 0x02),
                                           INTERLOCK(EW_InterLock, 46, 0x04), INTERLOCK(SN_InterLock, 47, 0x08)),
                         [](const auto& c) { return std::string(c.param.name); });

struct CountCase {
    const char* name;
    QComboBox* Ui::TMainForm::*list;
    void (TMainForm::*change)(QObject*);
    QTableWidget* Ui::TMainForm::*grid;
    int group;
    int countByte;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class RelayCountTest : public FormFixture, public ::testing::WithParamInterface<CountCase> {};

TEST_P(RelayCountTest, PickShapesTheGridAndRaisesTheFlag)
{
    const CountCase& c = GetParam();
    ProbeForm& f = makeForm();
    QComboBox* list = f.*c.list;
    QTableWidget* grid = f.*c.grid;
    EXPECT_FALSE(grid->isEnabled());
    EXPECT_EQ(grid->rowCount(), 17);

    const struct {
        int item, rows, height, fixedRows;
    } shapes[] = {{16, 17, 356, 1}, {3, 4, 83, 1}, {0, 1, 20, 0}, {1, 2, 41, 1}};
    for (const auto& s : shapes) {
        velko::RelayCountDirty[static_cast<std::size_t>(c.group)] = false;
        Pick(list, s.item);
        EXPECT_EQ(SegA(EditImage, c.countByte), s.item);
        EXPECT_EQ(velko::AxisRelayNum(c.group), s.item);
        EXPECT_EQ(grid->rowCount(), s.rows) << s.item;
        EXPECT_EQ(grid->height(), s.height) << s.item;
        EXPECT_EQ(joystick::FixedRows(grid), s.fixedRows) << s.item;
        EXPECT_TRUE(grid->isEnabled());
        EXPECT_TRUE(velko::RelayCountDirty[static_cast<std::size_t>(c.group)]);
    }

    // No item: what the loader leaves after a stored count above 16.
    list->setCurrentIndex(-1);
    (f.*c.change)(list);
    EXPECT_EQ(SegA(EditImage, c.countByte), 0xFF);
    EXPECT_EQ(velko::AxisRelayNum(c.group), -1);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(joystick::FixedRows(grid), 0);
    EXPECT_EQ(grid->height(), 0);
    Tick(f);
    EXPECT_EQ(velko::AxisRelayNum(c.group), 0);
    EXPECT_EQ(f.RelayCounterLabel->text(), "40");
}

#define COUNT(list, grid, group, byte) \
    CountCase { #list, &Ui::TMainForm::list, &TMainForm::list##Change, &Ui::TMainForm::grid, velko::group, byte }

INSTANTIATE_TEST_SUITE_P(Lists, RelayCountTest,
                         ::testing::Values(COUNT(UDRelayCount, UDRelayTable, UD, 38),
                                           COUNT(LRRelayCount, LRRelayTable, LR, 39),
                                           COUNT(EWRelayCount, EWRelayTable, EW, 40),
                                           COUNT(SNRelayCount, SNRelayTable, SN, 41)),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(FormFixture, RelayCountRebuildsTheAllocationOnlyWhileSettingsAreLoaded)
{
    ProbeForm& f = makeForm();
    AllocationText = "untouched";
    Pick(f.LRRelayCount, 1);
    EXPECT_EQ(AllocationText, "untouched");
    SettingsLoaded = 1;
    Pick(f.LRRelayCount, 2);
    EXPECT_EQ(AllocationText, "<td>N/A</td>\r\n<td>N/A</td>\r\n<td>N/A</td>\r\n");
}

// The budget as the timer applies it: counts picked on the four pages, then one tick.
struct TickCase {
    const char* name;
    int keys;
    int lr, ud, ew, sn; // picked in this order
    int lastLr;         // picked last when >= 0 (the change that breaks the budget)
    int expLr, expUd, expEw, expSn;
    int lrSteps, udSteps, ewSteps, snSteps; // handler runs of the last tick
    const char* freeRelays;
};

void PrintTo(const TickCase& c, std::ostream* os) { *os << c.name; }

class BudgetTickTest : public FormFixture, public ::testing::WithParamInterface<TickCase> {};

TEST_P(BudgetTickTest, OneTickBringsTheTotalTo40AtTheCostOfSnFirst)
{
    const TickCase& c = GetParam();
    ProbeForm& f = makeForm();
    joystick::SetKeyRelays(c.keys);
    // All within one timer period, as a load leaves them: 7 + 3 x 16 is over already.
    Pick(f.LRRelayCount, c.lr);
    Pick(f.UDRelayCount, c.ud);
    Pick(f.EWRelayCount, c.ew);
    if (c.lastLr >= 0)
        Pick(f.SNRelayCount, c.sn);
    if (c.lastLr >= 0)
        Pick(f.LRRelayCount, c.lastLr);
    else
        Pick(f.SNRelayCount, c.sn);
    // Every handler run of the tick shrinks its grid by one row.
    QTableWidget* const grids[] = {f.LRRelayTable, f.UDRelayTable, f.EWRelayTable, f.SNRelayTable};
    std::vector<std::unique_ptr<QSignalSpy>> shrinks;
    for (QTableWidget* grid : grids)
        shrinks.push_back(std::make_unique<QSignalSpy>(grid->model(), &QAbstractItemModel::rowsRemoved));
    Tick(f);

    EXPECT_EQ(velko::LRRelayNum, c.expLr);
    EXPECT_EQ(velko::UDRelayNum, c.expUd);
    EXPECT_EQ(velko::EWRelayNum, c.expEw);
    EXPECT_EQ(velko::SNRelayNum, c.expSn);
    EXPECT_EQ(f.LRRelayCount->currentIndex(), c.expLr);
    EXPECT_EQ(f.UDRelayCount->currentIndex(), c.expUd);
    EXPECT_EQ(f.EWRelayCount->currentIndex(), c.expEw);
    EXPECT_EQ(f.SNRelayCount->currentIndex(), c.expSn);
    EXPECT_EQ(SegA(EditImage, 39), c.expLr);
    EXPECT_EQ(SegA(EditImage, 38), c.expUd);
    EXPECT_EQ(SegA(EditImage, 40), c.expEw);
    EXPECT_EQ(SegA(EditImage, 41), c.expSn);
    EXPECT_EQ(f.SNRelayTable->rowCount(), c.expSn + 1);
    EXPECT_EQ(f.EWRelayTable->height(), 21 * c.expEw + 20);
    const int steps[] = {c.lrSteps, c.udSteps, c.ewSteps, c.snSteps};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(shrinks[static_cast<std::size_t>(i)]->count(), steps[i]) << i;
    }
    EXPECT_EQ(f.RelayCounterLabel->text(), c.freeRelays);
    // The next tick has nothing left to do.
    Tick(f);
    EXPECT_EQ(velko::SNRelayNum, c.expSn);
    EXPECT_EQ(f.RelayCounterLabel->text(), c.freeRelays);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, BudgetTickTest,
    ::testing::Values(TickCase{.name = "ExactlyForty", .keys = 0, .lr = 10, .ud = 10, .ew = 10, .sn = 10, .lastLr = -1,
                               .expLr = 10, .expUd = 10, .expEw = 10, .expSn = 10, .lrSteps = 0, .udSteps = 0,
                               .ewSteps = 0, .snSteps = 0, .freeRelays = "0"},
                      TickCase{.name = "SeventyOne", .keys = 7, .lr = 16, .ud = 16, .ew = 16, .sn = 16, .lastLr = -1,
                               .expLr = 16, .expUd = 16, .expEw = 1, .expSn = 0, .lrSteps = 0, .udSteps = 0,
                               .ewSteps = 15, .snSteps = 16, .freeRelays = "0"},
                      TickCase{.name = "RaisingLrLowersSn", .keys = 0, .lr = 10, .ud = 10, .ew = 10, .sn = 10,
                               .lastLr = 12, .expLr = 12, .expUd = 10, .expEw = 10, .expSn = 8, .lrSteps = 0,
                               .udSteps = 0, .ewSteps = 0, .snSteps = 2, .freeRelays = "0"},
                      TickCase{.name = "ThreeKeyRelays", .keys = 3, .lr = 2, .ud = 0, .ew = 1, .sn = 2, .lastLr = -1,
                               .expLr = 2, .expUd = 0, .expEw = 1, .expSn = 2, .lrSteps = 0, .udSteps = 0, .ewSteps = 0,
                               .snSteps = 0, .freeRelays = "32"}),
    [](const auto& c) { return std::string(c.param.name); });
// clang-format on

TEST_F(FormFixture, TickLabelsTheRowsAfterTheKeyRelays)
{
    ProbeForm& f = makeForm();
    joystick::SetKeyRelays(3);
    Pick(f.LRRelayCount, 2);
    Pick(f.UDRelayCount, 0);
    Pick(f.EWRelayCount, 1);
    Pick(f.SNRelayCount, 2);
    Tick(f);
    EXPECT_EQ(velko::CellText(f.LRRelayTable, 1, 0), "RY4");
    EXPECT_EQ(velko::CellText(f.LRRelayTable, 2, 0), "RY5");
    EXPECT_EQ(f.UDRelayTable->rowCount(), 1);
    EXPECT_EQ(velko::CellText(f.EWRelayTable, 1, 0), "RY6");
    EXPECT_EQ(velko::CellText(f.SNRelayTable, 1, 0), "RY7");
    EXPECT_EQ(velko::CellText(f.SNRelayTable, 2, 0), "RY8");
    EXPECT_EQ(f.RelayCounterLabel->text(), "32");

    // A later change renumbers the axes behind it.
    Pick(f.UDRelayCount, 1);
    Tick(f);
    EXPECT_EQ(velko::CellText(f.UDRelayTable, 1, 0), "RY6");
    EXPECT_EQ(velko::CellText(f.EWRelayTable, 1, 0), "RY7");
    EXPECT_EQ(velko::CellText(f.SNRelayTable, 2, 0), "RY9");
    EXPECT_EQ(velko::CellText(f.LRRelayTable, 0, 0), "");
}

TEST_F(FormFixture, TickRunsFromTheTimerAndShowsFreeRelaysAtStart)
{
    ProbeForm& f = makeForm();
    EXPECT_EQ(f.ShowRelayTimer->interval(), 200);
    EXPECT_TRUE(f.ShowRelayTimer->isActive());
    joystick::SetKeyRelays(5);
    Pick(f.LRRelayCount, 4);
    EXPECT_EQ(f.RelayCounterLabel->text(), "40");
    QTRY_COMPARE_WITH_TIMEOUT(f.RelayCounterLabel->text(), QStringLiteral("31"), 2000);
    EXPECT_EQ(velko::CellText(f.LRRelayTable, 1, 0), "RY6");
}

TEST_F(FormFixture, MalformedCountsNeverHangAndNeverReadPastTheTables)
{
    ProbeForm& f = makeForm();
    SettingsLoaded = 1;
    // What a loaded image can leave: lists at items, counts above them, no flags.
    for (QComboBox* list : {f.LRRelayCount, f.UDRelayCount, f.EWRelayCount, f.SNRelayCount})
        Pick(list, 16);
    Tick(f);
    joystick::SetKeyRelays(50);
    velko::LRRelayNum = velko::UDRelayNum = velko::EWRelayNum = velko::SNRelayNum = 200;
    Tick(f);
    EXPECT_EQ(velko::LRRelayNum, 0);
    EXPECT_EQ(velko::UDRelayNum, 0);
    EXPECT_EQ(velko::EWRelayNum, 0);
    EXPECT_EQ(velko::SNRelayNum, 0);
    EXPECT_EQ(f.LRRelayCount->currentIndex(), 0);
    EXPECT_EQ(f.RelayCounterLabel->text(), "-10");

    // Lists without items (stored counts above 16) count as 0.
    for (QComboBox* list : {f.LRRelayCount, f.UDRelayCount, f.EWRelayCount, f.SNRelayCount})
        list->setCurrentIndex(-1);
    velko::LRRelayNum = velko::UDRelayNum = velko::EWRelayNum = velko::SNRelayNum = 200;
    f.Modify_Allocation_Draw();
    Tick(f);
    EXPECT_EQ(velko::SNRelayNum, 0);
    EXPECT_EQ(f.RelayCounterLabel->text(), "-10");
}

} // namespace

namespace {

QRect inkOf(const QImage& picture)
{
    QRect ink;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.red() > 160 && c.green() > 160 && c.blue() < 100)
                ink |= QRect(x, y, 1, 1);
        }
    return ink;
}

// The whole text fits and the grab shows all of it: its yellow ink spans as far as the same
// text drawn with room to spare.
void expectWholeCount(QLabel* label, const QString& text)
{
    ASSERT_EQ(label->text(), text);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width()) << text.toStdString();
    const QImage shot = label->grab().toImage();
    const QRect shown = inkOf(shot);
    EXPECT_GT(shown.left(), 0) << text.toStdString();

    QImage room(label->width() * 4, label->height(), QImage::Format_RGB32);
    room.setDevicePixelRatio(shot.devicePixelRatio());
    room.fill(Qt::black);
    QPainter painter(&room);
    painter.setFont(label->font());
    painter.setPen(QColor(255, 255, 0));
    painter.drawText(QRect(QPoint(0, 0), QSize(label->width() * 4, label->height())).adjusted(label->width(), 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter, text);
    painter.end();
    EXPECT_NEAR(shown.width(), inkOf(room).width(), 1) << text.toStdString();
}

struct FreeCountCase {
    const char* name;
    std::uint8_t fill;      // every byte of both segments
    std::uint8_t keyRelays; // Segment A byte 37
    const char* shown;
};

void PrintTo(const FreeCountCase& c, std::ostream* os) { *os << c.name; }

class FreeCountTest : public FormFixture, public ::testing::WithParamInterface<FreeCountCase> {};

TEST_P(FreeCountTest, ALoadedImageShowsTheWholeCountWithItsSign)
{
    const FreeCountCase& c = GetParam();
    ProbeForm& f = makeForm();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    velko::SegmentImage image;
    for (auto& segment : image)
        segment.fill(c.fill);
    SegA(image, 37) = c.keyRelays;
    velko::ReadImage = velko::EditImage = velko::BaselineImage = image;
    f.ShowEEPROMSet();
    Tick(f);
    expectWholeCount(f.RelayCounterLabel, QString::fromLatin1(c.shown));

    // The unit word still stands after the count, inside the panel, clear of the window's other controls.
    EXPECT_FALSE(f.PanelRelayUnit->geometry().intersects(f.RelayCounterLabel->geometry()));
    EXPECT_GE(f.PanelRelayUnit->x(), f.RelayCounterLabel->geometry().right());
    EXPECT_TRUE(f.PanelRelayCount->contentsRect().contains(f.PanelRelayUnit->geometry()));
    for (QWidget* other : f.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != f.PanelRelayCount && other->isVisible() && other->objectName() != "Panel1") {
            EXPECT_FALSE(other->geometry().intersects(f.PanelRelayCount->geometry()))
                << other->objectName().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Images, FreeCountTest,
                         ::testing::Values(FreeCountCase{"FirstThreeDigits", 0x00, 141, "-101"},
                                           FreeCountCase{"ErasedSegments", 0xFF, 0xFF, "-215"},
                                           FreeCountCase{"NoKeyRelays", 0x00, 0, "40"}),
                         [](const auto& c) { return std::string(c.param.name); });

TEST_F(FormFixture, TheWidestCountTheStoredBytesCanMakeFits)
{
    ProbeForm& f = makeForm();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    // Five stored counts of 255 each, as if every one were taken.
    const QString widest = QString::number(velko::FreeRelays(255, {255, 255, 255, 255}));
    ASSERT_EQ(widest, "-1235");
    for (const QString& text : {widest, QStringLiteral("-888"), QStringLiteral("-1000")}) {
        f.RelayCounterLabel->setText(text);
        expectWholeCount(f.RelayCounterLabel, text);
    }
}

} // namespace
