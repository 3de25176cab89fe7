#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

namespace tarnscope {

// Time as the logic sees it. Pauses of the protocol and of the sequencer go
// through here, so tests can run them in virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(int ms) = 0;
    // Monotonic milliseconds, for measuring waits.
    virtual std::int64_t nowMs() = 0;
    // Calendar time in seconds since 1970, for names and dates.
    virtual std::time_t calendarTime() = 0;
};

// The real clock: std::this_thread::sleep_for and the system clocks.
class SteadyClock final : public Clock {
public:
    void sleepMs(int ms) override;
    std::int64_t nowMs() override;
    std::time_t calendarTime() override;
};

} // namespace tarnscope
