#include "advance/AdvanceCounters.h"

namespace tarnscope {

namespace {

using CounterTable = std::array<std::atomic<std::int32_t>, ADVANCE_POSITIONS>;

void ZeroTable(CounterTable& table)
{
    for (auto& counter : table)
        counter.store(0, std::memory_order_relaxed);
}

AdvanceTable CopyTable(const CounterTable& table)
{
    AdvanceTable copy;
    for (std::size_t i = 0; i < copy.size(); ++i)
        copy[i] = table[i].load(std::memory_order_relaxed);
    return copy;
}

} // namespace

void AdvanceCounters::clear()
{
    ZeroTable(m_advXHits);
    ZeroTable(m_advYHits);
    ZeroTable(m_advXInterference);
    ZeroTable(m_advYInterference);
}

AdvanceSnapshot AdvanceCounters::snapshot() const
{
    return { CopyTable(m_advXHits), CopyTable(m_advYHits), CopyTable(m_advXInterference),
        CopyTable(m_advYInterference) };
}

bool AdvanceCounters::addHit(int axis, int position)
{
    return add(axis == SCAN_AXIS_X ? m_advXHits : m_advYHits, position);
}

bool AdvanceCounters::addInterference(int axis, int position)
{
    return add(axis == SCAN_AXIS_X ? m_advXInterference : m_advYInterference, position);
}

bool AdvanceCounters::add(Table& table, int position)
{
    if (position < 0 || position >= ADVANCE_POSITIONS)
        return false;
    table[static_cast<std::size_t>(position)].fetch_add(1, std::memory_order_relaxed);
    return true;
}

std::optional<int> TallyAdvanceReport(AdvanceCounters& counters, const HidReport& report, int scanAxis)
{
    const AdvancePosition point = ParsePositionReport(report);
    const bool onX = scanAxis == SCAN_AXIS_X;
    if (point.interference) {
        // Each point is counted on its own: a coordinate past the tables (4000
        // or more) drops only its own point, the other one still counts.
        const bool first = counters.addInterference(scanAxis, (onX ? point.x1 : point.y1) / ADVANCE_COORDINATE_STEP);
        const bool second = counters.addInterference(scanAxis, (onX ? point.x2 : point.y2) / ADVANCE_COORDINATE_STEP);
        if (!first && !second)
            return std::nullopt;
        return ADVANCE_INTERFERENCE_POSITION;
    }
    const int position = (onX ? point.x1 : point.y1) / ADVANCE_COORDINATE_STEP;
    if (!counters.addHit(scanAxis, position))
        return std::nullopt;
    return position;
}

} // namespace tarnscope
