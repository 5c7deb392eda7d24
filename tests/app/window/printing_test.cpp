// Printing into a PDF file through the dialog seam; the PDF is rendered back to pictures and
// each half of each sheet is compared with pictures of the window's pages.
#include "form_fixture.h"
#include "imageex.h"
#include "print_sheet.h"

#include <QAction>
#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTest>

#include <cstdlib>
#include <limits>
#include <ostream>
#include <vector>

namespace {

constexpr int RenderDpi = 72; // one rendered pixel per PDF point

// The print dialog answered as a user who chooses "Print to File (PDF)" and presses Print.
class PdfDialogs : public RecordingDialogs {
public:
    bool printDialog(QPrinter& printer) override
    {
        ++asked;
        toolBarOnDuringDialog = MainForm && MainForm->PrintBtn->isEnabled();
        if (!printAnswer)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
        layout = printer.pageLayout();
        resolution = printer.resolution();
        printableWidth = printer.width();
        printableHeight = printer.height();
        return true;
    }

    QString pdfFile;
    int asked = 0;
    bool toolBarOnDuringDialog = true;
    QPageLayout layout;
    int resolution = 0, printableWidth = 0, printableHeight = 0;
};

// Each page wears a block of its own colour, so that no two pages can pass for each other.
void markPages(TMainForm& f)
{
    for (int p = 0; p < f.PageControl->count(); ++p) {
        auto* mark = new QWidget(f.PageControl->widget(p));
        mark->setAutoFillBackground(true);
        QPalette palette = mark->palette();
        palette.setColor(QPalette::Window, QColor::fromHsv(p * 50, 255, 220));
        mark->setPalette(palette);
        mark->setGeometry(20 + 60 * p, 40, 220, 160);
    }
}

void showPage(TMainForm& f, int page)
{
    if (page == 0) {
        f.PageControl->setCurrentIndex(1);
        f.PreviousPageBtnClick(f.PreviousPageBtn);
    } else {
        f.PageControl->setCurrentIndex(page - 1);
        f.NextPageBtnClick(f.NextPageBtn);
    }
}

// What each of the seven pages looks like on paper, before any scaling: the tool bar is off
// while the pages are printed.
std::vector<QImage> pagePictures(TMainForm& f)
{
    const QRect outer = f.frameGeometry();
    const velko::SnapshotSize size =
        velko::SnapshotSizeOf(outer.width(), outer.height(), f.PageControl->geometry().bottom() + 1);
    f.Disable_Button();
    std::vector<QImage> pictures;
    for (int p = 0; p < f.PageControl->count(); ++p) {
        showPage(f, p);
        pictures.push_back(
            f.grab(QRect(0, 0, size.width, size.height)).toImage().convertToFormat(QImage::Format_RGB32));
    }
    f.Enable_Button();
    return pictures;
}

// Mean difference per colour channel, 0..255.
double distance(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            sum += std::abs(qRed(ra[x]) - qRed(rb[x])) + std::abs(qGreen(ra[x]) - qGreen(rb[x]))
                 + std::abs(qBlue(ra[x]) - qBlue(rb[x]));
    }
    return sum / (3.0 * a.width() * a.height());
}

// The page whose picture the printed half shows best, and how far off it is. The edges, where
// the picture meets the paper, are left out of the comparison.
std::pair<int, double> closestPage(const QImage& sheet, const QRect& half, const std::vector<QImage>& pictures)
{
    const QRect inner(2, 2, half.width() - 4, half.height() - 4);
    const QImage area = sheet.copy(inner.translated(half.topLeft()));
    std::pair<int, double> best{-1, std::numeric_limits<double>::max()};
    for (int p = 0; p < static_cast<int>(pictures.size()); ++p) {
        const QImage scaled =
            pictures[p].scaled(half.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).copy(inner);
        const double d = distance(area, scaled);
        if (d < best.second)
            best = {p, d};
    }
    return best;
}

bool allWhite(const QImage& area)
{
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (qGray(area.pixel(x, y)) < 250)
                return false;
    return true;
}

class PrintFixture : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        pdf.pdfFile = QString::fromStdString((dir.path() / "pages.pdf").string());
    }

    // The PDF's sheets as pictures.
    std::vector<QImage> renderSheets()
    {
        QProcess render;
        render.start(QStringLiteral("pdftoppm"),
                     {QStringLiteral("-r"), QString::number(RenderDpi), QStringLiteral("-png"), pdf.pdfFile,
                      QString::fromStdString((dir.path() / "sheet").string())});
        EXPECT_TRUE(render.waitForFinished(60000)) << "pdftoppm (poppler-utils) did not run";
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        QDir folder(QString::fromStdString(dir.path().string()));
        std::vector<QImage> sheets;
        for (const QString& name : folder.entryList({QStringLiteral("sheet-*.png")}, QDir::Files, QDir::Name))
            sheets.push_back(QImage(folder.filePath(name)).convertToFormat(QImage::Format_RGB32));
        return sheets;
    }

    // A rectangle of printer pixels on the rendered sheet.
    QRect onSheet(const velko::SheetRect& r) const
    {
        const QRectF paint = pdf.layout.paintRect(QPageLayout::Point);
        const double k = 72.0 / pdf.resolution;
        const QRectF points(paint.left() + r.left * k, paint.top() + r.top * k, (r.right - r.left) * k,
                            (r.bottom - r.top) * k);
        const double px = RenderDpi / 72.0;
        return QRectF(points.left() * px, points.top() * px, points.width() * px, points.height() * px).toRect();
    }

    PdfDialogs pdf;
};

