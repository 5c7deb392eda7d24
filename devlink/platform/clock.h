// The millisecond tick and the sleep, with a seam for simulated time.
#pragma once

#include <cstdint>

namespace fenlo::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; wraps at 32 bits.
    virtual std::uint32_t tick() = 0;
    virtual void sleep(std::uint32_t ms) = 0;
    // One turn of a busy wait. The real clock only lets time pass; a simulated one moves it on.
    virtual void spin() {}
};

Clock& clock();
// Null restores the real clock.
void setClock(Clock* clock);

} // namespace fenlo::platform
