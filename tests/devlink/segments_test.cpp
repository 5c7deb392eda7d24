// The information segments and data blocks, on a simulated unit and clock.
#include "unit_fixture.h"

#include <cstring>

using namespace unitsim;
using namespace expect;

namespace {

namespace fr = fenlo::frames;

using Image = unsigned char[2][128];

struct ChainCase {
    Preset preset;
    bool patch;
};

void PrintTo(const ChainCase& c, std::ostream* os) { *os << nameOf(c.preset) << (c.patch ? "WithPatch" : ""); }

class ChainTest : public UnitTest, public ::testing::WithParamInterface<ChainCase> {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        LoaderUnit u = makeUnit(GetParam().preset);
        u.setLoader(GetParam().patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion);
        // Every byte of the segments its own, so that a byte read into the wrong place shows.
        if (GetParam().preset != Preset::Erased) {
            Bytes b(128), a(128);
            for (std::size_t k = 0; k < 128; ++k) {
                b[k] = static_cast<Byte>(0x11 + 3 * k);
                a[k] = static_cast<Byte>(0x11 ^ (5 * k + 1));
            }
            u.put(map::SegmentB, b);
            u.put(map::SegmentA, a);
        }
        attach(std::move(u));
        pw = passwordOf(GetParam().preset);
    }

    // GetICData's frames on this road.
    Frames versionQuery() const
    {
        Frames f = handshake() + password(pw) + Frames(1, bytesOf(fr::LoaderVersionFrame));
        if (GetParam().patch)
            f = f + handshake() + password(pw) + Frames(1, bytesOf(fr::ReadVersionBytesFrame));
        return f;
    }

    Bytes pw;
};

TEST_P(ChainTest, ReadChainGivesBothSegments)
{
    const bool patch = GetParam().patch;
    Image image;
    std::memset(image, 0x5A, sizeof image);

    ASSERT_EQ(GetICData(pw.data()), patch ? 0x10 : 0x20);
    ASSERT_EQ(fenlo::PatchRequired, patch ? 1 : 0);
    ASSERT_TRUE(LoadSegmentA(image, pw.data()));
    ASSERT_TRUE(LoadSegmentB(image, pw.data()));

    EXPECT_EQ(Bytes(image[1], image[1] + 128), unit.bytes(map::SegmentA, 128));
    EXPECT_EQ(Bytes(image[0], image[0] + 128), unit.bytes(map::SegmentB, 128));
    const Frames prepareA = patch ? loadPatch(pw) + runPatch() : handshake() + password(pw);
    const Frames prepareB = patch ? runPatch() : password(pw);
    EXPECT_EQ(received(), versionQuery() + prepareA + confirmed(bytesOf(fr::ReadSegmentAFrame)) + prepareB
                              + confirmed(bytesOf(fr::ReadSegmentBFrame)));
}

TEST_P(ChainTest, WriteChainLeavesTheImageInTheUnit)
{
    const bool patch = GetParam().patch;
    Image image;
    for (std::size_t k = 0; k < 128; ++k) {
        image[0][k] = static_cast<unsigned char>(0xC0 ^ k);
        image[1][k] = static_cast<unsigned char>(0x3F + 11 * k);
    }

    ASSERT_NE(GetICData(pw.data()), 0);
    ASSERT_TRUE(EraseSegmentA(pw.data()));
    ASSERT_TRUE(EraseSegmentB(pw.data()));
    ASSERT_TRUE(WriteSegmentA(image, pw.data()));
    ASSERT_TRUE(WriteSegmentB(image, pw.data()));

    EXPECT_EQ(unit.bytes(map::SegmentA, 128), Bytes(image[1], image[1] + 128));
    EXPECT_EQ(unit.bytes(map::SegmentB, 128), Bytes(image[0], image[0] + 128));
    const Bytes writeA = frame(fr::WriteSegmentAHead, Bytes(image[1], image[1] + 128));
    const Bytes writeB = frame(fr::WriteSegmentBHead, Bytes(image[0], image[0] + 128));
    const Frames prepareA = patch ? loadPatch(pw) + runPatch() : password(pw);
    const Frames prepareB = patch ? runPatch() : password(pw);
    EXPECT_EQ(received(), versionQuery() + handshake() + password(pw) + confirmed(bytesOf(fr::EraseSegmentAFrame))
                              + handshake() + password(pw) + confirmed(bytesOf(fr::EraseSegmentBFrame)) + prepareA
                              + confirmed(writeA) + prepareB + confirmed(writeB));
}

