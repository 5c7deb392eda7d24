#include "owner_draw_cells.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTableWidget>

namespace velko {

OwnerDrawCells::OwnerDrawCells(QTableWidget* grid, const QColor& fixed)
    : QStyledItemDelegate(grid), grid_(grid), fixed_(fixed)
{
    grid->setItemDelegate(this);
    grid->viewport()->installEventFilter(this);
    grid->installEventFilter(this);
    // Tab stops on the grid and then leaves it, as everywhere else in the window.
    grid->setFocusPolicy(Qt::TabFocus);
    grid->setTabKeyNavigation(false);
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
    // The current cell stays where it is, so focus shows on the first cell a click can toggle.
    if (grid_->hasFocus() && index.row() == fixedRows_ && index.column() == fixedCols_) {
        painter->save();
        painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }
}

bool OwnerDrawCells::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_)
        return gridEvent(event);
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
    case QEvent::MouseMove: return true; // the view would track the press it never saw
    default: return false;               // the viewport is not an editor: leave the rest to it
    }
}

bool OwnerDrawCells::gridEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        // The view would move its current cell to the first one on a Tab into it.
        grid_->viewport()->update();
        return true;
    case QEvent::KeyPress: {
        // Tab and Shift+Tab leave the grid; other keys would move the current cell behind the
        // owner's back, so they go on to the window as if the grid had none.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            return false;
        event->ignore();
        return true;
    }
    default: return false;
    }
}

OwnerDrawCells* OwnerDraw(const QTableWidget* grid) { return dynamic_cast<OwnerDrawCells*>(grid->itemDelegate()); }

} // namespace velko
