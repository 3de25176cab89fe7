#pragma once

#include <functional>

namespace tarnscope {

// Hands work to the user-interface thread without waiting for it. The worker
// thread uses this for title changes and timer stops: the UI thread joins the
// worker on reconnect and shutdown, so the worker must never block on it.
class UiThread {
public:
    virtual ~UiThread() = default;
    virtual void post(std::function<void()> task) = 0;
};

// Window timers by id. Periods in milliseconds; starting a running id restarts it.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual void startTimer(int id, int periodMs) = 0;
    virtual void stopTimer(int id) = 0;
    virtual bool isTimerActive(int id) const = 0;
};

} // namespace tarnscope
