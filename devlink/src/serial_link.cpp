// The one serial port of the process, sends and timed waits.
#include "fenlo.h"
#include "fenlo_host.h"
#include "platform/clock.h"
#include "platform/host.h"
#include "state.h"

#include <cstring>
#include <string>

namespace fenlo {

platform::SerialPort* PortHandle = nullptr;
unsigned char RxBuffer[RxBufferSize + 1] = {};
std::size_t RxTaken = 0;
unsigned char PatchRequired = 0;
int ProgressDone = 0;
int ProgressTotal = 0;

namespace {

std::string openComResult;

std::uint32_t elapsedSince(std::uint32_t start) { return platform::clock().tick() - start; }

void takeQueued(std::size_t count)
{
    const std::size_t got = PortHandle ? PortHandle->read(RxBuffer, count) : 0;
    RxBuffer[got] = 0;
    RxTaken = got;
}

// A failed query (no port) counts as an empty queue.
long queuedBytes() { return PortHandle ? PortHandle->queued() : 0; }

} // namespace
} // namespace fenlo

using namespace fenlo;

FENLO_API const char* OpenCom(const char* name)
{
    if (PortHandle) {
        openComResult.clear();
        return openComResult.c_str();
    }
    const std::string given = name ? name : "";
    platform::SerialPort* port = platform::serialProvider().open(given);
    if (!port) {
        // The second line names the device tried and what the system said of it.
        std::string text = "Open COM port error !";
        if (const std::string why = platform::serialProvider().openFailure(); !why.empty())
            text += "\n" + why;
        platform::messageBox(text.c_str(), "COM Error", FENLO_MB_ICONERROR);
        openComResult = "Error";
        return openComResult.c_str();
    }
    if (!port->configure()) {
        platform::messageBox("COM Port Error. Please Check your COM port!", "COM Error", FENLO_MB_OK);
        port->close();
        openComResult = "Error";
        return openComResult.c_str();
    }
    PortHandle = port;
    openComResult = given;
    return openComResult.c_str();
}

FENLO_API void ExitCom(void)
{
    if (!PortHandle)
        return;
    PortHandle->close();
    PortHandle = nullptr;
}

FENLO_API void Delay(unsigned long ms)
{
    const std::uint32_t start = platform::clock().tick();
    while (elapsedSince(start) < ms) {
        platform::pumpMessages();
        platform::clock().spin();
    }
}

FENLO_API bool TxFenlo(const unsigned char* bytes, unsigned char count)
{
    if (!PortHandle)
        return false;
    PortHandle->purgeInput();
    std::memset(RxBuffer, 0, RxBufferSize);
    RxTaken = 0;
    if (bytes && count > 0)
        PortHandle->write(bytes, count);
    Delay(30);
    return true;
}

FENLO_API bool FenloRespond(void)
{
    static const unsigned char sync = 0x80;
    return TxFenlo(&sync, 1);
}

FENLO_API bool WaitRx(unsigned int timeout_ms, unsigned int count)
{
    const std::uint32_t start = platform::clock().tick();
    while (elapsedSince(start) < timeout_ms) {
        platform::pumpMessages();
        platform::clock().sleep(10);
        const long queued = queuedBytes();
        // More than the buffer holds is never taken here, whatever was asked for.
        if (queued >= 0 && static_cast<unsigned long>(queued) == count && count <= RxBufferSize) {
            takeQueued(count);
            return true;
        }
    }
    const long queued = queuedBytes();
    if (queued > static_cast<long>(RxBufferSize)) {
        if (PortHandle)
            PortHandle->purgeInput();
        return false;
    }
    takeQueued(queued > 0 ? static_cast<std::size_t>(queued) : 0);
    return true;
}
