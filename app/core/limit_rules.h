// The special page's rules for typed texts and its list encodings, apart from the widgets:
// each rule gives a verdict that the page applies to its edit, the edit's colour and the image.
#pragma once

#include "battery_limits.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

namespace velko {

inline const QString DutyRangeMessage = QStringLiteral("請輸入0~255");
inline const QString DutyDigitMessage = QStringLiteral("請輸入0~9");
inline const QString BatteryFormMessage = QStringLiteral("請輸入0.xx~6.40");
inline const QString BatteryFormMessageCaps = QStringLiteral("請輸入0.XX~6.40");
inline const QString BatteryOrderMessage = QStringLiteral("電池電壓上限值不可小於下限值,請重新設定");

// Characters as a key handler sees them.
inline constexpr char16_t EnterKey = u'\r';
inline constexpr char16_t BackspaceKey = u'\b';

// Blanks and control characters off both ends of a text.
QString TrimBlanks(const QString& text);

// The value of a decimal integer text (optional sign, digits, nothing else). Throws
// ConversionError "'<text>' is not a valid integer value" otherwise. Long numbers are not an
// error: their value only needs to compare as out of a byte's range, so it stops growing at a
// million.
int DecimalValue(const QString& text);

// What an edit's colour becomes: left as it is, the window's own colour, or yellow (taken).
enum class EditColour { Keep, Window, Taken };

// A gap edit's text after a change: store a byte, empty the edit (the byte keeps its value),
// or nothing. Throws ConversionError for a short text that is not a decimal integer.
struct GapVerdict {
    enum class Action { Nothing, Store, Clear } action = Action::Nothing;
    std::uint8_t value = 0;
};
GapVerdict GapRule(const QString& text);

// A character typed into a duty edit holding `text`.
struct DutyVerdict {
    bool dropKey = false;
    QString message; // empty: no message
    bool clear = false;
    EditColour colour = EditColour::Keep;
    std::optional<std::uint8_t> value; // the byte to store
};
// Throws ConversionError on Enter when the text is not a decimal integer (pasted text).
DutyVerdict DutyRule(QChar key, const QString& text);

// The four battery edits, each with its partner in the same pair.
enum class BatteryEdit { BattUp, BattUp1, BattDown, BattDown1 };
enum class BatteryRole { High, Low };

struct BatteryEditTraits {
    BatteryPair pair;
    BatteryRole role;
    BatteryEdit partner;
    QString wrongLengthMessage;
    EditColour aboveLimitColour;
};
BatteryEditTraits BatteryTraits(BatteryEdit edit);

// A character typed into battery edit `edit` holding `text`, its partner holding `partnerText`.
// The key always goes on to the edit.
struct BatteryVerdict {
    QString message;
    bool clear = false;
    EditColour colour = EditColour::Keep;
    bool clearPartner = false;
    EditColour partnerColour = EditColour::Keep;
    bool storePair = false; // StoreBatteryPair on the pair's high and low texts
};
BatteryVerdict BatteryRule(BatteryEdit edit, QChar key, const QString& text, const QString& partnerText);

// List encodings. The EMS repeat count of an item (5 for no item); item 4 stores 40.
std::uint8_t EMSRepeatCount(int item);
// The battery counter word of an item: n low bits set for item n (1-32), all ones otherwise.
std::uint32_t BatteryCounterWord(int item);

} // namespace velko
