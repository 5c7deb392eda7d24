// Side files and settings files are 8-bit text in code page 950, whatever the locale, so
// that they travel to and from the users' machines unchanged. In memory text is UTF-8.
#pragma once

#include "framework_error.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velko {

// A file that cannot be opened or created; the message is the one the user sees.
class FileError : public FrameworkError {
public:
    using FrameworkError::FrameworkError;
};

// Code page 950 as the users' machines write it: the user-defined areas are the private-use
// characters U+E000-U+F6B0 (lead bytes 0xFA-0xFE, then 0x8E-0xA0, then 0x81-0x8D, 157 trail
// bytes each), and a code that shares its character with another one (0xA2CC and 0xA451 十)
// reads as that character and U+FE00; so text that comes from bytes gives the same bytes back. Bytes that are not code
// page 950 become U+FFFD (a lead byte and its trail byte one U+FFFD), so nothing stops a read.
std::string Cp950ToUtf8(std::string_view bytes);
// Characters that code page 950 cannot hold become '?'.
std::string Utf8ToCp950(std::string_view text);

// Lines end at CR LF, a lone CR or a lone LF; a last line without an end still counts.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF, the last one included.
std::string JoinLines(const std::vector<std::string>& lines);

// The bytes of a whole file. Only a plain file is read: a folder, a pipe or a device throws
// FileError "Cannot open file <path>", as does a file that cannot be opened or read to its end,
// or one too large for the memory left.
std::string ReadFileBytes(const std::filesystem::path& file);
// The file's lines as bytes, each followed by CR LF. Throws as ReadFileBytes.
std::string ReadLineBytes(const std::filesystem::path& file);
// The whole file as UTF-8 text. Throws as ReadFileBytes.
std::string ReadTextFile(const std::filesystem::path& file);
// The whole file as its lines (UTF-8). Throws as ReadTextFile.
std::vector<std::string> ReadTextLines(const std::filesystem::path& file);
// Writes the lines with CR LF after each, replacing the file. Throws FileError
// "Cannot create file <path>".
void WriteTextLines(const std::filesystem::path& file, const std::vector<std::string>& lines);
// Writes `bytes` as they are, replacing the file. Throws as WriteTextLines.
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);

// Opens `file` with open(2)'s `flags` (O_CREAT makes it 0600) without ever waiting on it, and
// keeps the descriptor only for a plain file, or also a folder when `folderToo`: a pipe, a
// device or a socket is closed again (errno EINVAL). The descriptor blocks again as usual.
// -1 with errno set when there is no descriptor.
int OpenPlainFile(const std::filesystem::path& file, int flags, bool folderToo = false);

} // namespace velko
