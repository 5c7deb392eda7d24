// ShowEEPROMSet on the real, shown main window: the start-up image, and an image with every
// relay of every lever position of every axis on (all mask bits 1). Prints the load alone,
// the load with the paint it leaves for the event loop, and the paints during the load
// (none: the load never gives the loop a turn).
#include "bench_time.h"
#include "bench_window.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using bench::median;
using bench::nowMs;

int main(int argc, char** argv)
{
    bench::offscreenByDefault(true);
    const bench::RunFolder dir("velko-loader-bench");
    {
        std::string relays;
        for (int n = 1; n <= 40; ++n)
            relays +=
                "<td>RY" + std::to_string(n) + "</td><td>Act" + (n < 10 ? "0" : "") + std::to_string(n) + "</td>\r\n";
        dir.writeSideFiles(relays);
    }

    velko::VelkoApplication app(argc, argv);
    bench::noPort(); // the loads are what is timed
    bench::AnsweringDialogs dialogs;
    TMainForm* const form = bench::showWindow();
    bench::PaintCounter painter;
    app.installEventFilter(&painter);

    const velko::SegmentImage startup = velko::EditImage;
    velko::SegmentImage everyBit = startup;
    for (int k = 0; k < 44; ++k) {
        velko::SegA(everyBit, velko::RelayMaskLowBase + k) = 0xFF;
        velko::SegB(everyBit, k) = 0xFF;
    }
    for (int g = 0; g < velko::AxisGroups; ++g)
        velko::SegA(everyBit, 38 + g) = 10;

    constexpr int Runs = 21;
    const struct {
        const char* name;
        const velko::SegmentImage* image;
    } images[] = {{"start-up image", &startup}, {"every mask bit", &everyBit}};
    int failures = 0;
    for (const auto& im : images) {
        std::vector<double> loadMs, withPaintMs;
        int paintsDuring = 0;
        for (int page = 0; page < 7; ++page) {
            // Each page in turn on screen, so that the grids' pages pay for their paint too.
            form->PageControl->setCurrentIndex(page);
            QCoreApplication::processEvents();
            for (int i = 0; i < Runs / 7; ++i) {
                velko::ReadImage = velko::EditImage = velko::BaselineImage = *im.image;
                const int before = painter.paints;
                const double start = nowMs();
                form->ShowEEPROMSet();
                const double loaded = nowMs();
                paintsDuring += painter.paints - before;
                QCoreApplication::processEvents();
                const double painted = nowMs();
                loadMs.push_back(loaded - start);
                withPaintMs.push_back(painted - start);
                if (velko::BaselineImage != *im.image)
                    ++failures;
            }
        }
        std::printf("ShowEEPROMSet, %-14s: load %7.3f ms (max %7.3f) | with the paint after it %7.3f ms "
                    "(max %7.3f) | goal < 50 ms | paints during the load %d in %d runs\n",
                    im.name, median(loadMs), *std::max_element(loadMs.begin(), loadMs.end()), median(withPaintMs),
                    *std::max_element(withPaintMs.begin(), withPaintMs.end()), paintsDuring,
                    static_cast<int>(loadMs.size()));
        if (paintsDuring != 0)
            ++failures;
    }
    if (dialogs.boxes)
        std::printf("%d message boxes during the loads\n", dialogs.boxes);

    app.removeEventFilter(&painter);
    bench::closeWindow(form);
    return failures || dialogs.boxes ? 1 : 0;
}
