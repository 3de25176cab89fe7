#include "sim/VirtualFrame.h"

#include "sim/FrameResponder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <optional>

namespace tarnscope {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint16_t MOUSE_INPUT_REPORT_LENGTH = 5;
// Answers wait this long for room in a full queue before they push out the
// oldest report; a loss-free stream waits this long per try.
constexpr std::uint32_t ANSWER_ROOM_WAIT_MS = 50;
constexpr std::uint32_t STREAM_ROOM_WAIT_MS = 20;
constexpr auto RETRY_PAUSE = std::chrono::milliseconds(5);
// A paced stream that fell further behind than this (a stalled machine, a
// debugger) starts over from now instead of bursting.
constexpr auto CATCH_UP_LIMIT = std::chrono::milliseconds(500);
constexpr int MAX_BURST = 64;
constexpr auto IDLE_WAIT = std::chrono::hours(1);

struct Command {
    int interfaceId = 0;
    HidReport report {};
};

} // namespace

struct VirtualFrame::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Command> commands;
    std::uint64_t unplugs = 0; // the frame's state is forgotten at each unplug
    bool stopping = false;
    std::atomic<std::uint64_t> commandsReceived { 0 };
    std::atomic<std::uint64_t> reportsPushed { 0 };
};

namespace {

// What the backend calls on every host write: the command is queued for the
// frame's thread. Owned by the backend too, so it may outlive the frame.
class CommandPeer final : public VirtualPeer {
public:
    explicit CommandPeer(std::shared_ptr<VirtualFrame::Shared> shared)
        : m_shared(std::move(shared))
    { }

    WriteReply onHostWrite(int interfaceId, std::span<const std::uint8_t> report) override
    {
        Command command { interfaceId, {} };
        std::copy_n(report.begin(), std::min(report.size(), command.report.size()), command.report.begin());
        ++m_shared->commandsReceived;
        {
            std::lock_guard lock(m_shared->mutex);
            if (m_shared->stopping)
                return {};
            m_shared->commands.push_back(command);
        }
        m_shared->wake.notify_all();
        return {};
    }

private:
    std::shared_ptr<VirtualFrame::Shared> m_shared;
};

// The frame's thread: takes commands, pushes answers when due and paces the stream.
class FrameRunner {
public:
    FrameRunner(VirtualHidBackend& backend, const FrameSpec& setup, std::uint32_t seed, VirtualFrame::Shared& shared)
        : m_backend(backend)
        , m_spec(setup)
        , m_seed(seed)
        , m_shared(shared)
        , m_responder(setup, seed)
    { }

    void run()
    {
        std::deque<Command> commands;
        while (waitForWork(commands)) {
            const Clock::time_point now = Clock::now();
            for (const Command& command : commands)
                handle(command, now);
            commands.clear();
            pushDueAnswers(now);
            stepStream(now);
        }
    }

private:
    struct DueAnswer {
        Clock::time_point due;
        HidReport report;
    };

    bool streaming() const { return m_target != 0 && m_responder.stream() != FrameResponder::Stream::None; }

    Clock::time_point wakeTime(Clock::time_point now) const
    {
        if (!m_answers.empty())
            return m_answers.front().due;
        if (!streaming())
            return now + IDLE_WAIT;
        if (m_responder.streamRate() == 0)
            return m_pushFailed ? now + RETRY_PAUSE : now;
        return m_nextStream;
    }

    // False once the frame stops; otherwise hands over the queued commands.
    bool waitForWork(std::deque<Command>& commands)
    {
        std::unique_lock lock(m_shared.mutex);
        m_shared.wake.wait_until(lock, wakeTime(Clock::now()),
            [this] { return m_shared.stopping || !m_shared.commands.empty() || m_shared.unplugs != m_unplugs; });
        if (m_shared.stopping)
            return false;
        if (m_shared.unplugs != m_unplugs) {
            m_unplugs = m_shared.unplugs;
            forget();
        }
        commands.swap(m_shared.commands);
        return true;
    }

    void forget()
    {
        m_responder = FrameResponder(m_spec, m_seed);
        m_answers.clear();
        m_held.reset();
        m_streamStarts = 0;
        m_target = 0;
    }

    void handle(const Command& command, Clock::time_point now)
    {
        const Clock::time_point due = now + std::chrono::milliseconds(m_spec.faults.answerDelayMs);
        for (const HidReport& answer : m_responder.onCommand(command.report))
            m_answers.push_back({ due, answer });
        m_target = command.interfaceId;
        if (m_responder.streamStarts() != m_streamStarts) {
            m_streamStarts = m_responder.streamStarts();
            m_nextStream = due;
            m_held.reset();
        }
        if (m_responder.stream() == FrameResponder::Stream::None)
            m_held.reset();
    }

