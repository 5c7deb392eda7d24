#include "clock.h"

#include <cerrno>
#include <ctime>

namespace fenlo::platform {
namespace {

class MonotonicClock final : public Clock {
public:
    std::uint32_t tick() override
    {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const auto ms =
            static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
        return static_cast<std::uint32_t>(ms);
    }

    void sleep(std::uint32_t ms) override
    {
        timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
};

MonotonicClock monotonicClock;
Clock* current = &monotonicClock;

} // namespace

Clock& clock() { return *current; }

void setClock(Clock* clock) { current = clock ? clock : &monotonicClock; }

} // namespace fenlo::platform
