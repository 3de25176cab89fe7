#pragma once

namespace tarnscope {

// Window timers of the automatic diagnosis. The worker thread stops the two
// scan-start timers when the frame confirms a scan.
constexpr int TIMER_SCAN_X = 1;
constexpr int TIMER_SCAN_Y = 2;
constexpr int TIMER_PROGRESS = 50;
constexpr int TIMER_SWITCH_AXIS = 51;
constexpr int TIMER_FINISH = 52;

constexpr int TIMER_SCAN_PERIOD_MS = 100;
constexpr int TIMER_PROGRESS_PERIOD_MS = 300;
constexpr int TIMER_SWITCH_AXIS_PERIOD_MS = 6000;
constexpr int TIMER_FINISH_PERIOD_MS = 3000;

} // namespace tarnscope
