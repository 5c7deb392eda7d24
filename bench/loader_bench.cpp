// ShowEEPROMSet on the real, shown main window: the start-up image, and an image with every
// relay of every lever position of every axis on (all mask bits 1). Prints the load alone,
// the load with the paint it leaves for the event loop, and the paints during the load
// (none: the load never gives the loop a turn).
#include "bench_time.h"
#include "dialogs.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"

#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using bench::median;
using bench::nowMs;

namespace {

class SilentDialogs : public velko::DialogSeam {
public:
    void messageBox(const velko::MessageRequest&) override { ++boxes; }
    QString openFileName(const velko::FileRequest&) override { return {}; }
    QString saveFileName(const velko::FileRequest&) override { return {}; }
    bool printDialog(QPrinter&) override { return false; }
    void openDocument(const QString&) override {}
    int boxes = 0;
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "velko-loader-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "config");
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    std::filesystem::current_path(dir);
    {
        std::ofstream t(dir / "ETM.vfa");
        for (int n = 1; n <= 40; ++n)
            t << "<td>RY" << n << "</td><td>Act" << (n < 10 ? "0" : "") << n << "</td>\r\n";
    }
    std::ofstream(dir / "Vie32.vfd") << "";

    velko::VelkoApplication app(argc, argv);
    // No port: the loads are what is timed.
    velko::OpenComCall = [](const char* name) -> const char* { return name; };
    SilentDialogs dialogs;
    velko::SetDialogSeam(&dialogs);
    auto* form = new TMainForm();
    MainForm = form;
    form->show();
    QCoreApplication::processEvents();
    PaintCounter painter;
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
    MainForm = nullptr;
    delete form;
    velko::SetDialogSeam(nullptr);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(dir);
    return failures || dialogs.boxes ? 1 : 0;
}
