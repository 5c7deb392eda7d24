// The general page: transmitter and receiver functions, keys, switches, the action relay
// and the key-relay table.
#include "mainform.h"

#include "fixed_cells.h"
#include "key_relays.h"
#include "mainform_controls.h"
#include "settings_image.h"
#include "settings_map.h"

#include <QComboBox>
#include <QPainter>

using velko::EditImage;

namespace {

// The item of a list, or -1 when it shows none of the `items` a handler knows.
int itemOf(const QComboBox* list, int items)
{
    const int item = list->currentIndex();
    return item >= 0 && item < items ? item : -1;
}

// What a list of one bit or one table byte stores for the item it shows.
template <typename Field>
void storeItem(const QComboBox* list, const Field& field)
{
    velko::StoreItem(EditImage, field, list->currentIndex());
}

// Grid cells drawn by the window's own handler, on the fixed colour the chrome gave the grid.
class KeyRelayCellDelegate : public velko::FixedCellsDelegate {
public:
    KeyRelayCellDelegate(const QColor& fixed, TMainForm* form, QTableWidget* grid)
        : FixedCellsDelegate(fixed, grid), form_(form), grid_(grid)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        const bool fixedCell = index.row() == 0 || index.column() == 0;
        painter->setBrush(fixedCell ? fixedColour() : option.palette.color(QPalette::Base));
        const QPalette::ColorGroup group = option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        painter->setPen(option.palette.color(group, QPalette::Text));
        painter->setFont(option.font);
        form_->KeyRelayTableDrawCell(grid_, index.column(), index.row(), option.rect, option.state, *painter);
        painter->restore();
    }

private:
    TMainForm* form_;
    QTableWidget* grid_;
};

} // namespace

void TMainForm::RunWithItem(QComboBox* list, ListHandler handler, int item)
{
    list->setCurrentIndex(item);
    (this->*handler)(list);
}

// ---- Transmitter and receiver ----

void TMainForm::OpenModeFuncChange(QObject*)
{
    // Only "開機鍵開機" is offered to the units: power-on mode 01 whatever was picked.
    velko::StoreOpenModeFunc(EditImage);
    OpenModeFunc->setCurrentIndex(1);
}

void TMainForm::TxModeFuncChange(QObject*)
{
    PassiveEMSFunc->setEnabled(true);
    SleepEMSFunc->setEnabled(true);

    const int item = itemOf(TxModeFunc, 9);
    velko::StoreTxModeFunc(EditImage, item, DutyCycleFunc->currentIndex());
    if (item == 0) {
        // Not continuous: the power-saving choice decides the transmission time, and a unit
        // that sleeps between transmissions always shuts off passively without powering off.
        RunWithItem(SleepEMSFunc, &TMainForm::SleepEMSFuncChange, 1);
        SleepEMSFunc->setEnabled(false);
        RunWithItem(PassiveEMSFunc, &TMainForm::PassiveEMSFuncChange, 0);
        PassiveEMSFunc->setEnabled(false);
    } else if (item == 8) {
        RunWithItem(SleepEMSFunc, &TMainForm::SleepEMSFuncChange, 1);
        SleepEMSFunc->setEnabled(false);
    }
}

void TMainForm::DutyCycleFuncChange(QObject*)
{
    velko::StoreDutyCycleFunc(EditImage, DutyCycleFunc->currentIndex(), TxModeFunc->currentIndex());
}

void TMainForm::SleepEMSFuncChange(QObject*) { storeItem(SleepEMSFunc, velko::SleepEMSFuncField); }

void TMainForm::LEDGleamFuncChange(QObject*) { velko::StoreLEDGleamFunc(EditImage, LEDGleamFunc->currentIndex()); }

void TMainForm::TxRemoteFuncChange(QObject*) { storeItem(TxRemoteFunc, velko::TxRemoteFuncField); }

void TMainForm::PassiveEMSFuncChange(QObject*) { storeItem(PassiveEMSFunc, velko::PassiveEMSFuncField); }

void TMainForm::PassiveTimeFuncChange(QObject*) { storeItem(PassiveTimeFunc, velko::PassiveTimeFuncField); }

void TMainForm::AutoOffFuncChange(QObject*) { velko::StoreAutoOffFunc(EditImage, AutoOffFunc->currentIndex()); }

void TMainForm::RxRemoteFuncChange(QObject*) { storeItem(RxRemoteFunc, velko::RxRemoteFuncField); }

// ---- Keys ----

void TMainForm::KeyRelaysChanged()
{
    SetKeyRelayTable();
    if (SettingsLoaded == 1)
        Modify_Allocation_Draw();
}

