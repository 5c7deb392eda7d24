#include "form_fixture.h"
#include "program_entry.h"
#include "registry_store.h"
#include "single_instance.h"
#include "text_file.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QProcess>
#include <QTimer>

#include <ostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
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
    bool rewritten; // the fall-back wrote all five values
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

constexpr const char* fourIntegers = "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n\"Width\"=dword:792\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, StoreStartTest,
    ::testing::Values(StoreCase{"NoKey", nullptr, 1, "COM1", true},
                      StoreCase{"FourIntegersNoCom", fourIntegers, 0, "", false},
                      StoreCase{"Com10", "\"Left\"=dword:1\n\"Top\"=dword:2\n\"Height\"=dword:548\n"
                                         "\"Width\"=dword:792\n\"COM\"=\"COM10\"\n",
                                10, "COM10", false},
                      StoreCase{"LowerCaseCom3", "\"Left\"=dword:1\n\"Top\"=dword:2\n\"Height\"=dword:548\n"
                                                 "\"Width\"=dword:792\n\"COM\"=\"com3\"\n",
                                0, "com3", false},
                      StoreCase{"LeftOfTheWrongType", "\"Left\"=\"100\"\n\"COM\"=\"COM4\"\n", 1, "COM1", true},
                      StoreCase{"ComOfTheWrongType",
                                "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n\"Width\"=dword:792\n"
                                "\"COM\"=dword:3\n",
                                1, "COM1", true, 100, 50},
                      StoreCase{"HeightMissing", "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Width\"=dword:792\n"
                                                 "\"COM\"=\"COM4\"\n",
                                1, "COM1", true, 100, 50}));

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
    bool fallBack;         // the store's values are taken as missing
    int placedLeft, placedTop; // where the window stands after the start
};

void PrintTo(const BoundsCase& c, std::ostream* os) { *os << c.name; }

class StoredBoundsTest : public FormFixture, public ::testing::WithParamInterface<BoundsCase> {};

