#include "identification.h"

#include "conversion.h"
#include "fenlo.h"
#include "settings_map.h"

namespace velko {
namespace {

std::uint8_t rotateLeft(std::uint8_t b, int times = 1)
{
    for (int i = 0; i < times; ++i)
        b = static_cast<std::uint8_t>((b << 1) | (b >> 7));
    return b;
}

std::uint8_t checkByte(const SegmentImage& image, int first)
{
    std::uint8_t sum = 0;
    for (int k = first; k < CheckBytesField.k; k += 2)
        sum = static_cast<std::uint8_t>(sum + rotateLeft(At(image, InSegA(k))));
    return rotateLeft(sum, sum & 0x0F);
}

std::uint8_t hexByte(const QString& digits)
{
    return static_cast<std::uint8_t>(StrToInt(QStringLiteral("0x") + digits) & 0xFF);
}

QString nibbleDigit(std::uint8_t codeword) { return QString::number(ReHamming(codeword), 16).toUpper(); }

QString twoHexDigits(std::uint8_t b) { return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper(); }

} // namespace

QString ZeroFilled(const QString& positions)
{
    const QString trimmed = positions.trimmed();
    if (trimmed.size() >= 6)
        return positions;
    return QString(6 - trimmed.size(), u'0') + trimmed;
}

void FoldIdentification(const IdentificationTexts& texts, SegmentImage& image)
{
    QString work = texts.idCode.mid(2);
    for (int i = 0; i < IdCodeBytes; ++i) {
        At(image, IdCodeField.next(i)) = DeHamming(hexByte(work.left(1).trimmed()));
        work.remove(0, 1);
    }
    work = texts.machineSn.mid(2);
    for (int i = 0; i < SerialNumberBytes; ++i) {
        At(image, SerialNumberField.next(i)) = hexByte(work.left(2));
        work.remove(0, 2);
    }
    work = texts.factoryDate.mid(2);
    for (int i = 0; i < FactoryDateBytes; ++i) {
        At(image, FactoryDateField.next(i)) = hexByte(work.left(2));
        work.remove(0, 3);
    }
}

void CalculateCheckBytes(SegmentImage& image)
{
    At(image, CheckBytesField) = checkByte(image, 0);
    At(image, CheckBytesField.next()) = checkByte(image, 1);
}

QString IdCodeDigits(const SegmentImage& image)
{
    QString digits;
    for (int i = 0; i < IdCodeBytes; ++i)
        digits += nibbleDigit(At(image, IdCodeField.next(i)));
    return digits.trimmed();
}

QString SerialDigitsFromRecord(const std::array<std::uint8_t, RecordBytes>& record)
{
    QString digits;
    for (int i = 0; i < 6; ++i)
        digits += nibbleDigit(record[RecordSerialAt + i]);
    // Six erased bytes: the unit has no serial number yet.
    return digits == u"FFFFFF" ? QString() : digits.trimmed();
}

QString DateDigitsFromRecord(const std::array<std::uint8_t, RecordBytes>& record)
{
    QString digits;
    for (int i = 0; i < 3; ++i) {
        const int value = record[RecordDateAt + i];
        digits += (value <= 9 ? QStringLiteral("0") : QString()) + QString::number(value);
    }
    return digits;
}

QString SerialDigitsFromImage(const SegmentImage& image)
{
    QString digits;
    for (int i = 0; i < SerialNumberBytes; ++i)
        digits += twoHexDigits(At(image, SerialNumberField.next(i)));
    return digits.trimmed();
}

QString DateDigitsFromImage(const SegmentImage& image)
{
    QString digits;
    for (int i = 0; i < FactoryDateBytes; ++i)
        digits += twoHexDigits(At(image, FactoryDateField.next(i)));
    return digits;
}

} // namespace velko
