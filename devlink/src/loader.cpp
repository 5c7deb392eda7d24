// Entry into the loader, passwords, the loader's version and its patch.
#include "fenlo.h"
#include "fenlo_host.h"
#include "frames.h"
#include "platform/clock.h"
#include "platform/host.h"
#include "state.h"
#include "steps.h"

using namespace fenlo;
using fenlo::platform::ModemSignal;

namespace {

using Pattern = std::array<ModemSignal, 7>;

// Pattern 2 is pattern 1 with every RTS change inverted, for units wired the other way.
constexpr Pattern EntryPattern1 = {ModemSignal::ClrDtr, ModemSignal::SetRts, ModemSignal::ClrRts, ModemSignal::SetRts,
                                   ModemSignal::ClrRts, ModemSignal::SetDtr, ModemSignal::SetRts};
constexpr Pattern EntryPattern2 = {ModemSignal::ClrDtr, ModemSignal::ClrRts, ModemSignal::SetRts, ModemSignal::ClrRts,
                                   ModemSignal::SetRts, ModemSignal::SetDtr, ModemSignal::ClrRts};

// 5 ms behind every change; the last one gets 10 ms in their place, for the loader to start.
bool enterBy(const Pattern& pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        PortHandle->escape(pattern[i]);
        Delay(i + 1 < pattern.size() ? 5 : 10);
    }
    FenloRespond();
    WaitRx(20, 1);
    return steps::acknowledged();
}

bool presentPassword(const frames::Frame<frames::PasswordLength>& frame) { return steps::command(frame, 40, 20); }

// Bytes 14 and 15 of a version reply: its data bytes 10 and 11 (0x0FFA and 0x0FFB).
bool versionBytesZero() { return RxBuffer[14] == 0 && RxBuffer[15] == 0; }

} // namespace

FENLO_API bool Handshake(void)
{
    if (!PortHandle) {
        platform::messageBox("連接埠開啟錯誤,請設定您的連接埠並重新啟動程式", "連接埠錯誤!", FENLO_MB_ICONERROR);
        return false;
    }
    return enterBy(EntryPattern1) || enterBy(EntryPattern2);
}

FENLO_API bool WritePassword(const unsigned char* password)
{
    if (!password)
        return false;
    return presentPassword(steps::dataFrame<frames::PasswordLength>(frames::PasswordHead, password));
}

FENLO_API bool WriteBlankPassword(void) { return presentPassword(frames::BlankPasswordFrame); }

FENLO_API unsigned char GetICData(const unsigned char* password)
{
    if (!Handshake() || !WritePassword(password))
        return 0;
    steps::send(frames::LoaderVersionFrame);
    WaitRx(100, frames::VersionReplyLength);
    if (!versionBytesZero()) {
        PatchRequired = 0;
        return RxBuffer[15];
    }
    // A loader that keeps its version to itself: its ROM tells, 0x10 at 0x0FFB needs the patch.
    if (!Handshake() || !WritePassword(password))
        return 0;
    steps::send(frames::ReadVersionBytesFrame);
    WaitRx(100, frames::VersionReplyLength);
    if (versionBytesZero())
        return 0xEE;
    PatchRequired = RxBuffer[15] == 0x10 ? 1 : 0;
    return RxBuffer[15];
}

FENLO_API bool FenloMassErase(void)
{
    if (!Handshake())
        return false;
    steps::send(frames::MassEraseFrame);
    WaitRx(200, 1);
    return steps::confirm(10);
}

FENLO_API bool WritePatchFile(void)
{
    frames::Frame<frames::PatchLength> frame = frames::PatchFrame;
    frame[frames::PatchLength - 2] = 0x00;
    frame[frames::PatchLength - 1] = 0x00;
    CheckSum(frame.data(), static_cast<int>(frame.size()));
    steps::send(frame);
    WaitRx(150, 1);
    return steps::confirm(10);
}

FENLO_API bool LoadPCC22(void) { return steps::command(frames::LoadPcC22Frame, 40, 20); }

FENLO_API bool LoadPC220(void) { return steps::command(frames::LoadPc220Frame, 40, 20); }

FENLO_API bool WritePasswordOld(const unsigned char* data)
{
    if (!data)
        return false;
    if (PatchRequired == 1 && !(steps::loadPatch(WriteBlankPassword) && LoadPC220()))
        return false;
    return steps::command(steps::dataFrame<frames::PasswordLength>(frames::OldPasswordHead, data), 20, 10);
}
