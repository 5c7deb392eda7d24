#include "joystick_support.h"

#include <QImage>
#include <QPixmap>
#include <QWindow>

#include <ostream>

namespace {

using joystick::ClickCell;
using joystick::Pick;
using velko::EditImage;
using velko::SegA;
using velko::SegB;

struct AxisGrid {
    QComboBox* Ui::TMainForm::*count;
    QTableWidget* Ui::TMainForm::*grid;
    int group;
};
const AxisGrid UDGrid{&Ui::TMainForm::UDRelayCount, &Ui::TMainForm::UDRelayTable, velko::UD};
const AxisGrid LRGrid{&Ui::TMainForm::LRRelayCount, &Ui::TMainForm::LRRelayTable, velko::LR};
const AxisGrid EWGrid{&Ui::TMainForm::EWRelayCount, &Ui::TMainForm::EWRelayTable, velko::EW};
const AxisGrid SNGrid{&Ui::TMainForm::SNRelayCount, &Ui::TMainForm::SNRelayTable, velko::SN};

class GridFixture : public FormFixture {
protected:
    // The form on screen with the grid's page shown and its count picked.
    QTableWidget* openGrid(const AxisGrid& axis, int count)
    {
        ProbeForm& f = makeForm();
        f.show();
        QTableWidget* grid = f.*axis.grid;
        const int page = f.PageControl->indexOf(grid->parentWidget());
        f.PageControl->setTabVisible(page, true);
        f.PageControl->setCurrentIndex(page);
        Pick(f.*axis.count, count);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f));
        EXPECT_TRUE(grid->isVisible());
        return grid;
    }
};

struct ClickCase {
    const char* name;
    AxisGrid axis;
    int column, row;
    bool segA; // else Segment B
    int byte;
    int bit;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

class GridClickTest : public GridFixture, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(GridClickTest, ClickTogglesOneBitAndTheSecondClickRestoresBothSegments)
{
    const ClickCase& c = GetParam();
    QTableWidget* grid = openGrid(c.axis, 16);
    const velko::SegmentImage before = EditImage;
    const auto assignBefore = velko::RelayAssign;
    const int currentRow = grid->currentRow(), currentColumn = grid->currentColumn();

    ClickCell(grid, c.column, c.row);
    velko::SegmentImage expected = before;
    std::uint8_t& byte = c.segA ? SegA(expected, c.byte) : SegB(expected, c.byte);
    byte = static_cast<std::uint8_t>(byte | (1u << c.bit));
    EXPECT_EQ(EditImage, expected);
    auto assign = assignBefore;
    assign[velko::RelayAssignIndex(c.axis.group, c.column, c.row)] = 1;
    EXPECT_EQ(velko::RelayAssign, assign);
    EXPECT_EQ(grid->currentRow(), currentRow);
    EXPECT_EQ(grid->currentColumn(), currentColumn);

