// Start-up of VELKO-Q37 under X: the time from the start of a fresh process to its first
// painted main window, and the process's peak resident memory. Starts its own Xvfb when no
// display is set. Each run is a new process in a fresh run folder with its own store,
// lock and port (a pseudo-terminal), so nothing is cached between runs but the system's files.
#include "mainform.h"
#include "program_entry.h"

#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int Runs = 7;

// In the measured process: reports once the main window has been painted and flushed.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(int fd) : fd_(fd) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!reported_ && event->type() == QEvent::Paint && watched == MainForm) {
            reported_ = true;
            // After this paint the backing store is flushed to the screen; then we report.
            QTimer::singleShot(0, [fd = fd_] {
                const char byte = 'p';
                if (::write(fd, &byte, 1) != 1)
                    std::perror("startup_bench: report");
                ::close(fd);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    int fd_;
    bool reported_ = false;
};

int child(int argc, char** argv, int fd)
{
    velko::VelkoApplication app(argc, argv);
    FirstPaint probe(fd);
    app.installEventFilter(&probe);
    return velko::RunProgram(argc, argv);
}

std::string startXvfb(pid_t& server)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    server = ::fork();
    if (server == 0) {
        ::close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    return number.empty() ? std::string() : ":" + number;
}

// A run folder with the side files, the store's folder and a port link to a pseudo-terminal.
fs::path prepareRunFolder(int& ptyMaster)
{
    char pattern[] = "/tmp/velko-startup-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);
    for (const char* name : {"ETM.vfa", "Vie32.vfd"})
        fs::copy_file(fs::path(VELKO_SOURCE_DIR) / "resources" / name, dir / name);
    fs::create_directories(dir / "config" / "VELKO-Q37" / "ports");
    ptyMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(ptyMaster);
    ::unlockpt(ptyMaster);
    fs::create_symlink(::ptsname(ptyMaster), dir / "config" / "VELKO-Q37" / "ports" / "COM1");
    ::chmod(dir.c_str(), 0700);
    return dir;
}

struct Sample {
    double ms;
    double peakMb;
};

bool measureOnce(const char* self, Sample& sample)
{
    int ptyMaster = -1;
    const fs::path dir = prepareRunFolder(ptyMaster);
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (::chdir(dir.c_str()) != 0)
            ::_exit(126);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        const std::string fd = std::to_string(fds[1]);
        ::execl(self, self, "--child", fd.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char byte = 0;
    const bool painted = ::read(fds[0], &byte, 1) == 1;
    const auto painted_at = std::chrono::steady_clock::now();
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ::close(ptyMaster);
    std::error_code ec;
    fs::remove_all(dir, ec);
    if (!painted)
        return false;
    sample.ms = std::chrono::duration<double, std::milli>(painted_at - start).count();
    sample.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--child")
        return child(argc, argv, std::atoi(argv[2]));

    pid_t server = -1;
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) {
        const std::string display = startXvfb(server);
        if (display.empty()) {
            std::fprintf(stderr, "startup_bench: no display and no Xvfb\n");
            return 1;
        }
        ::setenv("DISPLAY", display.c_str(), 1);
    }
    ::unsetenv("QT_QPA_PLATFORM"); // the real X11 platform, as a user starts it

    std::vector<Sample> samples;
    const std::string self = fs::canonical("/proc/self/exe").string();
    for (int i = 0; i < Runs; ++i) {
        Sample s{};
        if (!measureOnce(self.c_str(), s)) {
            std::fprintf(stderr, "startup_bench: run %d painted nothing\n", i + 1);
            break;
        }
        samples.push_back(s);
    }
    if (server > 0) {
        ::kill(server, SIGTERM);
        ::waitpid(server, nullptr, 0);
    }
    if (samples.empty())
        return 1;

    std::vector<double> ms, mb;
    for (const Sample& s : samples) {
        ms.push_back(s.ms);
        mb.push_back(s.peakMb);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start to first painted main window (%zu runs): median %.1f ms, min %.1f ms, max %.1f ms "
                "(goal < 400 ms)\n",
                ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
    std::printf("peak resident memory: max %.1f MB (goal < 80 MB)\n", *std::max_element(mb.begin(), mb.end()));
    return 0;
}
