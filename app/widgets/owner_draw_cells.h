// A string grid drawn by its owner: the grid prepares each cell's background (its fixed
// colour for the fixed rows and columns, the window colour for the rest) and hands the cell
// to a draw handler; a left press on a non-fixed cell asks a select handler, and the grid's
// current cell moves only when that handler allows it. A double click is one press. The grid
// is a Tab stop that takes no other keys.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include <functional>

class QTableWidget;

namespace velko {

class OwnerDrawCells : public QStyledItemDelegate {
public:
    using DrawCell = std::function<void(int column, int row, const QRect& rect, QPainter& canvas)>;
    using SelectCell = std::function<void(int column, int row, bool& canSelect)>;

    // Takes over painting and mouse input of `grid`, which owns it.
    OwnerDrawCells(QTableWidget* grid, const QColor& fixed);

    DrawCell onDrawCell;
    SelectCell onSelectCell;

    QColor fixedColour() const { return fixed_; }
    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setFixedRows(int rows) { fixedRows_ = rows; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool gridEvent(QEvent* event);

    QTableWidget* grid_;
    QColor fixed_;
    int fixedRows_ = 1;
    int fixedCols_ = 1;
};

// The owner-draw delegate of a grid, or null.
OwnerDrawCells* OwnerDraw(const QTableWidget* grid);

} // namespace velko
