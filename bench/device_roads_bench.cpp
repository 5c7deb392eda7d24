// The window's read and write roads against the standalone simulated unit on a
// pseudo-terminal in real time, beside the library's own calls for the same chain and the
// floor of that chain (the same calls on simulated time: the waits and the line time, and
// nothing for the machine). The write's chain holds its read-back of both segments; the
// library's write without it is timed beside it, for what the read-back costs. Also counts
// the clock ticks and repaints of the window while a road runs, to show that the window
// stays alive. The read road ends with the pages loading the image; one more figure has
// them load an image of every relay mask bit.
#include "bench_time.h"
#include "bench_window.h"
#include "loader_unit.h"
#include "mainform.h"
#include "program_entry.h"
#include "settings_image.h"
#include "sim_line.h"
#include "standalone_process.h"
#include "unit_passwords.h"

#include <fenlo.h>

#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <vector>

using namespace unitsim;

using bench::median;
using bench::nowMs;

namespace {

using Rows = unsigned char (*)[FENLO_SEGMENT_BYTES];
Rows rows(velko::SegmentImage& image) { return reinterpret_cast<Rows>(image.data()); }

// What the roads ask of the library, called straight.
bool connectChain(velko::SegmentImage& image)
{
    (void)image;
    Handshake();
    unsigned char record[FENLO_RECORD_BYTES];
    return WritePassword(velko::TxPasswordTable.data())
        && (LoadData(0xFF60, velko::TxPasswordTable.data(), record), true)
        && GetICData(velko::TxPasswordTable.data()) != 0;
}

bool readChain()
{
    velko::SegmentImage image{};
    return connectChain(image) && LoadSegmentA(rows(image), velko::TxPasswordTable.data())
        && LoadSegmentB(rows(image), velko::TxPasswordTable.data());
}

// The write as the library alone would leave it, without reading back what landed.
bool writeWithoutReadBack()
{
    velko::SegmentImage image{};
    const unsigned char* pw = velko::TxPasswordTable.data();
    return connectChain(image) && EraseSegmentA(pw) && EraseSegmentB(pw) && WriteSegmentA(rows(image), pw)
        && WriteSegmentB(rows(image), pw);
}

bool writeChain()
{
    velko::SegmentImage back{};
    const unsigned char* pw = velko::TxPasswordTable.data();
    return writeWithoutReadBack() && LoadSegmentA(rows(back), pw) && LoadSegmentB(rows(back), pw)
        && back == velko::SegmentImage{};
}

double floorMs(const std::function<bool()>& chain)
{
    World world;
    LoaderUnit unit = LoaderUnit::transmitter();
    world.line.attach(&unit);
    OpenCom("COM1");
    const Time start = world.clock.now();
    const bool ok = chain();
    const double ms = toMs(world.clock.now() - start);
    ExitCom();
    return ok ? ms : -1;
}

} // namespace

