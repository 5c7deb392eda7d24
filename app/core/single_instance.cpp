#include "single_instance.h"

#include "text_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velko {

namespace {
std::map<std::filesystem::path, int>& heldLocks() // kept open for the life of the process
{
    static std::map<std::filesystem::path, int> held;
    return held;
}

// Links are not followed: in a shared folder a link could send the new file anywhere.
int openFile(const std::filesystem::path& file, int mode) { return OpenPlainFile(file, mode | O_NOFOLLOW, true); }

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

std::vector<LockPlace> InstanceLockPlaces(const std::string& name)
{
    std::vector<LockPlace> places;
    if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir)
        places.push_back({std::filesystem::path(dir) / name, false});
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    if (!ec)
        places.push_back({temp / (name + "-" + std::to_string(::geteuid())), true});
    return places;
}

InstanceLock TakeInstanceLock(const std::filesystem::path& file, bool ownOnly)
{
    if (heldLocks().count(file))
        return InstanceLock::Acquired;
    const int fd = openForLock(file);
    if (fd < 0)
        return InstanceLock::Unavailable;
    struct stat st {};
    if (ownOnly && (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid())) {
        ::close(fd);
        return InstanceLock::Unavailable;
    }
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

InstanceLock TakeInstanceLock(const std::vector<LockPlace>& places)
{
    for (const LockPlace& place : places) {
        const InstanceLock lock = TakeInstanceLock(place.file, place.shared);
        if (lock != InstanceLock::Unavailable)
            return lock;
    }
    return InstanceLock::Unavailable;
}

} // namespace velko
