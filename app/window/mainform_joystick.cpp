// The four joystick pages: acceleration, inching, interlock, relay counts and the budget.
#include "mainform.h"

#include "fixed_cells.h"
#include "mainform_controls.h"
#include "owner_draw_cells.h"
#include "relay_budget.h"
#include "settings_image.h"
#include "settings_map.h"

#include <QComboBox>
#include <QTimer>

using velko::EditImage;

namespace {

using Handler = void (TMainForm::*)(QObject*);

// The relay-count list and grid of each axis group, by AxisGroup.
struct AxisPage {
    QComboBox* Ui::TMainForm::*count;
    QTableWidget* Ui::TMainForm::*grid;
    Handler countChange;
};
const AxisPage AxisPages[velko::AxisGroups] = {
    {&Ui::TMainForm::UDRelayCount, &Ui::TMainForm::UDRelayTable, &TMainForm::UDRelayCountChange},
    {&Ui::TMainForm::LRRelayCount, &Ui::TMainForm::LRRelayTable, &TMainForm::LRRelayCountChange},
    {&Ui::TMainForm::EWRelayCount, &Ui::TMainForm::EWRelayTable, &TMainForm::EWRelayCountChange},
    {&Ui::TMainForm::SNRelayCount, &Ui::TMainForm::SNRelayTable, &TMainForm::SNRelayCountChange},
};

void relayCountChange(TMainForm& form, int group)
{
    const AxisPage& page = AxisPages[group];
    const int n = (form.*page.count)->currentIndex();
    velko::StoreRelayCount(EditImage, group, n);
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

// The acceleration delay and inching time of a lever direction: item i stores entry i of
// the table; no item stores nothing.
void accTimeChange(const QComboBox* list, velko::LeverDirection direction)
{
    velko::StoreItem(EditImage, velko::LeverAccTimeField[direction], list->currentIndex());
}
void inchTimeChange(const QComboBox* list, velko::LeverDirection direction)
{
    velko::StoreItem(EditImage, velko::LeverInchTimeField[direction], list->currentIndex());
}

void interlockChange(const QComboBox* list, int group)
{
    velko::StoreInterLock(EditImage, group, list->currentIndex());
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

void TMainForm::UpAccTimeChange(QObject*) { accTimeChange(UpAccTime, velko::Up); }
void TMainForm::DownAccTimeChange(QObject*) { accTimeChange(DownAccTime, velko::Down); }
void TMainForm::LeftAccTimeChange(QObject*) { accTimeChange(LeftAccTime, velko::Left); }
void TMainForm::RightAccTimeChange(QObject*) { accTimeChange(RightAccTime, velko::Right); }
void TMainForm::EastAccTimeChange(QObject*) { accTimeChange(EastAccTime, velko::East); }
void TMainForm::WestAccTimeChange(QObject*) { accTimeChange(WestAccTime, velko::West); }
void TMainForm::SouthAccTimeChange(QObject*) { accTimeChange(SouthAccTime, velko::South); }
void TMainForm::NorthAccTimeChange(QObject*) { accTimeChange(NorthAccTime, velko::North); }
void TMainForm::UpInchTimeChange(QObject*) { inchTimeChange(UpInchTime, velko::Up); }
void TMainForm::DownInchTimeChange(QObject*) { inchTimeChange(DownInchTime, velko::Down); }
void TMainForm::LeftInchTimeChange(QObject*) { inchTimeChange(LeftInchTime, velko::Left); }
void TMainForm::RightInchTimeChange(QObject*) { inchTimeChange(RightInchTime, velko::Right); }
void TMainForm::EastInchTimeChange(QObject*) { inchTimeChange(EastInchTime, velko::East); }
void TMainForm::WestInchTimeChange(QObject*) { inchTimeChange(WestInchTime, velko::West); }
void TMainForm::SouthInchTimeChange(QObject*) { inchTimeChange(SouthInchTime, velko::South); }
void TMainForm::NorthInchTimeChange(QObject*) { inchTimeChange(NorthInchTime, velko::North); }

void TMainForm::UDRelayCountChange(QObject*) { relayCountChange(*this, velko::UD); }
void TMainForm::LRRelayCountChange(QObject*) { relayCountChange(*this, velko::LR); }
void TMainForm::EWRelayCountChange(QObject*) { relayCountChange(*this, velko::EW); }
void TMainForm::SNRelayCountChange(QObject*) { relayCountChange(*this, velko::SN); }

void TMainForm::LR_InterLockChange(QObject*) { interlockChange(LR_InterLock, velko::LR); }
void TMainForm::UD_InterLockChange(QObject*) { interlockChange(UD_InterLock, velko::UD); }
void TMainForm::EW_InterLockChange(QObject*) { interlockChange(EW_InterLock, velko::EW); }
void TMainForm::SN_InterLockChange(QObject*) { interlockChange(SN_InterLock, velko::SN); }

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
