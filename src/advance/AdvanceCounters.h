#pragma once

#include "device/Protocol.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

namespace tarnscope {

// LED positions per axis that the advance counters cover (coordinates below 4000).
constexpr int ADVANCE_POSITIONS = 800;
// A coordinate of the position report divided by this gives the LED position.
constexpr int ADVANCE_COORDINATE_STEP = 5;
// ShowCurrentPos value for an interference report.
constexpr int ADVANCE_INTERFERENCE_POSITION = -1;

using AdvanceTable = std::array<std::int32_t, ADVANCE_POSITIONS>;

// A copy of the four counter tables, read by the report.
struct AdvanceSnapshot {
    AdvanceTable xHits {};
    AdvanceTable yHits {};
    AdvanceTable xInterference {};
    AdvanceTable yInterference {};
};

// The counters of one advance run. The worker thread adds while the advance
// dialog is shown; the UI thread clears before showing it and takes a snapshot
// after hiding it. Relaxed atomics keep that hand-over free of data races
// without a lock on the worker's path.
class AdvanceCounters {
public:
    AdvanceCounters() { clear(); }

    void clear();
    AdvanceSnapshot snapshot() const;

    // Each adds 1 at `position` of the axis's table (SCAN_AXIS_X, any other
    // value is Y) and reports whether the position lies in the table.
    bool addHit(int axis, int position);
    bool addInterference(int axis, int position);

private:
    using Table = std::array<std::atomic<std::int32_t>, ADVANCE_POSITIONS>;
    static bool add(Table& table, int position);

    Table m_advXHits;
    Table m_advYHits;
    Table m_advXInterference;
    Table m_advYInterference;
};

// Counts one advance-mode position report on the pass axis `scanAxis`: a hit
// at the first point, or for an interference report (status 4 or 7) one
// interference at each of the two points. Returns the position to show
// (ADVANCE_INTERFERENCE_POSITION for interference), or nullopt when no
// coordinate named a position inside the tables and nothing was counted.
std::optional<int> TallyAdvanceReport(AdvanceCounters& counters, const HidReport& report, int scanAxis);

} // namespace tarnscope