// Sizes the window is not made for, or a place off every screen, would give a window the user
// cannot see or use: they take the fall-back of a missing value.
TEST_P(StoredBoundsTest, UnusableBoundsTakeTheFallBack)
{
    const BoundsCase& c = GetParam();
    ASSERT_GE(QGuiApplication::primaryScreen()->geometry().height(), 600);
    std::filesystem::create_directories(registryFile().parent_path());
    testsupport::WriteFile(registryFile(), "\"Left\"=dword:" + std::to_string(c.left) + "\n\"Top\"=dword:"
                                               + std::to_string(c.top) + "\n\"Height\"=dword:"
                                               + std::to_string(c.height) + "\n\"Width\"=dword:"
                                               + std::to_string(c.width) + "\n\"COM\"=\"COM4\"\n");
    ProbeForm& f = makeForm();
    EXPECT_EQ(f.x(), c.placedLeft);
    EXPECT_EQ(f.y(), c.placedTop);
    EXPECT_EQ(f.height(), c.fallBack ? 548 : c.height);
    EXPECT_EQ(f.width(), c.fallBack ? 792 : c.width);
    EXPECT_EQ(ComPortName, c.fallBack ? "COM1" : "COM4");
    EXPECT_TRUE(dialogs.boxes.empty());

    velko::RegistryStore store(registryFile());
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_EQ(store.ReadInteger("Left"), c.fallBack ? c.placedLeft : c.left);
    EXPECT_EQ(store.ReadInteger("Top"), c.fallBack ? c.placedTop : c.top);
    EXPECT_EQ(store.ReadInteger("Height"), c.fallBack ? 548 : c.height);
    EXPECT_EQ(store.ReadInteger("Width"), c.fallBack ? 792 : c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredBoundsTest,
    ::testing::Values(BoundsCase{"Designed", 100, 50, 548, 792, false, 100, 50},
                      BoundsCase{"TallerThanDesigned", 0, 0, 580, 792, false, 0, 0},
                      BoundsCase{"HeightZero", 100, 50, 0, 792, true, 100, 50},
                      BoundsCase{"HeightZeroWidthMinusOne", 100, 50, 0, -1, true, 100, 50},
                      BoundsCase{"HeightBelowDesigned", 100, 50, 547, 792, true, 100, 50},
                      BoundsCase{"HeightIntMax", 100, 50, 2147483647, 792, true, 100, 50},
                      BoundsCase{"WidthNegative", 100, 50, 548, -5, true, 100, 50},
                      BoundsCase{"WidthAboveEveryScreen", 100, 50, 548, 100000, true, 100, 50},
                      BoundsCase{"RightOfEveryScreen", 5000, 50, 548, 792, true, 319, 198},
                      BoundsCase{"AboveEveryScreen", 100, -3000, 548, 792, true, 319, 198},
                      BoundsCase{"OffScreenAndTooSmall", -2147483647, 50, 0, 792, true, 319, 198}),
    [](const auto& p) { return std::string(p.param.name); });

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

struct UnreadableStoreCase {
    const char* name;
    bool folder; // a folder where the file should be, which no user can read as a file
};

void PrintTo(const UnreadableStoreCase& c, std::ostream* os) { *os << c.name; }

class UnreadableStoreTest : public FormFixture, public ::testing::WithParamInterface<UnreadableStoreCase> {};

TEST_P(UnreadableStoreTest, IsShownByNameAndLeftAsItIsAtClose)
{
    const std::string stored = "\"Left\"=dword:100\n\"Top\"=dword:50\n\"Height\"=dword:548\n"
                               "\"Width\"=dword:792\n\"COM\"=\"COM4\"\n";
    std::filesystem::create_directories(registryFile().parent_path());
    if (GetParam().folder) {
        std::filesystem::create_directory(registryFile());
    } else {
        testsupport::WriteFile(registryFile(), stored);
        ::chmod(registryFile().c_str(), 0);
        if (::access(registryFile().c_str(), R_OK) == 0)
            GTEST_SKIP() << "this user reads any file";
    }
    ProbeForm& f = makeForm();
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(), "Cannot open file " + registryFile().string());
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(openedPorts.size(), 1u) << "the start goes on";
    f.close();
    EXPECT_EQ(dialogs.boxes.size(), 1u) << "closing says nothing more";
    if (GetParam().folder) {
        EXPECT_TRUE(std::filesystem::is_directory(registryFile()));
    } else {
        ::chmod(registryFile().c_str(), 0600);
        EXPECT_EQ(testsupport::ReadFile(registryFile()), stored);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnreadableStoreTest,
                         ::testing::Values(UnreadableStoreCase{"NoReadPermission", false},
                                           UnreadableStoreCase{"FolderInItsPlace", true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProgramEntry, ASecondInstanceEndsAtOnceWithZero)
{
    ASSERT_EQ(velko::TakeInstanceLock(velko::InstanceLockFile(velko::InstanceLockName)), velko::InstanceLock::Acquired);
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

TEST(ProgramEntry, ALockFileThatCanBeNeitherMadeNorOpenedIsShownAndNothingRuns)
{
    testsupport::ScopedWorkDir run;
    testsupport::WriteFile("ETM.vfa", "Act01\r\n");
    testsupport::WriteFile("Vie32.vfd", "");
    const std::string runtime = (run.path() / "gone").string();
    const char* before = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = before ? before : "";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    RecordingDialogs dialogs;
    char name[] = "velko-q37";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(velko::RunProgram(1, argv), 0);
    setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text.toStdString(), "Cannot create file " + runtime + "/VELKO-Q37.exe");
    EXPECT_EQ(dialogs.boxes[0].icon, velko::BoxIcon::Error);
    EXPECT_EQ(MainForm, nullptr);
}

struct MissingFileCase {
    const char* name;
    bool withTemplate;
    const char* missing;
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
                                           MissingFileCase{"AboutText", true, "Vie32.vfd"}));

TEST(DeviceLinkHooks, PortErrorsOfTheLinkShowAsTheProgramsBoxes)
{
    RecordingDialogs dialogs;
    velko::InstallDeviceLinkHooks();
    EXPECT_STREQ(::OpenCom("/nonexistent/port"), "Error");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Open COM port error !");
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
