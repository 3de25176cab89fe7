#include "sim/VirtualFrameBus.h"

#include <algorithm>
#include <random>

namespace tarnscope {

std::uint32_t FrameSeed(std::uint32_t seed, std::size_t index)
{
    std::seed_seq sequence { seed, static_cast<std::uint32_t>(index) };
    std::uint32_t derived = 0;
    sequence.generate(&derived, &derived + 1);
    return derived;
}

VirtualFrameBus::VirtualFrameBus(VirtualHidBackend& backend, Scenario scenario)
    : m_scenario(std::move(scenario))
{
    for (std::size_t i = 0; i < m_scenario.frames.size(); ++i)
        m_frames.push_back(
            std::make_unique<VirtualFrame>(backend, m_scenario.frames[i], FrameSeed(m_scenario.seed, i)));
}

VirtualFrameBus::~VirtualFrameBus()
{
    stop();
}

void VirtualFrameBus::start()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_started)
            return;
        m_started = true;
    }
    const auto origin = std::chrono::steady_clock::now();
    const auto& events = m_scenario.timeline;
    std::size_t next = 0;
    for (; next < events.size() && events[next].atMs == 0; ++next)
        apply(events[next]);
    m_timeline = std::thread([this, next, origin] { runTimeline(next, origin); });
}

void VirtualFrameBus::runTimeline(std::size_t next, std::chrono::steady_clock::time_point origin)
{
    const auto& events = m_scenario.timeline;
    for (; next < events.size(); ++next) {
        std::unique_lock lock(m_mutex);
        const auto due = origin + std::chrono::milliseconds(events[next].atMs);
        if (m_wake.wait_until(lock, due, [this] { return m_stopping; }))
            return;
        lock.unlock();
        apply(events[next]);
    }
    m_timelineDone = true;
}

void VirtualFrameBus::stop(bool unplugFrames)
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_timeline.joinable())
        m_timeline.join();
    for (const auto& frame : m_frames) {
        frame->stop();
        if (unplugFrames)
            frame->unplug();
    }
}

void VirtualFrameBus::apply(const TimelineEvent& event)
{
    if (event.action == TimelineEvent::Action::Plug)
        plug(event.frame);
    else
        unplug(event.frame);
}

VirtualFrame* VirtualFrameBus::find(const std::string& name) const
{
    const auto it = std::ranges::find(
        m_frames, name, [](const auto& frame) -> const std::string& { return frame->setup().name; });
    return it == m_frames.end() ? nullptr : it->get();
}

bool VirtualFrameBus::plug(const std::string& name)
{
    VirtualFrame* frame = find(name);
    if (frame)
        frame->plug();
    return frame != nullptr;
}

bool VirtualFrameBus::unplug(const std::string& name)
{
    VirtualFrame* frame = find(name);
    if (frame)
        frame->unplug();
    return frame != nullptr;
}

bool VirtualFrameBus::isPlugged(const std::string& name) const
{
    const VirtualFrame* frame = find(name);
    return frame && frame->isPlugged();
}

FrameCounters VirtualFrameBus::counters(const std::string& name) const
{
    const VirtualFrame* frame = find(name);
    return frame ? frame->counters() : FrameCounters {};
}

std::uint64_t VirtualFrameBus::reportsPushed() const
{
    std::uint64_t total = 0;
    for (const auto& frame : m_frames)
        total += frame->counters().reportsPushed;
    return total;
}

} // namespace tarnscope
