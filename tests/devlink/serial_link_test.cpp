// The port, the send and the timed waits, on a simulated line and clock.
#include "link_fixture.h"
#include "scripted_units.h"

#include <algorithm>
#include <cstring>
#include <functional>

using namespace unitsim;

namespace {

constexpr unsigned IconError = FENLO_MB_ICONERROR;
constexpr unsigned PlainOk = FENLO_MB_OK;

int pumpTurns = 0;
void countPump() { ++pumpTurns; }

} // namespace

TEST_F(LinkTest, OpenComWhileOpenGivesEmptyAndKeepsThePort)
{
    ASSERT_STREQ(OpenCom("COM1"), "COM1");
    EXPECT_STREQ(OpenCom("COM2"), "");
    EXPECT_EQ(world.lastOpenedName, "COM1");
    EXPECT_TRUE(world.line.isOpen());
    EXPECT_TRUE(TxFenlo(reinterpret_cast<const unsigned char*>("\x80"), 1));
    EXPECT_TRUE(recordedBoxes().empty());
}

TEST_F(LinkTest, OpenComThatCannotOpenShowsTheBoxAndHoldsNoPort)
{
    world.openFails = true;
    EXPECT_STREQ(OpenCom(""), "Error");
    EXPECT_EQ(world.lastOpenedName, "");
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0], (RecordedBox{"Open COM port error !", "COM Error", IconError}));
    EXPECT_FALSE(FenloRespond());

    world.openFails = false;
    EXPECT_STREQ(OpenCom("COM3"), "COM3") << "after a failure the next open opens anew";
}

TEST_F(LinkTest, OpenComThatCannotSetThePortClosesIt)
{
    world.line.configureFails = true;
    EXPECT_STREQ(OpenCom("COM1"), "Error");
    ASSERT_EQ(recordedBoxes().size(), 1u);
    EXPECT_EQ(recordedBoxes()[0], (RecordedBox{"COM Port Error. Please Check your COM port!", "COM Error", PlainOk}));
    EXPECT_FALSE(world.line.isOpen());
    EXPECT_FALSE(FenloRespond());

    world.line.configureFails = false;
    EXPECT_STREQ(OpenCom("COM1"), "COM1");
}

TEST_F(LinkTest, ExitComWithoutPortDoesNothingAndSendsFail)
{
    ExitCom();
    fenlo::RxBuffer[0] = 0xAA;
    const unsigned char frame[] = {0x80, 0x10};
    EXPECT_FALSE(TxFenlo(frame, 2));
    EXPECT_FALSE(FenloRespond());
    EXPECT_EQ(fenlo::RxBuffer[0], 0xAA) << "no send, no clearing";
    EXPECT_EQ(nowMs(), 0.0) << "no delay either";
}

TEST_F(LinkTest, TxFenloPurgesClearsSendsThenWaitsThirtyMs)
{
    SyncAckUnit unit;
    openPort(unit);
    world.line.sendToHost(0, {0x11, 0x22});
    world.clock.advance(ms(5));
    std::fill(std::begin(fenlo::RxBuffer), std::end(fenlo::RxBuffer), 0xAA);

    const unsigned char frame[] = {0x80, 0x14, 0x04, 0x04, 0x60, 0xFF, 0x80, 0x00, 0x9B, 0x10};
    ASSERT_TRUE(TxFenlo(frame, sizeof frame));

    EXPECT_EQ(world.clock.now(), ms(5) + sizeof frame * CharTime + ms(30)) << "the write waits for its bytes";
    EXPECT_TRUE(std::all_of(fenlo::RxBuffer, fenlo::RxBuffer + 256, [](auto b) { return b == 0; }));
    EXPECT_EQ(fenlo::RxBuffer[256], 0xAA) << "the terminator byte is not part of the clearing";
    EXPECT_EQ(world.line.hostQueued(), 0u) << "stale input was discarded";
    ASSERT_EQ(world.line.received().size(), 1u);
    EXPECT_EQ(world.line.received()[0].bytes, Bytes(frame, frame + sizeof frame));
}

