// The read chain and the write chain against the standalone simulated unit on a
// pseudo-terminal, in real time, beside their floor.
//
// The floor is the same chain with the same unit on simulated time, where every wait ends
// at the first 10 ms poll after its answer is complete, every send lasts its line time at
// 9600 baud (11 bits a character) plus its 30 ms, and the unit answers as soon as it can:
// exactly what the waits and the line time allow, and nothing for the machine itself.
#include "bench_time.h"
#include "fenlo.h"
#include "fenlo_host.h"
#include "loader_unit.h"
#include "sim_line.h"
#include "standalone_process.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace unitsim;

using bench::nowMs;

namespace {

using Image = unsigned char[2][128];

const unsigned char* password() { return LoaderUnit::TransmitterVectors.data(); }

bool readChain()
{
    Image image{};
    return GetICData(password()) != 0 && LoadSegmentA(image, password()) && LoadSegmentB(image, password());
}

bool writeChain()
{
    Image image;
    for (std::size_t k = 0; k < 128; ++k) {
        image[0][k] = static_cast<unsigned char>(k * 3);
        image[1][k] = static_cast<unsigned char>(k ^ 0x5A);
    }
    return GetICData(password()) != 0 && EraseSegmentA(password()) && EraseSegmentB(password())
        && WriteSegmentA(image, password()) && WriteSegmentB(image, password());
}

double floorMs(const std::function<bool()>& chain, LoaderKind loader)
{
    World world;
    LoaderUnit unit = LoaderUnit::transmitter();
    unit.setLoader(loader);
    world.line.attach(&unit);
    OpenCom("COM1");
    const Time start = world.clock.now();
    const bool ok = chain();
    const double elapsed = toMs(world.clock.now() - start);
    ExitCom();
    return ok ? elapsed : -1.0;
}

void quietBox(const char*, const char*, unsigned) {}

} // namespace

int main()
{
    FenloSetMessageBox(quietBox);
    struct Chain {
        const char* name;
        std::function<bool()> run;
    };
    const std::vector<Chain> chains = {{"read chain", readChain}, {"write chain", writeChain}};
    int failures = 0;
    for (const LoaderKind loader : {LoaderKind::ReportsVersion, LoaderKind::NeedsPatch}) {
        const bool patch = loader == LoaderKind::NeedsPatch;
        StandaloneUnit standalone(VELKO_UNITSIM, {"--unit", "tx", "--loader", patch ? "patch" : "version"});
        if (standalone.slave().empty() || std::string(OpenCom(standalone.slave().c_str())) != standalone.slave()) {
            std::fprintf(stderr, "cannot reach the standalone unit\n");
            return 1;
        }
        for (const Chain& chain : chains) {
            std::vector<double> runs;
            for (int i = 0; i < 5; ++i) {
                const double start = nowMs();
                if (!chain.run()) {
                    std::fprintf(stderr, "%s failed\n", chain.name);
                    ++failures;
                }
                runs.push_back(nowMs() - start);
            }
            std::sort(runs.begin(), runs.end());
            ExitCom();
            const double floor = floorMs(chain.run, loader);
            OpenCom(standalone.slave().c_str());
            const double median = runs[runs.size() / 2];
            std::printf("%s%s: median %.1f ms, worst %.1f ms, floor %.1f ms, median %+.2f%% (goal: at most +3%%)\n",
                        chain.name, patch ? " with patch" : "", median, runs.back(), floor,
                        100.0 * (median - floor) / floor);
        }
        ExitCom();
    }
    FenloSetMessageBox(nullptr);
    return failures == 0 ? 0 : 1;
}
