// velko-unitsim: one simulated unit on a pseudo-terminal, in real time.
//
//   velko-unitsim [--unit tx|rx|erased] [--loader version|patch] [--memory FILE]
//
// Prints the slave's path on the first line of standard output and serves until SIGINT or
// SIGTERM. With --memory the unit's 64 KiB are taken from FILE when it exists (instead of
// the preset) and written back to it at the end.
#include "loader_unit.h"
#include "pty_server.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) { stopRequested = true; }

int usage()
{
    std::fprintf(stderr, "usage: velko-unitsim [--unit tx|rx|erased] [--loader version|patch] [--memory FILE]\n");
    return 2;
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
        out.write(reinterpret_cast<const char*>(unit.memory().data()), static_cast<std::streamsize>(unit.memory().size()));
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
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (arg == "--unit")
            kind = argv[++i];
        else if (arg == "--loader")
            loader = argv[++i];
        else if (arg == "--memory")
            memoryPath = argv[++i];
        else
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
