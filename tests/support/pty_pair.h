// A pseudo-terminal for the tests: the slave's name stands for a serial port, the master is
// the far end of the line.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

class PtyPair {
public:
    PtyPair()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
            slave_ = ptsname(master_);
    }
    ~PtyPair()
    {
        if (master_ >= 0)
            close(master_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    const std::string& slave() const { return slave_; }

    // Reads from the master until `count` bytes came or a second passed.
    std::vector<unsigned char> readMaster(std::size_t count) const
    {
        std::vector<unsigned char> got;
        while (got.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 1000) <= 0)
                break;
            unsigned char buf[256];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

} // namespace testsupport
