// The real serial lines: termios and modem-line ioctls on a tty device.
#include "serial.h"

#include "host.h"
#include "line_settings.h"

#include "com_name.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace fenlo::platform {
namespace {

class PosixSerialPort final : public SerialPort {
public:
    // On failure `failure` says why, for the user.
    bool openDevice(const std::string& path, std::string& failure)
    {
        if (path.empty()) {
            failure = "no port name given";
            return false;
        }
        // Non-blocking only for the open itself, so a line without carrier cannot hang it.
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            const int error = errno;
            failure = describe(path) + ": " + std::strerror(error);
            if (error == EACCES || error == EPERM)
                failure += groupHint(path);
            return false;
        }
        // Nobody else may share the port, as with an exclusive open.
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            failure = describe(path) + ": in use by another program";
            close();
            return false;
        }
        ioctl(fd_, TIOCEXCL);
        const int flags = fcntl(fd_, F_GETFL);
        if (flags >= 0)
            fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
        return true;
    }

    bool isOpen() const { return fd_ >= 0; }

    bool configure() override
    {
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0)
            return false;
        applyLineSettings(tio);
        if (tcsetattr(fd_, TCSANOW, &tio) == 0)
            return true;
        // A pseudo-terminal has no wire and holds no character format: when parity was all
        // that was left to change (it already runs at 9600, raw), the call fails for that alone.
        termios now{};
        return errno == EINVAL && isPseudoTerminal() && tcgetattr(fd_, &now) == 0
            && sameExceptCharacterFormat(now, tio);
    }

    void escape(ModemSignal signal) override
    {
        int bits = 0;
        unsigned long request = TIOCMBIS;
        // clang-format off
        switch (signal) {
        case ModemSignal::SetDtr: bits = TIOCM_DTR; request = TIOCMBIS; break;
        case ModemSignal::ClrDtr: bits = TIOCM_DTR; request = TIOCMBIC; break;
        case ModemSignal::SetRts: bits = TIOCM_RTS; request = TIOCMBIS; break;
        case ModemSignal::ClrRts: bits = TIOCM_RTS; request = TIOCMBIC; break;
        }
        // clang-format on
        ioctl(fd_, request, &bits);
    }

    void purgeInput() override { tcflush(fd_, TCIFLUSH); }

    long queued() override
    {
        int count = 0;
        if (ioctl(fd_, FIONREAD, &count) != 0)
            return -1;
        return count;
    }

    std::size_t read(unsigned char* into, std::size_t count) override
    {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::read(fd_, into + done, count - done);
            if (got > 0)
                done += static_cast<std::size_t>(got);
            else if (got < 0 && errno == EINTR)
                continue;
            else
                break;
        }
        return done;
    }

    // Returns once the bytes are on the wire, as a blocking write to a serial port does where
    // the loader's waits were measured: the waits count from the end of the frame. A drain
    // that returns early (a pseudo-terminal, some adapters) is made up to the line time.
    void write(const unsigned char* bytes, std::size_t count) override
    {
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        writeAll(bytes, count);
        tcdrain(fd_);
        const long long lineNs = static_cast<long long>(count) * BitsPerCharacter * 1000000000LL / LineBaud;
        timespec until = start;
        until.tv_sec += static_cast<time_t>(lineNs / 1000000000LL);
        until.tv_nsec += static_cast<long>(lineNs % 1000000000LL);
        if (until.tv_nsec >= 1000000000L) {
            until.tv_nsec -= 1000000000L;
            ++until.tv_sec;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }

    void close() override
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    // Start, eight data bits, parity and stop bit.
    static constexpr long long BitsPerCharacter = 11;
    static constexpr long long LineBaud = 9600;

    void writeAll(const unsigned char* bytes, std::size_t count)
    {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t put = ::write(fd_, bytes + done, count - done);
            if (put > 0)
                done += static_cast<std::size_t>(put);
            else if (put < 0 && errno == EINTR)
                continue;
            else
                break;
        }
    }

    bool isPseudoTerminal() const
    {
        struct stat info {};
        // Unix98 pseudo-terminal slaves: majors 136 to 143.
        return fstat(fd_, &info) == 0 && S_ISCHR(info.st_mode) && major(info.st_rdev) >= 136
            && major(info.st_rdev) <= 143;
    }

    // A link is named with the device it leads to, or would lead to.
    static std::string describe(const std::string& path)
    {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        if (char* real = realpath(path.c_str(), nullptr)) {
            const std::string target = real;
            std::free(real);
            return path + " \u2192 " + target;
        }
        char target[4096];
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        return n > 0 ? path + " \u2192 " + std::string(target, static_cast<std::size_t>(n)) : path;
    }

    // Serial devices are shared through a group that may read and write them ("dialout"
    // on Debian); a root-only device has no group to join.
    static std::string groupHint(const std::string& path)
    {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0 || info.st_gid == 0)
            return {};
        if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
            return {};
        const group* owner = getgrgid(info.st_gid);
        if (!owner || !owner->gr_name)
            return {};
        return std::string(" (add your user to the group ") + owner->gr_name + ", then log in again)";
    }

    static bool sameExceptCharacterFormat(const termios& a, const termios& b)
    {
        const tcflag_t format = CSIZE | PARENB | PARODD | CSTOPB;
        return cfgetospeed(&a) == cfgetospeed(&b) && cfgetispeed(&a) == cfgetispeed(&b)
            && (a.c_cflag & ~format) == (b.c_cflag & ~format) && a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag
            && a.c_lflag == b.c_lflag;
    }

    int fd_ = -1;
};

class PosixSerialProvider final : public SerialProvider {
public:
    SerialPort* open(const std::string& name) override
    {
        // One port per process: the library never asks for a second while one is open.
        if (port_.isOpen()) {
            failure_ = "a port is already open";
            return nullptr;
        }
        failure_.clear();
        return port_.openDevice(resolvePortName(name), failure_) ? &port_ : nullptr;
    }

    std::string openFailure() const override { return failure_; }

private:
    PosixSerialPort port_;
    std::string failure_;
};

PosixSerialProvider posixProvider;
SerialProvider* current = &posixProvider;

} // namespace

void applyLineSettings(termios& tio)
{
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARODD | CSTOPB);
    tio.c_cflag |= CS8 | PARENB | CREAD;
    // Binary: no translation of input or output, no line discipline. XON/XOFF cannot share a
    // line with data bytes 0x11 and 0x13 (a terminal starts with it on, a fresh COM port off).
    tio.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
}

SerialProvider& serialProvider() { return *current; }

void setSerialProvider(SerialProvider* provider) { current = provider ? provider : &posixProvider; }

std::string resolvePortName(const std::string& name)
{
    if (const char* device = lookupPort(name.c_str()))
        return device;
    const unsigned n = velko::ComNumber(name);
    if (n == 0)
        return name;
    return "/dev/ttyS" + std::to_string(n - 1);
}

} // namespace fenlo::platform