    ClickCell(grid, c.column, c.row);
    EXPECT_EQ(EditImage, before);
    EXPECT_EQ(velko::RelayAssign, assignBefore);
    EXPECT_EQ(grid->currentRow(), currentRow);
    EXPECT_EQ(grid->currentColumn(), currentColumn);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cells, GridClickTest,
    ::testing::Values(
        ClickCase{.name = "UdColumn1Row8", .axis = UDGrid, .column = 1, .row = 8, .segA = true, .byte = 58, .bit = 7},
        ClickCase{.name = "UdColumn1Row9", .axis = UDGrid, .column = 1, .row = 9, .segA = false, .byte = 10, .bit = 0},
        ClickCase{.name = "UdCentreRow1", .axis = UDGrid, .column = 6, .row = 1, .segA = true, .byte = 64, .bit = 0},
        ClickCase{.name = "UdCentreRow16", .axis = UDGrid, .column = 6, .row = 16, .segA = false, .byte = 16, .bit = 7},
        ClickCase{.name = "UdLastColumn", .axis = UDGrid, .column = 11, .row = 5, .segA = true, .byte = 52, .bit = 4},
        ClickCase{.name = "LrCentreRow8", .axis = LRGrid, .column = 6, .row = 8, .segA = true, .byte = 53, .bit = 7},
        ClickCase{.name = "LrCentreRow9", .axis = LRGrid, .column = 6, .row = 9, .segA = false, .byte = 5, .bit = 0},
        ClickCase{.name = "LrLastColumn", .axis = LRGrid, .column = 11, .row = 16, .segA = false, .byte = 21, .bit = 7},
        ClickCase{.name = "EwFirstColumn", .axis = EWGrid, .column = 1, .row = 2, .segA = true, .byte = 74, .bit = 1},
        ClickCase{.name = "EwLastColumn", .axis = EWGrid, .column = 11, .row = 3, .segA = true, .byte = 80, .bit = 2},
        ClickCase{.name = "SnFirstColumn", .axis = SNGrid, .column = 1, .row = 1, .segA = true, .byte = 91, .bit = 0},
        ClickCase{.name = "SnCentre", .axis = SNGrid, .column = 6, .row = 10, .segA = false, .byte = 38, .bit = 1},
        ClickCase{.name = "SnLastColumn", .axis = SNGrid, .column = 11, .row = 12, .segA = false, .byte = 37,
                  .bit = 3}),
    [](const auto& c) { return std::string(c.param.name); });
// clang-format on

// What a user's double click brings: the press and release of the first click, then the
// second press as a double click, then its release.
void DoubleClickCell(QTableWidget* grid, int column, int row)
{
    const QPoint at = joystick::CellCentre(grid, column, row);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
}

TEST_F(GridFixture, ADoubleClickTogglesOnceAndTwoClicksTwice)
{
    QTableWidget* grid = openGrid(UDGrid, 16);
    const velko::SegmentImage before = EditImage;
    velko::SegmentImage toggled = before;
    SegA(toggled, 58) |= 0x80; // column 1, row 8

    DoubleClickCell(grid, 1, 8);
    EXPECT_EQ(EditImage, toggled);
    EXPECT_EQ(velko::RelayAssign[velko::RelayAssignIndex(velko::UD, 1, 8)], 1);

    ClickCell(grid, 1, 8);
    EXPECT_EQ(EditImage, before);
    ClickCell(grid, 1, 8);
    ClickCell(grid, 1, 8);
    EXPECT_EQ(EditImage, before);

    // The same through the window system, which makes the second press a double click itself.
    QWindow* window = grid->window()->windowHandle();
    const QPoint at = grid->viewport()->mapTo(grid->window(), joystick::CellCentre(grid, 1, 8));
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    EXPECT_EQ(EditImage, toggled);
}

TEST_F(GridFixture, ClicksOnFixedCellsToggleNothing)
{
    QTableWidget* grid = openGrid(UDGrid, 4);
    const velko::SegmentImage before = EditImage;
    for (int column = 0; column < 12; ++column)
        ClickCell(grid, column, 0);
    for (int row = 1; row <= 4; ++row)
        ClickCell(grid, 0, row);
    EXPECT_EQ(EditImage, before);
    EXPECT_EQ(velko::RelayAssign, decltype(velko::RelayAssign){});

    // Other buttons do nothing either.
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, joystick::CellCentre(grid, 3, 2));
    EXPECT_EQ(EditImage, before);
}

TEST_F(GridFixture, TheLoneHeaderRowOfACountOfZeroTogglesNothing)
{
    QTableWidget* grid = openGrid(SNGrid, 0);
    ASSERT_EQ(joystick::FixedRows(grid), 0); // row 0 is then an ordinary row
    const velko::SegmentImage before = EditImage;
    for (int column = 1; column < 12; ++column)
        ClickCell(grid, column, 0);
    EXPECT_EQ(EditImage, before);
    EXPECT_EQ(velko::RelayAssign, decltype(velko::RelayAssign){});
}

TEST_F(GridFixture, ClickRebuildsTheAllocationOnlyWhileSettingsAreLoaded)
{
    QTableWidget* grid = openGrid(LRGrid, 2);
    AllocationText = "as it was";
    ClickCell(grid, 1, 1);
    EXPECT_EQ(AllocationText, "as it was");
    EXPECT_EQ(velko::RelayAssign[velko::RelayAssignIndex(velko::LR, 1, 1)], 1);

    SettingsLoaded = 1;
    ClickCell(grid, 7, 1);
    EXPECT_EQ(AllocationText, "<td>North/(5),South/(1)</td>\r\n<td>N/A</td>\r\n<td>N/A</td>\r\n");
}

QColor pixelOf(const QImage& picture, QTableWidget* grid, int column, int row)
{
    // Bottom right of the cell, clear of its text and of the grid lines.
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    const QPoint at = grid->viewport()->mapTo(grid, cell.bottomRight() - QPoint(3, 3));
    return picture.pixelColor(at * picture.devicePixelRatio());
}

