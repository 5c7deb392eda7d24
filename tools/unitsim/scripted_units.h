// Simple far ends for tests of the line itself.
#pragma once

#include "sim_line.h"

#include <deque>

namespace unitsim {

// How long a unit takes between the end of a burst and the start of its answer.
inline constexpr Time Turnaround = BitTime;

// A loader that answers the sync byte 0x80, and nothing else, with 0x90.
class SyncAckUnit final : public Unit {
public:
    void onReceive(Line& line, Time end, const Bytes& burst) override;
};

// Answers each burst with the next scripted answer; an empty answer, or none left, is silence.
class ScriptedUnit final : public Unit {
public:
    void answer(Bytes bytes) { script_.push_back(std::move(bytes)); }
    void silence() { script_.push_back({}); }
    void flood(std::size_t count, Byte value = 0x55) { script_.push_back(Bytes(count, value)); }

    void onReceive(Line& line, Time end, const Bytes& burst) override;

private:
    std::deque<Bytes> script_;
};

} // namespace unitsim
