#include "loader_unit.h"

#include "unit_passwords.h"

#include "factory_settings.h"
#include "frames.h"
#include "scripted_units.h"

#include <algorithm>
#include <cstring>

namespace unitsim {
namespace {

namespace cmd = fenlo::frames::cmd;

constexpr std::size_t MemoryBytes = 0x10000;

bool known(Byte command)
{
    switch (command) {
    case cmd::Password:
    case cmd::Write:
    case cmd::Read:
    case cmd::EraseSegment:
    case cmd::MassErase:
    case cmd::LoadPc:
    case cmd::Version: return true;
    default: return false;
    }
}

Address word(Byte low, Byte high) { return static_cast<Address>(low | high << 8); }

// The length of the frame that begins at `at`, or 0 when no frame begins there. Writes
// carry their data length in LL/LH: the host's own L1/L2 of them are not to be trusted.
std::size_t frameLength(const Bytes& burst, std::size_t at)
{
    if (at + 1 >= burst.size() || !known(burst[at + 1]))
        return 0;
    if (burst[at + 1] == cmd::Password)
        return 42;
    if (burst[at + 1] == cmd::Write)
        return at + 7 < burst.size() ? 10u + word(burst[at + 6], burst[at + 7]) : burst.size() - at + 1;
    return 10;
}

template <typename It>
std::pair<Byte, Byte> checkBytes(It begin, It end)
{
    Byte even = 0, odd = 0;
    std::size_t i = 0;
    for (It p = begin; p != end; ++p, ++i)
        (i % 2 == 0 ? even : odd) ^= *p;
    return {static_cast<Byte>(~even), static_cast<Byte>(~odd)};
}

bool inRange(Address at, std::size_t count, std::size_t start, std::size_t end)
{
    return at >= start && at + count <= end;
}

bool isFlash(Address at, std::size_t count) { return inRange(at, count, map::InfoStart, MemoryBytes); }
bool isInfo(Address at, std::size_t count) { return at < map::MainStart && at + count > map::InfoStart; }

// A 16-bit-cell pseudo program, so that every preset's main flash reads differently.
void fillProgram(std::vector<Byte>& memory, Address from, Address to, std::uint32_t seed)
{
    for (std::size_t a = from; a < to; ++a) {
        seed = seed * 1103515245u + 12345u;
        memory[a] = static_cast<Byte>(seed >> 16);
    }
}

LoaderUnit presetUnit(const VectorTable& vectors, std::uint32_t programSeed, const Identity& identity)
{
    LoaderUnit unit;
    const InfoSegments settings = FactorySegments(identity);
    unit.put(map::SegmentB, settings.segmentB);
    unit.put(map::SegmentA, settings.segmentA);
    const Address start = word(vectors[30], vectors[31]);
    if (start >= map::MainStart && start < map::IdentBlock)
        fillProgram(unit.memory(), start, map::IdentBlock, programSeed);
    unit.put(0xFFD0, IdentificationBlock(identity));
    unit.put(map::Vectors, Bytes(vectors.begin(), vectors.end()));
    return unit;
}

} // namespace

// Every interrupt into the program's handler table, the reset vector last.
// The vector tables of the program's own transmitter and receiver firmware.
const VectorTable LoaderUnit::TransmitterVectors = velko::TxPasswordTable;
const VectorTable LoaderUnit::ReceiverVectors = velko::RxPasswordTable;

// The two units of one set, made the same day.
const Identity LoaderUnit::TransmitterIdentity = {{2, 4, 1, 0, 9, 3}, 24, 5, 17};
const Identity LoaderUnit::ReceiverIdentity = {{2, 4, 1, 0, 9, 4}, 24, 5, 17};

LoaderUnit LoaderUnit::transmitter(const VectorTable& vectors)
{
    return presetUnit(vectors, 0x7E5u, TransmitterIdentity);
}

LoaderUnit LoaderUnit::receiver(const VectorTable& vectors) { return presetUnit(vectors, 0x3C9u, ReceiverIdentity); }

LoaderUnit LoaderUnit::erased() { return LoaderUnit(); }

LoaderUnit::LoaderUnit() : memory_(MemoryBytes, 0x00)
{
    std::fill(memory_.begin() + map::InfoStart, memory_.end(), Byte{0xFF});
    // The loader's ROM: its start-up code is of no concern here, only the version bytes.
    std::fill(memory_.begin() + map::RomStart, memory_.begin() + map::InfoStart, Byte{0x3F});
    const Bytes id = {0xF1, 0x49, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::copy(id.begin(), id.end(), memory_.begin() + map::VersionBytes);
    setLoader(LoaderKind::ReportsVersion);
}

void LoaderUnit::setLoader(LoaderKind kind)
{
    loader_ = kind;
    memory_[0x0FFA] = kind == LoaderKind::ReportsVersion ? 0x02 : 0x01;
    memory_[0x0FFB] = kind == LoaderKind::ReportsVersion ? 0x20 : 0x10;
}

Bytes LoaderUnit::bytes(Address at, std::size_t count) const
{
    return Bytes(memory_.begin() + at, memory_.begin() + std::min<std::size_t>(at + count, MemoryBytes));
}

void LoaderUnit::put(Address at, const Bytes& data)
{
    std::copy_n(data.begin(), std::min(data.size(), MemoryBytes - at), memory_.begin() + at);
}

void LoaderUnit::reset()
{
    inLoader_ = false;
    unlocked_ = false;
    patchRunning_ = false;
}

void LoaderUnit::enterLoader()
{
    reset();
    inLoader_ = true;
}

bool LoaderUnit::testInput(bool rts) const { return entry == Entry::Pattern1 ? !rts : rts; }

// The loader starts when the reset input is released while the test input is high, after
// two rising edges of it during reset, and then the test input falls.
void LoaderUnit::onModemLines(Line& line, Time at, bool dtr, bool rts)
{
    (void)line;
    (void)at;
    const bool wasTest = testInput(rts_);
    const bool test = testInput(rts);
    if (!dtr) {
        if (dtr_) {
            reset();
            testRises_ = 0;
            armed_ = false;
        }
        if (test && !wasTest)
            ++testRises_;
    } else if (!dtr_) {
        armed_ = entry != Entry::Neither && test && testRises_ >= 2;
    } else if (armed_ && wasTest && !test) {
        armed_ = false;
        inLoader_ = true;
    }
    dtr_ = dtr;
    rts_ = rts;
}

// A burst may hold more than one thing: a frame and the sync byte behind it, when the host
// wrote them back to back. Bytes that begin nothing are noise; a frame cut off is lost.
void LoaderUnit::onReceive(Line& line, Time end, const Bytes& burst)
{
    if (!inLoader_)
        return;
    std::size_t i = 0;
    while (i < burst.size()) {
        if (burst[i] != SyncByte) {
            ++i;
            continue;
        }
        const std::size_t length = std::max<std::size_t>(frameLength(burst, i), 1);
        if (i + length > burst.size())
            return;
        const Time itemEnd = end - (burst.size() - i - length) * CharTime;
        serve(line, itemEnd, Bytes(burst.begin() + i, burst.begin() + i + length));
        i += length;
    }
}

void LoaderUnit::serve(Line& line, Time end, const Bytes& frame)
{
    const bool sync = frame.size() == 1;
    const Byte command = sync ? SyncByte : frame[1];
    const Address at = sync ? 0 : word(frame[4], frame[5]);
    Fault* fault = faultFor(command, at);
    if (fault && fault->kind == FaultKind::PortVanishes) {
        line.unplug();
        return;
    }
    if (fault && fault->kind == FaultKind::NoAnswer)
        return;
    const Time ready = std::max(end, busyUntil_) + Turnaround;
    if (fault && fault->kind == FaultKind::Refuse) {
        send(line, ready, {{Refusal}, 0}, nullptr);
        return;
    }
    send(line, ready, sync ? Answer{{Acknowledge}, 0} : execute(frame), fault);
}

Fault* LoaderUnit::faultFor(Byte command, Address at)
{
    for (Fault& f : faults_) {
        if (f.command != command || f.times <= 0 || (f.address && *f.address != at))
            continue;
        if (f.skip > 0) {
            --f.skip;
            return nullptr;
        }
        --f.times;
        return &f;
    }
    return nullptr;
}

void LoaderUnit::send(Line& line, Time ready, Answer answer, Fault* fault)
{
    Bytes& out = answer.bytes;
    const bool dataReply = out.size() > 2;
    if (fault) {
        switch (fault->kind) {
        case FaultKind::CutShort: out.resize(std::min(out.size(), fault->keep)); break;
        case FaultKind::WrongCheckBytes:
            if (dataReply) {
                out[out.size() - 2] = static_cast<Byte>(~out[out.size() - 2]);
                out[out.size() - 1] = static_cast<Byte>(~out[out.size() - 1]);
            }
            break;
        case FaultKind::WrongData:
            if (dataReply) {
                out[4] ^= 0x01;
                const auto [low, high] = checkBytes(out.begin(), out.end() - 2);
                out[out.size() - 2] = low;
                out[out.size() - 1] = high;
            }
            break;
        case FaultKind::StrayBytes: out.insert(out.begin(), fault->stray.begin(), fault->stray.end()); break;
        default: break;
        }
    }
    busyUntil_ = ready + answer.work;
    line.sendToHost(busyUntil_, out);
}

LoaderUnit::Answer LoaderUnit::execute(const Bytes& frame)
{
    const auto [low, high] = checkBytes(frame.begin(), frame.end() - 2);
    if (frame[2] != frame[3] || low != frame[frame.size() - 2] || high != frame[frame.size() - 1])
        return {{Refusal}, 0};
    const Byte command = frame[1];
    const Address at = word(frame[4], frame[5]);
    const Address length = word(frame[6], frame[7]);
    const Byte* data = frame.data() + fenlo::frames::FrameDataOffset;
    const bool guarded = command != cmd::Password && command != cmd::MassErase && command != cmd::Version;
    if (guarded && !unlocked_)
        return {{Refusal}, 0};
    switch (command) {
    case cmd::Password:
        unlocked_ = std::equal(data, data + 32, memory_.begin() + map::Vectors);
        return {{unlocked_ ? Acknowledge : Refusal}, 0};
    case cmd::Write: return write(at, data, length);
    case cmd::Read: return read(at, length);
    case cmd::EraseSegment:
        if (frame[6] != 0x02 || frame[7] != 0xA5)
            return {{Refusal}, 0};
        return erase(at);
    case cmd::MassErase:
        std::fill(memory_.begin() + map::MainStart, memory_.end(), Byte{0xFF});
        return {{Acknowledge}, MassEraseTime};
    case cmd::LoadPc: return loadPc(at);
    case cmd::Version:
        if (loader_ == LoaderKind::NeedsPatch)
            return {dataReply(Bytes(15, 0x00)), 0};
        return read(map::VersionBytes, 15);
    default: return {{Refusal}, 0};
    }
}

bool LoaderUnit::infoGuarded(Address at, std::size_t count) const
{
    return loader_ == LoaderKind::NeedsPatch && !patchRunning_ && isInfo(at, count);
}

LoaderUnit::Answer LoaderUnit::write(Address at, const Byte* data, std::size_t count)
{
    if (infoGuarded(at, count))
        return {{Refusal}, 0};
    if (inRange(at, count, map::RamStart, map::RamEnd)) {
        std::copy_n(data, count, memory_.begin() + at);
        return {{Acknowledge}, 0};
    }
    if (!isFlash(at, count))
        return {{Refusal}, 0};
    for (std::size_t i = 0; i < count; ++i)
        memory_[at + i] &= data[i];
    return {{Acknowledge}, count * FlashByteTime};
}

LoaderUnit::Answer LoaderUnit::read(Address at, std::size_t count) const
{
    // The answer must fit the host's buffer of 256 bytes.
    if (count > 250 || at + count > MemoryBytes || infoGuarded(at, count))
        return {{Refusal}, 0};
    return {dataReply(bytes(at, count)), 0};
}

LoaderUnit::Answer LoaderUnit::erase(Address at)
{
    std::size_t start = 0, size = 0;
    if (isInfo(at, 1)) {
        start = at & ~(map::InfoSegmentBytes - 1);
        size = map::InfoSegmentBytes;
    } else if (at >= map::MainStart) {
        start = std::max<std::size_t>(at & ~(map::MainSegmentBytes - 1), map::MainStart);
        size = (at & ~(map::MainSegmentBytes - 1)) + map::MainSegmentBytes - start;
    } else {
        return {{Refusal}, 0};
    }
    std::fill_n(memory_.begin() + start, size, Byte{0xFF});
    return {{Acknowledge}, SegmentEraseTime};
}

// 0x0C22 restarts the loader, which locks it again; 0x0220 runs the patch, which hooks the
// loader's read and write and returns into it still unlocked.
LoaderUnit::Answer LoaderUnit::loadPc(Address at)
{
    if (at == map::LoaderRestart) {
        unlocked_ = false;
        patchRunning_ = false;
        return {{Acknowledge}, 0};
    }
    const auto& patch = fenlo::frames::PatchFrame;
    const auto program = patch.begin() + fenlo::frames::FrameDataOffset;
    if (at == map::PatchAt
        && std::equal(program, program + fenlo::frames::PatchBytes, memory_.begin() + map::PatchAt)) {
        patchRunning_ = true;
        return {{Acknowledge}, 0};
    }
    return {{Refusal}, 0};
}

Bytes dataReply(const Bytes& data)
{
    Bytes reply(4 + data.size());
    reply[0] = 0x80;
    reply[2] = reply[3] = static_cast<Byte>(data.size());
    std::copy(data.begin(), data.end(), reply.begin() + 4);
    const auto [low, high] = checkBytes(reply.begin(), reply.end());
    reply.push_back(low);
    reply.push_back(high);
    return reply;
}

} // namespace unitsim
