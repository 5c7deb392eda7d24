// The settings file: both segments as hexadecimal lines, then the customer record.
//
//   INFOB                      Segment B bytes 0-127, sixteen a line
//   00 01 02 ... 0F            (eight lines)
//   INFOA                      Segment A bytes 0-127, the same way
//   ...                        (eight lines)
//   q
//   Customer No:<value>        thirteen labelled values; a memo spans as many lines as
//   ...                        its text has
//   End
//
// Texts here are UTF-8; the file itself is code page 950 with CR LF after every line.
#pragma once

#include "settings_image.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velko {

inline constexpr int CustomerFieldCount = 13;

struct CustomerField {
    const char* label;   // as written in the file
    bool memo;           // keeps its line breaks
    const char* caption; // as shown on the customer page
};

// In the order of the file and of the customer page.
inline constexpr std::array<CustomerField, CustomerFieldCount> CustomerFields = {{
    {"Customer No:", false, "客 戶 編 號"},
    {"Company Name:", false, "公 司 名 稱"},
    {"Company Fax No:", false, "傳 真 號 碼"},
    {"Company Tel:", false, "電 話 號 碼"},
    {"Company E-Mail:", false, "電 子 郵 件"},
    {"Company Address:", true, "公 司 地 址"},
    {"Contect Man:", false, "連絡人姓名"},
    {"Contect Tel:", false, "電話號碼"},
    {"Contect Mobile:", false, "行動電話號碼"},
    {"Contect E-mail:", false, "電子郵件"},
    {"Remark:", true, "安裝備註"},
    {"Chanel:", false, "頻道"},
    {"Frequency:", false, "頻率"},
}};
inline constexpr const char* CustomerRecordEnd = "End";

// The texts of the thirteen controls; a memo's lines are separated by '\n'.
using CustomerRecord = std::array<std::string, CustomerFieldCount>;

// The lines of a file holding `image` and `customer`, without their line ends.
std::vector<std::string> SettingsFileLines(const SegmentImage& image, const CustomerRecord& customer);

// The field whose text code page 950 cannot hold as it is (a character without a cp950
// form, or one that would come back as another), if any.
std::optional<int> FieldOutsideCp950(const CustomerRecord& customer);

// The text an open works on: the lines of a file's text (ended by CR LF, a lone CR or a lone
// LF) up to the first NUL character, each followed by CR LF. Made in one pass, without a list
// of the lines, so a file of many short lines takes no more than twice its size.
std::string SettingsFileText(std::string_view text);

// When `text` starts with an "INFOB" line, eight lines of sixteen hexadecimal byte pairs,
// an "INFOA" line and eight more, fills row 0 of `image` from the first block and row 1
// from the second, and returns the text from the line break after the last byte line on.
// Anything else is no settings file: nothing is returned and `image` is left alone.
std::optional<std::string> ArrangeSet(std::string_view text, SegmentImage& image);

// What follows the image's text before the customer number's value: the line break, the
// line "q" and its line break, and "Customer No:". Drops that many characters (all of a
// shorter text).
inline constexpr int CustomerRecordLead = 17;
std::string CustomerRecordText(std::string_view arranged);

// Takes the customer record apart, starting at the customer number's value. Each field
// ends where the next field's label begins (the last at "End"); single-line fields drop
// the line breaks. The result holds the fields reached, in order: when the text ends before
// the last label the final one holds what was gathered so far and later fields are absent.
// A memo that ended at its next label loses the one line break the save put after its text.
// Values keep the file's CR LF inside memos.
std::vector<std::string> ParseCustomerRecord(std::string_view text);

} // namespace velko
