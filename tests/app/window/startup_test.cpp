#include "form_fixture.h"
#include "pipe_watch.h"
#include "program_entry.h"
#include "registry_store.h"
#include "single_instance.h"
#include "text_file.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using velko::SegA;
using velko::SegB;

TEST_F(FormFixture, StartUpLeavesExactlyTheDefaultImage)
{
    makeForm();
    velko::SegmentImage expected{};
    SegA(expected, 11) = 33;
    SegA(expected, 18) = 0x01;
    SegA(expected, 27) = 0x60;
    SegB(expected, 51) = 10;
    SegB(expected, 52) = 2;
    for (int k = 54; k <= 57; ++k)
        SegB(expected, k) = 25;
    const int battery[] = {5, 20, 4, 56, 4, 48, 3, 95, 0xD3, 0x0B, 0xC6, 0x00, 0x37, 0x0A, 0xA4, 0x00};
    for (int i = 0; i < 16; ++i)
        SegB(expected, 108 + i) = static_cast<std::uint8_t>(battery[i]);
    for (int row = 0; row < 2; ++row)
        for (int k = 0; k < velko::SegmentBytes; ++k)
            EXPECT_EQ(velko::EditImage[row][k], expected[row][k]) << (row ? "A " : "B ") << k;
    EXPECT_EQ(velko::ReadImage, velko::SegmentImage{});
    EXPECT_EQ(velko::BaselineImage, velko::SegmentImage{});
    EXPECT_EQ(SettingsLoaded, 0);
    EXPECT_EQ(std::string(StartupDir), dir.path().string());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(FormFixture, StartUpShowsTheFirstPageAndTheEmptyAllocationTable)
{
    ProbeForm& f = makeForm();
    EXPECT_EQ(f.PageControl->currentIndex(), 0);
    for (int i = 1; i < 7; ++i)
        EXPECT_FALSE(f.PageControl->isTabVisible(i)) << i;
    EXPECT_FALSE(f.PreviousPageBtn->isEnabled());
    EXPECT_TRUE(f.NextPageBtn->isEnabled());
    EXPECT_EQ(AllocationTemplate, "<td>Act01</td>\r\n<td>Act02</td>\r\n<td>Act40</td>\r\n");
    EXPECT_EQ(AllocationText, "<td>N/A</td>\r\n<td>N/A</td>\r\n<td>N/A</td>\r\n");
    EXPECT_EQ(f.IDCODE->text(), "37      ");
    EXPECT_EQ(f.windowTitle(), "VELKO-Q37 Function Setting");
}

struct StoreCase {
    const char* name;
    const char* stored; // null: no key at all
    int checkedItem;    // NCOM index, 0 for none
    const char* openedPort;
    bool rewritten;                              // the fall-back wrote all five values
    int rewrittenLeft = 319, rewrittenTop = 198; // values applied before the fall-back stay
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class StoreStartTest : public FormFixture, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreStartTest, PortAndCheckMarkFollowTheStore)
{
    const StoreCase& c = GetParam();
    if (c.stored) {
        std::filesystem::create_directories(registryFile().parent_path());
        testsupport::WriteFile(registryFile(), c.stored);
    }
    ProbeForm& f = makeForm();
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(f.NCOM[i]->isChecked(), i == c.checkedItem) << "NCOM" << i;
    ASSERT_EQ(openedPorts.size(), 1u);
    EXPECT_EQ(openedPorts[0], c.openedPort);
    EXPECT_EQ(ComPortName.toStdString(), c.openedPort);

    velko::RegistryStore store(registryFile());
    ASSERT_TRUE(store.OpenKey(false));
    if (c.rewritten) {
        EXPECT_EQ(store.ReadInteger("Left"), c.rewrittenLeft);
        EXPECT_EQ(store.ReadInteger("Top"), c.rewrittenTop);
        EXPECT_EQ(store.ReadInteger("Height"), 548);
        EXPECT_EQ(store.ReadInteger("Width"), 792);
        EXPECT_EQ(store.ReadString("COM"), "COM1");
    }
}

constexpr const char* fourIntegers =
    "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n\"Width\"=dword:792\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, StoreStartTest,
    ::testing::Values(
        StoreCase{.name = "NoKey", .stored = nullptr, .checkedItem = 1, .openedPort = "COM1", .rewritten = true},
        StoreCase{.name = "FourIntegersNoCom",
                  .stored = fourIntegers,
                  .checkedItem = 0,
                  .openedPort = "",
                  .rewritten = false},
        StoreCase{.name = "Com10",
                  .stored = "\"Left\"=dword:1\n\"Top\"=dword:2\n\"Height\"=dword:548\n"
                            "\"Width\"=dword:792\n\"COM\"=\"COM10\"\n",
                  .checkedItem = 10,
                  .openedPort = "COM10",
                  .rewritten = false},
        StoreCase{.name = "LowerCaseCom3",
                  .stored = "\"Left\"=dword:1\n\"Top\"=dword:2\n\"Height\"=dword:548\n"
                            "\"Width\"=dword:792\n\"COM\"=\"com3\"\n",
                  .checkedItem = 0,
                  .openedPort = "com3",
                  .rewritten = false},
        StoreCase{.name = "LeftOfTheWrongType",
                  .stored = "\"Left\"=\"100\"\n\"COM\"=\"COM4\"\n",
                  .checkedItem = 1,
                  .openedPort = "COM1",
                  .rewritten = true},
        StoreCase{.name = "ComOfTheWrongType",
                  .stored = "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n\"Width\"=dword:792\n"
                            "\"COM\"=dword:3\n",
                  .checkedItem = 1,
                  .openedPort = "COM1",
                  .rewritten = true,
                  .rewrittenLeft = 100,
                  .rewrittenTop = 50},
        StoreCase{.name = "HeightMissing",
                  .stored = "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Width\"=dword:792\n"
                            "\"COM\"=\"COM4\"\n",
                  .checkedItem = 1,
                  .openedPort = "COM1",
                  .rewritten = true,
                  .rewrittenLeft = 100,
                  .rewrittenTop = 50}));

