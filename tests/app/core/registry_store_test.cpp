#include "pipe_watch.h"
#include "registry_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::ScopedWorkDir;

TEST(RegistryStore, KeepsTypesAcrossReopening)
{
    ScopedWorkDir dir;
    const auto file = dir.path() / "VELKO-Q37" / "registry";
    {
        velko::RegistryStore store(file);
        ASSERT_TRUE(store.OpenKey(true));
        store.WriteInteger("Left", -12);
        store.WriteString("COM", "CO\"M\\1");
    }
    velko::RegistryStore store(file);
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_EQ(store.ReadInteger("Left"), -12);
    EXPECT_EQ(store.ReadString("COM"), "CO\"M\\1");
}

TEST(RegistryStore, WrongTypeAndMissingIntegerThrowMissingTextIsEmpty)
{
    ScopedWorkDir dir;
    velko::RegistryStore store(dir.path() / "registry");
    ASSERT_TRUE(store.OpenKey(true));
    store.WriteString("Left", "319");
    store.WriteInteger("COM", 1);
    EXPECT_THROW(store.ReadInteger("Left"), velko::RegistryError);
    EXPECT_THROW(store.ReadInteger("Top"), velko::RegistryError);
    EXPECT_THROW(store.ReadString("COM"), velko::RegistryError);
    EXPECT_EQ(store.ReadString("Other"), "");
}

TEST(RegistryStore, DamagedLinesReadAsMissingValues)
{
    ScopedWorkDir dir;
    testsupport::WriteFile("registry", "\"Left\"=dword:12x\n\"Top\"=dword:5\ngarbage\n\"COM\"=\"COM2\n");
    velko::RegistryStore store(dir.path() / "registry");
    ASSERT_TRUE(store.OpenKey(false));
    EXPECT_FALSE(store.ValueExists("Left"));
    EXPECT_EQ(store.ReadInteger("Top"), 5);
    EXPECT_FALSE(store.ValueExists("COM"));
}

TEST(RegistryStore, UnwritableKeyIsReported)
{
    ScopedWorkDir dir;
    testsupport::WriteFile("blocker", "");
    velko::RegistryStore store(dir.path() / "blocker" / "registry");
    EXPECT_FALSE(store.OpenKey(true));
    EXPECT_THROW(store.WriteInteger("Left", 1), velko::RegistryError);
}

} // namespace

namespace {

// A key file that is there but cannot be read: nothing is read, and nothing written over it.
TEST(RegistryStore, AFileThatCannotBeReadIsLeftAsItIs)
{
    ScopedWorkDir dir;
    const auto file = dir.path() / "registry";
    const std::string stored = "\"Left\"=dword:100\n\"COM\"=\"COM4\"\n";
    testsupport::WriteFile(file, stored);
    ::chmod(file.c_str(), 0);
    if (::access(file.c_str(), R_OK) == 0)
        GTEST_SKIP() << "this user reads any file";
    velko::RegistryStore store(file);
    EXPECT_FALSE(store.OpenKey(true));
    EXPECT_TRUE(store.Unreadable());
    EXPECT_FALSE(store.ValueExists("Left"));
    store.WriteInteger("Left", 319);
    store.WriteString("COM", "COM1");
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(testsupport::ReadFile(file), stored);
}

TEST(RegistryStore, AFolderInPlaceOfTheFileIsUnreadableAndKept)
{
    ScopedWorkDir dir;
    const auto file = dir.path() / "registry";
    std::filesystem::create_directories(file / "inside");
    velko::RegistryStore store(file);
    EXPECT_FALSE(store.OpenKey(true));
    EXPECT_TRUE(store.Unreadable());
    EXPECT_NO_THROW(store.WriteInteger("Left", 319));
    EXPECT_EQ(store.ReadInteger("Left"), 319) << "kept in memory for this run";
    EXPECT_TRUE(std::filesystem::is_directory(file / "inside"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "registry.new"));
}

struct NotAKeyCase {
    const char* name;
    void (*prepare)(const std::filesystem::path& file);
};

void PrintTo(const NotAKeyCase& c, std::ostream* os) { *os << c.name; }

class NotAKeyTest : public ::testing::TestWithParam<NotAKeyCase> {};

// Whatever is in the key file's place, the open neither waits nor reads without end: it is
// unreadable, and nothing is written over it.
TEST_P(NotAKeyTest, IsUnreadableAndKept)
{
    ScopedWorkDir dir;
    const auto file = dir.path() / "registry";
    GetParam().prepare(file);
    struct stat before {};
    ASSERT_EQ(::lstat(file.c_str(), &before), 0);
    velko::RegistryStore store(file);
    bool opened = true;
    EXPECT_FALSE(testsupport::WaitedOnPipe(file, [&] { opened = store.OpenKey(true); })) << "waited on the pipe";
    EXPECT_FALSE(opened);
    EXPECT_TRUE(store.Unreadable());
    EXPECT_FALSE(store.ValueExists("Left"));
    EXPECT_NO_THROW(store.WriteInteger("Left", 319));
    struct stat after {};
    ASSERT_EQ(::lstat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_size, before.st_size);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NotAKeyTest,
    ::testing::Values(
        NotAKeyCase{"Pipe", [](const std::filesystem::path& f) { ::mkfifo(f.c_str(), 0600); }},
        NotAKeyCase{"LinkToADevice",
                    [](const std::filesystem::path& f) { std::filesystem::create_symlink("/dev/null", f); }},
        NotAKeyCase{"LinkToAFileThatFailsToRead",
                    [](const std::filesystem::path& f) { std::filesystem::create_symlink("/proc/self/mem", f); }},
        NotAKeyCase{"FarTooLarge",
                    [](const std::filesystem::path& f) {
                        testsupport::WriteFile(f, "\"Left\"=dword:1\n" + std::string(2 << 20, ' '));
                    }}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
