// A run of advance-mode reports: each is counted on the axis its leading byte
// picks, then the report is built for every board size the advance report
// knows plus one taken from the input, and the raw listing with counts taken
// from the input as well.
#include "advance/AdvanceCounters.h"
#include "advance/AdvanceReport.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

using namespace tarnscope;

namespace {

constexpr std::array BOARD_SIZES { 78, 89, 96, 97, 102 };
constexpr std::size_t HEADER = 5; // board size byte, two 16-bit listing counts
constexpr std::size_t STEP = 1 + HID_REPORT_SIZE; // axis byte, report

int SignedCount(const std::uint8_t* bytes)
{
    return static_cast<std::int16_t>(bytes[0] | bytes[1] << 8);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < HEADER)
        return 0;
    AdvanceCounters counters;
    for (std::size_t at = HEADER; at + STEP <= size; at += STEP) {
        HidReport report;
        std::copy_n(data + at + 1, HID_REPORT_SIZE, report.begin());
        const int axis = data[at] & 1 ? SCAN_AXIS_X : SCAN_AXIS_Y;
        const std::optional<int> shown = TallyAdvanceReport(counters, report, axis);
        if (shown && *shown != ADVANCE_INTERFERENCE_POSITION && (*shown < 0 || *shown >= ADVANCE_POSITIONS))
            __builtin_trap();
    }
    const AdvanceSnapshot snapshot = counters.snapshot();
    const SerialId serial {};
    for (const int boardSize : BOARD_SIZES) {
        if (!BuildAdvanceReport(snapshot, boardSize, serial, 0))
            __builtin_trap(); // a known board size always gets its report
    }
    BuildAdvanceReport(snapshot, data[0], serial, 0);
    BuildAdvanceLog(snapshot, SignedCount(data + 1), SignedCount(data + 3));
    return 0;
}