TEST_F(FormFixture, StoredBoundsAreAppliedAndWrittenBackAtClose)
{
    std::filesystem::create_directories(registryFile().parent_path());
    testsupport::WriteFile(registryFile(), fourIntegers);
    ProbeForm& f = makeForm();
    EXPECT_EQ(f.x(), 100);
    EXPECT_EQ(f.y(), 50);
    f.move(120, 60);
    ComPortName = "COM7";
    f.close();
    EXPECT_EQ(SettingsRegistry, nullptr);
    velko::RegistryStore store(registryFile());
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_EQ(store.ReadInteger("Left"), 120);
    EXPECT_EQ(store.ReadInteger("Top"), 60);
    EXPECT_EQ(store.ReadInteger("Height"), 548);
    EXPECT_EQ(store.ReadInteger("Width"), 792);
    EXPECT_EQ(store.ReadString("COM"), "COM7");
}

struct BoundsCase {
    const char* name;
    int left, top, height, width;
    bool fallBack;             // the window's own size (and, off every screen, place) is taken
    int placedLeft, placedTop; // where the window stands after the start
};

void PrintTo(const BoundsCase& c, std::ostream* os) { *os << c.name; }

class StoredBoundsTest : public FormFixture, public ::testing::WithParamInterface<BoundsCase> {};

