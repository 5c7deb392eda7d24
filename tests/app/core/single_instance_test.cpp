// The single-instance lock: held on any lock file that can be opened at all.
#include "single_instance.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What another copy of the program would find: can it take the lock too?
bool anotherCopyCouldLock(const fs::path& file)
{
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return locked;
}

struct LockFileCase {
    const char* name;
    void (*prepare)(const fs::path& file);
};

void PrintTo(const LockFileCase& c, std::ostream* os) { *os << c.name; }

class LockFileTest : public ::testing::TestWithParam<LockFileCase> {};

TEST_P(LockFileTest, IsHeldSoThatNoOtherCopyGetsIt)
{
    testsupport::ScopedWorkDir dir;
    const fs::path file = dir.path() / "VELKO-Q37.exe";
    GetParam().prepare(file);
    EXPECT_EQ(velko::TakeInstanceLock(file), velko::InstanceLock::Acquired);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(anotherCopyCouldLock(file));
    EXPECT_EQ(velko::TakeInstanceLock(file), velko::InstanceLock::Acquired) << "this process keeps it";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LockFileTest,
    ::testing::Values(LockFileCase{"Missing", [](const fs::path&) {}},
                      LockFileCase{"Writable", [](const fs::path& f) { testsupport::WriteFile(f, ""); }},
                      LockFileCase{"ReadOnly",
                                   [](const fs::path& f) {
                                       testsupport::WriteFile(f, "");
                                       ::chmod(f.c_str(), 0444);
                                   }},
                      LockFileCase{"WriteOnly",
                                   [](const fs::path& f) {
                                       testsupport::WriteFile(f, "");
                                       ::chmod(f.c_str(), 0200);
                                   }},
                      // Refuses writing whoever asks, also a privileged user.
                      LockFileCase{"Directory", [](const fs::path& f) { fs::create_directory(f); }}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(InstanceLock, HeldByAnotherCopyIsTold)
{
    testsupport::ScopedWorkDir dir;
    const fs::path file = dir.path() / "VELKO-Q37.exe";
    testsupport::WriteFile(file, "");
    const int other = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(velko::TakeInstanceLock(file), velko::InstanceLock::HeldElsewhere);
    ::close(other);
}

TEST(InstanceLock, AFileThatCanBeNeitherMadeNorOpenedIsUnavailable)
{
    testsupport::ScopedWorkDir dir;
    EXPECT_EQ(velko::TakeInstanceLock(dir.path() / "gone" / "VELKO-Q37.exe"), velko::InstanceLock::Unavailable);
}

TEST(InstanceLock, IsLookedForInTheRuntimeFolderThenAsThisUsersOwnInTheTemporaryOne)
{
    testsupport::ScopedWorkDir dir;
    const char* runtimeBefore = std::getenv("XDG_RUNTIME_DIR");
    const char* tempBefore = std::getenv("TMPDIR");
    const std::string savedRuntime = runtimeBefore ? runtimeBefore : "", savedTemp = tempBefore ? tempBefore : "";
    setenv("XDG_RUNTIME_DIR", (dir.path() / "run").c_str(), 1);
    setenv("TMPDIR", dir.path().c_str(), 1);
    const std::vector<velko::LockPlace> both = velko::InstanceLockPlaces("VELKO-Q37.exe");
    unsetenv("XDG_RUNTIME_DIR");
    const std::vector<velko::LockPlace> tempOnly = velko::InstanceLockPlaces("VELKO-Q37.exe");
    setenv("TMPDIR", (dir.path() / "gone").c_str(), 1);
    const std::vector<velko::LockPlace> none = velko::InstanceLockPlaces("VELKO-Q37.exe");
    runtimeBefore ? setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");
    tempBefore ? setenv("TMPDIR", savedTemp.c_str(), 1) : unsetenv("TMPDIR");

    const fs::path own = dir.path() / ("VELKO-Q37.exe-" + std::to_string(::geteuid()));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].file, dir.path() / "run" / "VELKO-Q37.exe");
    EXPECT_FALSE(both[0].shared);
    EXPECT_EQ(both[1].file, own);
    EXPECT_TRUE(both[1].shared);
    ASSERT_EQ(tempOnly.size(), 1u);
    EXPECT_EQ(tempOnly[0].file, own);
    EXPECT_TRUE(none.empty()) << "a temporary folder that is not there holds no lock";
}