INSTANTIATE_TEST_SUITE_P(Units, ChainTest,
                         ::testing::Values(ChainCase{Preset::Transmitter, false}, ChainCase{Preset::Transmitter, true},
                                           ChainCase{Preset::Receiver, false}, ChainCase{Preset::Receiver, true},
                                           ChainCase{Preset::ReceiverWithCallersTable, false},
                                           ChainCase{Preset::Erased, false}, ChainCase{Preset::Erased, true}),
                         [](const auto& p) {
                             return std::string(nameOf(p.param.preset)) + (p.param.patch ? "WithPatch" : "");
                         });

const Bytes TxPassword(LoaderUnit::TransmitterVectors.begin(), LoaderUnit::TransmitterVectors.end());

TEST_F(UnitTest, ReadWaitsAHundredMsThenPollsForTheWholeReply)
{
    attach(LoaderUnit::transmitter());
    Image image{};
    ASSERT_TRUE(LoadSegmentA(image, TxPassword.data()));
    // Behind the read frame: 30 ms, Delay(100), the reply (complete 154 ms after the frame)
    // at the third poll; then the sync byte and its answer at the first poll.
    const Time readEnd = world.line.received()[world.line.received().size() - 2].end;
    EXPECT_EQ(world.clock.now() - readEnd, ms(30 + 100 + 30) + CharTime + ms(30 + 10));
}

TEST_F(UnitTest, LoadDataReadsTheBlockAtTheLow16BitsOfTheAddress)
{
    attach(LoaderUnit::transmitter());
    unsigned char record[138];

    ASSERT_TRUE(LoadData(0x3FF60, TxPassword.data(), record));

    Bytes expected = {0x80, 0x12, 0x8A, 0x8A, 0x60, 0xFF, 0x80, 0x00};
    const Bytes block = unit.bytes(map::IdentBlock, 128);
    expected.insert(expected.end(), block.begin(), block.end());
    expected.insert(expected.end(), {0x00, 0x00});
    EXPECT_EQ(Bytes(record, record + 138), expected);
    EXPECT_EQ(Bytes(block.begin() + 0x76, block.begin() + 0x79), (Bytes{'Q', '3', '7'}));
    EXPECT_EQ(received(), handshake() + password(TxPassword) + Frames(1, command(fr::readBlockFrame(0xFF60))))
        << "no confirmation follows";
    EXPECT_EQ(sinceLastBurst(), ms(30 + 100 + 30));
}

TEST_F(UnitTest, LoadDataWithARefusedPasswordLeavesTheRecordBlank)
{
    attach(LoaderUnit::receiver());
    unsigned char record[138];
    std::memset(record, 0x11, sizeof record);
    EXPECT_FALSE(LoadData(0xFF60, TxPassword.data(), record));
    EXPECT_EQ(Bytes(record, record + 138), Bytes(138, 0xFF));
}

TEST_F(UnitTest, WithoutPortEveryOperationFailsAndTouchesNothing)
{
    Image image;
    std::memset(image, 0x5A, sizeof image);
    unsigned char record[138] = {};
    EXPECT_FALSE(LoadData(0xFF60, TxPassword.data(), record));
    EXPECT_EQ(Bytes(record, record + 138), Bytes(138, 0xFF));
    EXPECT_FALSE(LoadSegmentA(image, TxPassword.data()));
    EXPECT_FALSE(EraseSegmentA(TxPassword.data()));
    EXPECT_FALSE(EraseSegmentB(TxPassword.data()));
    EXPECT_FALSE(WriteSegmentA(image, TxPassword.data()));
    EXPECT_FALSE(WriteSegmentB(image, TxPassword.data()));
    EXPECT_FALSE(LoadSegmentB(image, TxPassword.data()));
    EXPECT_EQ(Bytes(&image[0][0], &image[0][0] + 256), Bytes(256, 0x5A));
    EXPECT_EQ(recordedBoxes().size(), 4u) << "one box for each operation that makes its own handshake";
}

// A reply that is not whole and sound is not taken for the unit's memory.
enum class Read { SegmentA, SegmentB, Data };

struct BadReplyCase {
    const char* name;
    Fault fault;
    Read read;
};

void PrintTo(const BadReplyCase& c, std::ostream* os) { *os << c.name; }

class BadReplyTest : public UnitTest, public ::testing::WithParamInterface<BadReplyCase> {};

