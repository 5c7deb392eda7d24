#include "serial_ports.h"

#include "registry_store.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <tuple>

namespace fs = std::filesystem;

namespace velko {
namespace {

// "ttyACM3" → (0, 3), "ttyUSB12" → (1, 12); false for any other name.
bool adapterNode(const std::string& name, std::tuple<int, unsigned long, std::string>& key)
{
    int kind = 0;
    if (name.rfind("ttyACM", 0) == 0)
        kind = 0;
    else if (name.rfind("ttyUSB", 0) == 0)
        kind = 1;
    else
        return false;
    const std::string digits = name.substr(6);
    if (digits.empty() || digits.size() > 6
        || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
        return false;
    key = {kind, std::stoul(digits), name};
    return true;
}

fs::path canonicalOrSame(const fs::path& p)
{
    std::error_code ec;
    fs::path c = fs::canonical(p, ec);
    return ec ? p.lexically_normal() : c;
}

std::vector<fs::path> listAdapters(const PortFolders& folders)
{
    std::vector<fs::path> byId;
    std::error_code ec;
    for (fs::directory_iterator it(folders.byId, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().string().rfind('.', 0) != 0)
            byId.push_back(it->path());
    }
    std::sort(byId.begin(), byId.end());

    // Without udev's stable names (a container, a minimal system) the bare nodes still count.
    std::vector<fs::path> reached;
    for (const fs::path& p : byId)
        reached.push_back(canonicalOrSame(p));
    std::vector<std::tuple<int, unsigned long, std::string>> bare;
    ec.clear();
    for (fs::directory_iterator it(folders.dev, ec), end; !ec && it != end; it.increment(ec)) {
        std::tuple<int, unsigned long, std::string> key;
        if (!adapterNode(it->path().filename().string(), key))
            continue;
        if (std::find(reached.begin(), reached.end(), canonicalOrSame(it->path())) == reached.end())
            bare.push_back(key);
    }
    std::sort(bare.begin(), bare.end());

    std::vector<fs::path> out = std::move(byId);
    for (const auto& key : bare)
        out.push_back(folders.dev / std::get<2>(key));
    return out;
}

} // namespace

PortFolders MachinePortFolders()
{
    return {RegistryStore::DefaultFile().parent_path() / "ports", DeviceFolder / "serial" / "by-id", DeviceFolder};
}

PortMap::PortMap(PortFolders folders) : folders_(std::move(folders)), adapters_(listAdapters(folders_)) {}

std::string PortMap::Device(const std::string& name) const
{
    const unsigned n = ComNumber(name);
    if (n == 0)
        return name;
    // A dangling link still names this port: opening it fails rather than reaching another.
    const fs::path link = folders_.links / ("COM" + std::to_string(n));
    std::error_code ec;
    if (fs::exists(fs::symlink_status(link, ec)))
        return link.string();
    if (n <= adapters_.size())
        return adapters_[n - 1].string();
    return (folders_.dev / ("ttyS" + std::to_string(n - 1 - adapters_.size()))).string();
}

std::string PortMap::Tip(const std::string& name) const
{
    const fs::path device = Device(name);
    std::string tip = device.string();
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(device, ec))) {
        fs::path target = fs::read_symlink(device, ec);
        if (!ec) {
            if (target.is_relative())
                target = canonicalOrSame(device.parent_path() / target);
            tip += " \u2192 " + target.string();
        }
    }
    if (!fs::exists(device, ec))
        tip += " (not present)";
    return tip;
}

const char* LookUpPortDevice(const char* name)
{
    static std::string device;
    device = PortMap(MachinePortFolders()).Device(name ? name : "");
    return device.c_str();
}

} // namespace velko
