#include "device/VirtualHidBackend.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <string_view>
#include <utility>

namespace tarnscope {

namespace {

constexpr std::string_view PATH_PREFIX = "virtual:";

struct VirtualInterface {
    int id = 0;
    VirtualInterfaceSpec setup;
    bool present = true;
    int waitingReaders = 0;
    std::deque<std::vector<std::uint8_t>> queue;
};

// Waits until `ready` holds or the time-out passes; true when it holds.
template<typename Ready>
bool waitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, std::uint32_t timeoutMs, Ready ready)
{
    if (timeoutMs == HID_WAIT_FOREVER) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

int idFromPath(const std::string& path)
{
    if (!path.starts_with(PATH_PREFIX))
        return 0;
    int id = 0;
    const char* end = path.data() + path.size();
    auto [ptr, ec] = std::from_chars(path.data() + PATH_PREFIX.size(), end, id);
    return ec == std::errc {} && ptr == end ? id : 0;
}

} // namespace

struct VirtualHidBackend::State {
    mutable std::mutex mutex;
    std::condition_variable inputOrGone; // readers and stalled writers wait here
    std::condition_variable roomOrGone; // waiting producers wait here
    std::map<int, std::shared_ptr<VirtualInterface>> present; // key order = plug order
    int nextId = 1;
    int openConnections = 0;
    std::function<void()> listener;

    std::shared_ptr<VirtualInterface> find(int id) const
    {
        auto it = present.find(id);
        return it == present.end() ? nullptr : it->second;
    }

    // Caller holds the mutex.
    void markGone(VirtualInterface& iface)
    {
        iface.present = false;
        iface.queue.clear();
        inputOrGone.notify_all();
        roomOrGone.notify_all();
    }

    // Caller holds the mutex and has checked that the interface can queue.
    void enqueue(VirtualInterface& iface, std::span<const std::uint8_t> report)
    {
        if (iface.queue.size() >= iface.setup.inputBufferCount)
            iface.queue.pop_front();
        iface.queue.emplace_back(report.begin(), report.end());
        inputOrGone.notify_all();
    }
};

namespace {

class VirtualConnection final : public HidConnection {
public:
    VirtualConnection(std::shared_ptr<VirtualHidBackend::State> state, std::shared_ptr<VirtualInterface> iface)
        : m_state(std::move(state))
        , m_iface(std::move(iface))
    { }

    ~VirtualConnection() override
    {
        std::lock_guard lock(m_state->mutex);
        --m_state->openConnections;
    }

    TransferResult read(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs, std::size_t& transferred) override
    {
        std::unique_lock lock(m_state->mutex);
        ++m_iface->waitingReaders;
        const bool ready = waitUntil(
            m_state->inputOrGone, lock, timeoutMs, [this] { return !m_iface->present || !m_iface->queue.empty(); });
        --m_iface->waitingReaders;
        if (!m_iface->present)
            return TransferResult::Gone;
        if (!ready)
            return TransferResult::Timeout;
        const std::vector<std::uint8_t>& report = m_iface->queue.front();
        transferred = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), transferred, buffer.begin());
        m_iface->queue.pop_front();
        m_state->roomOrGone.notify_all();
        return TransferResult::Done;
    }

    TransferResult write(std::span<const std::uint8_t> report, std::uint32_t timeoutMs) override
    {
        std::shared_ptr<VirtualPeer> peer;
        {
            std::lock_guard lock(m_state->mutex);
            if (!m_iface->present)
                return TransferResult::Gone;
            peer = m_iface->setup.peer;
        }
        if (!peer)
            return TransferResult::Done;
        // The peer may push input from here, so no lock is held while it runs.
        const WriteReply reply = peer->onHostWrite(m_iface->id, report);
        switch (reply.kind) {
        case WriteReply::Kind::Accept:
            return TransferResult::Done;
        case WriteReply::Kind::Fail:
            return TransferResult::Failed;
        case WriteReply::Kind::Stall:
            break;
        }
        return stall(reply.stallMs, timeoutMs);
    }

    std::uint16_t inputBufferCount() const override { return m_iface->setup.inputBufferCount; }

    bool isValid() const override
    {
        std::lock_guard lock(m_state->mutex);
        return m_iface->present;
    }

private:
    TransferResult stall(std::uint32_t stallMs, std::uint32_t timeoutMs)
    {
        const bool outlivesTimeout = timeoutMs != HID_WAIT_FOREVER && stallMs > timeoutMs;
        std::unique_lock lock(m_state->mutex);
        waitUntil(
            m_state->inputOrGone, lock, outlivesTimeout ? timeoutMs : stallMs, [this] { return !m_iface->present; });
        if (!m_iface->present)
            return TransferResult::Gone;
        return outlivesTimeout ? TransferResult::Timeout : TransferResult::Done;
    }