TEST_P(BadReplyTest, FailsAndLeavesTheCallersBytes)
{
    const BadReplyCase& c = GetParam();
    LoaderUnit u = LoaderUnit::transmitter();
    u.inject(c.fault);
    attach(std::move(u));
    Image image;
    std::memset(image, 0x5A, sizeof image);
    unsigned char record[138] = {};

    switch (c.read) {
    case Read::SegmentA: EXPECT_FALSE(LoadSegmentA(image, TxPassword.data())); break;
    case Read::SegmentB:
        ASSERT_TRUE(LoadSegmentA(image, TxPassword.data()));
        std::memset(image, 0x5A, sizeof image);
        EXPECT_FALSE(LoadSegmentB(image, TxPassword.data()));
        break;
    case Read::Data:
        EXPECT_FALSE(LoadData(0xFF60, TxPassword.data(), record));
        EXPECT_EQ(Bytes(record, record + 138), Bytes(138, 0xFF));
    }
    EXPECT_EQ(Bytes(&image[0][0], &image[0][0] + 256), Bytes(256, 0x5A));
    EXPECT_EQ(world.line.received().back().bytes.size(), 10u) << "a failed read is not confirmed";
}

Fault onRead(FaultKind kind, Address at, std::size_t keep = 0) { return Fault{kind, fr::cmd::Read, at, 0, 1, keep}; }

INSTANTIATE_TEST_SUITE_P(
    Cases, BadReplyTest,
    ::testing::Values(
        BadReplyCase{"SegmentACutShort", onRead(FaultKind::CutShort, map::SegmentA, 120), Read::SegmentA},
        BadReplyCase{"SegmentAWrongCheckBytes", onRead(FaultKind::WrongCheckBytes, map::SegmentA), Read::SegmentA},
        BadReplyCase{"SegmentBCutShort", onRead(FaultKind::CutShort, map::SegmentB, 133), Read::SegmentB},
        BadReplyCase{"SegmentBWrongCheckBytes", onRead(FaultKind::WrongCheckBytes, map::SegmentB), Read::SegmentB},
        BadReplyCase{"SegmentARefused", onRead(FaultKind::Refuse, map::SegmentA), Read::SegmentA},
        BadReplyCase{"SegmentAStrayBytes", onRead(FaultKind::StrayBytes, map::SegmentA), Read::SegmentA},
        BadReplyCase{"DataCutShort", onRead(FaultKind::CutShort, map::IdentBlock, 4), Read::Data},
        BadReplyCase{"DataWrongCheckBytes", onRead(FaultKind::WrongCheckBytes, map::IdentBlock), Read::Data},
        BadReplyCase{"DataUnanswered", onRead(FaultKind::NoAnswer, map::IdentBlock), Read::Data}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(UnitTest, RefusedWritesAndErasesAreNotReportedAsDone)
{
    // Without the patch this loader refuses the information memory, though the sync is answered.
    LoaderUnit u = LoaderUnit::transmitter();
    u.setLoader(LoaderKind::NeedsPatch);
    u.inject({FaultKind::Refuse, fr::cmd::EraseSegment, map::SegmentA});
    attach(std::move(u));
    const Bytes before = unit.bytes(map::SegmentB, 256);
    Image image{};

    EXPECT_FALSE(EraseSegmentA(TxPassword.data()));
    EXPECT_FALSE(WriteSegmentA(image, TxPassword.data()));
    EXPECT_FALSE(WriteSegmentB(image, TxPassword.data()));
    EXPECT_EQ(unit.bytes(map::SegmentB, 256), before);
}

TEST_F(UnitTest, APortThatVanishesMidReadFailsEverythingAfterWithoutHanging)
{
    LoaderUnit u = LoaderUnit::transmitter();
    u.inject({FaultKind::PortVanishes, fr::cmd::Read, map::SegmentA});
    attach(std::move(u));
    Image image;
    std::memset(image, 0x5A, sizeof image);

    EXPECT_FALSE(LoadSegmentA(image, TxPassword.data()));
    EXPECT_FALSE(LoadSegmentB(image, TxPassword.data()));
    EXPECT_EQ(GetICData(TxPassword.data()), 0);
    EXPECT_EQ(Bytes(&image[0][0], &image[0][0] + 256), Bytes(256, 0x5A));
    EXPECT_LT(world.clock.now(), ms(2000));
}

TEST_F(UnitTest, WriteFrameCarriesTheImageRowAndAFlashWriteCanOnlyClearBits)
{
    attach(LoaderUnit::transmitter());
    Image image;
    std::memset(image, 0xF0, sizeof image);
    const Bytes old = unit.bytes(map::SegmentA, 128);
    ASSERT_TRUE(Handshake() && WritePassword(TxPassword.data()));
    ASSERT_TRUE(WriteSegmentA(image, TxPassword.data())) << "written without erasing first";
    Bytes anded(128);
    for (std::size_t k = 0; k < 128; ++k)
        anded[k] = static_cast<unsigned char>(old[k] & 0xF0);
    EXPECT_EQ(unit.bytes(map::SegmentA, 128), anded);
}

} // namespace
