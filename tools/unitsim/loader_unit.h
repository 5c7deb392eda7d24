// A simulated unit with its bootstrap loader: 64 KiB of memory, entry by the DTR/RTS
// patterns, the password lock, the loader's version, the patch it may need, and faults.
//
// Memory map: RAM 0x0200-0x09FF (the patch runs at 0x0220), the loader's ROM 0x0C00-0x0FFF
// (version bytes at 0x0FF0-0x0FFF), information flash 0x1000-0x10FF (Segment B at 0x1000,
// Segment A at 0x1080, 128 bytes each), main flash 0x1100-0xFFFF in 512-byte segments with
// the identification block at 0xFF60 and the vector table at 0xFFE0. The password is the
// vector table itself. Flash is written by clearing bits only; erasing sets a segment to 0xFF.
//
// Timing: an answer leaves `Turnaround` after the last byte of what it answers, later when
// the unit works first: erasing a segment takes SegmentEraseTime, a mass erase
// MassEraseTime, writing flash FlashByteTime per byte. Writes to RAM and reads take nothing.
#pragma once

#include "factory_settings.h"
#include "sim_line.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace unitsim {

using Address = std::uint16_t;
using VectorTable = std::array<Byte, 32>;

// About 14 ms for a segment and 15 ms for the whole main flash, 104 us a byte: what the
// flash controller takes at its slowest timing generator clock.
inline constexpr Time SegmentEraseTime = ms(14);
inline constexpr Time MassEraseTime = ms(15);
inline constexpr Time FlashByteTime = BitTime;

inline constexpr Byte Acknowledge = 0x90;
inline constexpr Byte Refusal = 0xA0;
inline constexpr Byte SyncByte = 0x80;

namespace map {
inline constexpr Address RamStart = 0x0200;
inline constexpr Address RamEnd = 0x0A00;
inline constexpr Address RomStart = 0x0C00;
inline constexpr Address VersionBytes = 0x0FF0;
inline constexpr Address InfoStart = 0x1000;
inline constexpr Address SegmentB = 0x1000;
inline constexpr Address SegmentA = 0x1080;
inline constexpr Address MainStart = 0x1100;
inline constexpr Address IdentBlock = 0xFF60;
inline constexpr Address Vectors = 0xFFE0;
inline constexpr Address PatchAt = 0x0220;
inline constexpr Address LoaderRestart = 0x0C22;
inline constexpr std::size_t InfoSegmentBytes = 128;
inline constexpr std::size_t MainSegmentBytes = 512;
} // namespace map

// Which entry pattern of the host's DTR and RTS the unit's wiring answers to.
enum class Entry { Pattern1, Pattern2, Neither };

enum class LoaderKind {
    // Gives its version bytes in the answer to the version command.
    ReportsVersion,
    // Answers the version command with zeros; serves reads and writes of the information
    // memory only once the patch runs from RAM.
    NeedsPatch,
};

enum class FaultKind {
    NoAnswer,        // the frame is lost: nothing done, nothing sent
    Refuse,          // nothing done, 0xA0 sent
    CutShort,        // done; only the first `keep` bytes of the answer are sent
    WrongCheckBytes, // done; a data reply with its check bytes inverted
    WrongData,       // done; a data reply with one data byte changed, check bytes to match
    StrayBytes,      // done; `stray` goes out ahead of the answer
    PortVanishes,    // the host's port is gone from this frame on
};

struct Fault {
    FaultKind kind;
    Byte command;                   // the frames it strikes; SyncByte for the sync byte
    std::optional<Address> address; // only frames for this address
    int skip = 0;                   // matching frames answered rightly first
    int times = 1;                  // then how many it strikes
    std::size_t keep = 0;
    Bytes stray = {0x00, 0x55};
};

class LoaderUnit final : public Unit {
public:
    static const VectorTable TransmitterVectors;
    static const VectorTable ReceiverVectors;
    // Serial numbers 241093 and 241094 of one set, made 2024-05-17.
    static const Identity TransmitterIdentity;
    static const Identity ReceiverIdentity;

    // Units as they leave the factory: the set's settings (factory_settings.h), a program
    // from their reset vector and an identification block.
    static LoaderUnit transmitter(const VectorTable& vectors = TransmitterVectors);
    static LoaderUnit receiver(const VectorTable& vectors = ReceiverVectors);
    // Every flash byte 0xFF: it answers to the blank password.
    static LoaderUnit erased();

    LoaderUnit();

    Entry entry = Entry::Pattern1;
    // Also sets the version bytes at 0x0FFA/0x0FFB: 0x02 0x20 for a loader that reports
    // them, 0x01 0x10 for one that needs the patch.
    void setLoader(LoaderKind kind);
    LoaderKind loader() const { return loader_; }

    std::vector<Byte>& memory() { return memory_; }
    const std::vector<Byte>& memory() const { return memory_; }
    Bytes bytes(Address at, std::size_t count) const;
    void put(Address at, const Bytes& bytes);

    void inject(Fault fault) { faults_.push_back(std::move(fault)); }

    // As after an entry pattern: where modem lines do not reach the unit.
    void enterLoader();
    bool inLoader() const { return inLoader_; }
    bool unlocked() const { return unlocked_; }
    bool patchRunning() const { return patchRunning_; }

    void onReceive(Line& line, Time end, const Bytes& burst) override;
    void onModemLines(Line& line, Time at, bool dtr, bool rts) override;

private:
    struct Answer {
        Bytes bytes;
        Time work = 0;
    };

    void reset();
    bool testInput(bool rts) const;
    void serve(Line& line, Time end, const Bytes& frame);
    Answer execute(const Bytes& frame);
    Answer write(Address at, const Byte* data, std::size_t count);
    Answer read(Address at, std::size_t count) const;
    Answer erase(Address at);
    Answer loadPc(Address at);
    bool infoGuarded(Address at, std::size_t count) const;
    Fault* faultFor(Byte command, Address at);
    void send(Line& line, Time ready, Answer answer, Fault* fault);

    std::vector<Byte> memory_;
    LoaderKind loader_ = LoaderKind::ReportsVersion;
    std::vector<Fault> faults_;
    bool inLoader_ = false;
    bool unlocked_ = false;
    bool patchRunning_ = false;
    Time busyUntil_ = 0;
    // The lines as last seen: DTR drives the reset input, RTS the test input.
    bool dtr_ = false;
    bool rts_ = false;
    int testRises_ = 0;
    bool armed_ = false;
};

// The answer to a read: 0x80, 0x00, the length twice, the data, the check bytes.
Bytes dataReply(const Bytes& data);

} // namespace unitsim
