#include "text_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velko {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (!ok())
            throw std::runtime_error(std::string("no conversion from ") + from + " to " + to);
    }
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; returns false at a byte sequence it cannot take, with
    // `in` left at that sequence.
    bool step(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buffer[1024];
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            char* src = const_cast<char*>(in);
            const std::size_t r = iconv(cd_, &src, &inLeft, &dst, &dstLeft);
            const int err = errno;
            in = src;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (r != static_cast<std::size_t>(-1))
                continue;
            if (err == E2BIG)
                continue;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        return true;
    }

private:
    iconv_t cd_;
};

std::size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Runs the converter over `text` into `out`, replacing each sequence it refuses by
// `replacement` and skipping `skip(sequence, bytes left)` bytes of it.
template <typename Skip>
void convert(Converter& conv, std::string_view text, std::string_view replacement, Skip skip, std::string& out)
{
    const char* in = text.data();
    std::size_t left = text.size();
    while (!conv.step(in, left, out)) {
        out.append(replacement);
        const std::size_t n = std::min(left, skip(in, left));
        in += n;
        left -= n;
    }
}

// Code page 950 as the users' machines have it, around the system's table: the user-defined
// areas, which the system's table leaves out, and the few codes that it reads as the same
// character as another code; so that a file comes back byte for byte.

bool isLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool isTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }

constexpr char32_t TrailsPerLead = 157;
constexpr char32_t LowTrails = 0x7F - 0x40; // 0x40-0x7E, before 0xA1-0xFE

// Each run of lead bytes takes the private-use characters from `first` on, 157 a lead.
struct UserArea {
    unsigned char firstLead, lastLead;
    char32_t first;
};
constexpr UserArea UserAreas[] = {
    {0xFA, 0xFE, 0xE000},
    {0x8E, 0xA0, 0xE311},
    {0x81, 0x8D, 0xEEB8},
};

// Codes that the system's table reads as the character of another code. Each is that character
// and a variation selector, which shows nothing: the text looks as it does on the users'
// machines and still says which code it came from. The character alone is the other code.
struct Duplicate {
    unsigned char lead, trail;
    const char* text; // UTF-8
};
constexpr Duplicate Duplicates[] = {
    {0xA2, 0xCC, "\u5341\uFE00"}, // 十, else 0xA451
    {0xA2, 0xCE, "\u5345\uFE00"}, // 卅, else 0xA4CA
    {0xF9, 0xE9, "\u255E\uFE00"}, {0xF9, 0xEA, "\u256A\uFE00"}, {0xF9, 0xEB, "\u2561\uFE00"},
    {0xF9, 0xF9, "\u2550\uFE00"}, {0xF9, 0xFA, "\u256D\uFE00"}, {0xF9, 0xFB, "\u256E\uFE00"},
    {0xF9, 0xFC, "\u2570\uFE00"}, {0xF9, 0xFD, "\u256F\uFE00"},
};

// The character of a code that is not left to the system's table, if it is one.
bool decodeOwn(unsigned char lead, unsigned char trail, std::string& out)
{
    for (const UserArea& area : UserAreas)
        if (lead >= area.firstLead && lead <= area.lastLead) {
            const char32_t t = trail <= 0x7E ? trail - 0x40u : trail - 0xA1u + LowTrails;
            const char32_t c = area.first + (lead - area.firstLead) * TrailsPerLead + t;
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
            return true;
        }
    for (const Duplicate& d : Duplicates)
        if (d.lead == lead && d.trail == trail) {
            out += d.text;
            return true;
        }
    return false;
}

// How many bytes at the start of `text` are a character of decodeOwn (0 when none), its
// code into `out`.
std::size_t encodeOwn(std::string_view text, std::string& out)
{
    if (text.empty() || static_cast<unsigned char>(text[0]) < 0x80)
        return 0;
    for (const Duplicate& d : Duplicates) {
        const std::string_view form(d.text);
        if (text.substr(0, form.size()) == form) {
            out += static_cast<char>(d.lead);
            out += static_cast<char>(d.trail);
            return form.size();
        }
    }
    // The private-use characters take three bytes.
    const auto continues = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    if (text.size() < 3 || utf8Length(static_cast<unsigned char>(text[0])) != 3 || !continues(text[1])
        || !continues(text[2]))
        return 0;
    const char32_t c = ((static_cast<unsigned char>(text[0]) & 0x0Fu) << 12)
                     | ((static_cast<unsigned char>(text[1]) & 0x3Fu) << 6)
                     | (static_cast<unsigned char>(text[2]) & 0x3Fu);
    for (const UserArea& area : UserAreas) {
        const char32_t count = (area.lastLead - area.firstLead + 1u) * TrailsPerLead;
        if (c < area.first || c >= area.first + count)
            continue;
        const char32_t at = c - area.first;
        const char32_t t = at % TrailsPerLead;
        out += static_cast<char>(area.firstLead + at / TrailsPerLead);
        out += static_cast<char>(t < LowTrails ? 0x40 + t : 0xA1 + t - LowTrails);
        return 3;
    }
    return 0;
}

} // namespace

