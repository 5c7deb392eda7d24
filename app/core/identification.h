// The unit's identification fields as texts, and their bytes in the settings image.
//
// The ID code is six hexadecimal digits behind the fixed "37", kept as Hamming codewords;
// the machine serial number six digits behind "37", two to a byte; the factory date
// 20YY/MM/DD, two digits a byte. Their bytes are named in settings_map.h.
#pragma once

#include "settings_image.h"

#include <QString>

namespace velko {

inline const QString IdCodeMask = QStringLiteral("\\3\\7>999999<");
inline const QString FactoryDateMask = QStringLiteral("\\2\\0!00/00/00");

// The six positions of a field with its mask removed, padded with leading zeros to six.
QString ZeroFilled(const QString& positions);

// The three fields' texts as the program reads them, fixed characters included.
struct IdentificationTexts {
    QString idCode;
    QString machineSn;
    QString factoryDate;
};

// Writes the fields' bytes into `image`, in the order ID code, serial, date. A character or
// pair that is not hexadecimal throws ConversionError; the bytes before it stay written.
void FoldIdentification(const IdentificationTexts& texts, SegmentImage& image);

// The two check bytes over Segment A bytes 0-7.
void CalculateCheckBytes(SegmentImage& image);

// The digits each field takes after a read from the unit (ID code from the image, serial
// number and date from the unit's program-memory record) or after an open (all from the image).
QString IdCodeDigits(const SegmentImage& image);
QString SerialDigitsFromRecord(const std::array<std::uint8_t, RecordBytes>& record);
QString DateDigitsFromRecord(const std::array<std::uint8_t, RecordBytes>& record);
QString SerialDigitsFromImage(const SegmentImage& image);
QString DateDigitsFromImage(const SegmentImage& image);

// Where the unit's program-memory record keeps its identification.
inline constexpr int RecordSerialAt = 120;   // six Hamming codewords
inline constexpr int RecordModelTagAt = 126; // 'Q', '3', '7'
inline constexpr int RecordDateAt = 129;     // year, month, day

} // namespace velko
