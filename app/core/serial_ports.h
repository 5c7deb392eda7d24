// Which device each COM name opens: the user's own links first, then the serial adapters
// plugged in now, then the machine's built-in ports.
#pragma once

#include "com_name.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velko {

struct PortFolders {
    std::filesystem::path links; // the user's links COM1, COM2 ... to devices
    std::filesystem::path byId;  // the stable names of the plugged-in adapters
    std::filesystem::path dev;   // the device nodes
};

// Where the machine's devices are; a test points it at a folder of its own.
inline std::filesystem::path DeviceFolder = "/dev";

// The ports folder beside the settings store, DeviceFolder/serial/by-id and DeviceFolder.
PortFolders MachinePortFolders();

// The COM numbers as they stand while the adapters seen at construction stay plugged in:
// COMn is the link links/COMn when there is one (even one that leads nowhere); else the
// n-th adapter, the adapters being the entries of byId in name order and then any
// ttyACMk and ttyUSBk of dev that no entry of byId leads to; else, with k adapters,
// dev/ttyS(n-1-k). Any other name is a device path as given.
class PortMap {
public:
    explicit PortMap(PortFolders folders);

    std::string Device(const std::string& name) const;
    // What the menu says of a name: its device, where a link leads, and whether it is there.
    std::string Tip(const std::string& name) const;
    const std::vector<std::filesystem::path>& Adapters() const { return adapters_; }

private:
    PortFolders folders_;
    std::vector<std::filesystem::path> adapters_;
};

// The device link's port lookup: the map of this machine at the moment of the call. The
// text stays valid until the next call.
const char* LookUpPortDevice(const char* name);

} // namespace velko
