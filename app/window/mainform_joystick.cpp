// The four joystick pages: acceleration, inching, interlock, relay counts and the budget.
#include "mainform.h"

#include "fixed_cells.h"
#include "mainform_controls.h"
#include "owner_draw_cells.h"
#include "relay_budget.h"
#include "settings_image.h"

#include <QComboBox>
#include <QTimer>

using velko::EditImage;
using velko::SegA;
using velko::SegB;

namespace {

using Handler = void (TMainForm::*)(QObject*);

// The relay-count list, grid and count byte of each axis group, by AxisGroup.
struct AxisPage {
    QComboBox* Ui::TMainForm::*count;
    QTableWidget* Ui::TMainForm::*grid;
    int countByte;
    Handler countChange;
};
const AxisPage AxisPages[velko::AxisGroups] = {
    {&Ui::TMainForm::UDRelayCount, &Ui::TMainForm::UDRelayTable, 38, &TMainForm::UDRelayCountChange},
    {&Ui::TMainForm::LRRelayCount, &Ui::TMainForm::LRRelayTable, 39, &TMainForm::LRRelayCountChange},
    {&Ui::TMainForm::EWRelayCount, &Ui::TMainForm::EWRelayTable, 40, &TMainForm::EWRelayCountChange},
    {&Ui::TMainForm::SNRelayCount, &Ui::TMainForm::SNRelayTable, 41, &TMainForm::SNRelayCountChange},
};

void relayCountChange(TMainForm& form, int group)
{
    const AxisPage& page = AxisPages[group];
    const int n = (form.*page.count)->currentIndex();
    SegA(EditImage, page.countByte) = static_cast<std::uint8_t>(n & 0xFF);
    velko::AxisRelayNum(group) = n;

    QTableWidget* grid = form.*page.grid;
    const int rows = std::max(n + 1, 1);
    grid->setRowCount(rows);
    velko::OwnerDrawCells* cells = velko::OwnerDraw(grid);
    if (cells && rows <= cells->fixedRows())
        cells->setFixedRows(rows - 1);
    // Below 0 (no item) the grid has no height at all.
    grid->resize(grid->width(), std::max(21 * n + 20, 0));
    if (cells && rows > 1)
        cells->setFixedRows(1);
    grid->setEnabled(true);
    velko::RelayCountDirty[static_cast<std::size_t>(group)] = true;
    if (SettingsLoaded == 1)
        form.Modify_Allocation_Draw();
}

// Item i stores entry i of the table; no item stores nothing.
template <std::size_t N>
void storeTableItem(const QComboBox* list, const std::array<std::uint8_t, N>& table, std::uint8_t& byte)
{
    const int item = list->currentIndex();
    if (item >= 0 && item < static_cast<int>(N))
        byte = table[static_cast<std::size_t>(item)];
}

void interlockChange(const QComboBox* list, int delayByte, int bit)
{
    std::uint8_t& on = SegB(EditImage, 48);
    on = static_cast<std::uint8_t>(on | (1u << bit));
    const int item = list->currentIndex();
    if (item == 0) {
        on = static_cast<std::uint8_t>(on & ~(1u << bit));
        SegB(EditImage, delayByte) = 0;
    } else if (item >= 1 && item < static_cast<int>(velko::AccDelayTable.size())) {
        SegB(EditImage, delayByte) = velko::AccDelayTable[static_cast<std::size_t>(item)];
    }
}

velko::AxisCounts axisCounts()
{
    velko::AxisCounts counts{};
    for (int group = 0; group < velko::AxisGroups; ++group)
        counts[static_cast<std::size_t>(group)] = velko::AxisRelayNum(group);
    return counts;
}

} // namespace

