// The program's settings key: a small typed store in one file, so that an integer and a
// text stay apart and a value of the wrong type is told from a missing one.
#pragma once

#include "framework_error.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>

namespace velko {

class RegistryError : public FrameworkError {
public:
    using FrameworkError::FrameworkError;
};

class RegistryStore {
public:
    // The file of the key "SOFTWARE\VELKO-Q37": $XDG_CONFIG_HOME/VELKO-Q37/registry
    // (default ~/.config/VELKO-Q37/registry).
    static std::filesystem::path DefaultFile();

    explicit RegistryStore(std::filesystem::path file = DefaultFile());

    // Opens the key, creating it when missing; false when it can neither be read nor made.
    // A file that is there but cannot be read is never written over: the key then keeps
    // what is written in memory only (Unreadable() tells).
    bool OpenKey(bool canCreate);
    bool Unreadable() const { return unreadable_; }

    bool ValueExists(const std::string& name) const;
    // Throws RegistryError when the value is missing or not an integer.
    int ReadInteger(const std::string& name) const;
    // A missing value reads as ""; throws RegistryError when the value is not a text.
    std::string ReadString(const std::string& name) const;
    // Each write goes to the file at once; throws RegistryError when it cannot.
    void WriteInteger(const std::string& name, int value);
    void WriteString(const std::string& name, const std::string& value);

    const std::filesystem::path& File() const { return file_; }

private:
    using Value = std::variant<int, std::string>;
    bool load();
    void save() const;

    std::filesystem::path file_;
    std::map<std::string, Value> values_;
    bool unreadable_ = false;
};

} // namespace velko
