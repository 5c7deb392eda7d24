// Entry into the loader, passwords, version and patch, on a simulated unit and clock.
#include "unit_fixture.h"

using namespace unitsim;
using namespace expect;
using fenlo::platform::ModemSignal;

namespace {

const Bytes TxPassword(LoaderUnit::TransmitterVectors.begin(), LoaderUnit::TransmitterVectors.end());
const Bytes Blank(32, 0xFF);

// An entry pattern with its delays, the sync byte behind it, and the 30 ms after the send.
constexpr Time PatternAndSync = ms(6 * 5 + 10) + CharTime + ms(30);

const std::vector<ModemSignal> Pattern1 = {ModemSignal::ClrDtr, ModemSignal::SetRts, ModemSignal::ClrRts,
                                           ModemSignal::SetRts, ModemSignal::ClrRts, ModemSignal::SetDtr,
                                           ModemSignal::SetRts};
const std::vector<ModemSignal> Pattern2 = {ModemSignal::ClrDtr, ModemSignal::ClrRts, ModemSignal::SetRts,
                                           ModemSignal::ClrRts, ModemSignal::SetRts, ModemSignal::SetDtr,
                                           ModemSignal::ClrRts};

struct EntryCase {
    const char* name;
    Entry entry;
    bool result;
    std::vector<ModemSignal> signals;
    Time elapsed;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class HandshakeTest : public UnitTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(HandshakeTest, EntersByThePatternTheUnitAnswers)
{
    const EntryCase& c = GetParam();
    LoaderUnit u = LoaderUnit::transmitter();
    u.entry = c.entry;
    attach(std::move(u));

    EXPECT_EQ(Handshake(), c.result);
    EXPECT_EQ(unit.inLoader(), c.result);
    EXPECT_EQ(world.clock.now(), c.elapsed);
    std::vector<ModemSignal> signals;
    std::vector<Time> gaps;
    const auto& changes = world.line.modemChanges();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        signals.push_back(changes[i].signal);
        if (i > 0 && i % 7 != 0)
            gaps.push_back(changes[i].at - changes[i - 1].at);
    }
    EXPECT_EQ(signals, c.signals);
    EXPECT_TRUE(std::all_of(gaps.begin(), gaps.end(), [](Time g) { return g == ms(5); }));
    EXPECT_EQ(received(), Frames(c.signals.size() / 7, Sync));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, HandshakeTest,
    ::testing::Values(EntryCase{.name = "Pattern1", .entry = Entry::Pattern1, .result = true, .signals = Pattern1,
                                .elapsed = PatternAndSync + ms(10)},
                      // The first pattern gets its full 20 ms wait before the second is tried.
                      EntryCase{.name = "OnlyPattern2", .entry = Entry::Pattern2, .result = true,
                                .signals = Pattern1 + Pattern2,
                                .elapsed = PatternAndSync + ms(20) + PatternAndSync + ms(10)},
                      EntryCase{.name = "Neither", .entry = Entry::Neither, .result = false,
                                .signals = Pattern1 + Pattern2, .elapsed = 2 * (PatternAndSync + ms(20))}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(UnitTest, HandshakeWithoutPortShowsTheBoxAndEveryEntryFails)
{
    EXPECT_FALSE(Handshake());
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0],
              (RecordedBox{"連接埠開啟錯誤,請設定您的連接埠並重新啟動程式", "連接埠錯誤!", FENLO_MB_ICONERROR}));
    EXPECT_EQ(GetICData(TxPassword.data()), 0);
    EXPECT_FALSE(FenloMassErase());
    EXPECT_EQ(recordedBoxes().size(), 3u);
    EXPECT_EQ(world.clock.now(), 0u);
}

struct PasswordCase {
    const char* name;
    Preset preset;
    bool blank; // WriteBlankPassword, else WritePassword with `given`
    Bytes given;
    bool confirmAnswered;
    bool result;
};

void PrintTo(const PasswordCase& c, std::ostream* os) { *os << c.name; }

class PasswordTest : public UnitTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordTest, AcceptedOnlyWhenItIsTheVectorTable)
{
    const PasswordCase& c = GetParam();
    LoaderUnit u = makeUnit(c.preset);
    if (!c.confirmAnswered)
        u.inject({FaultKind::NoAnswer, SyncByte, std::nullopt, 1});
    attach(std::move(u));
    ASSERT_TRUE(Handshake());
    const Time start = world.clock.now();

