#include "single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace velko {

namespace {
int heldLock = -1; // kept open for the life of the process
}

std::filesystem::path InstanceLockFile(const std::string& name)
{
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return std::filesystem::path(dir && *dir ? dir : "/tmp") / name;
}

bool AcquireInstanceLock(const std::string& name)
{
    if (heldLock >= 0)
        return true;
    const int fd = ::open(InstanceLockFile(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    int r;
    do
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    heldLock = fd;
    return true;
}

} // namespace velko