struct PrintCase {
    const char* name;
    bool shown; // the window on the screen, or never shown at all
    int startPage;
};

void PrintTo(const PrintCase& c, std::ostream* os) { *os << c.name; }

class PrintPagesTest : public PrintFixture, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(PrintPagesTest, ThreeSheetsEachHalfTheRightPageInOrder)
{
    const PrintCase& c = GetParam();
    ProbeForm& f = makeForm();
    markPages(f);
    if (c.shown) {
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    }
    showPage(f, c.startPage);
    SettingsLoaded = 1;
    pdf.printAnswer = true;
    std::vector<int> visited;
    QObject::connect(f.PageControl, &QTabWidget::currentChanged, [&](int page) { visited.push_back(page); });

    f.NPrintSetup->trigger();

    EXPECT_EQ(pdf.asked, 1);
    EXPECT_FALSE(pdf.toolBarOnDuringDialog);
    ASSERT_EQ(dialogs.boxes.size(), 0u);
    ASSERT_EQ(pdf.boxes.size(), 1u);
    EXPECT_EQ(pdf.boxes[0].text, "列印完成!!");
    EXPECT_EQ(pdf.boxes[0].caption, "列印");
    EXPECT_EQ(pdf.boxes[0].icon, velko::BoxIcon::Information);
    for (const TImageEx* b : {f.OpenFileBtn, f.SaveFileBtn, f.PrintBtn, f.ReadSetBtn, f.WriteSetBtn, f.AboutBtn})
        EXPECT_TRUE(b->isEnabled());
    for (int page : visited)
        EXPECT_NE(page, 6) << "the special page was shown";
    EXPECT_EQ(f.PageControl->currentWidget(), f.Tab_Customer);
    EXPECT_TRUE(f.PreviousPageBtn->isEnabled());
    EXPECT_TRUE(f.NextPageBtn->isEnabled());

    const std::vector<QImage> pictures = pagePictures(f);
    const std::vector<QImage> sheets = renderSheets();
    ASSERT_EQ(sheets.size(), 3u);
    const velko::SheetHalves halves = velko::SheetHalvesOf(pdf.printableWidth, pdf.printableHeight);
    for (int s = 0; s < 3; ++s) {
        const struct {
            velko::SheetRect rect;
            int page;
        } parts[] = {{halves.upper, 2 * s}, {halves.lower, 2 * s + 1}};
        for (const auto& part : parts) {
            const auto [page, off] = closestPage(sheets[s], onSheet(part.rect), pictures);
            EXPECT_EQ(page, part.page) << "sheet " << s + 1;
            EXPECT_LT(off, 10.0) << "sheet " << s + 1 << " page " << part.page;
        }
        // Below the lower picture the sheet stays blank.
        const velko::SheetRect foot{0, halves.lower.bottom, halves.lower.right, pdf.printableHeight};
        EXPECT_TRUE(allWhite(sheets[s].copy(onSheet(foot).adjusted(0, 2, 0, 0)))) << "sheet " << s + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, PrintPagesTest,
                         ::testing::Values(PrintCase{"NeverShown", false, 0}, PrintCase{"OnScreen", true, 6}));

TEST_F(PrintFixture, NothingLoadedIsRefusedBeforeTheDialog)
{
    ProbeForm& f = makeForm();
    showPage(f, 3);
    pdf.printAnswer = true;
    f.NPrintSetup->trigger();
    EXPECT_EQ(pdf.asked, 0);
    ASSERT_EQ(pdf.boxes.size(), 1u);
    EXPECT_EQ(pdf.boxes[0].text, "請先開啟或讀取設定!");
    EXPECT_EQ(pdf.boxes[0].caption, "錯誤");
    EXPECT_EQ(pdf.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(f.PageControl->currentIndex(), 3);
    EXPECT_TRUE(f.PrintBtn->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pages.pdf"));
}

TEST_F(PrintFixture, CancelledDialogPrintsAndSaysNothing)
{
    ProbeForm& f = makeForm();
    showPage(f, 2);
    SettingsLoaded = 1;
    pdf.printAnswer = false;
    f.NPrintSetup->trigger();
    EXPECT_EQ(pdf.asked, 1);
    EXPECT_TRUE(pdf.boxes.empty());
    EXPECT_EQ(f.PageControl->currentIndex(), 2);
    EXPECT_TRUE(f.PrintBtn->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pages.pdf"));
}

TEST_F(PrintFixture, PrinterThatCannotBeginIsAnErrorNotADonePrint)
{
    ProbeForm& f = makeForm();
    SettingsLoaded = 1;
    pdf.printAnswer = true;
    pdf.pdfFile = QString::fromStdString((dir.path() / "no-such-folder" / "pages.pdf").string());
    f.NPrintSetup->trigger();
    ASSERT_EQ(pdf.boxes.size(), 1u);
    EXPECT_EQ(pdf.boxes[0].text, "列印失敗!!");
    EXPECT_EQ(pdf.boxes[0].caption, "錯誤");
    EXPECT_EQ(pdf.boxes[0].icon, velko::BoxIcon::Error);
    for (const TImageEx* b : {f.OpenFileBtn, f.SaveFileBtn, f.PrintBtn, f.ReadSetBtn, f.WriteSetBtn, f.AboutBtn})
        EXPECT_TRUE(b->isEnabled());
}

} // namespace
