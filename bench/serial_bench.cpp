// How promptly the waits end on the real clock, against a pseudo-terminal peer.
//
// The peer answers each sync byte with 0x90 after a varying pause, so the answer lands
// anywhere inside a poll period; the figure is the time from the answer being queued to
// WaitRx returning. Delay(n) is timed against n.
#include "bench_time.h"
#include "fenlo.h"
#include "fenlo_host.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

using bench::median;
using bench::nowMs;

namespace {

double worst(const std::vector<double>& v) { return v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()); }

std::atomic<double> answeredAt{0};
std::atomic<bool> stop{false};

void peer(int master)
{
    unsigned round = 0;
    while (!stop) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        unsigned char buf[64];
        if (read(master, buf, sizeof buf) <= 0)
            continue;
        // Pause 30 to 52 ms: past the sender's own 30 ms delay, anywhere in a poll.
        const unsigned pauseUs = 30000 + (round++ * 2300) % 22000;
        usleep(pauseUs);
        const unsigned char ack = 0x90;
        answeredAt = nowMs();
        if (write(master, &ack, 1) != 1)
            return;
    }
}

} // namespace

int main()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const char* slave = ptsname(master);
    if (std::string_view(OpenCom(slave)) != slave) {
        std::fprintf(stderr, "cannot open %s\n", slave);
        return 1;
    }
    std::thread answering(peer, master);

    std::vector<double> waitLatency;
    for (int i = 0; i < 60; ++i) {
        FenloRespond();
        WaitRx(200, 1);
        const double done = nowMs();
        waitLatency.push_back(done - answeredAt.load());
    }
    stop = true;
    answering.join();

    std::printf("WaitRx: answer queued -> return, median %.2f ms, worst %.2f ms (goal: within 12 ms)\n",
                median(waitLatency), worst(waitLatency));
    for (unsigned long n : {1ul, 5ul, 30ul, 100ul}) {
        std::vector<double> over;
        for (int i = 0; i < 30; ++i) {
            const double start = nowMs();
            Delay(n);
            over.push_back(nowMs() - start - static_cast<double>(n));
        }
        std::printf("Delay(%lu): past its time, median %.3f ms, worst %.3f ms (goal: within 1 ms)\n", n, median(over),
                    worst(over));
    }
    ExitCom();
    close(master);
    return 0;
}
