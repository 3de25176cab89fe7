#pragma once

#include "device/HidBackend.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace tarnscope {

class HotplugMonitor;
class VirtualHidBackend;
class VirtualFrameBus;
struct Scenario;

// Where frames come from: the real hidraw devices with hot-plug notices, or
// the simulated frames of a scenario. Changes reach `onChange` on the UI
// thread; a burst of notices (a frame brings two interfaces) becomes one call.
class FrameSource : public QObject {
public:
    static std::unique_ptr<FrameSource> CreateHidraw();
    static std::unique_ptr<FrameSource> CreateVirtual(const Scenario& scenario);
    ~FrameSource() override;

    HidBackend& Backend() { return *m_backend; }
    // Starts watching (and the scenario's timeline); the frames present at
    // start are in place when this returns.
    void Start(std::function<void()> onChange);
    // Stops the scenario's frames; hot-plug notices stop.
    void Stop();
    // "udev", "inotify", "none" or "virtual".
    std::string SourceName() const;

private:
    FrameSource();
    void StartWatching();
    void NoteChange();

    std::unique_ptr<HidBackend> m_backend;
    VirtualHidBackend* m_virtual = nullptr;
    std::unique_ptr<VirtualFrameBus> m_bus;
    std::unique_ptr<HotplugMonitor> m_monitor;
    QSocketNotifier* m_notifier = nullptr;
    QTimer m_settle;
    std::function<void()> m_onChange;
};

} // namespace tarnscope
