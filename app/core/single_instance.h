// One running copy per user session: an flock on a lock file named like the program,
// held until the process ends (the system drops it then, even after a crash).
#pragma once

#include <filesystem>
#include <string>

namespace velko {

// $XDG_RUNTIME_DIR/<name>, else /tmp/<name>.
std::filesystem::path InstanceLockFile(const std::string& name);

enum class InstanceLock {
    Acquired,     // this process holds the lock until it ends
    HeldElsewhere, // another copy runs
    Unavailable,  // the lock file can neither be made nor opened: no guard possible
};

// Takes the lock on `file` and keeps it for the life of the process. The lock needs only a
// descriptor, so a lock file that cannot be written (another user's, a read-only one)
// guards as well as one that can.
InstanceLock TakeInstanceLock(const std::filesystem::path& file);

inline constexpr const char* InstanceLockName = "VELKO-Q37.exe";

} // namespace velko
