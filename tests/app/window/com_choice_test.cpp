// Choosing the COM port from the menu, with the real device link on pseudo-terminals; a port
// that does not exist is a COMn link to nothing.
#include "form_fixture.h"
#include "pty_pair.h"
#include "registry_store.h"
#include "serial_ports.h"

#include <QAction>
#include <QHelpEvent>
#include <QMenu>
#include <QTest>
#include <QToolTip>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <ostream>

namespace {

class Pty : public testsupport::PtyPair {
public:
    // Whether a byte sent by the link arrives here.
    bool hears(unsigned char byte) const
    {
        pollfd p{master(), POLLIN, 0};
        unsigned char got[64];
        while (poll(&p, 1, 0) > 0 && read(master(), got, sizeof got) > 0) {
        }
        if (!TxFenlo(&byte, 1))
            return false;
        if (poll(&p, 1, 1000) <= 0)
            return false;
        return read(master(), got, sizeof got) >= 1 && got[0] == byte;
    }
};

class ComChoiceFixture : public FormFixture {
protected:
    static inline std::vector<std::string> calls;

    void SetUp() override
    {
        FormFixture::SetUp();
        calls.clear();
        velko::OpenComCall = [](const char* name) -> const char* {
            calls.push_back(std::string("open ") + name);
            return ::OpenCom(name);
        };
        velko::ExitComCall = [] {
            calls.emplace_back("exit");
            ::ExitCom();
        };
        std::filesystem::create_directories(portsDir());
        // No adapter of this machine's own takes a number here.
        velko::DeviceFolder = dir.path() / "dev";
        std::filesystem::create_directories(byIdDir());
    }

    void TearDown() override
    {
        FormFixture::TearDown();
        velko::ExitComCall = &::ExitCom;
        ::ExitCom();
        velko::DeviceFolder = "/dev";
    }

    std::filesystem::path byIdDir() const { return dir.path() / "dev" / "serial" / "by-id"; }

    std::filesystem::path portsDir() const { return dir.path() / "config" / "VELKO-Q37" / "ports"; }

    // COMn leads to a pseudo-terminal of its own.
    Pty& plugIn(int n)
    {
        auto& pty = ptys[n];
        pty = std::make_unique<Pty>();
        link(n, pty->slave());
        return *pty;
    }

    // COMn names a device that is not there.
    void unplug(int n) { link(n, (dir.path() / "absent").string()); }

    void link(int n, const std::string& target)
    {
        const auto at = portsDir() / ("COM" + std::to_string(n));
        std::filesystem::remove(at);
        std::filesystem::create_symlink(target, at);
    }

    std::string storedPort() const
    {
        velko::RegistryStore store(registryFile());
        store.OpenKey(false);
        return store.ReadString("COM");
    }

    std::vector<int> checkedItems(const TMainForm& f) const
    {
        std::vector<int> out;
        for (int i = 1; i <= 10; ++i)
            if (f.NCOM[i]->isChecked())
                out.push_back(i);
        return out;
    }

