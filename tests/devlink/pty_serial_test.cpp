// The real serial code on a pseudo-terminal, and the COM name rules.
#include "fenlo.h"
#include "fenlo_host.h"
#include "platform/line_settings.h"
#include "platform/serial.h"
#include "pty_pair.h"
#include "state.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using Pty = testsupport::PtyPair;

void quietBox(const char*, const char*, unsigned) {}

// Newer kernels drop parity and character size on a pseudo-terminal, which has no wire;
// there the character format can only be checked on the settings the library asks for.
bool kernelKeepsPtyCharacterFormat()
{
    Pty probe;
    const int fd = open(probe.slave().c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    termios tio{};
    bool kept = false;
    if (tcgetattr(fd, &tio) == 0) {
        tio.c_cflag ^= PARENB;
        const tcflag_t wanted = tio.c_cflag & PARENB;
        kept = tcsetattr(fd, TCSANOW, &tio) == 0 && tcgetattr(fd, &tio) == 0 && (tio.c_cflag & PARENB) == wanted;
    }
    close(fd);
    return kept;
}

class PtySerialTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(pty.slave().empty());
        FenloSetMessageBox(quietBox);
    }
    void TearDown() override
    {
        ExitCom();
        FenloSetMessageBox(nullptr);
    }
    Pty pty;
};

} // namespace

TEST_F(PtySerialTest, OpensTheSlaveAt9600EvenParityRawAndMovesBytesBothWays)
{
    ASSERT_STREQ(OpenCom(pty.slave().c_str()), pty.slave().c_str());

    termios tio{};
    ASSERT_EQ(tcgetattr(pty.master(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(cfgetispeed(&tio), B9600);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_FALSE(tio.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP));
    if (kernelKeepsPtyCharacterFormat()) {
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_TRUE(tio.c_cflag & PARENB);
        EXPECT_FALSE(tio.c_cflag & PARODD);
        EXPECT_FALSE(tio.c_cflag & CSTOPB);
    }

    // Bytes that a line discipline would change or swallow must pass unchanged.
    const std::vector<unsigned char> frame = {0x80, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x04, 0x7F, 0x9B, 0x10};
    ASSERT_TRUE(TxFenlo(frame.data(), static_cast<unsigned char>(frame.size())));
    EXPECT_EQ(pty.readMaster(frame.size()), frame);

    // XOFF and XON are data here too: taken as they are, and the line keeps sending.
    const std::vector<unsigned char> reply = {0x90, 0x13, 0x0D, 0x11, 0x80};
    ASSERT_EQ(write(pty.master(), reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    EXPECT_TRUE(WaitRx(500, static_cast<unsigned>(reply.size())));
    EXPECT_EQ(std::vector<unsigned char>(fenlo::RxBuffer, fenlo::RxBuffer + reply.size() + 1),
              (std::vector<unsigned char>{0x90, 0x13, 0x0D, 0x11, 0x80, 0x00}));
    const unsigned char sync = 0x80;
    ASSERT_TRUE(TxFenlo(&sync, 1));
    EXPECT_EQ(pty.readMaster(1), std::vector<unsigned char>{0x80});
}

TEST(LineSettings, NineSixHundredEightEvenOneBinaryKeepingTheRest)
{
    termios tio{};
    tio.c_cflag = CS7 | PARODD | CSTOPB | CRTSCTS | HUPCL | CLOCAL;
    tio.c_iflag = ICRNL | IXON | IXOFF | INPCK;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ICANON | ECHO | ISIG;
    tio.c_cc[VSTART] = 0x11;
    fenlo::platform::applyLineSettings(tio);

    EXPECT_EQ(cfgetospeed(&tio), B9600);
    EXPECT_EQ(cfgetispeed(&tio), B9600);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_TRUE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & (PARODD | CSTOPB));
    EXPECT_FALSE(tio.c_iflag & (ICRNL | IXON | IXOFF)) << "binary bytes 0x11 and 0x13 must pass";
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    // Hardware flow control, line states and special characters as they were.
    EXPECT_TRUE(tio.c_cflag & CRTSCTS);
    EXPECT_TRUE(tio.c_cflag & HUPCL);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_TRUE(tio.c_iflag & INPCK);
    EXPECT_EQ(tio.c_cc[VSTART], 0x11);
}

TEST_F(PtySerialTest, TheOpenPortIsNotShared)
{
    ASSERT_STREQ(OpenCom(pty.slave().c_str()), pty.slave().c_str());
    const int other = open(pty.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (other >= 0) {
        // Root may pass the terminal's own exclusivity; the lock still refuses a second user.
        EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
        close(other);
    }
}

// The host's own rule for the one name it knows; the default rule for the rest.
std::string hostDevice;
const char* hostLookup(const char* name) { return std::string(name) == "com7" ? hostDevice.c_str() : nullptr; }

TEST_F(PtySerialTest, TheHostsLookupNamesTheDevice)
{
    hostDevice = pty.slave();
    FenloSetPortLookup(hostLookup);

    EXPECT_STREQ(OpenCom("com7"), "com7");
    const std::array<unsigned char, 1> sync = {0x80};
    ASSERT_TRUE(TxFenlo(sync.data(), 1));
    EXPECT_EQ(pty.readMaster(1), std::vector<unsigned char>{0x80});

    EXPECT_EQ(fenlo::platform::resolvePortName("com7"), pty.slave());
    EXPECT_EQ(fenlo::platform::resolvePortName("COM10"), "/dev/ttyS9") << "left to the default rule";
    FenloSetPortLookup(nullptr);
    EXPECT_EQ(fenlo::platform::resolvePortName("com7"), "/dev/ttyS6") << "the default rule again";
}

TEST(PortNames, ByDefaultOnlyCOMWithANumberFromOneIsAComName)
{
    struct Case {
        const char* given;
        const char* resolved;
    };
    for (const Case& c :
         {Case{"COM1", "/dev/ttyS0"}, Case{"Com3", "/dev/ttyS2"}, Case{"COM10", "/dev/ttyS9"}, Case{"COM0", "COM0"},
          Case{"COM", "COM"}, Case{"COMX", "COMX"}, Case{"/dev/pts/3", "/dev/pts/3"}, Case{"", ""}})
        EXPECT_EQ(fenlo::platform::resolvePortName(c.given), c.resolved) << c.given;
}

TEST(PortNames, AMissingDeviceFailsToOpen)
{
    FenloSetMessageBox(quietBox);
    EXPECT_STREQ(OpenCom("/dev/velko-no-such-port"), "Error");
    EXPECT_STREQ(OpenCom(nullptr), "Error");
    FenloSetMessageBox(nullptr);
}

TEST_F(PtySerialTest, TheSamePseudoTerminalOpensAgainAfterExitCom)
{
    // Once it runs at 9600 raw, parity is all a second setting would change, and a
    // pseudo-terminal cannot take it.
    ASSERT_STREQ(OpenCom(pty.slave().c_str()), pty.slave().c_str());
    ExitCom();
    EXPECT_STREQ(OpenCom(pty.slave().c_str()), pty.slave().c_str());
}
