#include "text_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iconv.h>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velko {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
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

// Runs the converter over `text`, replacing each sequence it refuses by `replacement`
// and skipping `skip(lead byte)` bytes of it.
template <typename Skip>
std::string convert(const char* to, const char* from, std::string_view text,
                    std::string_view replacement, Skip skip)
{
    Converter conv(to, from);
    if (!conv.ok())
        throw std::runtime_error(std::string("no conversion from ") + from + " to " + to);
    std::string out;
    out.reserve(text.size() * 3 / 2);
    const char* in = text.data();
    std::size_t left = text.size();
    while (!conv.step(in, left, out)) {
        out.append(replacement);
        const std::size_t n = std::min(left, skip(static_cast<unsigned char>(*in)));
        in += n;
        left -= n;
    }
    return out;
}

} // namespace

std::string Cp950ToUtf8(std::string_view bytes)
{
    return convert("UTF-8", "CP950", bytes, "\xEF\xBF\xBD", [](unsigned char) { return std::size_t{1}; });
}

std::string Utf8ToCp950(std::string_view text)
{
    return convert("CP950", "UTF-8", text, "?", utf8Length);
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

std::string ReadTextFile(const std::filesystem::path& file)
{
    // A pipe would wait for a writer and a device may never end.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw FileError("Cannot open file " + std::filesystem::absolute(file).string());
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw FileError("Cannot open file " + std::filesystem::absolute(file).string());
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileError("Cannot open file " + std::filesystem::absolute(file).string());
    return Cp950ToUtf8(bytes);
}

std::vector<std::string> ReadTextLines(const std::filesystem::path& file) { return SplitLines(ReadTextFile(file)); }

void WriteTextLines(const std::filesystem::path& file, const std::vector<std::string>& lines)
{
    const std::string bytes = Utf8ToCp950(JoinLines(lines));
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
    struct stat st{};
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

} // namespace velko
