// Every wait of every exchange when the unit stays silent: it runs its whole time-out.
//
// The simulated unit answers within a poll or two, so a wrong time-out shows only when the
// answer never comes. Each case silences one frame of one operation and measures from the
// end of that frame on the line to the end of the library's next frame, or to the return.
#include "unit_fixture.h"

#include <cstring>
#include <memory>

using namespace unitsim;
using namespace expect;

namespace {

namespace fr = fenlo::frames;

using Pw = const unsigned char*;

// What TxFenlo waits behind every write.
constexpr unsigned SendMs = 30;
// A handshake's seven line changes and their delays ahead of its sync byte.
constexpr unsigned EntryLinesMs = 6 * 5 + 10;

using Image = unsigned char[2][128];
const Image SomeImage = {{0x11, 0x22, 0x33}, {0x44, 0x55, 0x66}};

// A record for the block at `at`: a write frame with check bytes, or 0x00 0x00 there as
// LoadData leaves them.
void putRecord(unsigned char* into, Address at, Byte seed, bool checkBytes)
{
    Bytes data(128);
    for (std::size_t k = 0; k < data.size(); ++k)
        data[k] = static_cast<Byte>(seed + 3 * k);
    Bytes f = frame({0x80, 0x12, 0x8A, 0x8A, static_cast<Byte>(at), static_cast<Byte>(at >> 8), 0x80, 0x00}, data);
    if (!checkBytes)
        f[136] = f[137] = 0x00;
    std::copy(f.begin(), f.end(), into);
}

using Records = std::unique_ptr<unsigned char[][138]>;

Records blankRecords(std::size_t n)
{
    Records r = std::make_unique<unsigned char[][138]>(n);
    std::memset(r.get(), 0xFF, n * 138);
    return r;
}

bool writeProgramOfOneRecord(Pw)
{
    const Records program = blankRecords(512);
    putRecord(program[0], 0xC000, 0x21, true);
    return WriteProgram(program.get());
}

bool writeSegmentOfFourRecords(Pw)
{
    const Records records = blankRecords(4);
    for (std::size_t r = 0; r < 4; ++r)
        putRecord(records[r], static_cast<Address>(0xC000 + 128 * r), static_cast<Byte>(r), false);
    return WriteSegment(0, nullptr, records.get());
}

bool writeOneSegment(Pw pw)
{
    const Records record = blankRecords(1);
    putRecord(record[0], 0xD000, 0x09, false);
    return WriteOneSegment(0, pw, record[0]);
}

bool loadProgram(Pw pw)
{
    const Records program = blankRecords(512);
    return LoadProgram(program.get(), pw);
}

bool entered(Pw) { return Handshake(); }
bool unlocked(Pw pw) { return Handshake() && WritePassword(pw); }
bool restartedLoader(Pw pw) { return unlocked(pw) && LoadPCC22() && WritePassword(pw); }
bool wroteSegmentA(Pw pw) { return WriteSegmentA(SomeImage, pw); }

struct SilentCase {
    const char* name;
    Preset preset;
    bool patch;
    bool (*prepare)(Pw); // untimed steps ahead of the operation, or null
    bool (*run)(Pw);
    Fault fault;           // counted from the operation's start
    unsigned waitMs;       // what the library waits behind the silent frame, besides the send
    std::size_t nextBytes; // the frame it sends next; 0 when it returns
    bool result;
};

void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.name; }

Fault silent(Byte command, std::optional<Address> at = std::nullopt) { return {FaultKind::NoAnswer, command, at}; }
// The sync byte after `answered` others.
Fault silentSync(int answered) { return {FaultKind::NoAnswer, SyncByte, std::nullopt, answered}; }

bool strikes(const Fault& f, const Bytes& burst)
{
    if (f.command == SyncByte)
        return burst == Sync;
    return burst.size() >= 6 && burst[1] == f.command
        && (!f.address || *f.address == static_cast<Address>(burst[4] | burst[5] << 8));
}

class SilentWaitTest : public UnitTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentWaitTest, RunsItsWholeTimeOut)
{
    const SilentCase& c = GetParam();
    LoaderUnit u = makeUnit(c.preset);
    u.setLoader(c.patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion);
    attach(std::move(u));
    fenlo::PatchRequired = c.patch ? 1 : 0;
    const Bytes pw = passwordOf(c.preset);
    if (c.prepare) {
        ASSERT_TRUE(c.prepare(pw.data()));
    }
    const std::size_t from = world.line.received().size();
    unit.inject(c.fault);

    EXPECT_EQ(c.run(pw.data()), c.result);

