// One running copy per user session: an flock on a lock file named like the program,
// held until the process ends (the system drops it then, even after a crash).
#pragma once

#include <filesystem>
#include <string>

namespace velko {

// $XDG_RUNTIME_DIR/<name>, else /tmp/<name>.
std::filesystem::path InstanceLockFile(const std::string& name);

// False when another process holds the lock. When the lock file cannot be made at all
// the program runs anyway: the lock only guards against a second copy.
bool AcquireInstanceLock(const std::string& name = "VELKO-Q37.exe");

} // namespace velko