    EXPECT_EQ(c.blank ? WriteBlankPassword() : WritePassword(c.given.data()), c.result);
    EXPECT_EQ(unit.unlocked(), c.result);
    const Bytes sent =
        c.blank ? bytesOf(fenlo::frames::BlankPasswordFrame) : frame(fenlo::frames::PasswordHead, c.given);
    // 42 bytes, 30 ms, the answer at the first poll; then the sync byte and its wait.
    const Time frameTime = 42 * CharTime + ms(30 + 10);
    if (c.result) {
        EXPECT_EQ(received(), handshake() + confirmed(sent));
        EXPECT_EQ(world.clock.now() - start, frameTime + CharTime + ms(30) + ms(c.confirmAnswered ? 10 : 20));
    } else {
        EXPECT_EQ(received(), handshake() + Frames(1, sent)) << "a refused password is not confirmed";
        EXPECT_EQ(world.clock.now() - start, frameTime);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordTest,
    ::testing::Values(PasswordCase{.name = "TransmittersOwn", .preset = Preset::Transmitter, .blank = false,
                                   .given = TxPassword, .confirmAnswered = true, .result = true},
                      PasswordCase{.name = "ReceiverRefusesTheTransmitters", .preset = Preset::Receiver, .blank = false,
                                   .given = TxPassword, .confirmAnswered = true, .result = false},
                      PasswordCase{.name = "CallersTable", .preset = Preset::ReceiverWithCallersTable, .blank = false,
                                   .given = Bytes(CallersTable.begin(), CallersTable.end()), .confirmAnswered = true,
                                   .result = true},
                      PasswordCase{.name = "BlankOnAnErasedUnit", .preset = Preset::Erased, .blank = true, .given = {},
                                   .confirmAnswered = true, .result = true},
                      PasswordCase{.name = "BlankOnATransmitter", .preset = Preset::Transmitter, .blank = true,
                                   .given = {}, .confirmAnswered = true, .result = false},
                      PasswordCase{.name = "UnansweredConfirmationStillTrue", .preset = Preset::Transmitter,
                                   .blank = false, .given = TxPassword, .confirmAnswered = false, .result = true}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

struct VersionCase {
    const char* name;
    LoaderKind loader;
    Byte at0FFA, at0FFB;
    unsigned char patchBefore;
    unsigned char result;
    unsigned char patchAfter;
    bool romRead; // the second query was made
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.name; }

class VersionTest : public UnitTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, TheVersionDecidesThePatch)
{
    const VersionCase& c = GetParam();
    LoaderUnit u = LoaderUnit::transmitter();
    u.setLoader(c.loader);
    u.put(0x0FFA, {c.at0FFA, c.at0FFB});
    attach(std::move(u));
    fenlo::PatchRequired = c.patchBefore;

    EXPECT_EQ(GetICData(TxPassword.data()), c.result);
    EXPECT_EQ(fenlo::PatchRequired, c.patchAfter);
    Frames frames = handshake() + password(TxPassword) + Frames{bytesOf(fenlo::frames::LoaderVersionFrame)};
    if (c.romRead)
        frames = frames + handshake() + password(TxPassword) + Frames{bytesOf(fenlo::frames::ReadVersionBytesFrame)};
    EXPECT_EQ(received(), frames) << "neither query is confirmed";
    // 30 ms behind the frame; the 21-byte answer is complete by the first poll.
    EXPECT_EQ(sinceLastBurst(), ms(30 + 10));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, VersionTest,
    ::testing::Values(VersionCase{.name = "Reported", .loader = LoaderKind::ReportsVersion, .at0FFA = 0x02,
                                  .at0FFB = 0x20, .patchBefore = 1, .result = 0x20, .patchAfter = 0, .romRead = false},
                      VersionCase{.name = "Reported10NeedsNoPatch", .loader = LoaderKind::ReportsVersion,
                                  .at0FFA = 0x01, .at0FFB = 0x10, .patchBefore = 1, .result = 0x10, .patchAfter = 0,
                                  .romRead = false},
                      VersionCase{.name = "OnlyByte14Reported", .loader = LoaderKind::ReportsVersion, .at0FFA = 0x07,
                                  .at0FFB = 0x00, .patchBefore = 1, .result = 0x00, .patchAfter = 0, .romRead = false},
                      VersionCase{.name = "ZerosWith10InRom", .loader = LoaderKind::NeedsPatch, .at0FFA = 0x01,
                                  .at0FFB = 0x10, .patchBefore = 0, .result = 0x10, .patchAfter = 1, .romRead = true},
                      VersionCase{.name = "ZerosWithOtherRom", .loader = LoaderKind::NeedsPatch, .at0FFA = 0x01,
                                  .at0FFB = 0x13, .patchBefore = 1, .result = 0x13, .patchAfter = 0, .romRead = true},
                      VersionCase{.name = "ZerosEverywhereLeaveTheFlag", .loader = LoaderKind::NeedsPatch,
                                  .at0FFA = 0x00, .at0FFB = 0x00, .patchBefore = 1, .result = 0xEE, .patchAfter = 1,
                                  .romRead = true}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(UnitTest, GetICDataWithARefusedPasswordGivesZero)
{
    attach(LoaderUnit::receiver());
    fenlo::PatchRequired = 1;
    EXPECT_EQ(GetICData(TxPassword.data()), 0);
    EXPECT_EQ(fenlo::PatchRequired, 1);
    EXPECT_EQ(received(), handshake() + Frames{frame(fenlo::frames::PasswordHead, TxPassword)});
}

TEST_F(UnitTest, MassEraseClearsMainFlashAndKeepsTheSettings)
{
    attach(LoaderUnit::transmitter());
    const Bytes settings = unit.bytes(map::SegmentB, 256);

    EXPECT_TRUE(FenloMassErase());
    EXPECT_EQ(received(), handshake() + confirmed(bytesOf(fenlo::frames::MassEraseFrame)));
    EXPECT_EQ(unit.bytes(map::MainStart, 0x10000 - map::MainStart), Bytes(0x10000 - map::MainStart, 0xFF));
    EXPECT_EQ(unit.bytes(map::SegmentB, 256), settings);
    ASSERT_TRUE(Handshake());
    EXPECT_TRUE(WriteBlankPassword()) << "an erased vector table is the blank password";
}

TEST_F(UnitTest, MassEraseWhoseFrameGoesUnansweredIsJudgedByItsConfirmation)
{
    LoaderUnit u = LoaderUnit::transmitter();
    u.inject({FaultKind::CutShort, fenlo::frames::cmd::MassErase, std::nullopt, 0, 1, 0});
    attach(std::move(u));
    EXPECT_TRUE(FenloMassErase());
    // 10 bytes, 30 ms, the full 200 ms for the silent answer; the confirmation's first poll.
    EXPECT_EQ(world.clock.now(), PatternAndSync + ms(10) + 10 * CharTime + ms(30 + 200) + CharTime + ms(30 + 10));
}

TEST_F(UnitTest, OldPasswordWriteSetsTheVectorTable)
{
    struct Road {
        unsigned char patch;
        Frames before; // what the library sends itself ahead of the write
    };
    const Bytes vectors(CallersTable.begin(), CallersTable.end());
    const Bytes write = frame(fenlo::frames::OldPasswordHead, vectors);
    for (const Road& road : {Road{0, {}}, Road{1, loadPatch(Blank) + runPatch()}}) {
        SCOPED_TRACE(road.patch);
        LoaderUnit u = LoaderUnit::erased();
        u.setLoader(road.patch ? LoaderKind::NeedsPatch : LoaderKind::ReportsVersion);
        attach(std::move(u));
        fenlo::PatchRequired = road.patch;
        if (!road.patch) {
            ASSERT_TRUE(Handshake() && WriteBlankPassword()) << "without the patch it works on as it finds the unit";
        }
        world.line.clearRecords();

        EXPECT_TRUE(WritePasswordOld(vectors.data()));
        EXPECT_EQ(received(), road.before + confirmed(write));
        EXPECT_EQ(unit.bytes(map::Vectors, 32), vectors);
        ASSERT_TRUE(Handshake());
        EXPECT_TRUE(WritePassword(vectors.data()));
        ExitCom();
    }
}

TEST_F(UnitTest, StrayBytesAheadOfAnAcknowledgeRefuseThePassword)
{
    LoaderUnit u = LoaderUnit::transmitter();
    u.inject({FaultKind::StrayBytes, fenlo::frames::cmd::Password, std::nullopt});
    attach(std::move(u));
    ASSERT_TRUE(Handshake());
    EXPECT_FALSE(WritePassword(TxPassword.data()));
}

} // namespace