    const Time returned = world.clock.now();
    const std::vector<Burst>& bursts = world.line.received();
    std::size_t struck = from;
    for (int skip = c.fault.skip; struck < bursts.size(); ++struck)
        if (strikes(c.fault, bursts[struck].bytes) && skip-- == 0)
            break;
    ASSERT_LT(struck, bursts.size()) << "the silenced frame was never sent";
    Time until = returned;
    if (c.nextBytes == 0) {
        EXPECT_EQ(struck + 1, bursts.size()) << "nothing more is sent after the silence";
    } else {
        ASSERT_LT(struck + 1, bursts.size()) << "a frame follows the silence";
        EXPECT_EQ(bursts[struck + 1].bytes.size(), c.nextBytes);
        until = bursts[struck + 1].end;
    }
    // The time-out runs out in polls of 10 ms; every one here is a multiple of 10.
    EXPECT_EQ(until - bursts[struck].end, ms(SendMs + c.waitMs) + c.nextBytes * CharTime)
        << toMs(until - bursts[struck].end) << " ms";
}

constexpr Preset Tx = Preset::Transmitter;
constexpr Preset Erased = Preset::Erased;
namespace cmd = fr::cmd;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Waits, SilentWaitTest,
    ::testing::Values(
        // Entry, passwords, version and patch.
        SilentCase{.name = "PasswordAnswer", .preset = Tx, .patch = false, .prepare = entered, .run = WritePassword,
                   .fault = silent(cmd::Password), .waitMs = 40, .nextBytes = 0, .result = false},
        SilentCase{.name = "LoadPcAnswer", .preset = Tx, .patch = false, .prepare = unlocked,
                   .run = [](Pw) { return LoadPCC22(); }, .fault = silent(cmd::LoadPc), .waitMs = 40, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "LoadPcConfirm", .preset = Tx, .patch = false, .prepare = unlocked,
                   .run = [](Pw) { return LoadPCC22(); }, .fault = silentSync(0), .waitMs = 20, .nextBytes = 0,
                   .result = true},
        SilentCase{.name = "PatchProgramAnswer", .preset = Tx, .patch = false, .prepare = restartedLoader,
                   .run = [](Pw) { return WritePatchFile(); }, .fault = silent(cmd::Write, fr::PatchAddress),
                   .waitMs = 150, .nextBytes = 1, .result = true},
        SilentCase{.name = "PatchProgramConfirm", .preset = Tx, .patch = false, .prepare = restartedLoader,
                   .run = [](Pw) { return WritePatchFile(); }, .fault = silentSync(0), .waitMs = 10, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "MassEraseConfirm", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw) { return FenloMassErase(); }, .fault = silentSync(1), .waitMs = 10, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "OldPasswordWriteAnswer", .preset = Tx, .patch = false, .prepare = unlocked,
                   .run = WritePasswordOld, .fault = silent(cmd::Write, map::Vectors), .waitMs = 20, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "OldPasswordWriteConfirm", .preset = Tx, .patch = false, .prepare = unlocked,
                   .run = WritePasswordOld, .fault = silentSync(0), .waitMs = 10, .nextBytes = 0, .result = true},
        // A silent version query reads as zeros: the loader is entered anew for its ROM.
        SilentCase{.name = "VersionQuery", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw pw) { return GetICData(pw) == 0x20; }, .fault = silent(cmd::Version),
                   .waitMs = 100 + EntryLinesMs, .nextBytes = 1, .result = true},
        SilentCase{.name = "VersionBytesRead", .preset = Tx, .patch = true, .prepare = nullptr,
                   .run = [](Pw pw) { return GetICData(pw) == 0xEE; }, .fault = silent(cmd::Read, map::VersionBytes),
                   .waitMs = 100, .nextBytes = 0, .result = true},
        // Information segments and data blocks.
        SilentCase{.name = "EraseSegmentAAnswer", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = EraseSegmentA, .fault = silent(cmd::EraseSegment, map::SegmentA), .waitMs = 40,
                   .nextBytes = 1, .result = true},
        SilentCase{.name = "EraseSegmentBConfirm", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = EraseSegmentB, .fault = silentSync(2), .waitMs = 20, .nextBytes = 0, .result = false},
        SilentCase{.name = "WriteSegmentAAnswer", .preset = Tx, .patch = false, .prepare = entered,
                   .run = wroteSegmentA, .fault = silent(cmd::Write, map::SegmentA), .waitMs = 100, .nextBytes = 1,
                   .result = true},
        SilentCase{.name = "WriteSegmentBConfirm", .preset = Tx, .patch = false, .prepare = entered,
                   .run = [](Pw pw) { return WriteSegmentB(SomeImage, pw); }, .fault = silentSync(1), .waitMs = 10,
                   .nextBytes = 0, .result = false},
        SilentCase{.name = "WriteSegmentAAnswerWithPatch", .preset = Tx, .patch = true, .prepare = nullptr,
                   .run = wroteSegmentA, .fault = silent(cmd::Write, map::SegmentA), .waitMs = 200, .nextBytes = 1,
                   .result = true},
        SilentCase{.name = "WriteSegmentBConfirmWithPatch", .preset = Tx, .patch = true, .prepare = wroteSegmentA,
                   .run = [](Pw pw) { return WriteSegmentB(SomeImage, pw); }, .fault = silentSync(1), .waitMs = 50,
                   .nextBytes = 0, .result = false},
        SilentCase{.name = "LoadSegmentARead", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw pw) { Image image{}; return LoadSegmentA(image, pw); },
                   .fault = silent(cmd::Read, map::SegmentA), .waitMs = 100 + 50, .nextBytes = 0, .result = false},
        SilentCase{.name = "LoadSegmentBConfirm", .preset = Tx, .patch = false, .prepare = entered,
                   .run = [](Pw pw) { Image image{}; return LoadSegmentB(image, pw); }, .fault = silentSync(1),
                   .waitMs = 10, .nextBytes = 0, .result = true},
        SilentCase{.name = "LoadDataRead", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw pw) { unsigned char record[138]; return LoadData(map::IdentBlock, pw, record); },
                   .fault = silent(cmd::Read, map::IdentBlock), .waitMs = 100 + 100, .nextBytes = 0, .result = false},
        // Whole-program transfer.
        SilentCase{.name = "LoadProgramFirstBlock", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = loadProgram, .fault = silent(cmd::Read), .waitMs = 200 + 200, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "WriteProgramBlankPassword", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = writeProgramOfOneRecord, .fault = silent(cmd::Password), .waitMs = 40, .nextBytes = 0,
                   .result = false},
        // The record never reached the flash, so its read-back fails.
        SilentCase{.name = "WriteProgramRecord", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = writeProgramOfOneRecord, .fault = silent(cmd::Write, 0xC000), .waitMs = 200, .nextBytes = 1,
                   .result = false},
        SilentCase{.name = "WriteProgramRecordConfirm", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = writeProgramOfOneRecord, .fault = silentSync(4), .waitMs = 20, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "WriteProgramVerify", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = writeProgramOfOneRecord, .fault = silent(cmd::Read, 0xC000), .waitMs = 100 + 100,
                   .nextBytes = 0, .result = false},
        SilentCase{.name = "WriteProgramVerifyConfirm", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = writeProgramOfOneRecord, .fault = silentSync(5), .waitMs = 20, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "WriteSegmentRecord", .preset = Erased, .patch = false, .prepare = nullptr,
                   .run = writeSegmentOfFourRecords, .fault = silent(cmd::Write, 0xC000), .waitMs = 100 + 100,
                   .nextBytes = 1, .result = true},
        SilentCase{.name = "WriteSegmentLastConfirm", .preset = Erased, .patch = false, .prepare = nullptr,
                   .run = writeSegmentOfFourRecords, .fault = silentSync(5), .waitMs = 20, .nextBytes = 0,
                   .result = false},
        SilentCase{.name = "WriteSegmentRecordWithPatch", .preset = Erased, .patch = true, .prepare = nullptr,
                   .run = writeSegmentOfFourRecords, .fault = silent(cmd::Write, 0xC000), .waitMs = 200, .nextBytes = 1,
                   .result = true},
        SilentCase{.name = "WriteOneSegmentRecord", .preset = Erased, .patch = false, .prepare = nullptr,
                   .run = writeOneSegment, .fault = silent(cmd::Write, 0xD000), .waitMs = 200, .nextBytes = 1,
                   .result = true},
        SilentCase{.name = "WriteOneSegmentLastConfirm", .preset = Erased, .patch = false, .prepare = nullptr,
                   .run = writeOneSegment, .fault = silentSync(5), .waitMs = 20, .nextBytes = 0, .result = false},
        SilentCase{.name = "EraseSegmentAnswer", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw pw) { return EraseSegment(0xC000, pw); }, .fault = silent(cmd::EraseSegment, 0xC000),
                   .waitMs = 40, .nextBytes = 0, .result = false},
        SilentCase{.name = "EraseSegmentConfirm", .preset = Tx, .patch = false, .prepare = nullptr,
                   .run = [](Pw pw) { return EraseSegment(0xC000, pw); }, .fault = silentSync(2), .waitMs = 20,
                   .nextBytes = 0, .result = true}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

} // namespace