// Sizes the window is not made for, or a place off every screen, would give a window the user
// cannot see or use: the window's own are taken and written back, and the stored port is kept.
TEST_P(StoredBoundsTest, UnusableBoundsTakeTheFallBack)
{
    const BoundsCase& c = GetParam();
    ASSERT_GE(QGuiApplication::primaryScreen()->geometry().height(), 600);
    std::filesystem::create_directories(registryFile().parent_path());
    testsupport::WriteFile(registryFile(),
                           "\"Left\"=dword:" + std::to_string(c.left) + "\n\"Top\"=dword:" + std::to_string(c.top)
                               + "\n\"Height\"=dword:" + std::to_string(c.height)
                               + "\n\"Width\"=dword:" + std::to_string(c.width) + "\n\"COM\"=\"COM4\"\n");
    ProbeForm& f = makeForm();
    EXPECT_EQ(f.x(), c.placedLeft);
    EXPECT_EQ(f.y(), c.placedTop);
    EXPECT_EQ(f.height(), c.fallBack ? 548 : c.height);
    EXPECT_EQ(f.width(), c.fallBack ? 792 : c.width);
    EXPECT_EQ(ComPortName, "COM4");
    EXPECT_TRUE(f.NCOM[4]->isChecked());
    EXPECT_EQ(openedPorts, std::vector<std::string>{"COM4"});
    EXPECT_TRUE(dialogs.boxes.empty());

    velko::RegistryStore store(registryFile());
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_EQ(store.ReadInteger("Left"), c.fallBack ? c.placedLeft : c.left);
    EXPECT_EQ(store.ReadInteger("Top"), c.fallBack ? c.placedTop : c.top);
    EXPECT_EQ(store.ReadInteger("Height"), c.fallBack ? 548 : c.height);
    EXPECT_EQ(store.ReadInteger("Width"), c.fallBack ? 792 : c.width);
    EXPECT_EQ(store.ReadString("COM"), "COM4");
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, StoredBoundsTest,
                         ::testing::Values(BoundsCase{.name = "Designed", .left = 100, .top = 50, .height = 548,
                                                      .width = 792, .fallBack = false, .placedLeft = 100,
                                                      .placedTop = 50},
                                           BoundsCase{.name = "TallerThanDesigned", .left = 0, .top = 0, .height = 580,
                                                      .width = 792, .fallBack = false, .placedLeft = 0, .placedTop = 0},
                                           BoundsCase{.name = "HeightZero", .left = 100, .top = 50, .height = 0,
                                                      .width = 792, .fallBack = true, .placedLeft = 100,
                                                      .placedTop = 50},
                                           BoundsCase{.name = "HeightZeroWidthMinusOne", .left = 100, .top = 50,
                                                      .height = 0, .width = -1, .fallBack = true, .placedLeft = 100,
                                                      .placedTop = 50},
                                           BoundsCase{.name = "HeightBelowDesigned", .left = 100, .top = 50,
                                                      .height = 547, .width = 792, .fallBack = true, .placedLeft = 100,
                                                      .placedTop = 50},
                                           BoundsCase{.name = "HeightIntMax", .left = 100, .top = 50,
                                                      .height = 2147483647, .width = 792, .fallBack = true,
                                                      .placedLeft = 100, .placedTop = 50},
                                           BoundsCase{.name = "WidthNegative", .left = 100, .top = 50, .height = 548,
                                                      .width = -5, .fallBack = true, .placedLeft = 100,
                                                      .placedTop = 50},
                                           BoundsCase{.name = "WidthAboveEveryScreen", .left = 100, .top = 50,
                                                      .height = 548, .width = 100000, .fallBack = true,
                                                      .placedLeft = 100, .placedTop = 50},
                                           BoundsCase{.name = "RightOfEveryScreen", .left = 5000, .top = 50,
                                                      .height = 548, .width = 792, .fallBack = true, .placedLeft = 319,
                                                      .placedTop = 198},
                                           BoundsCase{.name = "AboveEveryScreen", .left = 100, .top = -3000,
                                                      .height = 548, .width = 792, .fallBack = true, .placedLeft = 319,
                                                      .placedTop = 198},
                                           BoundsCase{.name = "OffScreenAndTooSmall", .left = -2147483647, .top = 50,
                                                      .height = 0, .width = 792, .fallBack = true, .placedLeft = 319,
                                                      .placedTop = 198},
                                           BoundsCase{.name = "LeftFarOff", .left = -5000, .top = 50, .height = 548,
                                                      .width = 792, .fallBack = true, .placedLeft = 319,
                                                      .placedTop = 198},
                                           // Added up, these leave the int range: refused before any sum is made.
                                           BoundsCase{.name = "TopIntMaxHeightZero", .left = 100, .top = 2147483647,
                                                      .height = 0, .width = 792, .fallBack = true, .placedLeft = 319,
                                                      .placedTop = 198},
                                           BoundsCase{.name = "LeftIntMinWidthIntMax", .left = -2147483647 - 1,
                                                      .top = 50, .height = 548, .width = 2147483647, .fallBack = true,
                                                      .placedLeft = 319, .placedTop = 198}),
                         [](const auto& p) { return std::string(p.param.name); });