void TMainForm::R0FuncChange(QObject*)
{
    const int item = itemOf(R0Func, 3);
    velko::StoreR0Func(EditImage, item);
    for (QWidget* w : std::initializer_list<QWidget*>{InchTime, InchTimeLabel, R0R1RepFunc, R0R1RepLabel})
        w->hide();
    R0EMS->setEnabled(true);

    const bool r1InUse = R1Func->currentIndex() != 2;
    switch (item) {
    case 0: // normal
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 0);
        R0EMS->setEnabled(false);
        if (r1InUse) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 1: // latching
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 1);
        if (r1InUse) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 2: // inching: no relay, no inhibit
        RunWithItem(R0EMS, &TMainForm::R0EMSChange, 1);
        R0EMS->setEnabled(false);
        InchTime->show();
        InchTimeLabel->show();
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::InchTimeChange(QObject*) { storeItem(InchTime, velko::InchTimeField); }

void TMainForm::R0EMSChange(QObject*) { storeItem(R0EMS, velko::R0EMSField); }

void TMainForm::R1FuncChange(QObject*)
{
    const int item = itemOf(R1Func, 3);
    velko::StoreR1Func(EditImage, item);
    R1EMS->setEnabled(true);

    const bool r0Inching = R0Func->currentIndex() == 2;
    switch (item) {
    case 0: // normal
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 0);
        R1EMS->setEnabled(false);
        if (!r0Inching) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 1: // latching
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 1);
        if (!r0Inching) {
            R0R1RepFunc->show();
            R0R1RepLabel->show();
        }
        break;
    case 2: // not in use
        RunWithItem(R1EMS, &TMainForm::R1EMSChange, 1);
        R1EMS->setEnabled(false);
        R0R1RepFunc->hide();
        R0R1RepLabel->hide();
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::R1EMSChange(QObject*) { storeItem(R1EMS, velko::R1EMSField); }

void TMainForm::R0R1RepFuncChange(QObject*) { velko::StoreR0R1RepFunc(EditImage, R0R1RepFunc->currentIndex()); }

// ---- Switches ----

void TMainForm::SwitchPositionChange(int position)
{
    struct Position {
        QComboBox* list;
        const velko::BitListField& field;
        QComboBox* ems;
        ListHandler emsChange;
        QComboBox* other;
        QComboBox* centre;
        ListHandler centreChange;
        bool aPosition;
    };
    const Position positions[] = {
        {SwBFunc, velko::SwBFuncField, SwBEMS, &TMainForm::SwBEMSChange, SwB1Func, SwBABFunc,
         &TMainForm::SwBABFuncChange, true},
        {SwB1Func, velko::SwB1FuncField, SwB1EMS, &TMainForm::SwB1EMSChange, SwBFunc, SwBABFunc,
         &TMainForm::SwBABFuncChange, false},
        {SwCFunc, velko::SwCFuncField, SwCEMS, &TMainForm::SwCEMSChange, SwC1Func, SwCABFunc,
         &TMainForm::SwCABFuncChange, true},
        {SwC1Func, velko::SwC1FuncField, SwC1EMS, &TMainForm::SwC1EMSChange, SwCFunc, SwCABFunc,
         &TMainForm::SwCABFuncChange, false},
    };
    const Position& p = positions[position];

    p.ems->setEnabled(true);
    p.centre->setEnabled(true);
    storeItem(p.list, p.field);
    switch (itemOf(p.list, 2)) {
    case 0: // in use: "= A+B" needs the other position too
        if (p.other->currentIndex() == 1) {
            RunWithItem(p.centre, p.centreChange, 1);
            p.centre->setEnabled(false);
        }
        break;
    case 1: // not in use
        RunWithItem(p.centre, p.centreChange, 1);
        p.centre->setEnabled(false);
        if (p.aPosition && p.other->currentIndex() == 0) {
            p.ems->setEnabled(false);
        } else {
            RunWithItem(p.ems, p.emsChange, 0);
            p.ems->setEnabled(false);
        }
        break;
    default: break;
    }
    KeyRelaysChanged();
}

void TMainForm::SwBFuncChange(QObject*) { SwitchPositionChange(0); }
void TMainForm::SwB1FuncChange(QObject*) { SwitchPositionChange(1); }
void TMainForm::SwCFuncChange(QObject*) { SwitchPositionChange(2); }
void TMainForm::SwC1FuncChange(QObject*) { SwitchPositionChange(3); }

void TMainForm::SwBABFuncChange(QObject*) { storeItem(SwBABFunc, velko::SwBABFuncField); }

void TMainForm::SwCABFuncChange(QObject*) { storeItem(SwCABFunc, velko::SwCABFuncField); }

void TMainForm::SwBEMSChange(QObject*) { storeItem(SwBEMS, velko::SwBEMSField); }

void TMainForm::SwB1EMSChange(QObject*) { storeItem(SwB1EMS, velko::SwB1EMSField); }

void TMainForm::SwCEMSChange(QObject*) { storeItem(SwCEMS, velko::SwCEMSField); }

void TMainForm::SwC1EMSChange(QObject*) { storeItem(SwC1EMS, velko::SwC1EMSField); }

// ---- Action relay ----

