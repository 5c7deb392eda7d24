#include "allocation_text.h"

#include <algorithm>

namespace velko {

namespace {

// Numbering order of the groups in the table (not the storage order).
constexpr int NumberingOrder[AxisGroups] = {LR, UD, EW, SN};

struct DirectionTexts {
    const char* first;  // lever positions 1-5
    const char* second; // lever positions 7-11
};

DirectionTexts directionTexts(int group)
{
    switch (group) {
    case LR: return {"North/", "South/"};
    case UD: return {"West/", "East/"};
    case EW: return {"Up/", "Down/"};
    default: return {"Aux(Down)/", "Aux(Up)/"};
    }
}

bool replaceFirst(std::string& text, const std::string& what, const std::string& with)
{
    const auto at = text.find(what);
    if (at == std::string::npos)
        return false;
    text.replace(at, what.size(), with);
    return true;
}

} // namespace

std::string AllocationPlaceholder(int number)
{
    std::string digits = std::to_string(number);
    if (number <= 9)
        digits.insert(0, "0");
    return "Act" + digits;
}

std::string AxisRelayLabel(int group, int relay, const std::array<std::uint8_t, RelayAssignBytes>& assign)
{
    const DirectionTexts texts = directionTexts(group);
    std::string first = texts.first;
    std::string middle;
    std::string second = texts.second;
    // Only relays 1-16 exist in the table; a larger stored count has nothing to show.
    if (relay >= 1 && relay < RelaysPerPosition) {
        for (int k = 1; k <= 11; ++k) {
            if (assign[RelayAssignIndex(group, k, relay)] != 1)
                continue;
            if (k <= 5)
                first += "(" + std::to_string(6 - k) + ")";
            else if (k == 6)
                middle += "Zero";
            else
                second += "(" + std::to_string(k - 6) + ")";
        }
    }
    std::vector<std::string> parts;
    if (first != texts.first)
        parts.push_back(first);
    if (!middle.empty())
        parts.push_back(middle);
    if (second != texts.second)
        parts.push_back(second);
    if (parts.empty())
        return "N/A";
    std::string label = parts[0];
    for (std::size_t i = 1; i < parts.size(); ++i)
        label += "," + parts[i];
    return label;
}

std::string BuildAllocationText(const std::string& allocationTemplate, const AllocationInput& in)
{
    std::string text = allocationTemplate;
    // A loaded enable mask can give up to 13 key relays: every one of them is named.
    const int keys = std::min(in.keyRelayCount, AllocationRelays);
    for (int i = 1; i <= keys; ++i) {
        const std::string name = static_cast<std::size_t>(i) <= in.keyNames.size() ? in.keyNames[i - 1] : std::string();
        replaceFirst(text, AllocationPlaceholder(i), name);
    }

    long long before = in.keyRelayCount;
    for (int group : NumberingOrder) {
        const int count = in.axisCounts[group];
        for (int j = 1; j <= count; ++j) {
            const long long n = before + j;
            replaceFirst(text, AllocationPlaceholder(static_cast<int>(n)), AxisRelayLabel(group, j, *in.assign));
        }
        before += std::max(count, 0);
    }

    const long long total = before;
    for (int pass = 0; pass < 11; ++pass)
        for (long long n = total + 1; n <= AllocationRelays; ++n)
            replaceFirst(text, AllocationPlaceholder(static_cast<int>(n)), "N/A");
    return text;
}

} // namespace velko