// clang-format on

// The mended bounds cannot be written back (a folder holds the name the store is written
// under): that is said, and the start goes on with the stored port.
TEST_F(FormFixture, MendedBoundsThatCannotBeWrittenBackAreShownAndTheStartGoesOn)
{
    const std::string stored = "\"Left\"=dword:-5000\n\"Top\"=dword:50\n\"Height\"=dword:548\n"
                               "\"Width\"=dword:792\n\"COM\"=\"COM3\"\n";
    std::filesystem::create_directories(registryFile().string() + ".new/inside");
    testsupport::WriteFile(registryFile(), stored);
    ProbeForm& f = makeForm();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith("Failed to set data")) << dialogs.boxes[0].text.toStdString();
    EXPECT_EQ(f.x(), 319);
    EXPECT_TRUE(f.NCOM[3]->isChecked());
    EXPECT_EQ(openedPorts, std::vector<std::string>{"COM3"});
    EXPECT_EQ(f.DutyCounter->text(), "10") << "the rest of the start ran";
    EXPECT_EQ(testsupport::ReadFile(registryFile()), stored);
}

TEST_F(FormFixture, FourIntegersWithoutComCloseWithAnEmptyCom)
{
    std::filesystem::create_directories(registryFile().parent_path());
    testsupport::WriteFile(registryFile(), fourIntegers);
    makeForm().close();
    velko::RegistryStore store(registryFile());
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_TRUE(store.ValueExists("COM"));
    EXPECT_EQ(store.ReadString("COM"), "");
}

TEST_F(FormFixture, AStoreThatCannotBeWrittenIsShownAndTheStartGoesOn)
{
    // A file where the store's folder should be: the key can be neither read nor made.
    testsupport::WriteFile(dir.path() / "config", "");
    ProbeForm& f = makeForm();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(dialogs.boxes[0].text.startsWith("Failed to set data"));
    EXPECT_TRUE(openedPorts.empty()) << "the rest of the creation is skipped";
    f.close(); // and closing still works
    EXPECT_FALSE(f.isVisible());
}

enum class InItsPlace {
    UnreadableFile, // no read permission
    Folder,         // which no user can read as a file
    Pipe,           // an open would wait for a writer for ever
    Device,         // a link to one: it is never read
    ReadError,      // a link to a file whose read fails (EIO)
    HugeFile,       // far more than any key this program writes
};

struct UnreadableStoreCase {
    const char* name;
    InItsPlace kind;
};

void PrintTo(const UnreadableStoreCase& c, std::ostream* os) { *os << c.name; }

class UnreadableStoreTest : public FormFixture, public ::testing::WithParamInterface<UnreadableStoreCase> {};

