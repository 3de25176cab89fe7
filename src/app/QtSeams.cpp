#include "app/QtSeams.h"

#include <QMetaObject>
#include <QTimer>

namespace tarnscope {

QtUiThread::QtUiThread(QObject* context)
    : m_context(context)
{ }

void QtUiThread::post(std::function<void()> task)
{
    // QPointer is read from the worker; the context outlives the worker because
    // its owner joins the worker before destroying it.
    QMetaObject::invokeMethod(m_context.data(), std::move(task), Qt::QueuedConnection);
}

QtTimerService::QtTimerService(std::function<void(int)> onTimeout, QObject* parent)
    : QObject(parent)
    , m_onTimeout(std::move(onTimeout))
{ }

void QtTimerService::startTimer(int id, int periodMs)
{
    QTimer*& timer = m_timers[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { m_onTimeout(id); });
    }
    timer->start(periodMs);
}

void QtTimerService::stopTimer(int id)
{
    if (auto it = m_timers.find(id); it != m_timers.end())
        it->second->stop();
}

bool QtTimerService::isTimerActive(int id) const
{
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second->isActive();
}

} // namespace tarnscope
