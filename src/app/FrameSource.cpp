#include "app/FrameSource.h"

#include "device/HidrawBackend.h"
#include "device/HotplugMonitor.h"
#include "device/VirtualHidBackend.h"
#include "sim/VirtualFrameBus.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <cstdio>

namespace tarnscope {

namespace {

// Interfaces of one frame arrive a few milliseconds apart; the connection
// procedure runs once they are all there.
constexpr int SETTLE_MS = 150;

} // namespace

FrameSource::FrameSource()
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SETTLE_MS);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (m_onChange)
            m_onChange();
    });
}

FrameSource::~FrameSource()
{
    Stop();
}

std::unique_ptr<FrameSource> FrameSource::CreateHidraw()
{
    std::unique_ptr<FrameSource> source(new FrameSource);
    source->m_backend = std::make_unique<HidrawBackend>();
    return source;
}

std::unique_ptr<FrameSource> FrameSource::CreateVirtual(const Scenario& scenario)
{
    std::unique_ptr<FrameSource> source(new FrameSource);
    auto backend = std::make_unique<VirtualHidBackend>();
    source->m_virtual = backend.get();
    source->m_bus = std::make_unique<VirtualFrameBus>(*backend, scenario);
    source->m_backend = std::move(backend);
    return source;
}

void FrameSource::Start(std::function<void()> onChange)
{
    m_onChange = std::move(onChange);
    StartWatching();
    std::fprintf(stderr, "tarnscope: frame notices from %s\n", SourceName().c_str());
}

void FrameSource::StartWatching()
{
    if (m_virtual) {
        // Called on the simulator's thread: hand the notice to the UI thread.
        m_virtual->setChangeListener([this] {
            QMetaObject::invokeMethod(
                this, [this] { NoteChange(); }, Qt::QueuedConnection);
        });
        m_bus->start();
        return;
    }
    m_monitor = std::make_unique<HotplugMonitor>();
    if (m_monitor->fd() < 0)
        return;
    m_notifier = new QSocketNotifier(m_monitor->fd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        if (m_monitor->drainEvents())
            NoteChange();
    });
}

void FrameSource::Stop()
{
    if (m_bus)
        m_bus->stop();
    if (m_virtual)
        m_virtual->setChangeListener({});
    delete m_notifier;
    m_notifier = nullptr;
    m_settle.stop();
}

std::string FrameSource::SourceName() const
{
    if (m_virtual)
        return "virtual";
    return m_monitor ? m_monitor->sourceName() : "none";
}

void FrameSource::NoteChange()
{
    if (!m_settle.isActive())
        m_settle.start();
}

} // namespace tarnscope
