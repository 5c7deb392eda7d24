#include "limit_rules.h"

#include "conversion.h"

namespace velko {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool digitPointDigitDigit(const QString& text)
{
    return text.size() == 4 && isDigit(text[0]) && text[1] == u'.' && isDigit(text[2]) && isDigit(text[3]);
}

// A "d.dd" text in hundredths of a volt.
int hundredths(const QString& text)
{
    return (text[0].unicode() - u'0') * 100 + (text[2].unicode() - u'0') * 10 + (text[3].unicode() - u'0');
}

constexpr int BatteryLimit = 640; // 6.40 V

} // namespace

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

int DecimalValue(const QString& text)
{
    constexpr int Ceiling = 1'000'000;
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    if (i >= text.size())
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    int value = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        if (value < Ceiling)
            value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

GapVerdict GapRule(const QString& text)
{
    const QString t = TrimBlanks(text);
    if (text.size() <= 3 && !t.isEmpty()) {
        const int v = DecimalValue(t);
        // A negative value is as far out of the byte's range as one above 255.
        if (v < 0 || v > 255)
            return {GapVerdict::Action::Clear, 0};
        return {GapVerdict::Action::Store, static_cast<std::uint8_t>(v)};
    }
    if (text.size() >= 4)
        return {GapVerdict::Action::Clear, 0};
    return {};
}

DutyVerdict DutyRule(QChar key, const QString& text)
{
    DutyVerdict verdict;
    if (key == EnterKey) {
        const QString t = TrimBlanks(text);
        if (text.isEmpty()) {
            verdict.dropKey = true;
            verdict.message = DutyRangeMessage;
            verdict.clear = true;
            return verdict;
        }
        const int v = DecimalValue(t);
        if (v < 0 || v > 255) {
            // The byte holds 0-255 and the message names that range: refused like an empty entry.
            verdict.dropKey = true;
            verdict.message = DutyRangeMessage;
            verdict.clear = true;
            return verdict;
        }
        verdict.value = static_cast<std::uint8_t>(v);
        verdict.colour = EditColour::Taken;
        return verdict;
    }
    if (key == BackspaceKey) {
        verdict.clear = true;
        verdict.colour = EditColour::Window;
        return verdict;
    }
    if (isDigit(key))
        return verdict;
    verdict.dropKey = true;
    verdict.message = DutyDigitMessage;
    verdict.clear = true;
    verdict.colour = EditColour::Window;
    return verdict;
}

BatteryEditTraits BatteryTraits(BatteryEdit edit)
{
    switch (edit) {
    case BatteryEdit::BattUp:
        return {BatteryPair::Upper, BatteryRole::High, BatteryEdit::BattUp1, BatteryFormMessage, EditColour::Window};
    case BatteryEdit::BattUp1:
        return {BatteryPair::Upper, BatteryRole::Low, BatteryEdit::BattUp, BatteryFormMessageCaps, EditColour::Keep};
    case BatteryEdit::BattDown:
        return {BatteryPair::Lower, BatteryRole::High, BatteryEdit::BattDown1, BatteryFormMessageCaps,
                EditColour::Keep};
    case BatteryEdit::BattDown1: break;
    }
    return {BatteryPair::Lower, BatteryRole::Low, BatteryEdit::BattDown, BatteryFormMessage, EditColour::Keep};
}

BatteryVerdict BatteryRule(BatteryEdit edit, QChar key, const QString& text, const QString& partnerText)
{
    BatteryVerdict verdict;
    if (key == BackspaceKey) {
        verdict.clear = true;
        verdict.colour = EditColour::Window;
        return verdict;
    }
    if (key != EnterKey || text.isEmpty())
        return verdict;

    const BatteryEditTraits traits = BatteryTraits(edit);
    if (text.size() != 4) {
        verdict.message = traits.wrongLengthMessage;
        verdict.clear = true;
        return verdict;
    }
    if (!digitPointDigitDigit(text)) {
        verdict.message = BatteryFormMessage;
        verdict.clear = true;
        verdict.colour = EditColour::Window;
        return verdict;
    }
    if (hundredths(text) > BatteryLimit) {
        verdict.message = BatteryFormMessage;
        verdict.clear = true;
        verdict.colour = traits.aboveLimitColour;
        return verdict;
    }
    // A partner typed without Enter may be of any form; only a well-formed one makes a pair,
    // anything else is taken as no partner yet.
    if (!digitPointDigitDigit(partnerText)) {
        verdict.colour = EditColour::Taken;
        return verdict;
    }
    const int high = traits.role == BatteryRole::High ? hundredths(text) : hundredths(partnerText);
    const int low = traits.role == BatteryRole::High ? hundredths(partnerText) : hundredths(text);
    if (high <= low) {
        verdict.message = BatteryOrderMessage;
        verdict.clear = true;
        verdict.colour = EditColour::Window;
        verdict.clearPartner = true;
        verdict.partnerColour = EditColour::Window;
        return verdict;
    }
    verdict.colour = EditColour::Taken;
    verdict.storePair = true;
    return verdict;
}

std::uint8_t EMSRepeatCount(int item)
{
    if (item >= 0 && item < static_cast<int>(EMSCountTable.size()))
        return EMSCountTable[static_cast<std::size_t>(item)];
    return 5;
}

std::uint32_t BatteryCounterWord(int item)
{
    if (item >= 1 && item <= 32)
        return item == 32 ? 0xFFFFFFFFu : (1u << item) - 1u;
    return 0xFFFFFFFFu;
}

} // namespace velko
