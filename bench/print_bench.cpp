// A whole print of the settings: the six pages shown, drawn and put two to a sheet on three
// sheets of a PDF file, at the resolution the print dialog is given by default. The window is
// shown, as when a user prints.
#include "bench_time.h"
#include "bench_window.h"
#include "mainform.h"
#include "program_entry.h"

#include <QPrinter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

// The print dialog answered as "Print to File (PDF)" with everything else left as it comes.
class PdfDialogs : public bench::AnsweringDialogs {
public:
    bool printDialog(QPrinter& printer) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        resolution = printer.resolution();
        width = printer.width();
        height = printer.height();
        return true;
    }
    QString pdf;
    int resolution = 0, width = 0, height = 0;
};

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenByDefault();
    const bench::RunFolder dir("velko-print-bench");
    dir.writeSideFiles();

    velko::VelkoApplication app(argc, argv);
    bench::noPort();
    PdfDialogs dialogs;
    dialogs.pdf = dir.file("pages.pdf");
    TMainForm* const form = bench::showWindow();
    SettingsLoaded = 1;

    constexpr int Runs = 7;
    std::vector<double> times;
    bool allDone = true;
    for (int i = 0; i < Runs; ++i) {
        dialogs.last.clear();
        const double start = bench::nowMs();
        form->NPrintSetupClick(form->NPrintSetup);
        times.push_back(bench::nowMs() - start);
        allDone = allDone && dialogs.last == QStringLiteral("列印完成!!");
    }
    const auto bytes = std::filesystem::file_size(dir / "pages.pdf");

    std::printf("print of 3 sheets into a PDF at %d dpi (printable %d x %d pixels):\n", dialogs.resolution,
                dialogs.width, dialogs.height);
    std::printf("  median %.1f ms, best %.1f ms, worst %.1f ms over %d runs (goal: under 2000 ms)\n",
                bench::median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), Runs);
    std::printf("  PDF file %.1f KiB; every run reported done: %s\n", static_cast<double>(bytes) / 1024.0,
                allDone ? "yes" : "no");

    bench::closeWindow(form);
    return allDone ? 0 : 1;
}
