#include "scripted_units.h"

namespace unitsim {

void SyncAckUnit::onReceive(Line& line, Time end, const Bytes& burst)
{
    if (burst.size() == 1 && burst[0] == 0x80)
        line.sendToHost(end + Turnaround, {0x90});
}

void ScriptedUnit::onReceive(Line& line, Time end, const Bytes& burst)
{
    (void)burst;
    if (script_.empty())
        return;
    const Bytes next = std::move(script_.front());
    script_.pop_front();
    if (!next.empty())
        line.sendToHost(end + Turnaround, next);
}

} // namespace unitsim