    std::map<int, std::unique_ptr<Pty>> ptys;
};

struct ComCase {
    const char* name;
    int pick;
    bool pickOpens;
    bool previousVanishes;
    int checked;       // the item with the mark afterwards
    const char* inUse; // ComPortName afterwards
    std::vector<std::string> calls;
    std::vector<int> failed; // the ports whose error box shows, in order
    int listening;           // the port whose pseudo-terminal hears the link, 0: no port is held
};

void PrintTo(const ComCase& c, std::ostream* os) { *os << c.name; }

class ComChoiceTest : public ComChoiceFixture, public ::testing::WithParamInterface<ComCase> {};

TEST_P(ComChoiceTest, PickFromTheMenu)
{
    const ComCase& c = GetParam();
    plugIn(1);
    ProbeForm& f = makeForm(); // the first start takes COM1
    ASSERT_EQ(ComPortName, "COM1");
    ASSERT_TRUE(ptys[1]->hears(0x5A));
    if (c.pickOpens && c.pick != 1)
        plugIn(c.pick);
    else if (!c.pickOpens)
        unplug(c.pick);
    if (c.previousVanishes) {
        ptys[1].reset();
        unplug(1);
    }
    // The store holds something else now, so that only a new write makes it right.
    velko::RegistryStore other(registryFile());
    other.OpenKey(true);
    other.WriteString("COM", "stale");
    calls.clear();

    f.NCOM[c.pick]->trigger();

    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(checkedItems(f), std::vector<int>{c.checked});
    EXPECT_EQ(ComPortName, c.inUse);
    EXPECT_EQ(storedPort(), c.inUse);
    ASSERT_EQ(dialogs.boxes.size(), c.failed.size());
    for (std::size_t i = 0; i < c.failed.size(); ++i) {
        const auto& box = dialogs.boxes[i];
        const std::string device = (portsDir() / ("COM" + std::to_string(c.failed[i]))).string() + " \u2192 "
                                 + (dir.path() / "absent").string();
        EXPECT_EQ(box.text.toStdString(), "Open COM port error !\n" + device + ": " + std::strerror(ENOENT));
        EXPECT_EQ(box.caption, "COM Error");
        EXPECT_EQ(box.icon, velko::BoxIcon::Error);
    }
    if (c.listening)
        EXPECT_TRUE(ptys.at(c.listening)->hears(0xA5));
    else
        EXPECT_FALSE(TxFenlo(reinterpret_cast<const unsigned char*>("\x80"), 1)) << "a port is still held";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ports, ComChoiceTest,
    ::testing::Values(
        ComCase{.name = "AnotherPortThatOpens", .pick = 3, .pickOpens = true, .previousVanishes = false, .checked = 3,
                .inUse = "COM3", .calls = {"exit", "open COM3"}, .failed = {}, .listening = 3},
        ComCase{.name = "TwoDigitPort", .pick = 10, .pickOpens = true, .previousVanishes = false, .checked = 10,
                .inUse = "COM10", .calls = {"exit", "open COM10"}, .failed = {}, .listening = 10},
        ComCase{.name = "PortInUseIsClosedAndReopened", .pick = 1, .pickOpens = true, .previousVanishes = false,
                .checked = 1, .inUse = "COM1", .calls = {"exit", "open COM1"}, .failed = {}, .listening = 1},
        ComCase{.name = "MissingPortFallsBack", .pick = 4, .pickOpens = false, .previousVanishes = false, .checked = 1,
                .inUse = "COM1", .calls = {"exit", "open COM4", "open COM1"}, .failed = {4}, .listening = 1},
        ComCase{.name = "MissingPortAndThePreviousGone", .pick = 4, .pickOpens = false, .previousVanishes = true,
                .checked = 1, .inUse = "COM1", .calls = {"exit", "open COM4", "open COM1"}, .failed = {4, 1},
                .listening = 0}));
// clang-format on

TEST_F(ComChoiceFixture, KeyboardPickThroughTheRealMenus)
{
    plugIn(1);
    plugIn(2);
    ProbeForm& f = makeForm();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    f.COMMenu->popup(f.mapToGlobal(QPoint(300, 80)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.COMMenu));
    QTest::keyClick(f.COMMenu, Qt::Key_Down); // "Select COM Port"
    QTest::keyClick(f.COMMenu, Qt::Key_Right);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.COM11));
    QTest::keyClick(f.COM11, Qt::Key_Down); // "COM 2"
    QTest::keyClick(f.COM11, Qt::Key_Return);
    EXPECT_EQ(ComPortName, "COM2");
    EXPECT_EQ(checkedItems(f), std::vector<int>{2});
    EXPECT_EQ(storedPort(), "COM2");
    EXPECT_TRUE(ptys[2]->hears(0x33));
}

TEST_F(ComChoiceFixture, ChosenPortIsTakenAtTheNextStart)
{
    plugIn(1);
    plugIn(7);
    makeForm().NCOM[7]->trigger();
    form->close();
    form.reset();
    ::ExitCom();
    calls.clear();
    ProbeForm& again = makeForm();
    EXPECT_EQ(calls, std::vector<std::string>{"open COM7"});
    EXPECT_EQ(checkedItems(again), std::vector<int>{7});
}

