#pragma once

#include "device/VirtualHidBackend.h"
#include "sim/Scenario.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnscope {

struct FrameCounters {
    std::uint64_t commandsReceived = 0; // reports the host wrote to the frame
    std::uint64_t reportsPushed = 0; // answers and streamed reports queued for the host
};

// One simulated device on a VirtualHidBackend. A frame answers on its own
// thread, which runs from plug() until stop(): commands are taken in order and
// answered on the interface they came from, after the configured delay; a
// stream pauses while answers are due, so a scan-start answer always precedes
// its data packets. Thread-safe: plug, unplug and stop may be called from any
// thread.
class VirtualFrame {
public:
    VirtualFrame(VirtualHidBackend& backend, FrameSpec setup, std::uint32_t seed);
    ~VirtualFrame();
    VirtualFrame(const VirtualFrame&) = delete;
    VirtualFrame& operator=(const VirtualFrame&) = delete;

    // Presents the interfaces unless they are present, and starts the thread
    // unless it runs.
    void plug();
    // Removes the interfaces, so the host's reads answer Gone, and forgets
    // the frame's state: plugged again it starts afresh, without a stream.
    void unplug();
    // Ends the thread. Interfaces stay; the frame answers nothing until the
    // next plug().
    void stop();

    bool isPlugged() const;
    FrameCounters counters() const;
    const FrameSpec& setup() const { return m_spec; }

    struct Shared; // between the frame's thread and the peer the backend holds

private:
    std::vector<int> plugInterfaces();
    void startThread();

    VirtualHidBackend& m_backend;
    const FrameSpec m_spec;
    const std::uint32_t m_seed;
    std::shared_ptr<Shared> m_shared;
    mutable std::mutex m_plugMutex; // serialises plug, unplug and stop
    std::vector<int> m_interfaceIds;
    std::thread m_thread;
};

} // namespace tarnscope
