#include "common/Clock.h"

#include <thread>

namespace tarnscope {

void SteadyClock::sleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::int64_t SteadyClock::nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::time_t SteadyClock::calendarTime()
{
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

} // namespace tarnscope
