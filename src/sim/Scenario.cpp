#include "sim/Scenario.h"

#include <algorithm>

namespace tarnscope {

HidReport ExtraIdReport(const FrameSpec& frame)
{
    if (frame.extraId)
        return *frame.extraId;
    HidReport report = BuildCommand(HID_CMD_EXTRA_ID, static_cast<std::uint8_t>(frame.serialId.size()));
    std::ranges::copy(frame.serialId, report.begin() + 3);
    return report;
}

Scenario DefaultScenario()
{
    FrameSpec frame;
    frame.name = "frame1";
    // Few enough per block that no block fails, enough that the host lists them.
    frame.faults.deadEmitters = { { 70, 71, 75, 300 }, { 50, 52 } };
    frame.faults.weakReceivers = { { 140, 141, 142, 143, 144 }, { 180, 181, 182, 183, 184, 185 } };
    frame.faults.noise = 0.0005;

    Scenario scenario;
    scenario.frames.push_back(frame);
    scenario.timeline.push_back({ 0, TimelineEvent::Action::Plug, frame.name });
    return scenario;
}

} // namespace tarnscope