TEST_P(UnreadableStoreTest, IsShownByNameAndLeftAsItIsAtClose)
{
    const std::string stored = "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n"
                               "\"Width\"=dword:792\n\"COM\"=\"COM4\"\n";
    const std::string huge = stored + std::string(3 << 20, '\n');
    const InItsPlace kind = GetParam().kind;
    std::filesystem::create_directories(registryFile().parent_path());
    switch (kind) {
    case InItsPlace::Folder: std::filesystem::create_directory(registryFile()); break;
    case InItsPlace::UnreadableFile:
        testsupport::WriteFile(registryFile(), stored);
        ::chmod(registryFile().c_str(), 0);
        if (::access(registryFile().c_str(), R_OK) == 0)
            GTEST_SKIP() << "this user reads any file";
        break;
    case InItsPlace::Pipe: ASSERT_EQ(::mkfifo(registryFile().c_str(), 0600), 0); break;
    case InItsPlace::Device: std::filesystem::create_symlink("/dev/null", registryFile()); break;
    case InItsPlace::ReadError: // memory at address 0 is never mapped
        std::filesystem::create_symlink("/proc/self/mem", registryFile());
        break;
    case InItsPlace::HugeFile: testsupport::WriteFile(registryFile(), huge); break;
    }
    ProbeForm* f = nullptr;
    EXPECT_FALSE(testsupport::WaitedOnPipe(registryFile(), [&] { f = &makeForm(); })) << "the start waited on the pipe";
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(), "Cannot open file " + registryFile().string());
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(openedPorts.size(), 1u) << "the start goes on";
    f->close();
    EXPECT_EQ(dialogs.boxes.size(), 1u) << "closing says nothing more";
    struct stat st {};
    ASSERT_EQ(::lstat(registryFile().c_str(), &st), 0);
    switch (kind) {
    case InItsPlace::Folder: EXPECT_TRUE(S_ISDIR(st.st_mode)); break;
    case InItsPlace::UnreadableFile:
        ::chmod(registryFile().c_str(), 0600);
        EXPECT_EQ(testsupport::ReadFile(registryFile()), stored);
        break;
    case InItsPlace::Pipe: EXPECT_TRUE(S_ISFIFO(st.st_mode)); break;
    case InItsPlace::Device:
    case InItsPlace::ReadError: EXPECT_TRUE(S_ISLNK(st.st_mode)); break;
    case InItsPlace::HugeFile: EXPECT_EQ(testsupport::ReadFile(registryFile()) == huge, true); break;
    }
    EXPECT_FALSE(std::filesystem::exists(registryFile().string() + ".new"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableStoreTest,
                         ::testing::Values(UnreadableStoreCase{"NoReadPermission", InItsPlace::UnreadableFile},
                                           UnreadableStoreCase{"FolderInItsPlace", InItsPlace::Folder},
                                           UnreadableStoreCase{"PipeInItsPlace", InItsPlace::Pipe},
                                           UnreadableStoreCase{"DeviceInItsPlace", InItsPlace::Device},
                                           UnreadableStoreCase{"ReadError", InItsPlace::ReadError},
                                           UnreadableStoreCase{"HugeFile", InItsPlace::HugeFile}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProgramEntry, ASecondInstanceEndsAtOnceWithZero)
{
    ASSERT_EQ(velko::TakeInstanceLock(velko::InstanceLockPlaces(velko::InstanceLockName)),
              velko::InstanceLock::Acquired);
    testsupport::ScopedWorkDir empty; // without the lock it would stop at the missing "ETM.vfa"
    QProcess second;
    second.start(QStringLiteral(VELKO_PROGRAM), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
}

// Another copy holds the lock on a lock file that cannot be opened for writing (here a
// folder, which refuses writing to every user): a new start still ends at once.
TEST(ProgramEntry, ALockFileThatCannotBeWrittenStillKeepsASecondCopyOut)
{
    testsupport::ScopedWorkDir run;
    const std::filesystem::path lock = run.path() / velko::InstanceLockName;
    std::filesystem::create_directory(lock);
    const int held = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(run.path().string()));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((run.path() / "config").string()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(VELKO_PROGRAM), {});
    const bool ended = second.waitForFinished(10000);
    if (!ended) {
        second.kill();
        second.waitForFinished();
    }
    ::close(held);
    EXPECT_TRUE(ended) << "the second copy ran beside the first";
    EXPECT_EQ(second.exitCode(), 0);
}

// The program started as a user starts it, in a run folder of its own with its side files,
// with the given environment on top of this one's and `stored` as its store (none when empty).
// It is ended once its window is up or after 20 s: up when the store holds `ready`, or (without
// one) when the first start's writes have reached the last value, "COM".
struct ProgramRun {
    bool windowUp = false;
    bool endedAlone = false;
    int exitCode = -1;
    std::string errors;
};

ProgramRun RunProgramIn(const std::filesystem::path& run, const std::map<QString, std::filesystem::path>& env,
                        const std::string& stored = {}, const std::string& ready = {})
{
    testsupport::WriteFile(run / "ETM.vfa", "Act01\r\n");
    testsupport::WriteFile(run / "Vie32.vfd", "");
    const std::filesystem::path config = run / "config";
    // The first start opens "COM1": here a port that is not there, not the machine's.
    std::filesystem::remove_all(config);
    std::filesystem::create_directories(config / "VELKO-Q37" / "ports");
    std::filesystem::create_symlink(run / "no-port", config / "VELKO-Q37" / "ports" / "COM1");
    const std::filesystem::path store = config / "VELKO-Q37" / "registry";
    if (!stored.empty())
        testsupport::WriteFile(store, stored);
    QProcess program;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(config.string()));
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& [name, value] : env)
        e.insert(name, QString::fromStdString(value.string()));
    program.setProcessEnvironment(e);
    program.setWorkingDirectory(QString::fromStdString(run.string()));
    program.start(QStringLiteral(VELKO_PROGRAM), {});
    ProgramRun result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (program.waitForFinished(50)) {
            result.endedAlone = true;
            break;
        }
        const std::string now = testsupport::ReadFile(store);
        if (ready.empty() ? now.find("\"COM\"") != std::string::npos : now == ready) {
            result.windowUp = true;
            break;
        }
    }
    if (!result.endedAlone) {
        program.kill();
        program.waitForFinished();
    } else {
        result.exitCode = program.exitCode();
    }
    result.errors = program.readAllStandardError().toStdString();
    return result;
}

