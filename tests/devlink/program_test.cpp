// Whole-program transfer and its progress counters, on a simulated unit and clock.
#include "unit_fixture.h"

#include <cstring>
#include <memory>

using namespace unitsim;
using namespace expect;

namespace {

namespace fr = fenlo::frames;

using Program = std::unique_ptr<unsigned char[][138]>;

Program blankProgram()
{
    Program p = std::make_unique<unsigned char[][138]>(512);
    std::memset(p.get(), 0xFF, 512 * 138);
    return p;
}

Bytes row(const Program& p, std::size_t i) { return Bytes(p[i], p[i] + 138); }

// A record as LoadProgram leaves it: a write frame for `at` with its check bytes computed.
void setRecord(const Program& p, std::size_t i, Address at, const Bytes& data)
{
    const Bytes f =
        frame({0x80, 0x12, 0x8A, 0x8A, static_cast<Byte>(at), static_cast<Byte>(at >> 8), 0x80, 0x00}, data);
    std::copy(f.begin(), f.end(), p[i]);
}

const RecordedBox ReadErrorBox{"Read Program Error,Please Try Again!!", "Read Error", FENLO_MB_ICONERROR};

VectorTable startingAt(Address start)
{
    VectorTable v = LoaderUnit::TransmitterVectors;
    v[30] = static_cast<Byte>(start);
    v[31] = static_cast<Byte>(start >> 8);
    return v;
}

struct LoadCase {
    const char* name;
    std::vector<Fault> faults;
    bool result;
    std::size_t boxes;
    int done;
    std::size_t readsOfSecondBlock;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadProgramTest : public UnitTest, public ::testing::WithParamInterface<LoadCase> {};

Fault onBlock(FaultKind kind, Address at, int times = 1, std::size_t keep = 0)
{
    return Fault{kind, fr::cmd::Read, at, 0, times, keep};
}

TEST_P(LoadProgramTest, ReadsFromTheResetVectorToTheTop)
{
    const LoadCase& c = GetParam();
    const VectorTable vectors = startingAt(0xFF00);
    LoaderUnit u = LoaderUnit::transmitter(vectors);
    for (const Fault& f : c.faults)
        u.inject(f);
    attach(std::move(u));
    const Bytes pw(vectors.begin(), vectors.end());
    const Program program = blankProgram();

    EXPECT_EQ(LoadProgram(program.get(), pw.data()), c.result);
    EXPECT_EQ(ProgressMax(), 1);
    EXPECT_EQ(ProgressCounter(), c.done);
    EXPECT_EQ(recordedBoxes(), std::vector<RecordedBox>(c.boxes, ReadErrorBox));
    std::size_t reads = 0;
    for (const Bytes& f : received())
        reads += f == command(fr::readBlockFrame(0xFF80));
    EXPECT_EQ(reads, c.readsOfSecondBlock);
    if (!c.result)
        return;

    Bytes first = unit.bytes(0xFF00, 128), second = unit.bytes(0xFF80, 128);
    std::fill(second.begin() + 96, second.end(), 0xFF);
    Bytes r0(program[0], program[0] + 138), r1(program[1], program[1] + 138);
    EXPECT_EQ(r0, frame({0x80, 0x12, 0x8A, 0x8A, 0x00, 0xFF, 0x80, 0x00}, first));
    EXPECT_EQ(r1, frame({0x80, 0x12, 0x8A, 0x8A, 0x80, 0xFF, 0x80, 0x00}, second))
        << "bytes 104 to 135 blanked before the check bytes";
    for (std::size_t i = 2; i < 512; ++i)
        ASSERT_EQ(row(program, i), Bytes(138, 0xFF)) << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, LoadProgramTest,
    ::testing::Values(
        LoadCase{.name = "StartFF00", .faults = {}, .result = true, .boxes = 0, .done = 2, .readsOfSecondBlock = 1},
        LoadCase{.name = "FirstBlockUnansweredGetsNoSecondTry", .faults = {onBlock(FaultKind::NoAnswer, 0xFF00)},
                 .result = false, .boxes = 1, .done = 0, .readsOfSecondBlock = 0},
        LoadCase{.name = "LaterBlockUnansweredFiveTimes", .faults = {onBlock(FaultKind::NoAnswer, 0xFF80, 5)},
                 .result = true, .boxes = 0, .done = 2, .readsOfSecondBlock = 6},
        LoadCase{.name = "LaterBlockUnansweredSixTimes", .faults = {onBlock(FaultKind::NoAnswer, 0xFF80, 6)},
                 .result = false, .boxes = 1, .done = 1, .readsOfSecondBlock = 6},
        LoadCase{.name = "RefusedBlock", .faults = {onBlock(FaultKind::Refuse, 0xFF80)}, .result = false, .boxes = 1,
                 .done = 1, .readsOfSecondBlock = 1},
        LoadCase{.name = "RefusedPassword", .faults = {Fault{FaultKind::Refuse, fr::cmd::Password, std::nullopt}},
                 .result = false, .boxes = 1, .done = 0, .readsOfSecondBlock = 0},
        // A reply cut short or garbled is never stored; it counts as no answer.
        LoadCase{.name = "CutShortReplyTriedAgain", .faults = {onBlock(FaultKind::CutShort, 0xFF80, 1, 100)},
                 .result = true, .boxes = 0, .done = 2, .readsOfSecondBlock = 2},
        LoadCase{.name = "WrongCheckBytesTriedAgain", .faults = {onBlock(FaultKind::WrongCheckBytes, 0xFF80)},
                 .result = true, .boxes = 0, .done = 2, .readsOfSecondBlock = 2},
        LoadCase{.name = "CutShortFirstBlockFails", .faults = {onBlock(FaultKind::CutShort, 0xFF00, 1, 100)},
                 .result = false, .boxes = 1, .done = 0, .readsOfSecondBlock = 0}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(UnitTest, LoadProgramWithoutEntryFailsWithoutABox)
{
    LoaderUnit u = LoaderUnit::transmitter();
    u.entry = Entry::Neither;
    attach(std::move(u));
    const Program program = blankProgram();
    EXPECT_FALSE(LoadProgram(program.get(), LoaderUnit::TransmitterVectors.data()));
    EXPECT_TRUE(recordedBoxes().empty());
    EXPECT_EQ(ProgressMax(), 127);
    EXPECT_EQ(ProgressCounter(), 0);
}

// Erased unit, blank password: the records at 0xC000 and 0xC080 on, as the case gives them.
struct WriteCase {
    const char* name;
    bool patch;
    std::vector<std::pair<Address, Bytes>> records;
    std::vector<Fault> faults;
    bool result;
    int max, done;
};

void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }

class WriteProgramTest : public UnitTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteProgramTest, WritesTheRecordsThatHoldData)
{
    const WriteCase& c = GetParam();
    LoaderUnit u = LoaderUnit::transmitter();
    u.setLoader(c.patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion);
    for (const Fault& f : c.faults)
        u.inject(f);
    attach(std::move(u));
    fenlo::PatchRequired = c.patch;
    const Program program = blankProgram();
    for (std::size_t i = 0; i < c.records.size(); ++i)
        setRecord(program, 3 * i, c.records[i].first, c.records[i].second);

