#include "sim_line.h"

#include <algorithm>

namespace unitsim {

void Line::sendToHost(Time earliest, const Bytes& bytes)
{
    if (unplugged_)
        return;
    Time at = std::max(earliest, toHostFreeAt_);
    for (Byte b : bytes) {
        at += CharTime;
        toHost_.push_back({at, b});
    }
    toHostFreeAt_ = at;
}

void Line::clearRecords()
{
    received_.clear();
    modemChanges_.clear();
}

std::size_t Line::firstBurstLength() const
{
    std::size_t n = 1;
    while (n < toUnit_.size() && toUnit_[n].at == toUnit_[n - 1].at + CharTime)
        ++n;
    return n;
}

void Line::catchUp()
{
    const Time now = clock_.now();
    // Hand the unit every burst whose last byte has arrived and that no byte continues.
    while (!toUnit_.empty() && toUnit_.front().at <= now) {
        const std::size_t n = firstBurstLength();
        const Time end = toUnit_[n - 1].at;
        if (end > now)
            return;
        Burst burst{end, {}};
        for (std::size_t i = 0; i < n; ++i) {
            burst.bytes.push_back(toUnit_.front().byte);
            toUnit_.pop_front();
        }
        received_.push_back(burst);
        if (unit_)
            unit_->onReceive(*this, end, burst.bytes);
    }
}

std::size_t Line::hostQueued()
{
    catchUp();
    const Time now = clock_.now();
    return static_cast<std::size_t>(
        std::count_if(toHost_.begin(), toHost_.end(), [now](const Timed& t) { return t.at <= now; }));
}

void Line::escape(fenlo::platform::ModemSignal signal)
{
    using fenlo::platform::ModemSignal;
    catchUp();
    switch (signal) {
    case ModemSignal::SetDtr: dtr_ = true; break;
    case ModemSignal::ClrDtr: dtr_ = false; break;
    case ModemSignal::SetRts: rts_ = true; break;
    case ModemSignal::ClrRts: rts_ = false; break;
    }
    modemChanges_.push_back({clock_.now(), signal});
    if (unit_)
        unit_->onModemLines(*this, clock_.now(), dtr_, rts_);
}

void Line::purgeInput()
{
    catchUp();
    const Time now = clock_.now();
    while (!toHost_.empty() && toHost_.front().at <= now)
        toHost_.pop_front();
}

long Line::queued()
{
    if (queryFails)
        return -1;
    return static_cast<long>(hostQueued());
}

std::size_t Line::read(unsigned char* into, std::size_t count)
{
    if (unplugged_)
        return 0;
    const std::size_t available = std::min(count, hostQueued());
    for (std::size_t i = 0; i < available; ++i) {
        into[i] = toHost_.front().byte;
        toHost_.pop_front();
    }
    return available;
}

void Line::write(const unsigned char* bytes, std::size_t count)
{
    if (unplugged_)
        return;
    hostSends(Bytes(bytes, bytes + count));
    if (toUnitFreeAt_ > clock_.now())
        clock_.advance(toUnitFreeAt_ - clock_.now());
}

void Line::hostSends(const Bytes& bytes)
{
    catchUp();
    Time at = std::max(clock_.now(), toUnitFreeAt_);
    for (Byte b : bytes) {
        at += CharTime;
        toUnit_.push_back({at, b});
    }
    toUnitFreeAt_ = at;
}

void Line::unplug()
{
    unplugged_ = true;
    queryFails = true;
    toHost_.clear();
}

std::optional<Time> Line::nextDue() const
{
    std::optional<Time> due;
    if (!toUnit_.empty())
        due = toUnit_[firstBurstLength() - 1].at;
    if (!toHost_.empty() && (!due || toHost_.front().at < *due))
        due = toHost_.front().at;
    return due;
}

World::World()
{
    fenlo::platform::setSerialProvider(this);
    fenlo::platform::setClock(&clock);
}

World::~World()
{
    fenlo::platform::setSerialProvider(nullptr);
    fenlo::platform::setClock(nullptr);
}

fenlo::platform::SerialPort* World::open(const std::string& name)
{
    lastOpenedName = name;
    if (openFails || line.isOpen())
        return nullptr;
    line.markOpen();
    return &line;
}

} // namespace unitsim