std::string OwnLockName() { return std::string(velko::InstanceLockName) + "-" + std::to_string(::geteuid()); }

// Holds the lock on `file` as another copy would, for the life of the object.
class OtherCopy {
public:
    explicit OtherCopy(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0600))
    {
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~OtherCopy()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;
    bool held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

// A runtime folder the user cannot use (after su it is another user's; here a path under a plain
// file, which refuses every user): the lock is this user's own file in the temporary folder.
TEST(ProgramEntry, AnUnusableRuntimeFolderPutsTheLockInTheTemporaryFolder)
{
    testsupport::ScopedWorkDir run;
    testsupport::WriteFile(run.path() / "plain", "");
    const std::filesystem::path temp = run.path() / "temp";
    std::filesystem::create_directory(temp);
    {
        const OtherCopy first(temp / OwnLockName());
        ASSERT_TRUE(first.held());
        const ProgramRun second =
            RunProgramIn(run.path(), {{QStringLiteral("XDG_RUNTIME_DIR"), run.path() / "plain" / "run"},
                                      {QStringLiteral("TMPDIR"), temp}});
        EXPECT_TRUE(second.endedAlone) << "the second copy ran beside the first";
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_FALSE(second.windowUp);
    }
    const ProgramRun alone =
        RunProgramIn(run.path(), {{QStringLiteral("XDG_RUNTIME_DIR"), run.path() / "plain" / "run"},
                                  {QStringLiteral("TMPDIR"), temp}});
    EXPECT_TRUE(alone.windowUp) << alone.errors;
    EXPECT_EQ(alone.errors.find("guard"), std::string::npos) << alone.errors;
}

TEST(ProgramEntry, WithNoPlaceForTheLockTheStartGoesOnAndSaysSo)
{
    testsupport::ScopedWorkDir run;
    testsupport::WriteFile(run.path() / "plain", "");
    const ProgramRun alone =
        RunProgramIn(run.path(), {{QStringLiteral("XDG_RUNTIME_DIR"), run.path() / "plain" / "run"},
                                  {QStringLiteral("TMPDIR"), run.path() / "plain" / "temp"}});
    EXPECT_TRUE(alone.windowUp) << alone.errors;
    EXPECT_NE(alone.errors.find("starting without the guard against a second copy"), std::string::npos) << alone.errors;
    EXPECT_NE(alone.errors.find((run.path() / "plain" / "run" / velko::InstanceLockName).string()), std::string::npos)
        << alone.errors;
}

// Bounds no screen shows, or whose sums leave the int range (a sanitizer build stops at the
// overflow): the program comes up on the window's own bounds, writes them back, and the port
// the user chose stays.
TEST(ProgramEntry, StoredBoundsItCannotUseCostNeitherTheStartNorThePort)
{
    for (const char* bounds :
         {"\"Left\"=dword:-5000\n\"Top\"=dword:50\n\"Height\"=dword:548\n\"Width\"=dword:792\n",
          "\"Left\"=dword:100\n\"Top\"=dword:2147483647\n\"Height\"=dword:0\n\"Width\"=dword:792\n"}) {
        SCOPED_TRACE(bounds);
        testsupport::ScopedWorkDir run;
        const std::string mended =
            "\"COM\"=\"COM3\"\n\"Height\"=dword:548\n\"Left\"=dword:319\n\"Top\"=dword:198\n\"Width\"=dword:792\n";
        const ProgramRun started = RunProgramIn(run.path(), {{QStringLiteral("XDG_RUNTIME_DIR"), run.path()}},
                                                std::string(bounds) + "\"COM\"=\"COM3\"\n", mended);
        EXPECT_TRUE(started.windowUp) << "not up with the mended store: " << started.errors;
        EXPECT_EQ(testsupport::ReadFile(run.path() / "config" / "VELKO-Q37" / "registry"), mended);
    }
}

// A pipe in the lock file's place (planted in a shared folder, say) would keep the open waiting
// for a writer: it is passed over like any place that cannot hold the lock.
TEST(ProgramEntry, APipeInPlaceOfTheLockFileNeitherHangsTheStartNorGuardsIt)
{
    testsupport::ScopedWorkDir run;
    const std::filesystem::path runtime = run.path() / "runtime", temp = run.path() / "temp";
    std::filesystem::create_directory(runtime);
    std::filesystem::create_directory(temp);
    ASSERT_EQ(::mkfifo((runtime / velko::InstanceLockName).c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((temp / OwnLockName()).c_str(), 0600), 0);
    const ProgramRun alone =
        RunProgramIn(run.path(), {{QStringLiteral("XDG_RUNTIME_DIR"), runtime}, {QStringLiteral("TMPDIR"), temp}});
    EXPECT_TRUE(alone.windowUp) << "no window within 20 s: " << alone.errors;
    EXPECT_NE(alone.errors.find("starting without the guard"), std::string::npos) << alone.errors;
    struct stat st {};
    ASSERT_EQ(::lstat((runtime / velko::InstanceLockName).c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "left as it is";
}

struct MissingFileCase {
    const char* name;
    bool withTemplate;
    const char* missing;
    bool readFails = false; // there, but reading it fails part-way (EIO)
};

void PrintTo(const MissingFileCase& c, std::ostream* os) { *os << c.name; }

class MissingSideFileTest : public ::testing::TestWithParam<MissingFileCase> {};

TEST_P(MissingSideFileTest, IsShownAndEndsTheProgram)
{
    const MissingFileCase& c = GetParam();
    testsupport::ScopedWorkDir dir;
    testsupport::ResetProgramState(dir.path() / "config");
    if (c.withTemplate)
        testsupport::WriteFile("ETM.vfa", "Act01\r\n");
    if (c.readFails)
        std::filesystem::create_symlink("/proc/self/mem", c.missing);
    velko::OpenComCall = [](const char* name) { return name; };
    RecordingDialogs dialogs;
    char name[] = "velko-q37";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(velko::RunProgram(1, argv), 0);
    velko::OpenComCall = &::OpenCom;
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(), "Cannot open file " + (dir.path() / c.missing).string());
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(MainForm, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Files, MissingSideFileTest,
                         ::testing::Values(MissingFileCase{"Template", false, "ETM.vfa"},
                                           MissingFileCase{"AboutText", true, "Vie32.vfd"},
                                           MissingFileCase{"TemplateReadFails", false, "ETM.vfa", true},
                                           MissingFileCase{"AboutTextReadFails", true, "Vie32.vfd", true}),
                         [](const auto& p) { return std::string(p.param.name); });

#if !defined(__SANITIZE_ADDRESS__) // ASan reserves terabytes of address space
class SideFileTooBigTest : public ::testing::TestWithParam<const char*> {};

// A side file far larger than the memory left is told by name like one that cannot be read,
// not as a box without words. Run in a child process, whose memory is limited.
TEST_P(SideFileTooBigTest, IsShownByNameAndEndsTheProgram)
{
    const std::string big = GetParam();
    testsupport::ScopedWorkDir dir;
    testsupport::ResetProgramState(dir.path() / "config");
    testsupport::WriteFile("ETM.vfa", "Act01\r\n");
    testsupport::WriteFile("Vie32.vfd", "");
    std::filesystem::resize_file(big, std::uintmax_t{8} << 30); // on the disk only as a hole
    const pid_t child = ::fork();
    if (child == 0) {
        long pages = 0;
        std::FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
            _exit(5);
        std::fclose(statm);
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (256u << 20);
        const rlimit as{limit, limit};
        setrlimit(RLIMIT_AS, &as);
        velko::OpenComCall = [](const char* name) { return name; };
        RecordingDialogs dialogs;
        char name[] = "velko-q37";
        char* argv[] = {name, nullptr};
        velko::RunProgram(1, argv);
        const bool told = dialogs.boxes.size() == 1
                       && dialogs.boxes[0].text.toStdString() == "Cannot open file " + (dir.path() / big).string();
        _exit(told && MainForm == nullptr ? 0 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "2: another box, -1: ran out of memory";
}

INSTANTIATE_TEST_SUITE_P(Files, SideFileTooBigTest, ::testing::Values("ETM.vfa", "Vie32.vfd"),
                         [](const auto& p) { return std::string(p.param).substr(0, 3); });
#endif

TEST(DeviceLinkHooks, PortErrorsOfTheLinkShowAsTheProgramsBoxes)
{
    RecordingDialogs dialogs;
    velko::InstallDeviceLinkHooks();
    EXPECT_STREQ(::OpenCom("/nonexistent/port"), "Error");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(),
              std::string("Open COM port error !\n/nonexistent/port: ") + std::strerror(ENOENT));
    EXPECT_EQ(dialogs.boxes[0].caption, "COM Error");
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
}

} // namespace

namespace {

TEST_F(FormFixture, EveryListStartsWithoutASelectionButTheTwoThatStartUpSets)
{
    ProbeForm& f = makeForm();
    const auto lists = f.findChildren<QComboBox*>();
    ASSERT_GT(lists.size(), 40);
    for (const QComboBox* list : lists) {
        const QString name = list->objectName();
        const int expected = name == "OpenModeFunc" ? 1 : name == "InchTime" ? 5 : -1;
        EXPECT_EQ(list->currentIndex(), expected) << name.toStdString();
    }
}

TEST(ProgramEntry, AnExceptionInAnEventHandlerIsShownAndTheLoopGoesOn)
{
    RecordingDialogs dialogs;
    bool after = false;
    QTimer::singleShot(0, [] { throw velko::FileError("Cannot create file x"); });
    QTimer::singleShot(0, [] { throw std::runtime_error("not the framework's"); });
    QTimer::singleShot(0, [&] { after = true; });
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[0].text, "Cannot create file x");
    EXPECT_EQ(dialogs.boxes[0].caption, "VELKO-Q37");
    EXPECT_EQ(dialogs.boxes[1].text, "") << "any other exception shows with an empty message";
    EXPECT_TRUE(after);
}

} // namespace