TEST_F(LinkTest, DelaySpinsForExactlyItsTimeAndPumpsEveryTurn)
{
    FenloSetMessagePump(countPump);
    pumpTurns = 0;
    Delay(25);
    EXPECT_EQ(nowMs(), 25.0);
    EXPECT_EQ(pumpTurns, 25);
    Delay(0);
    EXPECT_EQ(nowMs(), 25.0);
}

TEST_F(LinkTest, DelayOutlastsTheWrapOfTheTickCounter)
{
    world.clock.advance(ms(0xFFFFFFFFull - 4));
    Delay(10);
    EXPECT_EQ(world.clock.now(), ms(0xFFFFFFFFull + 6));
}

struct WaitCase {
    const char* name;
    std::function<void(ScriptedUnit&)> script;
    unsigned timeout;
    unsigned count;
    bool result;
    double elapsedMs; // from the end of the send
    Bytes taken;      // RxBuffer from byte 0, its terminator behind
};

void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class WaitRxTest : public LinkTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitRxTest, TakesWhatTheLineGives)
{
    const WaitCase& c = GetParam();
    ScriptedUnit unit;
    c.script(unit);
    openPort(unit);
    ASSERT_TRUE(FenloRespond());
    const Time sent = world.clock.now();

    EXPECT_EQ(WaitRx(c.timeout, c.count), c.result);
    EXPECT_EQ(toMs(world.clock.now() - sent), c.elapsedMs);
    if (c.result) {
        EXPECT_EQ(Bytes(fenlo::RxBuffer, fenlo::RxBuffer + c.taken.size()), c.taken);
        EXPECT_EQ(fenlo::RxBuffer[c.taken.size()], 0);
    }
    EXPECT_EQ(world.line.hostQueued(), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, WaitRxTest,
    ::testing::Values(
        WaitCase{.name = "Acknowledge", .script = [](ScriptedUnit& u) { u.answer({0x90}); }, .timeout = 20, .count = 1,
                 .result = true, .elapsedMs = 10, .taken = {0x90}},
        WaitCase{.name = "Silence", .script = [](ScriptedUnit& u) { u.silence(); }, .timeout = 20, .count = 1,
                 .result = true, .elapsedMs = 20, .taken = {}},
        WaitCase{.name = "TwoBytesForOneRunToTheTimeout", .script = [](ScriptedUnit& u) { u.answer({0x90, 0xA0}); },
                 .timeout = 20, .count = 1, .result = true, .elapsedMs = 20, .taken = {0x90, 0xA0}},
        WaitCase{.name = "ShortReplyTakenAtTheTimeout", .script = [](ScriptedUnit& u) { u.answer({0x80, 1, 2}); },
                 .timeout = 50, .count = 134, .result = true, .elapsedMs = 50, .taken = {0x80, 1, 2}},
        WaitCase{.name = "ExactlyTheBufferAtTheTimeout", .script = [](ScriptedUnit& u) { u.flood(256); },
                 .timeout = 400, .count = 1, .result = true, .elapsedMs = 400, .taken = Bytes(256, 0x55)},
        WaitCase{.name = "FloodIsDiscarded", .script = [](ScriptedUnit& u) { u.flood(300); }, .timeout = 400,
                 .count = 1, .result = false, .elapsedMs = 400, .taken = {}},
        WaitCase{.name = "FloodAskedForInFullStillDiscarded", .script = [](ScriptedUnit& u) { u.flood(300); },
                 .timeout = 400, .count = 300, .result = false, .elapsedMs = 400, .taken = {}}),
    [](const auto& p) { return std::string(p.param.name); });
// clang-format on

TEST_F(LinkTest, WaitRxWithAFailingStatusQueryTakesNothing)
{
    ScriptedUnit unit;
    unit.answer({0x90});
    openPort(unit);
    ASSERT_TRUE(FenloRespond());
    world.line.queryFails = true;
    EXPECT_TRUE(WaitRx(20, 1));
    EXPECT_EQ(fenlo::RxBuffer[0], 0);
}

TEST_F(LinkTest, WaitRxWithoutPortTimesOutEmpty)
{
    fenlo::RxBuffer[0] = 0x90;
    EXPECT_TRUE(WaitRx(20, 1));
    EXPECT_EQ(fenlo::RxBuffer[0], 0);
    EXPECT_EQ(nowMs(), 20.0);
}
