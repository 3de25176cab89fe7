#pragma once

#include "device/Protocol.h"

#include <cstdint>

namespace tarnscope {

// An advance-mode position report with little-endian coordinates.
inline HidReport PositionReport(int x1, int y1, std::uint8_t status = 0, int x2 = 0, int y2 = 0)
{
    HidReport report {};
    const auto put = [&report](std::size_t at, int value) {
        report[at] = static_cast<std::uint8_t>(value & 0xFF);
        report[at + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    report[0] = HID_REPORT_ID;
    put(3, x1);
    put(5, y1);
    report[7] = status;
    put(9, x2);
    put(11, y2);
    report[63] = HID_TRAILER;
    return report;
}

} // namespace tarnscope
