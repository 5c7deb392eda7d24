#include "single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <unistd.h>

namespace velko {

namespace {
std::map<std::filesystem::path, int>& heldLocks() // kept open for the life of the process
{
    static std::map<std::filesystem::path, int> held;
    return held;
}

int openFile(const std::filesystem::path& file, int mode)
{
    int fd;
    do
        fd = ::open(file.c_str(), mode | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int openForLock(const std::filesystem::path& file)
{
    // Read access is enough for flock; write access only when reading is refused.
    int fd = openFile(file, O_RDONLY);
    if (fd < 0 && errno == ENOENT)
        fd = openFile(file, O_RDONLY | O_CREAT);
    if (fd < 0 && errno == EACCES)
        fd = openFile(file, O_WRONLY);
    return fd;
}
} // namespace

std::filesystem::path InstanceLockFile(const std::string& name)
{
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return std::filesystem::path(dir && *dir ? dir : "/tmp") / name;
}

InstanceLock TakeInstanceLock(const std::filesystem::path& file)
{
    if (heldLocks().count(file))
        return InstanceLock::Acquired;
    const int fd = openForLock(file);
    if (fd < 0)
        return InstanceLock::Unavailable;
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? InstanceLock::HeldElsewhere : InstanceLock::Unavailable;
    }
    heldLocks()[file] = fd;
    return InstanceLock::Acquired;
}

} // namespace velko
