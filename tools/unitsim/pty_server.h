// Serves a simulated unit on a pseudo-terminal in real time.
//
// The host's bytes come from the master as it writes them; they are put on a simulated line
// whose clock follows the real one, so they reach the unit as bursts by the gaps between
// them, at 9600 baud, and the unit's answers go back to the master at line speed. Modem
// lines do not cross a pseudo-terminal: the unit is kept in its loader.
#pragma once

#include "sim_line.h"

#include <atomic>
#include <string>

namespace unitsim {

class PtyServer {
public:
    explicit PtyServer(Unit& unit);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    bool ok() const { return !slave_.empty(); }
    const std::string& slavePath() const { return slave_; }

    // Until `stop` is set; a signal that interrupts the wait is noticed at once.
    void serve(const std::atomic<bool>& stop);

private:
    void followRealTime();
    void relayAnswers();

    Unit& unit_;
    int master_ = -1;
    // Held open so that the master does not hang up between the host's sessions.
    int slaveHold_ = -1;
    std::string slave_;
    SimClock clock_;
    Line line_{clock_};
    long long startNs_ = 0;
};

} // namespace unitsim
