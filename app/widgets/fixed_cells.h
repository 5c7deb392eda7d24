// A string grid's fixed row 0 and column 0, filled with the grid's fixed colour whatever
// cells the program adds to them later.
#pragma once

#include <QColor>
#include <QPainter>
#include <QStyledItemDelegate>

namespace velko {

class FixedCellsDelegate : public QStyledItemDelegate {
public:
    FixedCellsDelegate(const QColor& fixed, QObject* parent) : QStyledItemDelegate(parent), fixed_(fixed) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.row() == 0 || index.column() == 0)
            painter->fillRect(option.rect, fixed_);
        QStyledItemDelegate::paint(painter, option, index);
    }

    QColor fixedColour() const { return fixed_; }

private:
    QColor fixed_;
};

} // namespace velko
