#include "serial_ports.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Paths in a case are relative to the case's own root; "@" stands for that root in results.
struct Lookup {
    const char* name;
    const char* device;
    const char* tip = nullptr; // not checked when null
};

struct MapCase {
    const char* title;
    std::vector<std::pair<const char*, const char*>> links = {}; // ports/NAME → target
    std::vector<std::pair<const char*, const char*>> byId = {};  // dev/serial/by-id/NAME → target
    std::vector<const char*> nodes = {};                         // dev/NAME
    std::vector<Lookup> lookups = {};
};

void PrintTo(const MapCase& c, std::ostream* os) { *os << c.title; }

class PortMapTest : public ::testing::TestWithParam<MapCase> {
protected:
    std::string rooted(const std::string& text) const
    {
        std::string out;
        for (char ch : text)
            out += ch == '@' ? root.path().string() : std::string(1, ch);
        return out;
    }

    void makeLink(const fs::path& at, const std::string& target) const
    {
        fs::create_directories(at.parent_path());
        fs::create_symlink(rooted(target), at);
    }

    testsupport::ScopedWorkDir root{"velko-ports"};
    velko::PortFolders folders{root.path() / "ports", root.path() / "dev" / "serial" / "by-id", root.path() / "dev"};
};

TEST_P(PortMapTest, NamesLeadToDevices)
{
    const MapCase& c = GetParam();
    fs::create_directories(folders.dev);
    for (const char* node : c.nodes)
        testsupport::WriteFile(folders.dev / node, "");
    for (const auto& [name, target] : c.links)
        makeLink(folders.links / name, target);
    for (const auto& [name, target] : c.byId)
        makeLink(folders.byId / name, target);

    const velko::PortMap map(folders);
    for (const Lookup& l : c.lookups) {
        EXPECT_EQ(map.Device(l.name), rooted(l.device)) << l.name;
        if (l.tip) {
            EXPECT_EQ(map.Tip(l.name), rooted(l.tip)) << l.name;
        }
    }
}

const char* const adapterA = "usb-Maker_Adapter_A7-if00-port0";
const char* const adapterB = "usb-Maker_Adapter_B2-if00-port0";

INSTANTIATE_TEST_SUITE_P(
    Machines, PortMapTest,
    ::testing::Values(MapCase{.title = "NoAdapterIsTheBuiltInPortsInOrder",
                              .nodes = {"ttyS0", "ttyS1"},
                              .lookups = {{"COM1", "@/dev/ttyS0", "@/dev/ttyS0"},
                                          {"com2", "@/dev/ttyS1"},
                                          {"COM10", "@/dev/ttyS9", "@/dev/ttyS9 (not present)"}}},
                      MapCase{.title = "AnAdapterTakesCOM1AndMovesTheBuiltInPortsUp",
                              .byId = {{adapterA, "../../ttyUSB0"}},
                              .nodes = {"ttyUSB0", "ttyS0"},
                              .lookups = {{"COM1", "@/dev/serial/by-id/usb-Maker_Adapter_A7-if00-port0",
                                           "@/dev/serial/by-id/usb-Maker_Adapter_A7-if00-port0 \u2192 @/dev/ttyUSB0"},
                                          {"COM2", "@/dev/ttyS0"}}},
                      MapCase{.title = "AdaptersByTheirStableNamesNotByTheOrderTheyCame",
                              .byId = {{adapterB, "../../ttyUSB0"}, {adapterA, "../../ttyACM3"}},
                              .nodes = {"ttyUSB0", "ttyACM3"},
                              .lookups = {{"COM1", "@/dev/serial/by-id/usb-Maker_Adapter_A7-if00-port0"},
                                          {"COM2", "@/dev/serial/by-id/usb-Maker_Adapter_B2-if00-port0"},
                                          {"COM3", "@/dev/ttyS0"}}},
                      MapCase{.title = "BareNodesWithoutStableNamesComeAfterThemInNumberOrder",
                              .byId = {{adapterA, "../../ttyUSB1"}},
                              .nodes = {"ttyUSB10", "ttyUSB1", "ttyUSB2", "ttyACM0", "ttyUSBx", "ttyS0", "ttyUSB"},
                              .lookups = {{"COM1", "@/dev/serial/by-id/usb-Maker_Adapter_A7-if00-port0"},
                                          {"COM2", "@/dev/ttyACM0"},
                                          {"COM3", "@/dev/ttyUSB2"},
                                          {"COM4", "@/dev/ttyUSB10"},
                                          {"COM5", "@/dev/ttyS0"}}},
                      MapCase{.title = "ALinkWinsAndTakesOnlyItsOwnNumber",
                              .links = {{"COM1", "@/dev/pts9"}, {"COM3", "@/absent"}},
                              .byId = {{adapterA, "../../ttyUSB0"}},
                              .nodes = {"ttyUSB0", "pts9"},
                              .lookups = {{"COM1", "@/ports/COM1", "@/ports/COM1 \u2192 @/dev/pts9"},
                                          {"COM2", "@/dev/ttyS0"},
                                          {"Com3", "@/ports/COM3", "@/ports/COM3 \u2192 @/absent (not present)"},
                                          {"COM4", "@/dev/ttyS2"}}},
                      MapCase{.title = "OtherNamesAreDevicePathsAsGiven",
                              .byId = {{adapterA, "../../ttyUSB0"}},
                              .lookups = {{"/dev/pts/3", "/dev/pts/3"},
                                          {"", ""},
                                          {"COM0", "COM0"},
                                          {"COM", "COM"},
                                          {"COMX", "COMX"},
                                          {"COM1 ", "COM1 "},
                                          {"COM12345", "COM12345"}}}),
    [](const auto& p) { return std::string(p.param.title); });

TEST(PortMap, WithoutTheFoldersCOMnIsTheBuiltInPort)
{
    const velko::PortMap map({"/nonexistent-velko/ports", "/nonexistent-velko/by-id", "/dev"});
    EXPECT_TRUE(map.Adapters().empty());
    EXPECT_EQ(map.Device("COM1"), "/dev/ttyS0");
}

TEST(PortMap, TheMachinesFoldersFollowTheSettingsStoreAndTheDeviceFolder)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    const fs::path savedDev = velko::DeviceFolder;
    velko::DeviceFolder = "/test-dev";
    const velko::PortFolders f = velko::MachinePortFolders();
    velko::DeviceFolder = savedDev;
    if (saved)
        setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(f.links, fs::path("/cfg/VELKO-Q37/ports"));
    EXPECT_EQ(f.byId, fs::path("/test-dev/serial/by-id"));
    EXPECT_EQ(f.dev, fs::path("/test-dev"));
}

} // namespace
