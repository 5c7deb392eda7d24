// The receiver's 40 relays shared by the key relays and the four joystick axes: which axis
// gives up a relay when the total is over, how the grid rows are numbered, how many are free.
#pragma once

#include "settings_image.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velko {

inline constexpr int RelayBudget = 40;
// Relays an axis can have: the rows of its grid and of its RelayAssign table.
inline constexpr int AxisRelaysMax = RelaysPerPosition - 1; // 16

using AxisCounts = std::array<std::int32_t, AxisGroups>; // indexed by AxisGroup

// Key relays plus the axes that have relays; a count below 0 (a list without an item)
// takes none. Wide, since a loaded image may hold any byte as a count.
long long RelayTotal(std::int32_t keyRelays, const AxisCounts& counts);

// Relays still free; below 0 when a loaded image asks for more than there are.
long long FreeRelays(std::int32_t keyRelays, const AxisCounts& counts);

// The axis to lower by one relay next: SN first, then EW, UD, LR, the first with a relay
// left; -1 once the total is within the budget or no axis has a relay left (the key relays
// alone may be over the budget, and they are not the budget's to lower).
int AxisToLower(std::int32_t keyRelays, const AxisCounts& counts);

// The whole reduction as the groups lowered, one relay per step, in order.
std::vector<int> RelayBudgetSteps(std::int32_t keyRelays, AxisCounts counts);

// Relay numbers of the axis rows: they run on from the key relays through LR, UD, EW, SN.
struct AxisRows {
    long long first = 0; // number of row 1
    int rows = 0;        // rows that carry a number: the count, within the grid's 16 rows
};
std::array<AxisRows, AxisGroups> RelayRowNumbering(std::int32_t keyRelays, const AxisCounts& counts);

// "RY" and the relay number.
std::string RelayLabel(long long number);

} // namespace velko