void TMainForm::BindJoystickPages()
{
    const struct {
        QComboBox* list;
        Handler change;
    } lists[] = {
        {UpAccTime, &TMainForm::UpAccTimeChange},         {DownAccTime, &TMainForm::DownAccTimeChange},
        {LeftAccTime, &TMainForm::LeftAccTimeChange},     {RightAccTime, &TMainForm::RightAccTimeChange},
        {EastAccTime, &TMainForm::EastAccTimeChange},     {WestAccTime, &TMainForm::WestAccTimeChange},
        {SouthAccTime, &TMainForm::SouthAccTimeChange},   {NorthAccTime, &TMainForm::NorthAccTimeChange},
        {UpInchTime, &TMainForm::UpInchTimeChange},       {DownInchTime, &TMainForm::DownInchTimeChange},
        {LeftInchTime, &TMainForm::LeftInchTimeChange},   {RightInchTime, &TMainForm::RightInchTimeChange},
        {EastInchTime, &TMainForm::EastInchTimeChange},   {WestInchTime, &TMainForm::WestInchTimeChange},
        {SouthInchTime, &TMainForm::SouthInchTimeChange}, {NorthInchTime, &TMainForm::NorthInchTimeChange},
        {UDRelayCount, &TMainForm::UDRelayCountChange},   {LRRelayCount, &TMainForm::LRRelayCountChange},
        {EWRelayCount, &TMainForm::EWRelayCountChange},   {SNRelayCount, &TMainForm::SNRelayCountChange},
        {UD_InterLock, &TMainForm::UD_InterLockChange},   {LR_InterLock, &TMainForm::LR_InterLockChange},
        {EW_InterLock, &TMainForm::EW_InterLockChange},   {SN_InterLock, &TMainForm::SN_InterLockChange},
    };
    for (const auto& l : lists)
        connect(l.list, &QComboBox::activated, this, [this, list = l.list, f = l.change] { (this->*f)(list); });
    connect(ShowRelayTimer, &QTimer::timeout, this, [this] { ShowRelayTimerTimer(ShowRelayTimer); });

    using Draw = void (TMainForm::*)(QObject*, int, int, const QRect&, QPainter&);
    using Select = void (TMainForm::*)(QObject*, int, int, bool&);
    const struct {
        QTableWidget* grid;
        Draw draw;
        Select select;
    } grids[] = {
        {UDRelayTable, &TMainForm::UDRelayTableDrawCell, &TMainForm::UDRelayTableSelectCell},
        {LRRelayTable, &TMainForm::LRRelayTableDrawCell, &TMainForm::LRRelayTableSelectCell},
        {EWRelayTable, &TMainForm::EWRelayTableDrawCell, &TMainForm::EWRelayTableSelectCell},
        {SNRelayTable, &TMainForm::SNRelayTableDrawCell, &TMainForm::SNRelayTableSelectCell},
    };
    for (const auto& g : grids) {
        // The fixed colour each grid was given with the window.
        const auto* given = dynamic_cast<const velko::FixedCellsDelegate*>(g.grid->itemDelegate());
        const QColor fixed = given ? given->fixedColour() : palette().color(QPalette::Button);
        auto* cells = new velko::OwnerDrawCells(g.grid, fixed);
        cells->onDrawCell = [this, grid = g.grid, f = g.draw](int c, int r, const QRect& rect, QPainter& canvas) {
            (this->*f)(grid, c, r, rect, canvas);
        };
        cells->onSelectCell = [this, grid = g.grid, f = g.select](int c, int r, bool& canSelect) {
            (this->*f)(grid, c, r, canSelect);
        };
    }
}

