// The single-instance lock: held on any lock file that can be opened at all.
#include "single_instance.h"
#include "test_support.h"

#include <gtest/gtest.h>

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

} // namespace