int main(int argc, char** argv)
{
    bench::offscreenByDefault();
    const bench::RunFolder dir("velko-roads-bench");
    dir.writeSideFiles();

    StandaloneUnit standalone(VELKO_UNITSIM, {"--unit", "tx"});
    if (standalone.slave().empty()) {
        std::fprintf(stderr, "the standalone unit did not start\n");
        return 1;
    }
    std::filesystem::create_symlink(standalone.slave(), dir.portsDir() / "COM1");

    // Floors first: they borrow the device link's port while the window has none yet.
    const double readFloor = floorMs(readChain), writeFloor = floorMs(writeChain);
    const double bareWriteFloor = floorMs(writeWithoutReadBack);

    velko::VelkoApplication app(argc, argv);
    bench::AnsweringDialogs dialogs;
    TMainForm* const form = bench::showWindow();
    bench::PaintCounter painter;
    form->installEventFilter(&painter);
    int ticks = 0;
    QObject::connect(form->DateTimer, &QTimer::timeout, [&ticks] { ++ticks; });

    constexpr int Runs = 3;
    struct Road {
        const char* name;
        std::function<void()> run;
        std::function<bool()> chain;
        QString done;
        double floor;
    };
    const Road roads[] = {
        {"read", [form] { form->ReadSetBtnMouseUp(form->ReadSetBtn, Qt::LeftButton, {}, 1, 1); }, readChain,
         QStringLiteral("讀取設定完成!!"), readFloor},
        {"write", [form] { form->WriteSetBtnMouseUp(form->WriteSetBtn, Qt::LeftButton, {}, 1, 1); }, writeChain,
         QStringLiteral("寫入設定成功!!"), writeFloor},
    };
    int failures = 0;
    for (const Road& road : roads) {
        std::vector<double> roadMs, chainMs, ticksPerSecond;
        for (int i = 0; i < Runs; ++i) {
            const int ticksBefore = ticks, paintsBefore = painter.paints;
            double start = nowMs();
            road.run();
            const double took = nowMs() - start;
            roadMs.push_back(took);
            ticksPerSecond.push_back((ticks - ticksBefore) * 1000.0 / took);
            if (dialogs.last != road.done || painter.paints == paintsBefore) {
                std::printf("%s ended with \"%s\", %d repaints\n", road.name, dialogs.last.toUtf8().constData(),
                            painter.paints - paintsBefore);
                ++failures;
            }

            start = nowMs();
            if (!road.chain())
                ++failures;
            chainMs.push_back(nowMs() - start);
        }
        const double r = median(roadMs), c = median(chainMs), f = road.floor;
        std::printf("%-5s road %7.1f ms | library alone %7.1f ms | floor %7.1f ms | program adds %+5.2f%% "
                    "(goal <= 2%%) | clock ticks %.2f/s while it runs\n",
                    road.name, r, c, f, (r / c - 1.0) * 100.0, median(ticksPerSecond));
    }
    {
        std::vector<double> bare;
        for (int i = 0; i < Runs; ++i) {
            const double start = nowMs();
            if (!writeWithoutReadBack())
                ++failures;
            bare.push_back(nowMs() - start);
        }
        std::printf("write without its read-back: library alone %7.1f ms | floor %7.1f ms\n", median(bare),
                    bareWriteFloor);
    }
    {
        // The read road with the pages loading an image of every mask bit (the heaviest load),
        // against the library's read alone; and the load's own share of the road.
        velko::SegmentImage heavy = velko::BaselineImage;
        for (int k = 0; k < 44; ++k)
            velko::SegA(heavy, velko::RelayMaskLowBase + k) = velko::SegB(heavy, k) = 0xFF;
        const unsigned char* pw = velko::TxPasswordTable.data();
        if (!(connectChain(heavy) && EraseSegmentA(pw) && EraseSegmentB(pw) && WriteSegmentA(rows(heavy), pw)
              && WriteSegmentB(rows(heavy), pw)))
            ++failures;
        std::vector<double> roadMs, chainMs, loadMs;
        for (int i = 0; i < Runs; ++i) {
            double start = nowMs();
            roads[0].run();
            roadMs.push_back(nowMs() - start);
            if (dialogs.last != roads[0].done || velko::BaselineImage != heavy)
                ++failures;
            SettingsLoaded = 0; // as the read holds it while the pages load
            start = nowMs();
            form->ShowEEPROMSet();
            loadMs.push_back(nowMs() - start);
            SettingsLoaded = 1;
            start = nowMs();
            if (!readChain())
                ++failures;
            chainMs.push_back(nowMs() - start);
        }
        const double r = median(roadMs), c = median(chainMs);
        std::printf("read road, every mask bit loaded %7.1f ms | library alone %7.1f ms | program adds %+5.2f%% "
                    "(goal <= 2%%) | the load alone %.3f ms\n",
                    r, c, (r / c - 1.0) * 100.0, median(loadMs));
    }
    if (failures)
        std::printf("%d runs did not end as they should\n", failures);

    bench::closeWindow(form);
    ExitCom();
    standalone.stop();
    return failures ? 1 : 0;
}
