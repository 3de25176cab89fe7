#pragma once

#include "sim/BoardGeometry.h"
#include "sim/Scenario.h"
#include "sim/SimRandom.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tarnscope {

// Light value bands of the simulated receivers. The host takes 0..105 as a
// dark emitter and 124..130 as a weak receiver; everything else is fine.
constexpr int DARK_VALUE_MIN = 0;
constexpr int DARK_VALUE_MAX = 105;
constexpr int WEAK_VALUE_MIN = 124;
constexpr int WEAK_VALUE_MAX = 130;
constexpr int HEALTHY_VALUE_MIN = 150;
constexpr int HEALTHY_VALUE_MAX = 240;

// What each LED of a frame reads during a scan, faults included.
class LightField {
public:
    LightField(const BoardGeometry& geometry, const FrameFaults& faults);

    bool isDeadEmitter(int axis, int position) const { return led(axis, position).deadEmitter; }
    bool isWeakReceiver(int axis, int position) const { return led(axis, position).weakReceiver; }

    // One reading. A scan of receivers only (mode 1) does not show emitter
    // faults and one of emitters only (mode 2) does not show receiver faults.
    std::uint8_t value(int axis, int position, int scanMode, SimRandom& random) const;

private:
    struct Led {
        bool deadEmitter = false;
        bool weakReceiver = false;
    };

    const Led& led(int axis, int position) const { return m_leds[axisSlot(axis)][static_cast<std::size_t>(position)]; }
    static std::size_t axisSlot(int axis) { return axis == SCAN_AXIS_X ? 1 : 0; }
    void markBlock(const BoardGeometry& geometry, int axis, int block, bool Led::*fault);

    std::array<std::vector<Led>, 2> m_leds;
    double m_noise = 0;
};

} // namespace tarnscope
