#include "whole_file_write.h"

#include "text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace velko {

void WriteFileWhole(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    // commit() alone was seen to report success after its buffered writes had failed, and
    // to put an empty file in place of the old one: every write is flushed and checked first.
    const bool written =
        file.open(QIODevice::WriteOnly)
        && file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size())
        && file.flush() && file.error() == QFileDevice::NoError && file.commit();
    if (!written) {
        file.cancelWriting();
        throw FileError("Cannot create file "
                        + QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString());
    }
}

} // namespace velko
