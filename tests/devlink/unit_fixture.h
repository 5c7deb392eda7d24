// The library against a simulated loader unit, with the frames it should receive.
#pragma once

#include "frames.h"
#include "link_fixture.h"
#include "loader_unit.h"

#include <ostream>
#include <vector>

namespace expect {

using unitsim::Bytes;
using Frames = std::vector<Bytes>;
namespace fr = fenlo::frames;

template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

template <std::size_t N>
Bytes bytesOf(const fr::Frame<N>& f)
{
    return Bytes(f.begin(), f.end());
}

// `head`, `data`, and the check bytes of the checksum rule.
inline Bytes frame(const fr::FrameHead& head, const Bytes& data)
{
    Bytes f(head.begin(), head.end());
    f.insert(f.end(), data.begin(), data.end());
    unsigned char even = 0, odd = 0;
    for (std::size_t i = 0; i < f.size(); ++i)
        (i % 2 == 0 ? even : odd) ^= f[i];
    f.push_back(static_cast<unsigned char>(~even));
    f.push_back(static_cast<unsigned char>(~odd));
    return f;
}

inline Bytes command(fr::CommandFrame f) { return bytesOf(fr::withCheckBytes(f)); }

inline const Bytes Sync = {0x80};
inline Frames handshake() { return {Sync}; }
inline Frames password(const Bytes& pw) { return {frame(fr::PasswordHead, pw), Sync}; }
inline Frames confirmed(const Bytes& f) { return {f, Sync}; }
inline Bytes patchProgram()
{
    return frame(fr::PatchHead, Bytes(fr::PatchFrame.begin() + 8, fr::PatchFrame.end() - 2));
}
// Handshake, password, loader restarted, password again, the patch in RAM.
inline Frames loadPatch(const Bytes& pw)
{
    return handshake() + password(pw) + confirmed(bytesOf(fr::LoadPcC22Frame)) + password(pw)
         + confirmed(patchProgram());
}
inline Frames runPatch() { return confirmed(bytesOf(fr::LoadPc220Frame)); }

} // namespace expect

enum class Preset { Transmitter, Receiver, ReceiverWithCallersTable, Erased };

// A program's own vector table, as the program's tests bring theirs.
inline const unitsim::VectorTable CallersTable = [] {
    unitsim::VectorTable t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = static_cast<unsigned char>(0x40 + 7 * i);
    t[30] = 0x00;
    t[31] = 0xD0;
    return t;
}();

inline unitsim::LoaderUnit makeUnit(Preset p)
{
    switch (p) {
    case Preset::Transmitter: return unitsim::LoaderUnit::transmitter();
    case Preset::Receiver: return unitsim::LoaderUnit::receiver();
    case Preset::ReceiverWithCallersTable: return unitsim::LoaderUnit::receiver(CallersTable);
    case Preset::Erased: break;
    }
    return unitsim::LoaderUnit::erased();
}

// The password each preset answers to.
inline unitsim::Bytes passwordOf(Preset p)
{
    switch (p) {
    case Preset::Transmitter:
        return {unitsim::LoaderUnit::TransmitterVectors.begin(), unitsim::LoaderUnit::TransmitterVectors.end()};
    case Preset::Receiver:
        return {unitsim::LoaderUnit::ReceiverVectors.begin(), unitsim::LoaderUnit::ReceiverVectors.end()};
    case Preset::ReceiverWithCallersTable: return {CallersTable.begin(), CallersTable.end()};
    case Preset::Erased: break;
    }
    return unitsim::Bytes(32, 0xFF);
}

inline const char* nameOf(Preset p)
{
    switch (p) {
    case Preset::Transmitter: return "Transmitter";
    case Preset::Receiver: return "Receiver";
    case Preset::ReceiverWithCallersTable: return "ReceiverWithCallersTable";
    case Preset::Erased: break;
    }
    return "Erased";
}

class UnitTest : public LinkTest {
protected:
    void attach(unitsim::LoaderUnit u)
    {
        unit = std::move(u);
        openPort(unit);
    }

    // Every burst the unit received, in order.
    expect::Frames received() const
    {
        expect::Frames out;
        for (const auto& b : world.line.received())
            out.push_back(b.bytes);
        return out;
    }

    // From the end of the last burst the unit received to now.
    unitsim::Time sinceLastBurst() const { return world.clock.now() - world.line.received().back().end; }

    unitsim::LoaderUnit unit;
};