    void pushDueAnswers(Clock::time_point now)
    {
        while (!m_answers.empty() && m_answers.front().due <= now) {
            const HidReport& answer = m_answers.front().report;
            if (m_backend.pushInputWait(m_target, answer, ANSWER_ROOM_WAIT_MS) || m_backend.pushInput(m_target, answer))
                ++m_shared.reportsPushed;
            m_answers.pop_front();
        }
    }

    void stepStream(Clock::time_point now)
    {
        if (!m_answers.empty() || !streaming())
            return;
        const int rate = m_responder.streamRate();
        if (rate == 0) {
            pushWithoutLoss();
            return;
        }
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
        if (now - m_nextStream > CATCH_UP_LIMIT)
            m_nextStream = now;
        for (int burst = 0; burst < MAX_BURST && m_nextStream <= now; ++burst) {
            if (m_backend.pushInput(m_target, m_responder.nextStreamReport()))
                ++m_shared.reportsPushed;
            m_nextStream += period;
        }
    }

    void pushWithoutLoss()
    {
        if (!m_held)
            m_held = m_responder.nextStreamReport();
        m_pushFailed = !m_backend.pushInputWait(m_target, *m_held, STREAM_ROOM_WAIT_MS);
        if (!m_pushFailed) {
            m_held.reset();
            ++m_shared.reportsPushed;
        }
    }

    VirtualHidBackend& m_backend;
    const FrameSpec& m_spec;
    const std::uint32_t m_seed;
    VirtualFrame::Shared& m_shared;

    FrameResponder m_responder;
    std::uint64_t m_unplugs = 0;
    int m_target = 0; // the interface the frame answers on; 0 until a command came
    std::deque<DueAnswer> m_answers;
    std::uint32_t m_streamStarts = 0;
    Clock::time_point m_nextStream {};
    std::optional<HidReport> m_held; // loss-free stream: the report waiting for room
    bool m_pushFailed = false;
};

} // namespace

VirtualFrame::VirtualFrame(VirtualHidBackend& backend, FrameSpec setup, std::uint32_t seed)
    : m_backend(backend)
    , m_spec(std::move(setup))
    , m_seed(seed)
    , m_shared(std::make_shared<Shared>())
{ }

VirtualFrame::~VirtualFrame()
{
    stop();
}

std::vector<int> VirtualFrame::plugInterfaces()
{
    VirtualInterfaceSpec inputOnly;
    inputOnly.vendorId = m_spec.vendorId;
    inputOnly.productId = m_spec.productId;
    inputOnly.outputReportLength = 0;
    if (m_spec.kind == DeviceKind::Mouse) {
        inputOnly.inputReportLength = MOUSE_INPUT_REPORT_LENGTH;
        return { m_backend.plug(inputOnly) };
    }
    VirtualInterfaceSpec vendor = inputOnly;
    vendor.outputReportLength = HID_REPORT_SIZE;
    vendor.peer = std::make_shared<CommandPeer>(m_shared);
    switch (m_spec.interfaces) {
    case InterfaceLayout::One:
        return { m_backend.plug(vendor) };
    case InterfaceLayout::NoOutput:
        return { m_backend.plug(inputOnly), m_backend.plug(inputOnly) };
    case InterfaceLayout::Two:
        break;
    }
    return { m_backend.plug(inputOnly), m_backend.plug(vendor) };
}

void VirtualFrame::startThread()
{
    if (m_spec.kind != DeviceKind::Frame || m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stopping = false;
    }
    m_thread = std::thread([this] { FrameRunner(m_backend, m_spec, m_seed, *m_shared).run(); });
}

void VirtualFrame::plug()
{
    std::lock_guard lock(m_plugMutex);
    if (m_interfaceIds.empty())
        m_interfaceIds = plugInterfaces();
    startThread();
}

void VirtualFrame::unplug()
{
    std::lock_guard lock(m_plugMutex);
    if (m_interfaceIds.empty())
        return;
    {
        std::lock_guard sharedLock(m_shared->mutex);
        ++m_shared->unplugs;
        m_shared->commands.clear();
    }
    m_shared->wake.notify_all();
    for (int id : m_interfaceIds)
        m_backend.unplug(id);
    m_interfaceIds.clear();
}

void VirtualFrame::stop()
{
    std::lock_guard lock(m_plugMutex);
    {
        std::lock_guard sharedLock(m_shared->mutex);
        m_shared->stopping = true;
    }
    m_shared->wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool VirtualFrame::isPlugged() const
{
    std::lock_guard lock(m_plugMutex);
    return !m_interfaceIds.empty();
}

FrameCounters VirtualFrame::counters() const
{
    return { m_shared->commandsReceived.load(), m_shared->reportsPushed.load() };
}

} // namespace tarnscope
