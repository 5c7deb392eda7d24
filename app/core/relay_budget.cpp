#include "relay_budget.h"

#include <algorithm>

namespace velko {

namespace {

constexpr int LoweringOrder[AxisGroups] = {SN, EW, UD, LR};
constexpr int NumberingOrder[AxisGroups] = {LR, UD, EW, SN};

} // namespace

long long RelayTotal(std::int32_t keyRelays, const AxisCounts& counts)
{
    long long total = std::max(keyRelays, 0);
    for (std::int32_t count : counts)
        total += std::max(count, 0);
    return total;
}

long long FreeRelays(std::int32_t keyRelays, const AxisCounts& counts)
{
    return RelayBudget - RelayTotal(keyRelays, counts);
}

int AxisToLower(std::int32_t keyRelays, const AxisCounts& counts)
{
    if (RelayTotal(keyRelays, counts) <= RelayBudget)
        return -1;
    for (int group : LoweringOrder) {
        if (counts[static_cast<std::size_t>(group)] > 0)
            return group;
    }
    return -1;
}

std::vector<int> RelayBudgetSteps(std::int32_t keyRelays, AxisCounts counts)
{
    std::vector<int> steps;
    for (int group = AxisToLower(keyRelays, counts); group >= 0; group = AxisToLower(keyRelays, counts)) {
        --counts[static_cast<std::size_t>(group)];
        steps.push_back(group);
    }
    return steps;
}

std::array<AxisRows, AxisGroups> RelayRowNumbering(std::int32_t keyRelays, const AxisCounts& counts)
{
    std::array<AxisRows, AxisGroups> rows{};
    long long next = static_cast<long long>(std::max(keyRelays, 0)) + 1;
    for (int group : NumberingOrder) {
        const std::int32_t count = std::max(counts[static_cast<std::size_t>(group)], 0);
        AxisRows& r = rows[static_cast<std::size_t>(group)];
        r.first = next;
        r.rows = std::min(count, AxisRelaysMax);
        next += count;
    }
    return rows;
}

std::string RelayLabel(long long number) { return "RY" + std::to_string(number); }

} // namespace velko
