// One running copy per user session: an flock on a lock file named like the program,
// held until the process ends (the system drops it then, even after a crash).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velko {

// A place for the lock file. In a folder that every user shares, only a file of this user's
// own is taken, so that nobody else can keep the program out by planting one.
struct LockPlace {
    std::filesystem::path file;
    bool shared = false;
};

// Where the lock may be, in the order tried: $XDG_RUNTIME_DIR/<name>, then
// <temporary folder>/<name>-<uid>.
std::vector<LockPlace> InstanceLockPlaces(const std::string& name);

enum class InstanceLock {
    Acquired,      // this process holds the lock until it ends
    HeldElsewhere, // another copy runs
    Unavailable,   // the lock file can neither be made nor opened: no guard possible
};

// Takes the lock on `file` and keeps it for the life of the process. The lock needs only a
// descriptor, so a lock file that cannot be written (another user's, a read-only one)
// guards as well as one that can. A pipe, a device or a link in its place is never opened
// for use (so nothing waits on it): the place is Unavailable. With `ownOnly`, so is a file
// of another user's.
InstanceLock TakeInstanceLock(const std::filesystem::path& file, bool ownOnly = false);

// Takes the lock at the first place that can hold it; a place that cannot is passed over.
InstanceLock TakeInstanceLock(const std::vector<LockPlace>& places);

inline constexpr const char* InstanceLockName = "VELKO-Q37.exe";

} // namespace velko
