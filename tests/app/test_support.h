// Small helpers shared by the program's tests.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "mainform.h"
#include "program_entry.h"
#include "serial_ports.h"
#include "settings_image.h"

#include <fenlo.h>

namespace testsupport {

using TestApplication = velko::VelkoApplication;

inline std::filesystem::path MakeTempDir(const std::string& stem)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A temporary directory that is the current one for the life of the object.
class ScopedWorkDir {
public:
    explicit ScopedWorkDir(const std::string& stem = "velko-run")
        : previous_(std::filesystem::current_path()), dir_(MakeTempDir(stem))
    {
        std::filesystem::current_path(dir_);
    }
    ~ScopedWorkDir()
    {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    const std::filesystem::path& path() const { return dir_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path dir_;
};

// The program's process-wide state as a fresh start finds it: no window, no settings loaded,
// empty images and relay tables, no port, customer or allocation text, the real device-link
// calls and the machine's own device folder, and the settings store under `configHome`.
// Every window fixture starts from here.
inline void ResetProgramState(const std::filesystem::path& configHome)
{
    velko::ClearSettingsState();
    SettingsLoaded = 0;
    MainForm = nullptr;
    ComPortName.clear();
    CustomerText.clear();
    AllocationTemplate.clear();
    AllocationText.clear();
    StartupDir[0] = '\0';
    velko::OpenComCall = &::OpenCom;
    velko::ExitComCall = &::ExitCom;
    velko::DeviceFolder = "/dev";
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
}

} // namespace testsupport