void TMainForm::ARRelaySelectChange(QObject*)
{
    AR_Time->hide();
    ARTimeLabel->hide();
    velko::StoreARRelaySelect(EditImage, ARRelaySelect->currentIndex());
    if (ARRelaySelect->currentIndex() == 0) {
        AR_Time->show();
        ARTimeLabel->show();
    }
    KeyRelaysChanged();
}

void TMainForm::AR_TimeChange(QObject*) { storeItem(AR_Time, velko::AR_TimeField); }

// ---- The key-relay table ----

void TMainForm::SetKeyRelayTable()
{
    const velko::KeyRelayNumbering numbering = velko::NumberKeyRelays(EditImage);
    velko::KeyRelayCount = numbering.count();
    KeyRelayTable->setColumnCount(numbering.count() + 1);
    for (int n = 1; n <= numbering.count(); ++n) {
        velko::SetCellText(KeyRelayTable, 0, n, QString::fromStdString(velko::KeyRelayName(n)));
        // A relay of a bit that names no key shows no name, not one left from before.
        velko::SetCellText(KeyRelayTable, 1, n,
                           QString::fromStdString(numbering.relays[static_cast<std::size_t>(n - 1)].name));
    }
    KeyRelayTable->resize(velko::KeyRelayGridWidth(numbering.count()), KeyRelayTable->height());
    velko::StoreKeyRelays(EditImage, numbering);
}

void TMainForm::KeyRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect&, QStyle::State, QPainter& Canvas)
{
    const QRect cell = KeyRelayTable->visualRect(KeyRelayTable->model()->index(ARow, ACol));
    Canvas.fillRect(cell, Canvas.brush());
    const QString text = velko::CellText(KeyRelayTable, ARow, ACol);
    Canvas.drawText(QPoint(cell.left() + 4, cell.top() + 2 + Canvas.fontMetrics().ascent()), text);
}

void TMainForm::BindKeyRelayTableDrawing()
{
    QColor fixed = palette().color(QPalette::Button);
    if (const auto* chrome = dynamic_cast<const velko::FixedCellsDelegate*>(KeyRelayTable->itemDelegate()))
        fixed = chrome->fixedColour();
    // The 41-px cells are made for the small grid font: "SW 1A" fits in one.
    QFont small = KeyRelayTable->font();
    small.setPixelSize(11);
    KeyRelayTable->setFont(small);
    QAbstractItemDelegate* previous = KeyRelayTable->itemDelegate();
    KeyRelayTable->setItemDelegate(new KeyRelayCellDelegate(fixed, this, KeyRelayTable));
    if (previous && previous->parent() == KeyRelayTable)
        previous->deleteLater();
}

void TMainForm::BindGeneralPage()
{
    const struct {
        QComboBox* list;
        ListHandler change;
    } lists[] = {
        {OpenModeFunc, &TMainForm::OpenModeFuncChange},
        {TxModeFunc, &TMainForm::TxModeFuncChange},
        {DutyCycleFunc, &TMainForm::DutyCycleFuncChange},
        {SleepEMSFunc, &TMainForm::SleepEMSFuncChange},
        {LEDGleamFunc, &TMainForm::LEDGleamFuncChange},
        {TxRemoteFunc, &TMainForm::TxRemoteFuncChange},
        {PassiveEMSFunc, &TMainForm::PassiveEMSFuncChange},
        {PassiveTimeFunc, &TMainForm::PassiveTimeFuncChange},
        {AutoOffFunc, &TMainForm::AutoOffFuncChange},
        {RxRemoteFunc, &TMainForm::RxRemoteFuncChange},
        {R0Func, &TMainForm::R0FuncChange},
        {R1Func, &TMainForm::R1FuncChange},
        {R0EMS, &TMainForm::R0EMSChange},
        {R1EMS, &TMainForm::R1EMSChange},
        {InchTime, &TMainForm::InchTimeChange},
        {R0R1RepFunc, &TMainForm::R0R1RepFuncChange},
        {SwBFunc, &TMainForm::SwBFuncChange},
        {SwB1Func, &TMainForm::SwB1FuncChange},
        {SwCFunc, &TMainForm::SwCFuncChange},
        {SwC1Func, &TMainForm::SwC1FuncChange},
        {SwBEMS, &TMainForm::SwBEMSChange},
        {SwB1EMS, &TMainForm::SwB1EMSChange},
        {SwCEMS, &TMainForm::SwCEMSChange},
        {SwC1EMS, &TMainForm::SwC1EMSChange},
        {SwBABFunc, &TMainForm::SwBABFuncChange},
        {SwCABFunc, &TMainForm::SwCABFuncChange},
        {ARRelaySelect, &TMainForm::ARRelaySelectChange},
        {AR_Time, &TMainForm::AR_TimeChange},
    };
    for (const auto& l : lists)
        connect(l.list, &QComboBox::activated, this,
                [this, list = l.list, change = l.change] { (this->*change)(list); });
    BindKeyRelayTableDrawing();
}
