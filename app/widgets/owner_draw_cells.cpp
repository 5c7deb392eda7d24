#include "owner_draw_cells.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTableWidget>

namespace velko {

OwnerDrawCells::OwnerDrawCells(QTableWidget* grid, const QColor& fixed)
    : QStyledItemDelegate(grid), grid_(grid), fixed_(fixed)
{
    grid->setItemDelegate(this);
    grid->viewport()->installEventFilter(this);
    // Keys would move the current cell behind the owner's back.
    grid->setFocusPolicy(Qt::NoFocus);
}

void OwnerDrawCells::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool fixed = index.row() < fixedRows_ || index.column() < fixedCols_;
    painter->fillRect(option.rect, fixed ? fixed_ : grid_->palette().color(QPalette::Base));
    if (!onDrawCell)
        return;
    painter->save();
    onDrawCell(index.column(), index.row(), option.rect, *painter);
    painter->restore();
}

bool OwnerDrawCells::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        // The second press of a double click: the first press has already toggled the cell.
        return true;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        const QModelIndex index = grid_->indexAt(mouse->position().toPoint());
        if (!index.isValid() || index.row() < fixedRows_ || index.column() < fixedCols_)
            return true;
        bool canSelect = true;
        if (onSelectCell)
            onSelectCell(index.column(), index.row(), canSelect);
        if (canSelect)
            grid_->setCurrentCell(index.row(), index.column());
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return true; // the view would track the press it never saw
    default:
        return false; // the viewport is not an editor: leave the rest to it
    }
}

OwnerDrawCells* OwnerDraw(const QTableWidget* grid) { return dynamic_cast<OwnerDrawCells*>(grid->itemDelegate()); }

} // namespace velko