std::string Cp950ToUtf8(std::string_view bytes)
{
    // A code that is not there takes its trail byte with it, so that no stray letter shows.
    const auto skip = [](const char* at, std::size_t left) -> std::size_t {
        return left >= 2 && isLead(static_cast<unsigned char>(at[0])) && isTrail(static_cast<unsigned char>(at[1])) ? 2
                                                                                                                    : 1;
    };
    Converter conv("UTF-8", "CP950");
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::size_t run = 0; // from here on the bytes go to the system's table
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (!isLead(lead) || i + 1 == bytes.size() || !isTrail(static_cast<unsigned char>(bytes[i + 1]))) {
            ++i;
            continue;
        }
        std::string own;
        if (decodeOwn(lead, static_cast<unsigned char>(bytes[i + 1]), own)) {
            convert(conv, bytes.substr(run, i - run), "\xEF\xBF\xBD", skip, out);
            out += own;
            run = i + 2;
        }
        i += 2;
    }
    convert(conv, bytes.substr(run), "\xEF\xBF\xBD", skip, out);
    return out;
}

std::string Utf8ToCp950(std::string_view text)
{
    const auto skip = [](const char* at, std::size_t) { return utf8Length(static_cast<unsigned char>(*at)); };
    Converter conv("CP950", "UTF-8");
    std::string out;
    out.reserve(text.size());
    std::size_t run = 0; // from here on the text goes to the system's table
    std::size_t i = 0;
    while (i < text.size()) {
        std::string own;
        if (const std::size_t n = encodeOwn(text.substr(i), own)) {
            convert(conv, text.substr(run, i - run), "?", skip, out);
            out += own;
            i += n;
            run = i;
            continue;
        }
        i += std::min(text.size() - i, utf8Length(static_cast<unsigned char>(text[i])));
    }
    convert(conv, text.substr(run), "?", skip, out);
    return out;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

namespace {

FileError cannotOpen(const std::filesystem::path& file)
{
    return FileError("Cannot open file " + std::filesystem::absolute(file).string());
}

// A read that runs out of memory (a file far larger than any side or settings file) or finds
// no converter has not opened the file either, and says so in the same words.
template <typename Read>
auto orCannotOpen(const std::filesystem::path& file, Read read) -> decltype(read())
{
    try {
        return read();
    } catch (const FileError&) {
        throw;
    } catch (const std::exception&) {
        throw cannotOpen(file);
    }
}

std::string readBytes(const std::filesystem::path& file)
{
    // Only a plain file: a pipe would wait for a writer and a device may never end.
    const int fd = OpenPlainFile(file, O_RDONLY, false);
    if (fd < 0)
        throw cannotOpen(file);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    ::fstat(fd, &st);
    std::string bytes;
    if (st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // Part of a file is no file: a failing medium or a share that went away.
            throw cannotOpen(file);
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

std::string ReadFileBytes(const std::filesystem::path& file)
{
    return orCannotOpen(file, [&] { return readBytes(file); });
}

std::string ReadLineBytes(const std::filesystem::path& file)
{
    return orCannotOpen(file, [&] { return JoinLines(SplitLines(readBytes(file))); });
}

std::string ReadTextFile(const std::filesystem::path& file)
{
    return orCannotOpen(file, [&] { return Cp950ToUtf8(readBytes(file)); });
}

std::vector<std::string> ReadTextLines(const std::filesystem::path& file)
{
    return orCannotOpen(file, [&] { return SplitLines(Cp950ToUtf8(readBytes(file))); });
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        throw FileError("Cannot create file " + std::filesystem::absolute(file).string());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw FileError("Cannot create file " + std::filesystem::absolute(file).string());
}

int OpenPlainFile(const std::filesystem::path& file, int flags, bool folderToo)
{
    const auto fitting = [folderToo](mode_t mode) { return S_ISREG(mode) || (folderToo && S_ISDIR(mode)); };
    // Looked at first so that a device is not even opened (opening a port can raise its lines);
    // looked at again on the descriptor, since the name may have changed meanwhile.
    struct stat st {};
    const int looked = (flags & O_NOFOLLOW) ? ::lstat(file.c_str(), &st) : ::stat(file.c_str(), &st);
    if (looked == 0 && !fitting(st.st_mode)) {
        errno = S_ISLNK(st.st_mode) ? ELOOP : EINVAL;
        return -1;
    }
    int fd;
    do
        fd = ::open(file.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !fitting(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

void WriteTextLines(const std::filesystem::path& file, const std::vector<std::string>& lines)
{
    WriteFileBytes(file, Utf8ToCp950(JoinLines(lines)));
}

} // namespace velko