    EXPECT_EQ(WriteProgram(program.get()), c.result);
    EXPECT_EQ(ProgressMax(), c.max);
    EXPECT_EQ(ProgressCounter(), c.done);
    const Bytes blankPw = bytesOf(fr::BlankPasswordFrame);
    Frames frames = handshake() + confirmed(bytesOf(fr::MassEraseFrame));
    frames = frames + (c.patch ? loadPatch(Bytes(32, 0xFF)) : handshake());
    for (std::size_t i = 0; i < c.records.size() && c.result; ++i) {
        const auto& [at, data] = c.records[i];
        const Bytes record(program[3 * i], program[3 * i] + 138);
        frames = frames + (c.patch ? runPatch() : confirmed(blankPw)) + confirmed(record)
               + confirmed(command(fr::readBlockFrame(at)));
        EXPECT_EQ(unit.bytes(at, 128), data);
    }
    if (c.result) {
        EXPECT_EQ(received(), frames);
    }
}

Bytes onlyLastByte(Byte b)
{
    Bytes d(128, 0xFF);
    d[127] = b;
    return d;
}

Bytes ramp(Byte from)
{
    Bytes d(128);
    for (std::size_t k = 0; k < 128; ++k)
        d[k] = static_cast<Byte>(from + k);
    return d;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, WriteProgramTest,
    ::testing::Values(
        WriteCase{.name = "NoRecordInUse", .patch = false, .records = {}, .faults = {}, .result = true, .max = 0,
                  .done = 0},
        WriteCase{.name = "NoRecordInUseWithPatch", .patch = true, .records = {}, .faults = {}, .result = true,
                  .max = 0, .done = 0},
        WriteCase{.name = "OnlyByte135", .patch = false, .records = {{0xC000, onlyLastByte(0x5A)}}, .faults = {},
                  .result = true, .max = 1, .done = 1},
        WriteCase{.name = "TwoRecordsWithPatch", .patch = true, .records = {{0xC000, ramp(0)}, {0xE080, ramp(7)}},
                  .faults = {}, .result = true, .max = 2, .done = 2},
        WriteCase{.name = "VerifyMismatch", .patch = false, .records = {{0xC000, ramp(0)}, {0xC080, ramp(1)}},
                  .faults = {Fault{FaultKind::WrongData, fr::cmd::Read, Address{0xC000}}}, .result = false, .max = 2,
                  .done = 1},
        WriteCase{.name = "RefusedWithPatch", .patch = true, .records = {{0xC000, ramp(0)}},
                  .faults = {Fault{FaultKind::Refuse, fr::cmd::Write, Address{0xC000}}}, .result = false, .max = 1,
                  .done = 1}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(UnitTest, ABlankBlockWithItsCheckBytesIsNotWritten)
{
    attach(LoaderUnit::erased());
    const Program program = blankProgram();
    setRecord(program, 0, 0xC000, Bytes(128, 0xFF));
    ASSERT_NE(program[0][136] & program[0][137], 0xFF) << "a blank block read back carries check bytes";
    EXPECT_TRUE(WriteProgram(program.get()));
    EXPECT_EQ(ProgressMax(), 0);
    EXPECT_EQ(ProgressCounter(), 0);
    for (const Burst& b : world.line.received())
        EXPECT_NE(b.bytes.size(), fr::RecordLength) << "no record went out";
}

TEST_F(UnitTest, ARecordOutOfUseIsCountedByItsDataButNotWritten)
{
    attach(LoaderUnit::transmitter());
    const Program program = blankProgram();
    setRecord(program, 0, 0xFFFF, ramp(0));
    EXPECT_TRUE(WriteProgram(program.get()));
    EXPECT_EQ(ProgressMax(), 1);
    EXPECT_EQ(ProgressCounter(), 0);
}

class RoundTripTest : public UnitTest, public ::testing::WithParamInterface<bool> {};

// Read a transmitter's program, write it into an erased unit, give that unit the vector
// table, and read it back.
TEST_P(RoundTripTest, WriteThenLoadGivesTheSameImage)
{
    const bool patch = GetParam();
    const LoaderKind kind = patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion;
    const auto& pw = LoaderUnit::TransmitterVectors;
    LoaderUnit source = LoaderUnit::transmitter();
    source.setLoader(kind);
    attach(std::move(source));
    const Program read = blankProgram();
    ASSERT_NE(GetICData(pw.data()), 0);
    ASSERT_TRUE(LoadProgram(read.get(), pw.data()));
    EXPECT_EQ(ProgressCounter(), ProgressMax() + 1);
    ExitCom();

    LoaderUnit target = LoaderUnit::erased();
    target.setLoader(kind);
    attach(std::move(target));
    const Bytes blank(32, 0xFF);
    ASSERT_EQ(GetICData(blank.data()), patch ? 0x10 : 0x20);
    ASSERT_TRUE(WriteProgram(read.get()));
    EXPECT_EQ(ProgressCounter(), ProgressMax());
    EXPECT_EQ(ProgressMax(), 128);
    if (!patch) {
        ASSERT_TRUE(Handshake() && WriteBlankPassword());
    }
    ASSERT_TRUE(WritePasswordOld(pw.data()));
    const Program again = blankProgram();
    ASSERT_TRUE(LoadProgram(again.get(), pw.data()));
    EXPECT_EQ(std::memcmp(read.get(), again.get(), 512 * 138), 0);
    EXPECT_EQ(unit.bytes(0xC000, 0x4000), LoaderUnit::transmitter().bytes(0xC000, 0x4000));
}

INSTANTIATE_TEST_SUITE_P(Roads, RoundTripTest, ::testing::Bool(),
                         [](const auto& p) { return std::string(p.param ? "WithPatch" : "WithoutPatch"); });

struct SegmentCase {
    const char* name;
    bool patch;
    bool computedCheckBytes;
    bool result;
};

void PrintTo(const SegmentCase& c, std::ostream* os) { *os << c.name; }

class WriteSegmentTest : public UnitTest, public ::testing::WithParamInterface<SegmentCase> {};

TEST_P(WriteSegmentTest, WritesFourRecordsUnderTheBlankPassword)
{
    const SegmentCase& c = GetParam();
    LoaderUnit u = LoaderUnit::erased();
    u.setLoader(c.patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion);
    attach(std::move(u));
    fenlo::PatchRequired = c.patch;
    const Program records = blankProgram();
    Frames expected = c.patch ? loadPatch(Bytes(32, 0xFF)) : handshake() + confirmed(bytesOf(fr::BlankPasswordFrame));
    for (std::size_t r = 0; r < 4; ++r) {
        setRecord(records, r, static_cast<Address>(0xC000 + 128 * r), ramp(static_cast<Byte>(r)));
        if (!c.computedCheckBytes)
            records[r][136] = records[r][137] = 0x00;
        // CheckSum works into the check bytes the record carries.
        Bytes sent(records[r], records[r] + 138);
        CheckSum(sent.data(), 138);
        expected = expected + (c.patch ? runPatch() : Frames{}) + confirmed(sent);
    }

    EXPECT_EQ(WriteSegment(123, nullptr, records.get()), c.result);
    EXPECT_EQ(received(), expected);
    for (std::size_t r = 0; r < 4; ++r)
        EXPECT_EQ(unit.bytes(static_cast<Address>(0xC000 + 128 * r), 128),
                  c.computedCheckBytes ? Bytes(128, 0xFF) : ramp(static_cast<Byte>(r)));
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteSegmentTest,
                         ::testing::Values(SegmentCase{"RecordsAsLoadDataLeavesThem", false, false, true},
                                           SegmentCase{"RecordsAsLoadDataLeavesThemWithPatch", true, false, true},
                                           // The frames carry wrong check bytes; the unit refuses every one.
                                           SegmentCase{"RecordsWithComputedCheckBytes", false, true, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(UnitTest, WriteOneSegmentSendsItsRecordFourTimes)
{
    attach(LoaderUnit::erased());
    const Bytes pw(32, 0xFF);
    const Program records = blankProgram();
    setRecord(records, 0, 0xD000, ramp(9));
    records[0][136] = records[0][137] = 0x00;
    Bytes sent(records[0], records[0] + 138);
    CheckSum(sent.data(), 138);

    EXPECT_TRUE(WriteOneSegment(0, pw.data(), records[0]));
    EXPECT_EQ(received(),
              handshake() + password(pw) + confirmed(sent) + confirmed(sent) + confirmed(sent) + confirmed(sent));
    EXPECT_EQ(unit.bytes(0xD000, 128), ramp(9));
}

TEST_F(UnitTest, EraseSegmentErasesTheFlashSegmentAtTheLow16Bits)
{
    attach(LoaderUnit::transmitter());
    const auto& pw = LoaderUnit::TransmitterVectors;
    const Bytes below = unit.bytes(0xBFFF, 1), above = unit.bytes(0xC200, 1);

    EXPECT_TRUE(EraseSegment(0x2C123, pw.data()));
    EXPECT_EQ(unit.bytes(0xC000, 512), Bytes(512, 0xFF));
    EXPECT_EQ(unit.bytes(0xBFFF, 1), below);
    EXPECT_EQ(unit.bytes(0xC200, 1), above);
    EXPECT_EQ(received().back(), Sync) << "confirmed";
    EXPECT_FALSE(EraseSegment(0x0400, pw.data())) << "RAM is no flash: refused";
    EXPECT_NE(received().back(), Sync) << "a refused erase is not confirmed";
}

} // namespace