void TMainForm::UpAccTimeChange(QObject*) { storeTableItem(UpAccTime, velko::AccDelayTable, SegA(EditImage, 12)); }
void TMainForm::DownAccTimeChange(QObject*) { storeTableItem(DownAccTime, velko::AccDelayTable, SegA(EditImage, 17)); }
void TMainForm::LeftAccTimeChange(QObject*) { storeTableItem(LeftAccTime, velko::AccDelayTable, SegA(EditImage, 20)); }
void TMainForm::RightAccTimeChange(QObject*)
{
    storeTableItem(RightAccTime, velko::AccDelayTable, SegA(EditImage, 32));
}
void TMainForm::EastAccTimeChange(QObject*) { storeTableItem(EastAccTime, velko::AccDelayTable, SegA(EditImage, 33)); }
void TMainForm::WestAccTimeChange(QObject*) { storeTableItem(WestAccTime, velko::AccDelayTable, SegA(EditImage, 34)); }
void TMainForm::SouthAccTimeChange(QObject*)
{
    storeTableItem(SouthAccTime, velko::AccDelayTable, SegA(EditImage, 35));
}
void TMainForm::NorthAccTimeChange(QObject*)
{
    storeTableItem(NorthAccTime, velko::AccDelayTable, SegA(EditImage, 36));
}
void TMainForm::UpInchTimeChange(QObject*) { storeTableItem(UpInchTime, velko::InchTimeTable, SegA(EditImage, 43)); }
void TMainForm::DownInchTimeChange(QObject*)
{
    storeTableItem(DownInchTime, velko::InchTimeTable, SegA(EditImage, 44));
}
void TMainForm::LeftInchTimeChange(QObject*)
{
    storeTableItem(LeftInchTime, velko::InchTimeTable, SegA(EditImage, 45));
}
void TMainForm::RightInchTimeChange(QObject*)
{
    storeTableItem(RightInchTime, velko::InchTimeTable, SegA(EditImage, 46));
}
void TMainForm::EastInchTimeChange(QObject*)
{
    storeTableItem(EastInchTime, velko::InchTimeTable, SegA(EditImage, 47));
}
void TMainForm::WestInchTimeChange(QObject*)
{
    storeTableItem(WestInchTime, velko::InchTimeTable, SegA(EditImage, 118));
}
void TMainForm::SouthInchTimeChange(QObject*)
{
    storeTableItem(SouthInchTime, velko::InchTimeTable, SegA(EditImage, 119));
}
void TMainForm::NorthInchTimeChange(QObject*)
{
    storeTableItem(NorthInchTime, velko::InchTimeTable, SegA(EditImage, 120));
}

void TMainForm::UDRelayCountChange(QObject*) { relayCountChange(*this, velko::UD); }
void TMainForm::LRRelayCountChange(QObject*) { relayCountChange(*this, velko::LR); }
void TMainForm::EWRelayCountChange(QObject*) { relayCountChange(*this, velko::EW); }
void TMainForm::SNRelayCountChange(QObject*) { relayCountChange(*this, velko::SN); }

void TMainForm::LR_InterLockChange(QObject*) { interlockChange(LR_InterLock, 44, 0); }
void TMainForm::UD_InterLockChange(QObject*) { interlockChange(UD_InterLock, 45, 1); }
void TMainForm::EW_InterLockChange(QObject*) { interlockChange(EW_InterLock, 46, 2); }
void TMainForm::SN_InterLockChange(QObject*) { interlockChange(SN_InterLock, 47, 3); }

void TMainForm::ShowRelayTimerTimer(QObject*)
{
    for (int group = 0; group < velko::AxisGroups; ++group) {
        const QComboBox* list = this->*AxisPages[group].count;
        auto dirty = velko::RelayCountDirty.begin() + group;
        if (list->currentIndex() < 0) {
            velko::AxisRelayNum(group) = 0;
        } else if (*dirty) {
            velko::AxisRelayNum(group) = list->currentIndex();
            *dirty = false;
        }
    }

    // Each step runs the list's own handler, which takes the count from the list; so the
    // counts reach the lists' items within a step and the loop ends with every axis at 0 at
    // the latest. The bound only guards against a handler that does not lower.
    for (int guard = 0; guard < 4 * 256; ++guard) {
        const int group = velko::AxisToLower(velko::KeyRelayCount, axisCounts());
        if (group < 0)
            break;
        QComboBox* list = this->*AxisPages[group].count;
        --velko::AxisRelayNum(group);
        list->setCurrentIndex(list->currentIndex() - 1);
        (this->*AxisPages[group].countChange)(list);
    }

    const velko::AxisCounts counts = axisCounts();
    const auto numbering = velko::RelayRowNumbering(velko::KeyRelayCount, counts);
    for (int group = 0; group < velko::AxisGroups; ++group) {
        QTableWidget* grid = this->*AxisPages[group].grid;
        const velko::AxisRows& rows = numbering[static_cast<std::size_t>(group)];
        const int labelled = std::min(rows.rows, grid->rowCount() - 1);
        for (int r = 1; r <= labelled; ++r) {
            const QString label = QString::fromStdString(velko::RelayLabel(rows.first + r - 1));
            if (velko::CellText(grid, r, 0) != label)
                velko::SetCellText(grid, r, 0, label);
        }
    }
    RelayCounterLabel->setText(QString::number(velko::FreeRelays(velko::KeyRelayCount, counts)));
}
