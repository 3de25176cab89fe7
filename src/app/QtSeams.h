#pragma once

#include "common/UiThread.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>

class QTimer;

namespace tarnscope {

// Posts work to the thread of `context` (the UI thread) through its event queue.
class QtUiThread final : public UiThread {
public:
    explicit QtUiThread(QObject* context);
    void post(std::function<void()> task) override;

private:
    QPointer<QObject> m_context;
};

// Window timers by id on QTimers; `onTimeout` gets the id of each tick.
class QtTimerService final : public QObject, public TimerService {
public:
    explicit QtTimerService(std::function<void(int)> onTimeout, QObject* parent = nullptr);
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    bool isTimerActive(int id) const override;

private:
    std::function<void(int)> m_onTimeout;
    std::map<int, QTimer*> m_timers;
};

} // namespace tarnscope
