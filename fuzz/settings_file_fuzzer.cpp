// libFuzzer target for the widget-free half of opening a settings file: the bytes of a file
// through the code-page conversion, the line split, ArrangeSet and the customer record's
// parser. Any crash, out-of-bounds read or broken invariant aborts.
#include "settings_file.h"
#include "text_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace velko;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void parseRecord(std::string_view text)
{
    const auto values = ParseCustomerRecord(text);
    check(values.size() <= static_cast<std::size_t>(CustomerFieldCount));
    std::size_t taken = 0;
    for (const auto& v : values)
        taken += v.size();
    check(taken <= text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // As the open reads a file.
    const std::string utf8 = Cp950ToUtf8(bytes);
    const std::string text = SettingsFileText(utf8);
    if (utf8.find('\0') == std::string::npos)
        check(text == JoinLines(SplitLines(utf8)));
    SegmentImage image{};
    image[0].fill(0x5A);
    const SegmentImage before = image;
    const auto rest = ArrangeSet(text, image);
    if (!rest) {
        check(image == before);
    } else {
        check(rest->size() <= text.size());
        check(text.compare(text.size() - rest->size(), rest->size(), *rest) == 0);
        // The image written back is read back the same.
        SegmentImage again{};
        check(ArrangeSet(JoinLines(SettingsFileLines(image, {})), again).has_value() && again == image);
        const std::string record = CustomerRecordText(*rest);
        if (!record.empty())
            parseRecord(record);
    }

    // The parser and the lead's cut on raw bytes, valid UTF-8 or not.
    parseRecord(bytes);
    check(CustomerRecordText(bytes).size() <= bytes.size());
    return 0;
}
