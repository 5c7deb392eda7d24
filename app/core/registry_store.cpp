#include "registry_store.h"

#include "text_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

// File format, one value a line:
//   "Left"=dword:319
//   "COM"="COM1"
// Names and texts are quoted, with \\ and \" inside; lines of any other form are ignored.

namespace velko {

namespace {

constexpr std::size_t MaximumKeySize = 1 << 20; // five short values; far more is no key of ours

std::string quote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out + "\"";
}

// Reads a quoted text at `pos`, leaving `pos` after the closing quote.
bool unquote(const std::string& line, std::size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\' && pos + 1 < line.size()) {
            c = line[++pos];
            if (c == 'n')
                c = '\n';
        }
        out += c;
    }
    return false;
}

bool parseInt(const std::string& s, int& value)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

std::filesystem::path RegistryStore::DefaultFile()
{
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        base = ".config";
    return base / "VELKO-Q37" / "registry";
}

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {}

bool RegistryStore::OpenKey(bool canCreate)
{
    unreadable_ = false;
    std::error_code ec;
    if (!std::filesystem::exists(file_, ec)) {
        if (ec && ec != std::errc::no_such_file_or_directory) {
            unreadable_ = true; // there may be a file we cannot see: leave it alone
            return false;
        }
        if (!canCreate)
            return false;
        std::filesystem::create_directories(file_.parent_path(), ec);
        values_.clear();
        try {
            save();
        } catch (const RegistryError&) {
            return false;
        }
    }
    bool loaded = false;
    try {
        loaded = load();
    } catch (...) { // whatever stops the read, the key counts as unreadable
    }
    if (!loaded) {
        values_.clear();
        unreadable_ = true;
        return false;
    }
    return true;
}

bool RegistryStore::load()
{
    values_.clear();
    std::string bytes;
    {
        // Only a plain file: a pipe in its place would wait for a writer for ever.
        const int fd = OpenPlainFile(file_, O_RDONLY);
        if (fd < 0)
            return false;
        const std::unique_ptr<const int, void (*)(const int*)> closer(&fd, [](const int* f) { ::close(*f); });
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            if (bytes.size() + static_cast<std::size_t>(n) > MaximumKeySize)
                return false; // not a key this program wrote
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t pos = 0;
        std::string name;
        if (!unquote(line, pos, name) || pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        if (line.compare(pos, 6, "dword:") == 0) {
            int v = 0;
            if (parseInt(line.substr(pos + 6), v))
                values_[name] = v;
            continue;
        }
        std::string text;
        if (unquote(line, pos, text) && pos == line.size())
            values_[name] = text;
    }
    return true;
}

void RegistryStore::save() const
{
    if (unreadable_)
        return;
    std::ostringstream out;
    for (const auto& [name, value] : values_) {
        out << quote(name) << '=';
        if (const int* i = std::get_if<int>(&value))
            out << "dword:" << *i;
        else
            out << quote(std::get<std::string>(value));
        out << '\n';
    }
    // Written beside the key and renamed over it, so a crash never leaves half a file.
    const auto temp = file_.string() + ".new";
    std::error_code ec;
    std::filesystem::remove(temp, ec); // a leftover, or a pipe that would keep the write waiting
    {
        std::ofstream f(temp, std::ios::trunc);
        f << out.str();
        f.close();
        if (!f)
            throw RegistryError("Failed to set data for the key " + file_.string());
    }
    std::filesystem::rename(temp, file_, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        throw RegistryError("Failed to set data for the key " + file_.string());
    }
}

bool RegistryStore::ValueExists(const std::string& name) const { return values_.count(name) != 0; }

int RegistryStore::ReadInteger(const std::string& name) const
{
    const auto it = values_.find(name);
    if (it == values_.end() || !std::holds_alternative<int>(it->second))
        throw RegistryError("Invalid data type for '" + name + "'");
    return std::get<int>(it->second);
}

std::string RegistryStore::ReadString(const std::string& name) const
{
    const auto it = values_.find(name);
    if (it == values_.end())
        return {};
    if (!std::holds_alternative<std::string>(it->second))
        throw RegistryError("Invalid data type for '" + name + "'");
    return std::get<std::string>(it->second);
}

void RegistryStore::WriteInteger(const std::string& name, int value)
{
    values_[name] = value;
    save();
}

void RegistryStore::WriteString(const std::string& name, const std::string& value)
{
    values_[name] = value;
    save();
}

} // namespace velko
