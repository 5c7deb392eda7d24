#include "settings_file.h"

#include "text_file.h"

namespace velko {

namespace {

constexpr int BytesPerLine = 16;
constexpr int LinesPerBlock = SegmentBytes / BytesPerLine;

const char* const BlockBMarker = "INFOB";
const char* const BlockAMarker = "INFOA";
const char* const RecordMarker = "q";

std::string byteLine(const SegmentRow& row, int line)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(BytesPerLine * 3);
    for (int i = 0; i < BytesPerLine; ++i) {
        const std::uint8_t b = row[static_cast<std::size_t>(line * BytesPerLine + i)];
        if (i > 0)
            text += ' ';
        text += Digits[b >> 4];
        text += Digits[b & 0x0F];
    }
    return text;
}

// A memo's lines; a line break at the end starts one more, empty, line.
std::vector<std::string> memoLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmedRight(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Sixteen pairs of hexadecimal digits between blanks, into `out` at `at`.
bool readByteLine(std::string_view line, SegmentRow& out, std::size_t at)
{
    std::size_t i = 0;
    int count = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            return count == BytesPerLine;
        if (count == BytesPerLine || line.size() - i < 2)
            return false;
        const int high = hexDigit(line[i]), low = hexDigit(line[i + 1]);
        if (high < 0 || low < 0 || (i + 2 < line.size() && !isBlank(line[i + 2])))
            return false;
        out[at + static_cast<std::size_t>(count)] = static_cast<std::uint8_t>(high * 16 + low);
        ++count;
        i += 2;
    }
}

// Walks a text line by line; a line ends at CR LF, a lone CR or a lone LF.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line without its end; false at the end of the text.
    bool next(std::string_view& line)
    {
        if (pos_ >= text_.size())
            return false;
        std::size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(pos_, end - pos_);
        lineEnd_ = end;
        pos_ = end;
        if (pos_ < text_.size())
            pos_ += (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ? 2 : 1;
        return true;
    }

    // Where the last line's line break is (the end of the text when it has none).
    std::size_t lineEnd() const { return lineEnd_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t lineEnd_ = 0;
};

bool readBlock(LineReader& reader, const char* marker, SegmentRow& row)
{
    std::string_view line;
    if (!reader.next(line) || trimmedRight(line) != marker)
        return false;
    for (int k = 0; k < LinesPerBlock; ++k)
        if (!reader.next(line) || !readByteLine(line, row, static_cast<std::size_t>(k * BytesPerLine)))
            return false;
    return true;
}

bool startsWith(std::string_view text, std::size_t at, std::string_view prefix)
{
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}

} // namespace

std::vector<std::string> SettingsFileLines(const SegmentImage& image, const CustomerRecord& customer)
{
    std::vector<std::string> lines;
    lines.reserve(2 * (LinesPerBlock + 1) + 2 + CustomerFieldCount);
    for (const auto& [marker, row] : {std::pair{BlockBMarker, SegmentBRow}, std::pair{BlockAMarker, SegmentARow}}) {
        lines.emplace_back(marker);
        for (int k = 0; k < LinesPerBlock; ++k)
            lines.push_back(byteLine(image[static_cast<std::size_t>(row)], k));
    }
    lines.emplace_back(RecordMarker);
    for (std::size_t i = 0; i < CustomerFields.size(); ++i) {
        const std::string& text = customer[i];
        if (!CustomerFields[i].memo) {
            lines.push_back(CustomerFields[i].label + text);
            continue;
        }
        std::vector<std::string> memo = memoLines(text);
        memo.front().insert(0, CustomerFields[i].label);
        lines.insert(lines.end(), memo.begin(), memo.end());
    }
    lines.emplace_back(CustomerRecordEnd);
    return lines;
}

std::optional<int> FieldOutsideCp950(const CustomerRecord& customer)
{
    for (std::size_t i = 0; i < customer.size(); ++i)
        if (Cp950ToUtf8(Utf8ToCp950(customer[i])) != customer[i])
            return static_cast<int>(i);
    return std::nullopt;
}

std::string SettingsFileText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    std::size_t lineStart = 0; // where the line being copied starts in `out`
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            break;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
            lineStart = out.size();
            continue;
        }
        out += c;
    }
    if (out.size() != lineStart)
        out += "\r\n";
    return out;
}

std::optional<std::string> ArrangeSet(std::string_view text, SegmentImage& image)
{
    SegmentImage read = image;
    LineReader reader(text);
    if (!readBlock(reader, BlockBMarker, read[SegmentBRow]) || !readBlock(reader, BlockAMarker, read[SegmentARow]))
        return std::nullopt;
    image = read;
    return std::string(text.substr(reader.lineEnd()));
}

std::string CustomerRecordText(std::string_view arranged)
{
    std::size_t at = 0;
    for (int n = 0; n < CustomerRecordLead && at < arranged.size(); ++n) {
        ++at;
        // The rest of a UTF-8 sequence belongs to the same character.
        for (int k = 0; k < 3 && at < arranged.size() && (static_cast<unsigned char>(arranged[at]) & 0xC0) == 0x80; ++k)
            ++at;
    }
    return std::string(arranged.substr(at));
}

std::vector<std::string> ParseCustomerRecord(std::string_view text)
{
    std::vector<std::string> values;
    std::size_t at = 0; // the text not yet taken starts here
    for (std::size_t i = 0; i < CustomerFields.size(); ++i) {
        const bool memo = CustomerFields[i].memo;
        const std::string_view endLabel =
            i + 1 < CustomerFields.size() ? CustomerFields[i + 1].label : CustomerRecordEnd;
        std::string value;
        bool complete = false;
        for (;;) {
            if (at < text.size())
                value += text[at++];
            if (!memo && at < text.size() && text[at] == '\r')
                at += std::min<std::size_t>(2, text.size() - at);
            if (at >= text.size())
                break;
            if (startsWith(text, at, endLabel)) {
                complete = true;
                break;
            }
        }
        if (!complete) {
            values.push_back(std::move(value));
            return values;
        }
        if (value == "\r\n")
            value.clear();
        else if (memo && value.size() >= 2 && value.compare(value.size() - 2, 2, "\r\n") == 0)
            value.resize(value.size() - 2);
        values.push_back(std::move(value));
        at += endLabel.size();
    }
    return values;
}

} // namespace velko