TEST_F(GridFixture, PaintedCellsTakeTheirColourByColumn)
{
    QTableWidget* grid = openGrid(UDGrid, 3);
    ClickCell(grid, 2, 1);
    ClickCell(grid, 6, 2);
    ClickCell(grid, 9, 3);
    const QImage picture = grid->grab().toImage();
    const QColor hot = grid->palette().color(QPalette::Link);
    const QColor window = grid->palette().color(QPalette::Base);
    EXPECT_EQ(pixelOf(picture, grid, 2, 1), hot);
    EXPECT_EQ(pixelOf(picture, grid, 6, 2), QColor(0, 128, 0));
    EXPECT_EQ(pixelOf(picture, grid, 9, 3), QColor(255, 0, 0));
    for (int column = 1; column <= 11; ++column)
        EXPECT_EQ(pixelOf(picture, grid, column, column == 2 ? 3 : 1), window) << column;
    // Fixed cells keep the grid's fixed colour; UD's is sky blue.
    EXPECT_EQ(pixelOf(picture, grid, 0, 0), QColor(166, 202, 240));
    EXPECT_EQ(pixelOf(picture, grid, 4, 0), QColor(166, 202, 240));
    EXPECT_EQ(pixelOf(picture, grid, 0, 2), QColor(166, 202, 240));

    // The same relay on in each half of the other grids.
    const struct {
        const AxisGrid* axis;
        QColor fixed;
    } others[] = {{&LRGrid, grid->palette().color(QPalette::ToolTipBase)}, {&SNGrid, QColor(192, 220, 192)}};
    for (const auto& o : others) {
        TearDown();
        SetUp();
        QTableWidget* g = openGrid(*o.axis, 1);
        ClickCell(g, 5, 1);
        ClickCell(g, 7, 1);
        const QImage p = g->grab().toImage();
        EXPECT_EQ(pixelOf(p, g, 5, 1), hot);
        EXPECT_EQ(pixelOf(p, g, 7, 1), QColor(255, 0, 0));
        EXPECT_EQ(pixelOf(p, g, 6, 1), window);
        EXPECT_EQ(pixelOf(p, g, 8, 0), o.fixed);
    }
}

TEST_F(GridFixture, PaintingNeverChangesDataSoRaisingTheCountShowsTheRelaysAgain)
{
    QTableWidget* grid = openGrid(EWGrid, 16);
    ClickCell(grid, 2, 12); // Segment B
    ClickCell(grid, 10, 4); // Segment A
    const velko::SegmentImage image = EditImage;
    const auto assign = velko::RelayAssign;

    Pick(form->EWRelayCount, 3);
    joystick::Tick(*form);
    grid->grab(); // paints every cell
    grid->viewport()->repaint();
    EXPECT_EQ(velko::RelayAssign, assign);
    EXPECT_EQ(SegB(EditImage, 25), 0x08);
    EXPECT_EQ(SegA(EditImage, 48 + 31), 0x08);

    Pick(form->EWRelayCount, 16);
    joystick::Tick(*form);
    const QImage picture = grid->grab().toImage();
    EXPECT_EQ(pixelOf(picture, grid, 2, 12), grid->palette().color(QPalette::Link));
    EXPECT_EQ(pixelOf(picture, grid, 10, 4), QColor(255, 0, 0));
    EXPECT_EQ(velko::RelayAssign, assign);
    // Grid, RelayAssign and both segments agree, apart from the count byte.
    velko::SegmentImage expected = image;
    EXPECT_EQ(EditImage, expected);
}

TEST_F(GridFixture, SelectCellTakesRowsAboveTheCountAsTheLoaderReplaysThem)
{
    openGrid(SNGrid, 2);
    bool canSelect = true;
    form->SNRelayTableSelectCell(form->SNRelayTable, 3, 14, canSelect);
    EXPECT_FALSE(canSelect);
    EXPECT_EQ(velko::RelayAssign[velko::RelayAssignIndex(velko::SN, 3, 14)], 1);
    EXPECT_EQ(SegB(EditImage, 41), 0x20);
    // Outside the table nothing is touched.
    const velko::SegmentImage image = EditImage;
    const auto assign = velko::RelayAssign;
    for (const auto& [column, row] : {std::pair{0, 1}, {12, 1}, {3, 0}, {3, 17}, {-1, -1}}) {
        canSelect = true;
        form->SNRelayTableSelectCell(form->SNRelayTable, column, row, canSelect);
        EXPECT_FALSE(canSelect);
    }
    EXPECT_EQ(EditImage, image);
    EXPECT_EQ(velko::RelayAssign, assign);
}

} // namespace
