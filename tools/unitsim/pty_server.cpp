#include "pty_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace unitsim {
namespace {

long long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

} // namespace

PtyServer::PtyServer(Unit& unit) : unit_(unit)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        return;
    const char* name = ptsname(master_);
    if (!name)
        return;
    slaveHold_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveHold_ < 0)
        return;
    // Raw from the start, so that nothing is echoed or translated before the host sets it.
    termios tio{};
    if (tcgetattr(slaveHold_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slaveHold_, TCSANOW, &tio);
    }
    slave_ = name;
    line_.attach(&unit_);
    line_.markOpen();
    startNs_ = monotonicNs();
}

PtyServer::~PtyServer()
{
    if (slaveHold_ >= 0)
        close(slaveHold_);
    if (master_ >= 0)
        close(master_);
}

void PtyServer::followRealTime()
{
    const auto now = static_cast<Time>((monotonicNs() - startNs_) * static_cast<long long>(UnitsPerMs) / 1000000LL);
    if (now > clock_.now())
        clock_.advance(now - clock_.now());
}

// Every byte whose time has come leaves for the host; bursts due reach the unit on the way.
void PtyServer::relayAnswers()
{
    unsigned char out[256];
    std::size_t n = 0;
    while ((n = line_.read(out, sizeof out)) > 0) {
        for (std::size_t done = 0; done < n;) {
            const ssize_t put = write(master_, out + done, n - done);
            if (put > 0)
                done += static_cast<std::size_t>(put);
            else if (put < 0 && errno == EINTR)
                continue;
            else
                return;
        }
    }
    // What the host did is not kept: a long session would only pile it up.
    line_.clearRecords();
}

void PtyServer::serve(const std::atomic<bool>& stop)
{
    while (!stop) {
        followRealTime();
        relayAnswers();
        int timeoutMs = 100;
        if (const auto due = line_.nextDue()) {
            const Time wait = *due > clock_.now() ? *due - clock_.now() : 0;
            timeoutMs = static_cast<int>(std::min<Time>((wait + UnitsPerMs - 1) / UnitsPerMs, 100));
        }
        pollfd p{master_, POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready <= 0 || !(p.revents & POLLIN))
            continue;
        unsigned char in[512];
        const ssize_t got = read(master_, in, sizeof in);
        if (got <= 0)
            continue;
        followRealTime();
        // A port gone (a fault of the unit's) hears nothing more, as a cable pulled out.
        if (!line_.unplugged())
            line_.hostSends(Bytes(in, in + got));
    }
}

} // namespace unitsim