TEST_F(ComChoiceFixture, APortTheUserMayNotOpenSaysWhichGroupToJoin)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a device that another user may not open";
    const group* serial = getgrnam("dialout");
    ASSERT_NE(serial, nullptr);
    const std::string groupName = serial->gr_name;
    const gid_t gid = serial->gr_gid;
    plugIn(1);
    ProbeForm& f = makeForm();
    const std::string device = (dir.path() / "ttyUSB0").string();
    testsupport::WriteFile(device, "");
    ASSERT_EQ(chown(device.c_str(), 0, gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
    link(5, device);

    const pid_t pid = fork();
    if (pid == 0) {
        // The user's own folders stay the user's; the device stays the group's.
        for (const auto& own :
             {dir.path(), dir.path() / "config", dir.path() / "config" / "VELKO-Q37", portsDir(), registryFile()})
            (void)!chown(own.c_str(), 65534, 65534);
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        f.NCOM[5]->trigger();
        const std::string expected = "Open COM port error !\n" + (portsDir() / "COM5").string() + " \u2192 " + device
                                   + ": " + std::strerror(EACCES) + " (add your user to the group " + groupName
                                   + ", then log in again)";
        // The port before is not this user's either: its box follows.
        if (dialogs.boxes.size() != 2 || dialogs.boxes[0].text.toStdString() != expected) {
            for (const auto& box : dialogs.boxes)
                fprintf(stderr, "box: %s\n", box.text.toUtf8().constData());
            _exit(2);
        }
        _exit(ComPortName == "COM1" && f.NCOM[1]->isChecked() ? 0 : 4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: other boxes, 3: could not become nobody, 4: marks moved";
}

// ---- Serial adapters, which have no link ----

class AdapterFixture : public ComChoiceFixture {
protected:
    // The adapter appears under its stable name, leading to a node of its own.
    Pty& plugAdapter(const std::string& stableName)
    {
        auto& pty = adapters[stableName];
        pty = std::make_unique<Pty>();
        const auto at = byIdDir() / stableName;
        std::filesystem::remove(at);
        std::filesystem::create_symlink(pty->slave(), at);
        return *pty;
    }

    // The tip the menu shows over an item, as the pointer rests on it.
    static QString hoverTip(QMenu* menu, QAction* item)
    {
        QToolTip::hideText();
        const QPoint at = menu->actionGeometry(item).center();
        QHelpEvent hover(QEvent::ToolTip, at, menu->mapToGlobal(at));
        QApplication::sendEvent(menu, &hover);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    void openPortList(TMainForm& f)
    {
        f.COMMenu->popup(f.mapToGlobal(QPoint(300, 80)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.COMMenu));
        f.COMMenu->setActiveAction(f.COM11->menuAction());
        QTest::keyClick(f.COMMenu, Qt::Key_Right);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.COM11));
    }

    std::map<std::string, std::unique_ptr<Pty>> adapters;
};

const std::string adapterA = "usb-Maker_Adapter_A7-if00-port0";
const std::string adapterB = "usb-Maker_Adapter_B2-if00-port0";

TEST_F(AdapterFixture, APluggedInAdapterIsChosenWithoutALinkAndKeptAcrossRestartAndReplugging)
{
    // A laptop without a serial port of its own: the first start takes COM1, which is not there.
    ProbeForm& f = makeForm();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(),
              "Open COM port error !\n" + (dir.path() / "dev" / "ttyS0").string() + ": " + std::strerror(ENOENT));
    dialogs.boxes.clear();

    plugAdapter(adapterA);
    f.NCOM[1]->trigger();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(ComPortName, "COM1");
    EXPECT_EQ(storedPort(), "COM1");
    EXPECT_TRUE(adapters[adapterA]->hears(0x3C));

    form->close();
    form.reset();
    ::ExitCom();
    // Unplugged and plugged in again: another node, the same stable name.
    adapters[adapterA].reset();
    plugAdapter(adapterA);
    calls.clear();
    ProbeForm& again = makeForm();
    EXPECT_EQ(calls, std::vector<std::string>{"open COM1"});
    EXPECT_EQ(checkedItems(again), std::vector<int>{1});
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(adapters[adapterA]->hears(0xC3));
}

TEST_F(AdapterFixture, TheMenuShowsTheDeviceOfEachItemAndFollowsAdaptersThatCome)
{
    plugIn(3);
    plugAdapter(adapterB);
    ProbeForm& f = makeForm();
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const std::string byB = (byIdDir() / adapterB).string();
    const std::string dev = (dir.path() / "dev").string();

    openPortList(f);
    EXPECT_EQ(f.NCOM[1]->text(), "COM 1") << "the captions stay";
    EXPECT_EQ(hoverTip(f.COM11, f.NCOM[1]).toStdString(), byB + " \u2192 " + adapters[adapterB]->slave());
    EXPECT_EQ(hoverTip(f.COM11, f.NCOM[2]).toStdString(), dev + "/ttyS0 (not present)");
    EXPECT_EQ(hoverTip(f.COM11, f.NCOM[3]).toStdString(),
              (portsDir() / "COM3").string() + " \u2192 " + ptys[3]->slave());
    f.COMMenu->close();

    // A second adapter whose stable name sorts first takes COM 1 the next time the list opens.
    plugAdapter(adapterA);
    openPortList(f);
    EXPECT_EQ(hoverTip(f.COM11, f.NCOM[1]).toStdString(),
              (byIdDir() / adapterA).string() + " \u2192 " + adapters[adapterA]->slave());
    EXPECT_EQ(hoverTip(f.COM11, f.NCOM[2]).toStdString(), byB + " \u2192 " + adapters[adapterB]->slave());
    EXPECT_EQ(f.NCOM[4]->toolTip().toStdString(), dev + "/ttyS1 (not present)");
    QTest::keyClick(f.COM11, Qt::Key_Escape);
    f.COMMenu->close();
}

} // namespace
