// Printing the settings: the six pages before the special page are shown in turn, each drawn
// from the window itself (so a covered or off-screen window prints as well) and copied into its
// half of a sheet, two to a sheet.
#include "mainform.h"

#include "dialogs.h"
#include "print_sheet.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

namespace {

QRect toRect(const velko::SheetRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

} // namespace

void TMainForm::NPrintSetupClick(QObject*)
{
    Disable_Button();
    if (SettingsLoaded != 1) {
        velko::MessageBoxOk(QStringLiteral("請先開啟或讀取設定!"), QStringLiteral("錯誤"), velko::BoxIcon::Error);
        Enable_Button();
        return;
    }

    QPrinter printer(QPrinter::HighResolution);
    if (!velko::Dialogs().printDialog(printer)) {
        Enable_Button();
        return;
    }

    if (PrintPages(printer))
        velko::MessageBoxOk(QStringLiteral("列印完成!!"), QStringLiteral("列印"), velko::BoxIcon::Information);
    else
        velko::MessageBoxOk(QStringLiteral("列印失敗!!"), QStringLiteral("錯誤"), velko::BoxIcon::Error);
    Enable_Button();
}

QImage TMainForm::PageSnapshot()
{
    // Drawn now: what the page just shown looks like, whatever covers the window on screen.
    repaint();
    const QRect outer = frameGeometry();
    const velko::SnapshotSize size =
        velko::SnapshotSizeOf(outer.width(), outer.height(), PageControl->geometry().bottom() + 1);
    QImage picture(size.width, size.height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    render(&picture, QPoint(), QRegion(0, 0, size.width, size.height));
    return picture;
}

bool TMainForm::PrintPages(QPrinter& printer)
{
    const auto showPage = [this](int page) {
        if (page == 0) {
            PageControl->setCurrentIndex(1);
            PreviousPageBtnClick(PreviousPageBtn);
        } else {
            PageControl->setCurrentIndex(page - 1);
            NextPageBtnClick(NextPageBtn);
        }
    };

    QPainter painter;
    for (int sheet = 0; sheet < velko::PrintedSheets; ++sheet) {
        if (sheet > 0 && !printer.newPage()) {
            printer.abort();
            painter.end();
            return false;
        }
        showPage(2 * sheet);
        if (sheet == 0 && !painter.begin(&printer))
            return false;
        // The page size of a sheet serves both its halves.
        const velko::SheetHalves halves = velko::SheetHalvesOf(printer.width(), printer.height());
        painter.drawImage(toRect(halves.upper), PageSnapshot());
        showPage(2 * sheet + 1);
        painter.drawImage(toRect(halves.lower), PageSnapshot());
    }
    return painter.end() && printer.printerState() != QPrinter::Error;
}
