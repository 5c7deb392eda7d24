// The joystick relay grids: which relay is on at which lever position.
#include "mainform.h"

#include "settings_image.h"
#include "settings_map.h"

#include <QPainter>

using velko::EditImage;

namespace {

const QColor CentreOn(0, 128, 0);
const QColor SecondOn(255, 0, 0);

bool isDataCell(int column, int row)
{
    return column >= 1 && column < velko::RelayPositions && row >= 1 && row < velko::RelaysPerPosition;
}

// Draws only: what the cell shows comes from RelayAssign, and painting never changes it,
// so rows above a lowered count keep their relays as the image does.
void drawRelayCell(QTableWidget* grid, int group, int column, int row, const QRect& rect, QPainter& canvas)
{
    if (column > 0 && row > 0) {
        QColor fill = grid->palette().color(QPalette::Base);
        if (isDataCell(column, row) && velko::RelayAssign[velko::RelayAssignIndex(group, column, row)] == 1) {
            if (column <= 5)
                fill = grid->palette().color(QPalette::Link); // the hot-track colour
            else if (column == 6)
                fill = CentreOn;
            else
                fill = SecondOn;
        }
        canvas.fillRect(rect, fill);
    }
    QFont font = grid->font();
    font.setPointSize(12);
    canvas.setFont(font);
    canvas.setPen(Qt::black);
    const QTableWidgetItem* item = grid->item(row, column);
    if (item && !item->text().isEmpty())
        canvas.drawText(rect.adjusted(6, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item->text());
}

void selectRelayCell(TMainForm& form, QTableWidget* grid, int group, int column, int row, bool& canSelect)
{
    canSelect = false;
    if (!isDataCell(column, row))
        return;
    std::uint8_t& entry = velko::RelayAssign[velko::RelayAssignIndex(group, column, row)];
    entry = entry == 1 ? 0 : 1;
    grid->viewport()->update(); // scheduled: a load replays hundreds of clicks

    velko::PutBit(EditImage, velko::RelayMaskBit(group, column, row), entry == 1);
    if (SettingsLoaded == 1)
        form.Modify_Allocation_Draw();
}

} // namespace

void TMainForm::UDRelayTableSelectCell(QObject*, int ACol, int ARow, bool& CanSelect)
{
    selectRelayCell(*this, UDRelayTable, velko::UD, ACol, ARow, CanSelect);
}
void TMainForm::LRRelayTableSelectCell(QObject*, int ACol, int ARow, bool& CanSelect)
{
    selectRelayCell(*this, LRRelayTable, velko::LR, ACol, ARow, CanSelect);
}
void TMainForm::EWRelayTableSelectCell(QObject*, int ACol, int ARow, bool& CanSelect)
{
    selectRelayCell(*this, EWRelayTable, velko::EW, ACol, ARow, CanSelect);
}
void TMainForm::SNRelayTableSelectCell(QObject*, int ACol, int ARow, bool& CanSelect)
{
    selectRelayCell(*this, SNRelayTable, velko::SN, ACol, ARow, CanSelect);
}

void TMainForm::UDRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, QPainter& Canvas)
{
    drawRelayCell(UDRelayTable, velko::UD, ACol, ARow, Rect, Canvas);
}
void TMainForm::LRRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, QPainter& Canvas)
{
    drawRelayCell(LRRelayTable, velko::LR, ACol, ARow, Rect, Canvas);
}
void TMainForm::EWRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, QPainter& Canvas)
{
    drawRelayCell(EWRelayTable, velko::EW, ACol, ARow, Rect, Canvas);
}
void TMainForm::SNRelayTableDrawCell(QObject*, int ACol, int ARow, const QRect& Rect, QPainter& Canvas)
{
    drawRelayCell(SNRelayTable, velko::SN, ACol, ARow, Rect, Canvas);
}
