#pragma once

#include "device/VirtualHidBackend.h"
#include "sim/Scenario.h"
#include "sim/VirtualFrame.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarnscope {

// The frames of a scenario on a VirtualHidBackend, plugged and unplugged on
// the scenario's timeline. Frames keep their state after the timeline ends.
class VirtualFrameBus {
public:
    VirtualFrameBus(VirtualHidBackend& backend, Scenario scenario);
    ~VirtualFrameBus(); // stop()
    VirtualFrameBus(const VirtualFrameBus&) = delete;
    VirtualFrameBus& operator=(const VirtualFrameBus&) = delete;

    // Plugs the frames due at time 0 before it returns, then runs the rest of
    // the timeline on its own thread. A second call does nothing.
    void start();
    // Ends the timeline and every frame's thread; frames stay plugged unless asked.
    void stop(bool unplugFrames = false);

    // For tests and tools, beside the timeline. False for an unknown name.
    bool plug(const std::string& name);
    bool unplug(const std::string& name);

    bool isPlugged(const std::string& name) const;
    FrameCounters counters(const std::string& name) const; // zeros for an unknown name
    std::uint64_t reportsPushed() const; // by all frames
    bool timelineDone() const { return m_timelineDone; }
    const Scenario& scenario() const { return m_scenario; }

private:
    VirtualFrame* find(const std::string& name) const;
    void apply(const TimelineEvent& event);
    void runTimeline(std::size_t next, std::chrono::steady_clock::time_point origin);

    const Scenario m_scenario;
    std::vector<std::unique_ptr<VirtualFrame>> m_frames;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_started = false;
    bool m_stopping = false;
    std::atomic<bool> m_timelineDone { false };
    std::thread m_timeline;
};

// The seed of frame `index` of a scenario with seed `seed`.
std::uint32_t FrameSeed(std::uint32_t seed, std::size_t index);

} // namespace tarnscope