TEST(InstanceLock, APlaceThatCannotHoldItIsPassedOver)
{
    testsupport::ScopedWorkDir dir;
    testsupport::WriteFile("plain", "");
    const fs::path second = dir.path() / "VELKO-Q37.exe-own";
    EXPECT_EQ(velko::TakeInstanceLock({{dir.path() / "plain" / "VELKO-Q37.exe", false}, {second, true}}),
              velko::InstanceLock::Acquired);
    EXPECT_FALSE(anotherCopyCouldLock(second));
    EXPECT_EQ(velko::TakeInstanceLock({{dir.path() / "plain" / "a", false}, {dir.path() / "plain" / "b", true}}),
              velko::InstanceLock::Unavailable);
    EXPECT_EQ(velko::TakeInstanceLock(std::vector<velko::LockPlace>{}), velko::InstanceLock::Unavailable);
}

TEST(InstanceLock, HeldElsewhereAtTheFirstPlaceEndsTheSearch)
{
    testsupport::ScopedWorkDir dir;
    const fs::path first = dir.path() / "VELKO-Q37.exe";
    testsupport::WriteFile(first, "");
    const int other = ::open(first.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(velko::TakeInstanceLock({{first, false}, {dir.path() / "second", true}}),
              velko::InstanceLock::HeldElsewhere);
    EXPECT_FALSE(fs::exists(dir.path() / "second"));
    ::close(other);
}

struct UnfitLockCase {
    const char* name;
    bool shared;
    void (*prepare)(const fs::path& file);
};

void PrintTo(const UnfitLockCase& c, std::ostream* os) { *os << c.name; }

class UnfitLockFileTest : public ::testing::TestWithParam<UnfitLockCase> {};

// Nothing in the lock file's place is used unless it is a file (or folder) that cannot keep
// the open waiting and, in a shared folder, is this user's own.
TEST_P(UnfitLockFileTest, IsUnavailable)
{
    testsupport::ScopedWorkDir dir;
    const fs::path file = dir.path() / "VELKO-Q37.exe";
    GetParam().prepare(file);
    // The pipe's other end stays open here, so an open that does wait returns at once.
    const int writer = ::open(file.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    EXPECT_EQ(velko::TakeInstanceLock(file, GetParam().shared), velko::InstanceLock::Unavailable);
    if (writer >= 0)
        ::close(writer);
    EXPECT_FALSE(fs::exists(dir.path() / "elsewhere")) << "nothing made through a link";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UnfitLockFileTest,
    ::testing::Values(UnfitLockCase{"Pipe", false, [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }},
                      UnfitLockCase{"PipeInASharedFolder", true, [](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }},
                      UnfitLockCase{"LinkToAFileToBeMade", true,
                                    [](const fs::path& f) { fs::create_symlink(f.parent_path() / "elsewhere", f); }},
                      UnfitLockCase{"LinkToAPlainFile", false,
                                    [](const fs::path& f) {
                                        testsupport::WriteFile(f.parent_path() / "target", "");
                                        fs::create_symlink(f.parent_path() / "target", f);
                                    }}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(InstanceLock, AnotherUsersFileInASharedFolderIsNotTaken)
{
    testsupport::ScopedWorkDir dir;
    const fs::path file = dir.path() / "VELKO-Q37.exe-0";
    testsupport::WriteFile(file, "");
    ::chmod(dir.path().c_str(), 0755);
    if (::chown(file.c_str(), 65534, 65534) != 0)
        GTEST_SKIP() << "only a privileged user can give a file away";
    EXPECT_EQ(velko::TakeInstanceLock(file, true), velko::InstanceLock::Unavailable);
    EXPECT_EQ(velko::TakeInstanceLock(file, false), velko::InstanceLock::Acquired)
        << "in the user's own runtime folder a file of another's still guards";
}

} // namespace
