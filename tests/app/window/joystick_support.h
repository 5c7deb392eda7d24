// Driving the joystick pages as a user does: lists picked with the keyboard, grid cells
// clicked with the mouse, the budget timer ticked by hand.
#pragma once

#include "form_fixture.h"
#include "mainform_controls.h"
#include "owner_draw_cells.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace joystick {

// Home takes the first item, Down the next; each key is a user's pick (activated).
inline void Pick(QComboBox* list, int item)
{
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < item; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentIndex(), item);
}

inline QPoint CellCentre(QTableWidget* grid, int column, int row)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
}

inline void ClickCell(QTableWidget* grid, int column, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(grid, column, row));
}

inline int FixedRows(const QTableWidget* grid) { return velko::OwnerDraw(grid)->fixedRows(); }

inline void Tick(TMainForm& form) { form.ShowRelayTimerTimer(form.ShowRelayTimer); }

// Key relays as the general page leaves them.
inline void SetKeyRelays(int count)
{
    velko::KeyRelayCount = count;
    velko::SegA(velko::EditImage, 37) = static_cast<std::uint8_t>(count);
}

} // namespace joystick
