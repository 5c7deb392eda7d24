// Writing a file whole or not at all: the new text goes into a file beside the old one and
// takes its place only once every byte of it is on the disk, so a full disk or a failing
// write leaves the previous file as it was.
#pragma once

#include <QString>

#include <string_view>

namespace velko {

// Throws FileError "Cannot create file <path>" when the file cannot be written whole.
void WriteFileWhole(const QString& path, std::string_view bytes);

} // namespace velko
