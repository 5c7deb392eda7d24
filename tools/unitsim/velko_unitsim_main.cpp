// velko-unitsim: one simulated unit on a pseudo-terminal, in real time.
//
//   velko-unitsim [--unit tx|rx|erased] [--loader version|patch] [--memory FILE]
//                 [--fault KIND:COMMAND[@ADDRESS][,...]]...
//
// Prints the slave's path on the first line of standard output and serves until SIGINT or
// SIGTERM. With --memory the unit's 64 KiB are taken from FILE when it exists (instead of
// the preset) and written back to it at the end. Each --fault makes the unit misbehave on
// the frames it names (fault_option.h).
#include "fault_option.h"
#include "loader_unit.h"
#include "pty_server.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) { stopRequested = true; }

const char* const Usage =
    "usage: velko-unitsim [--unit tx|rx|erased] [--loader version|patch] [--memory FILE]\n"
    "                     [--fault KIND:COMMAND[@ADDRESS][,...]]...\n"
    "Serves one simulated unit on a pseudo-terminal and prints its path.\n"
    "  --unit tx|rx|erased     a set's transmitter or receiver, or an erased unit (default tx)\n"
    "  --loader version|patch  a loader that gives its version, or one that needs the patch\n"
    "  --memory FILE           the unit's 64 KiB from FILE if it exists, saved there at the end\n";

int usage(std::FILE* to = stderr, int status = 2)
{
    std::fprintf(to, "%s%s", Usage, unitsim::FaultOptionHelp);
    return status;
}

bool loadMemory(const std::string& path, unitsim::LoaderUnit& unit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != unit.memory().size()) {
        std::fprintf(stderr, "velko-unitsim: %s holds %zu bytes, not %zu\n", path.c_str(), bytes.size(),
                     unit.memory().size());
        return false;
    }
    unit.memory() = bytes;
    return true;
}

bool saveMemory(const std::string& path, const unitsim::LoaderUnit& unit)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(unit.memory().data()),
                  static_cast<std::streamsize>(unit.memory().size()));
        if (!out.flush())
            return false;
    }
    // Whole or not at all: a half-written file would be taken for the unit's memory later.
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string kind = "tx", loader = "version", memoryPath;
    std::vector<unitsim::Fault> faults;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return usage(stdout, 0);
        if (i + 1 >= argc)
            return usage();
        if (arg == "--unit")
            kind = argv[++i];
        else if (arg == "--loader")
            loader = argv[++i];
        else if (arg == "--memory")
            memoryPath = argv[++i];
        else if (arg == "--fault") {
            std::string error;
            const auto fault = unitsim::ParseFault(argv[++i], error);
            if (!fault) {
                std::fprintf(stderr, "velko-unitsim: --fault %s: %s\n", argv[i], error.c_str());
                return 2;
            }
            faults.push_back(*fault);
        } else
            return usage();
    }
    unitsim::LoaderUnit unit;
    if (kind == "tx")
        unit = unitsim::LoaderUnit::transmitter();
    else if (kind == "rx")
        unit = unitsim::LoaderUnit::receiver();
    else if (kind == "erased")
        unit = unitsim::LoaderUnit::erased();
    else
        return usage();
    if (loader != "version" && loader != "patch")
        return usage();
    unit.setLoader(loader == "patch" ? unitsim::LoaderKind::NeedsPatch : unitsim::LoaderKind::ReportsVersion);
    if (!memoryPath.empty() && !loadMemory(memoryPath, unit))
        return 1;
    for (const unitsim::Fault& fault : faults)
        unit.inject(fault);
    unit.enterLoader();

    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    unitsim::PtyServer server(unit);
    if (!server.ok()) {
        std::perror("velko-unitsim: pseudo-terminal");
        return 1;
    }
    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);
    server.serve(stopRequested);

    if (!memoryPath.empty() && !saveMemory(memoryPath, unit)) {
        std::fprintf(stderr, "velko-unitsim: cannot write %s\n", memoryPath.c_str());
        return 1;
    }
    return 0;
}
