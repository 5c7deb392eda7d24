// The allocation table: which relay answers which key or lever position, written into a
// template document at the placeholders "Act01" to "Act40".
#pragma once

#include "settings_image.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velko {

inline constexpr int AllocationRelays = 40;

// "Act" and the relay number in two digits.
std::string AllocationPlaceholder(int number);

// Label of relay `relay` of an axis group from its RelayAssign entries, for example
// "North/(5)(4),South/(1)"; "N/A" when it is on at no position.
std::string AxisRelayLabel(int group, int relay, const std::array<std::uint8_t, RelayAssignBytes>& assign);

struct AllocationInput {
    int keyRelayCount = 0;
    std::vector<std::string> keyNames;        // name of key relay 1, 2, ...
    std::array<int, AxisGroups> axisCounts{}; // indexed by AxisGroup
    const std::array<std::uint8_t, RelayAssignBytes>* assign = &RelayAssign;
};

// The template with each relay's label at the first occurrence of its placeholder, and
// up to 11 occurrences of every placeholder above the total relay count turned to "N/A".
// Template, names and result are bytes: only the ASCII placeholders are looked for.
std::string BuildAllocationText(const std::string& allocationTemplate, const AllocationInput& in);

} // namespace velko
