// The serial line as the loader link needs it, with a seam for a simulated line.
#pragma once

#include <cstddef>
#include <string>

namespace fenlo::platform {

enum class ModemSignal { SetDtr, ClrDtr, SetRts, ClrRts };

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // 9600 baud, 8 data bits, even parity, one stop bit, raw; the rest as it was.
    virtual bool configure() = 0;
    // Line changes that fail are not reported.
    virtual void escape(ModemSignal signal) = 0;
    virtual void purgeInput() = 0;
    // Bytes waiting in the input queue, or -1 when the query fails.
    virtual long queued() = 0;
    // Reads up to `count` bytes that are already queued; returns how many were read.
    virtual std::size_t read(unsigned char* into, std::size_t count) = 0;
    virtual void write(const unsigned char* bytes, std::size_t count) = 0;
    virtual void close() = 0;
};

class SerialProvider {
public:
    virtual ~SerialProvider() = default;
    // An exclusive, opened line, or null. The provider owns the port until close().
    virtual SerialPort* open(const std::string& name) = 0;
    // Why the last open failed, for the user: the device tried and the system's reason.
    // Empty when there is nothing more to say than that it failed.
    virtual std::string openFailure() const { return {}; }
};

// The provider the library uses: the real serial lines unless a test installed another.
SerialProvider& serialProvider();
// Null restores the real serial lines.
void setSerialProvider(SerialProvider* provider);

// The device of a port name: the host's lookup when it gives one, else "COMn" (any letter
// case, n from 1) is /dev/ttyS(n-1) and any other name is a device path as given.
std::string resolvePortName(const std::string& name);

} // namespace fenlo::platform
