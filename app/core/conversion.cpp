#include "conversion.h"

#include <cstdint>
#include <limits>

namespace velko {
namespace {

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    const QChar upper = c.toUpper();
    if (upper >= u'A' && upper <= u'F')
        return upper.unicode() - u'A' + 10;
    return -1;
}

} // namespace

int StrToInt(const QString& text)
{
    const auto fail = [&text]() -> int {
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i]);
        if (digit < 0 || digit >= base)
            return fail();
        value = value * base + digit;
        // Hexadecimal texts may use all 32 bits, as a two's-complement pattern.
        const long long limit = base == 16 ? 0xFFFFFFFFLL : std::numeric_limits<int>::max() + (negative ? 1LL : 0LL);
        if (value > limit)
            return fail();
    }
    const long long signedValue = negative ? -value : value;
    return static_cast<int>(static_cast<std::uint32_t>(signedValue));
}

} // namespace velko