    std::shared_ptr<VirtualHidBackend::State> m_state;
    std::shared_ptr<VirtualInterface> m_iface;
};

} // namespace

VirtualHidBackend::VirtualHidBackend()
    : m_state(std::make_shared<State>())
{ }

VirtualHidBackend::~VirtualHidBackend()
{
    // Connections may outlive the bus; they must see their interfaces gone.
    std::lock_guard lock(m_state->mutex);
    for (auto& [id, iface] : m_state->present)
        m_state->markGone(*iface);
    m_state->present.clear();
}

int VirtualHidBackend::plug(const VirtualInterfaceSpec& setup)
{
    std::function<void()> listener;
    int id = 0;
    {
        std::lock_guard lock(m_state->mutex);
        id = m_state->nextId++;
        auto iface = std::make_shared<VirtualInterface>();
        iface->id = id;
        iface->setup = setup;
        m_state->present.emplace(id, std::move(iface));
        listener = m_state->listener;
    }
    if (listener)
        listener();
    return id;
}

void VirtualHidBackend::unplug(int interfaceId)
{
    std::function<void()> listener;
    {
        std::lock_guard lock(m_state->mutex);
        auto iface = m_state->find(interfaceId);
        if (!iface)
            return;
        m_state->markGone(*iface);
        m_state->present.erase(interfaceId);
        listener = m_state->listener;
    }
    if (listener)
        listener();
}

bool VirtualHidBackend::pushInput(int interfaceId, std::span<const std::uint8_t> report)
{
    std::lock_guard lock(m_state->mutex);
    auto iface = m_state->find(interfaceId);
    if (!iface)
        return false;
    // An interface without a queue loses every report, as a full queue loses its oldest.
    if (iface->setup.inputBufferCount > 0)
        m_state->enqueue(*iface, report);
    return true;
}

bool VirtualHidBackend::pushInputWait(int interfaceId, std::span<const std::uint8_t> report, std::uint32_t timeoutMs)
{
    std::unique_lock lock(m_state->mutex);
    auto iface = m_state->find(interfaceId);
    if (!iface || iface->setup.inputBufferCount == 0)
        return false;
    const bool room = waitUntil(m_state->roomOrGone, lock, timeoutMs,
        [&] { return !iface->present || iface->queue.size() < iface->setup.inputBufferCount; });
    if (!room || !iface->present)
        return false;
    m_state->enqueue(*iface, report);
    return true;
}

std::size_t VirtualHidBackend::pendingInput(int interfaceId) const
{
    std::lock_guard lock(m_state->mutex);
    auto iface = m_state->find(interfaceId);
    return iface ? iface->queue.size() : 0;
}

int VirtualHidBackend::waitingReaders(int interfaceId) const
{
    std::lock_guard lock(m_state->mutex);
    auto iface = m_state->find(interfaceId);
    return iface ? iface->waitingReaders : 0;
}

void VirtualHidBackend::setChangeListener(std::function<void()> listener)
{
    std::lock_guard lock(m_state->mutex);
    m_state->listener = std::move(listener);
}

int VirtualHidBackend::openConnectionCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->openConnections;
}

std::vector<HidInterfaceInfo> VirtualHidBackend::enumerate()
{
    std::lock_guard lock(m_state->mutex);
    std::vector<HidInterfaceInfo> list;
    list.reserve(m_state->present.size());
    for (const auto& [id, iface] : m_state->present) {
        const VirtualInterfaceSpec& setup = iface->setup;
        list.push_back({ std::string(PATH_PREFIX) + std::to_string(id), setup.vendorId, setup.productId,
            setup.inputReportLength, setup.outputReportLength, setup.featureReportLength });
    }
    return list;
}

std::unique_ptr<HidConnection> VirtualHidBackend::open(const HidInterfaceInfo& info, OpenError& error)
{
    std::lock_guard lock(m_state->mutex);
    auto iface = m_state->find(idFromPath(info.path));
    if (!iface) {
        error = OpenError::NotFound;
        return nullptr;
    }
    if (iface->setup.openError != OpenError::None) {
        error = iface->setup.openError;
        return nullptr;
    }
    error = OpenError::None;
    ++m_state->openConnections;
    return std::make_unique<VirtualConnection>(m_state, std::move(iface));
}

} // namespace tarnscope
