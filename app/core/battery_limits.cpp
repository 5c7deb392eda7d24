#include "battery_limits.h"

#include "settings_map.h"

#include <charconv>

namespace velko {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool wellFormed(std::string_view text)
{
    return text.size() == 4 && isDigit(text[0]) && text[1] == '.' && isDigit(text[2]) && isDigit(text[3]);
}

std::uint8_t wholeVolts(std::string_view text) { return static_cast<std::uint8_t>(text[0] - '0'); }

std::uint8_t hundredths(std::string_view text)
{
    return static_cast<std::uint8_t>((text[2] - '0') * 10 + (text[3] - '0'));
}

std::uint16_t counts(float scaled)
{
    constexpr double K = 1.0 / 3.3;
    return static_cast<std::uint16_t>((4095.0 * static_cast<double>(scaled)) * K);
}

} // namespace

std::optional<float> BatteryVoltage(std::string_view text)
{
    if (!wellFormed(text))
        return std::nullopt;
    float value = 0;
    // Straight from the decimal text to the nearest float, with no double in between.
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

BatteryWords BatteryBandWords(float high, float low)
{
    // The sum of two floats is exact in double, so each step rounds once, to single.
    const float mid = static_cast<float>((static_cast<double>(high) + low) * 0.5);
    const float half = static_cast<float>(static_cast<double>(high) - mid);
    const float ratio = DividerR2 / (DividerR1 + DividerR2);
    const float m = ratio * mid;
    const float s = ratio * half;
    return {counts(m), counts(s)};
}

bool StoreBatteryPair(std::string_view high, std::string_view low, BatteryPair pair, SegmentImage& image)
{
    const auto h = BatteryVoltage(high);
    const auto l = BatteryVoltage(low);
    if (!h || !l)
        return false;
    const bool upper = pair == BatteryPair::Upper;
    const ImageByte highVolts = BatteryVoltsField[upper ? 0 : 2];
    const ImageByte lowVolts = BatteryVoltsField[upper ? 1 : 3];
    const ImageByte words = upper ? UpperBandWords : LowerBandWords;
    const BatteryWords w = BatteryBandWords(*h, *l);
    PutWordAt(image, words, w.mid);
    At(image, highVolts) = wholeVolts(high);
    At(image, highVolts.next()) = hundredths(high);
    At(image, lowVolts) = wholeVolts(low);
    At(image, lowVolts.next()) = hundredths(low);
    PutWordAt(image, words.next(2), w.half);
    return true;
}

} // namespace velko
