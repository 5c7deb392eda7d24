// What the port error box says of a port that does not open: the device tried and why.
#include "fenlo.h"
#include "fenlo_host.h"
#include "pty_pair.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <ostream>
#include <stdlib.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> texts;
void recordBox(const char* text, const char*, unsigned) { texts.emplace_back(text); }

std::string hostDevice;
const char* hostLookup(const char*) { return hostDevice.c_str(); }

std::string refused(const std::string& device, int error) { return device + ": " + std::strerror(error); }

class PortErrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        texts.clear();
        FenloSetMessageBox(recordBox);
    }
    void TearDown() override
    {
        ExitCom();
        FenloSetMessageBox(nullptr);
        FenloSetPortLookup(nullptr);
    }
};

TEST_F(PortErrorTest, TheSecondLineNamesTheDeviceAndTheReason)
{
    testsupport::PtyPair held;
    const int other = open(held.slave().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);

    char pattern[] = "/tmp/velko-links-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string toHeld = (folder / "usb-Maker_Adapter_A7-if00-port0").string();
    const std::string toNothing = (folder / "COM2").string();
    std::filesystem::create_symlink(held.slave(), toHeld);
    std::filesystem::create_symlink(folder / "unplugged", toNothing);

    struct Case {
        const char* name;
        std::string device; // what the host's lookup gives, empty: no lookup
        std::string second;
    };
    const Case cases[] = {
        {"/dev/velko-no-such-port", "", refused("/dev/velko-no-such-port", ENOENT)},
        {"COM4", "/dev/velko-no-such-adapter", refused("/dev/velko-no-such-adapter", ENOENT)},
        {"", "", "no port name given"},
        {"/dev/null/port", "", refused("/dev/null/port", ENOTDIR)},
        {held.slave().c_str(), "", held.slave() + ": in use by another program"},
        // A link is named with the device it leads to.
        {"COM1", toHeld, toHeld + " \u2192 " + held.slave() + ": in use by another program"},
        {"COM2", toNothing, refused(toNothing + " \u2192 " + (folder / "unplugged").string(), ENOENT)},
    };
    for (const Case& c : cases) {
        texts.clear();
        hostDevice = c.device;
        FenloSetPortLookup(c.device.empty() ? nullptr : hostLookup);
        EXPECT_STREQ(OpenCom(c.name), "Error") << c.name;
        EXPECT_EQ(texts, std::vector<std::string>{"Open COM port error !\n" + c.second}) << c.name;
    }
    close(other);
    std::filesystem::remove_all(folder);
}

// A device a user may not open, as on a machine where serial lines belong to a group.
struct PermissionCase {
    const char* title;
    mode_t mode;
    bool groupOwned; // owned by a group other than root's
    bool hint;
};

void PrintTo(const PermissionCase& c, std::ostream* os) { *os << c.title; }

class RefusedPermission : public PortErrorTest, public ::testing::WithParamInterface<PermissionCase> {};

TEST_P(RefusedPermission, SaysWhichGroupToJoin)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a device that another user may not open";
    const group* serial = getgrnam("dialout");
    if (!serial)
        serial = getgrnam("tty");
    ASSERT_NE(serial, nullptr);
    const gid_t gid = serial->gr_gid;
    const std::string groupName = serial->gr_name;

    const PermissionCase& c = GetParam();
    char pattern[] = "/tmp/velko-perm-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    chmod(folder.c_str(), 0755);
    const std::string device = (folder / "ttyUSB0").string();
    close(open(device.c_str(), O_CREAT | O_WRONLY, 0600));
    ASSERT_EQ(chown(device.c_str(), 0, c.groupOwned ? gid : 0), 0);
    ASSERT_EQ(chmod(device.c_str(), c.mode), 0);

    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        texts.clear();
        const std::string result = OpenCom(device.c_str());
        const std::string said = texts.empty() ? "(no box) " + result : texts[0];
        (void)!write(pipeFds[1], said.data(), said.size());
        _exit(0);
    }
    close(pipeFds[1]);
    std::string said;
    char buf[512];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;)
        said.append(buf, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child could not become nobody";

    std::string expected = "Open COM port error !\n" + refused(device, EACCES);
    if (c.hint)
        expected += " (add your user to the group " + groupName + ", then log in again)";
    EXPECT_EQ(said, expected);
}

INSTANTIATE_TEST_SUITE_P(Devices, RefusedPermission,
                         ::testing::Values(PermissionCase{"GroupMayReadAndWrite", 0660, true, true},
                                           // Joining the group would not help: it may not read.
                                           PermissionCase{"GroupMayOnlyWrite", 0620, true, false},
                                           PermissionCase{"RootsAlone", 0660, false, false}),
                         [](const auto& p) { return std::string(p.param.title); });

} // namespace
