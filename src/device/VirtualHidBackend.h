#pragma once

#include "device/HidBackend.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace tarnscope {

// How a virtual interface completes one host write. The peer has seen the
// report either way. A stalled write holds the writer for the stall time; when
// the stall outlasts the write time-out the writer is released at the time-out
// with Timeout, like a pending transfer that was cancelled. Unplugging ends a
// stall early with Gone.
struct WriteReply {
    enum class Kind { Accept, Fail, Stall } kind = Kind::Accept;
    std::uint32_t stallMs = 0; // Stall: the write takes this long (past a time-out it answers Timeout)
};

// The device side of a virtual interface (the simulated frame, or a test's script).
class VirtualPeer {
public:
    virtual ~VirtualPeer() = default;
    // Called on the writing thread for every report the host writes. The peer
    // answers with VirtualHidBackend::pushInput, from here or from its own thread.
    virtual WriteReply onHostWrite(int interfaceId, std::span<const std::uint8_t> report) = 0;
};

struct VirtualInterfaceSpec {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t inputReportLength = 64;
    std::uint16_t outputReportLength = 64;
    std::uint16_t featureReportLength = 0;
    std::uint16_t inputBufferCount = 64; // 0: the interface cannot queue reports
    OpenError openError = OpenError::None; // e.g. PermissionDenied
    std::shared_ptr<VirtualPeer> peer; // null: writes are accepted and dropped
};

// An in-memory HID bus. Thread-safe: interfaces are plugged and unplugged,
// input pushed and reports read and written from any thread.
class VirtualHidBackend final : public HidBackend {
public:
    VirtualHidBackend();
    ~VirtualHidBackend() override;

    // Adds an interface at the end of the enumeration order; returns its id.
    int plug(const VirtualInterfaceSpec& setup);
    // Removes it: open connections turn stale, pending and later reads answer Gone.
    void unplug(int interfaceId);
    // Queues one input report for the host. Like hidraw, a full queue drops the
    // oldest report. Returns false when the interface is not present.
    bool pushInput(int interfaceId, std::span<const std::uint8_t> report);
    // Like pushInput, but waits for room instead of dropping (for loss-free
    // throughput runs). Returns false when the interface is or becomes absent,
    // or no room was made within the time-out (HID_WAIT_FOREVER: no limit).
    bool pushInputWait(int interfaceId, std::span<const std::uint8_t> report, std::uint32_t timeoutMs);
    std::size_t pendingInput(int interfaceId) const;
    // Reads waiting for input on the interface right now.
    int waitingReaders(int interfaceId) const;
    // Called (on the plugging thread) after every plug and unplug.
    void setChangeListener(std::function<void()> listener);
    // How many connections are open right now (for leak checks).
    int openConnectionCount() const;

    std::vector<HidInterfaceInfo> enumerate() override;
    std::unique_ptr<HidConnection> open(const HidInterfaceInfo& info, OpenError& error) override;

    struct State; // shared with the connections

private:
    std::shared_ptr<State> m_state;
};

} // namespace tarnscope
