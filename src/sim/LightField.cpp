#include "sim/LightField.h"

namespace tarnscope {

LightField::LightField(const BoardGeometry& geometry, const FrameFaults& faults)
    : m_noise(faults.noise)
{
    for (int axis : { SCAN_AXIS_X, SCAN_AXIS_Y })
        m_leds[axisSlot(axis)].resize(static_cast<std::size_t>(geometry.axisLength(axis)));

    const auto markPositions = [this](const AxisPositions& positions, bool Led::*fault) {
        for (int p : positions.x)
            m_leds[axisSlot(SCAN_AXIS_X)][static_cast<std::size_t>(p)].*fault = true;
        for (int p : positions.y)
            m_leds[axisSlot(SCAN_AXIS_Y)][static_cast<std::size_t>(p)].*fault = true;
    };
    markPositions(faults.deadEmitters, &Led::deadEmitter);
    markPositions(faults.weakReceivers, &Led::weakReceiver);

    for (int block : faults.deadEmitterBlocks.x)
        markBlock(geometry, SCAN_AXIS_X, block, &Led::deadEmitter);
    for (int block : faults.deadEmitterBlocks.y)
        markBlock(geometry, SCAN_AXIS_Y, block, &Led::deadEmitter);
    for (int block : faults.weakReceiverBlocks.x)
        markBlock(geometry, SCAN_AXIS_X, block, &Led::weakReceiver);
    for (int block : faults.weakReceiverBlocks.y)
        markBlock(geometry, SCAN_AXIS_Y, block, &Led::weakReceiver);

    // Everything upstream of a broken link gets no light (emitters) or no signal (receivers).
    for (int element = 0; element <= faults.emitterChainBreakAfter; ++element) {
        const auto [axis, block] = geometry.emitterChainElement(element);
        markBlock(geometry, axis, block, &Led::deadEmitter);
    }
    for (int element = 0; element <= faults.receiverChainBreakAfter; ++element) {
        const auto [axis, block] = geometry.receiverChainElement(element);
        markBlock(geometry, axis, block, &Led::weakReceiver);
    }
}

void LightField::markBlock(const BoardGeometry& geometry, int axis, int block, bool Led::*fault)
{
    const LedSpan span = geometry.block(axis, block);
    for (int p = span.first; p < span.end; ++p)
        m_leds[axisSlot(axis)][static_cast<std::size_t>(p)].*fault = true;
}

std::uint8_t LightField::value(int axis, int position, int scanMode, SimRandom& random) const
{
    const Led& state = led(axis, position);
    int reading = 0;
    if (state.deadEmitter && scanMode != SCAN_MODE_RX)
        reading = random.between(DARK_VALUE_MIN, DARK_VALUE_MAX);
    else if (state.weakReceiver && scanMode != SCAN_MODE_TX)
        reading = random.between(WEAK_VALUE_MIN, WEAK_VALUE_MAX);
    else if (random.chance(m_noise))
        reading = random.chance(0.5) ? random.between(DARK_VALUE_MIN, DARK_VALUE_MAX)
                                     : random.between(WEAK_VALUE_MIN, WEAK_VALUE_MAX);
    else
        reading = random.between(HEALTHY_VALUE_MIN, HEALTHY_VALUE_MAX);
    return static_cast<std::uint8_t>(reading);
}

} // namespace tarnscope
