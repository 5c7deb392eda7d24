// A serial line on simulated time, between the library and a simulated unit.
//
// Time runs in units of 1/96000 s, so that both a millisecond (96) and a character of
// 11 bits at 9600 baud (110) are whole numbers. Bytes written by the host reach the unit
// one character time apart; a run of back-to-back bytes reaches the unit as one burst,
// at the time its last byte has arrived. The host's write returns once its last byte is on
// the line, as a blocking serial write does. The unit's bytes reach the host's input queue
// the same way. Nothing moves between calls: every call on the line first brings the
// line up to the clock's present.
#pragma once

#include "platform/clock.h"
#include "platform/serial.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace unitsim {

using Byte = std::uint8_t;
using Bytes = std::vector<Byte>;
using Time = std::uint64_t;

inline constexpr Time UnitsPerMs = 96;
inline constexpr Time BitTime = 10;
inline constexpr Time CharTime = 11 * BitTime;

constexpr Time ms(Time n) { return n * UnitsPerMs; }
constexpr double toMs(Time t) { return static_cast<double>(t) / UnitsPerMs; }

class Line;

// The far end of the line.
class Unit {
public:
    virtual ~Unit() = default;
    // A burst of back-to-back bytes from the host, complete at `end`.
    virtual void onReceive(Line& line, Time end, const Bytes& burst) = 0;
    // The host changed DTR or RTS at `at`; both levels as they are now.
    virtual void onModemLines(Line& line, Time at, bool dtr, bool rts)
    {
        (void)line;
        (void)at;
        (void)dtr;
        (void)rts;
    }
};

// Simulated time: it moves only when the library sleeps or spins.
class SimClock final : public fenlo::platform::Clock {
public:
    std::uint32_t tick() override { return static_cast<std::uint32_t>(now_ / UnitsPerMs); }
    void sleep(std::uint32_t msToSleep) override { now_ += ms(msToSleep); }
    void spin() override { now_ += ms(1); }

    Time now() const { return now_; }
    void advance(Time by) { now_ += by; }

private:
    Time now_ = 0;
};

struct Burst {
    Time end;
    Bytes bytes;
};

struct ModemChange {
    Time at;
    fenlo::platform::ModemSignal signal;
};

class Line final : public fenlo::platform::SerialPort {
public:
    explicit Line(SimClock& clock) : clock_(clock) {}

    void attach(Unit* unit) { unit_ = unit; }

    // The unit's side: bytes sent back to back from `earliest` on (or once the line is free).
    void sendToHost(Time earliest, const Bytes& bytes);
    bool dtr() const { return dtr_; }
    bool rts() const { return rts_; }

    // What the host did, for tests.
    const std::vector<Burst>& received() const { return received_; }
    const std::vector<ModemChange>& modemChanges() const { return modemChanges_; }
    void clearRecords();

    // Faults of the line itself.
    bool configureFails = false;
    bool queryFails = false;
    // The port vanishes, as an adapter pulled out: writes go nowhere, status queries fail.
    void unplug();
    bool unplugged() const { return unplugged_; }

    // The host's bytes put on the line from now on without waiting for them to leave (a
    // driver that relays a real host's bytes, which already waited).
    void hostSends(const Bytes& bytes);
    // When the next burst reaches the unit or the next byte reaches the host, if any.
    std::optional<Time> nextDue() const;

    // Bytes in the host's input queue now, without taking them.
    std::size_t hostQueued();

    // fenlo::platform::SerialPort
    bool configure() override { return !configureFails; }
    void escape(fenlo::platform::ModemSignal signal) override;
    void purgeInput() override;
    long queued() override;
    std::size_t read(unsigned char* into, std::size_t count) override;
    void write(const unsigned char* bytes, std::size_t count) override;
    void close() override { open_ = false; }

    bool isOpen() const { return open_; }
    void markOpen() { open_ = true; }

private:
    struct Timed {
        Time at;
        Byte byte;
    };

    void catchUp();
    // Bytes of the run at the head of the unit's side, back to back.
    std::size_t firstBurstLength() const;

    SimClock& clock_;
    Unit* unit_ = nullptr;
    bool open_ = false;
    bool unplugged_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    std::deque<Timed> toUnit_;
    std::deque<Timed> toHost_;
    Time toUnitFreeAt_ = 0;
    Time toHostFreeAt_ = 0;
    std::vector<Burst> received_;
    std::vector<ModemChange> modemChanges_;
};

// A simulated port the library can open, with its own clock. While installed it stands in
// for the real serial lines and the real clock.
class World final : public fenlo::platform::SerialProvider {
public:
    World();
    ~World() override;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    SimClock clock;
    Line line{clock};

    // Opening the port fails, as for a name that names no device.
    bool openFails = false;

    fenlo::platform::SerialPort* open(const std::string& name) override;
    std::string lastOpenedName;
};

} // namespace unitsim
