// Small helpers for the main window's own files: grid cells and the edit colours.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QTableWidget>
#include <QWidget>

namespace velko {

// Yellow marks an edit whose value has been taken; the window colour one that was reset.
inline const QColor TakenColour(255, 255, 0);

inline void SetEditColour(QLineEdit* edit, const QColor& colour)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, colour);
    edit->setPalette(p);
}

inline void SetCellText(QTableWidget* grid, int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = grid->item(row, column)) {
        item->setText(text);
        return;
    }
    grid->setItem(row, column, new QTableWidgetItem(text));
}

inline QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

} // namespace velko
