#include "device/FrameLink.h"

#include "common/TimerIds.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tarnscope {

const std::string g_titlePrefix = "ZEPHYRA BOARD ";

namespace {

constexpr int PAUSED_READ_SLEEP_MS = 50;
// A read that fails outright (not a time-out) would otherwise spin until the
// removal notification stops the worker.
constexpr int FAILED_READ_SLEEP_MS = 10;
constexpr int CONSUMER_WAIT_MS = 30;

int NextRandom()
{
    return std::rand();
}

std::string ScanTitle(int axis, int scanMode)
{
    const char* name = axis == SCAN_AXIS_X ? "X" : "Y";
    const char* kind = scanMode == SCAN_MODE_RX ? " RX" : scanMode == SCAN_MODE_TX ? " TX" : "";
    return std::string("Troubleshooting Tools, ") + name + kind + " Scaning...";
}

} // namespace

FrameLink::FrameLink(Environment env)
    : m_env(env)
{ }

FrameLink::~FrameLink()
{
    StopThreads();
}

bool FrameLink::StartThreads()
{
    bool expected = false;
    if (!m_bThreadsRunning.compare_exchange_strong(expected, true))
        return false;
    if (m_worker.joinable())
        m_worker.join();
    ++m_workerGeneration;
    m_worker = std::thread(&FrameLink::WorkerMain, this);
    return true;
}

void FrameLink::StopThreads()
{
    m_bThreadsRunning = false;
    m_queueEvent.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void FrameLink::WorkerMain()
{
    m_consumer = std::thread(&FrameLink::ConsumerMain, this);
    while (m_bThreadsRunning) {
        if (m_bPauseReading) {
            m_env.clock.sleepMs(PAUSED_READ_SLEEP_MS);
            continue;
        }
        HidReport report {};
        std::uint32_t transferred = 0;
        const HidStatus status = m_env.device.ReadReport(report.data(), transferred);
        if (status != HidStatus::Success) {
            if (status != HidStatus::Timeout)
                m_env.clock.sleepMs(FAILED_READ_SLEEP_MS);
            continue;
        }
        if (m_bAdvanceActive) {
            std::lock_guard lock(m_advanceLock);
            if (m_advanceHandler)
                m_advanceHandler(report);
            continue;
        }
        Dispatch(report);
    }
    m_queueEvent.notify_all();
    m_consumer.join();
    if (m_env.device.IsOpen())
        m_env.device.Close();
}

void FrameLink::Dispatch(const HidReport& report)
{
    const ClassifiedReport answer = ClassifyInputReport(report, m_bHandshakeDone);
    if (answer.responseFlag == ResponseFlagChange::Set)
        m_bResponseReceived = true;
    else if (answer.responseFlag == ResponseFlagChange::Cleared)
        m_bResponseReceived = false;

    switch (answer.kind) {
    case ReportKind::ScanStartAnswer:
        OnScanStart(answer);
        break;
    case ReportKind::DataPacket:
        AppendPacket(report.data() + 7, answer.range.first, answer.range.end, answer.valueCount);
        break;
    case ReportKind::IdentifyAnswer:
        OnIdentify(answer);
        break;
    case ReportKind::HandshakeAnswer:
        m_bHandshakeDone = true;
        break;
    case ReportKind::ExtraIdAnswer: {
        std::lock_guard lock(m_queueLock);
        m_extraId = report;
        break;
    }
    case ReportKind::Ignored:
        break;
    }
}

void FrameLink::OnScanStart(const ClassifiedReport& answer)
{
    const int timer = answer.axis == SCAN_AXIS_X ? TIMER_SCAN_X : TIMER_SCAN_Y;
    m_env.ui.post([this, timer] { m_env.timers.stopTimer(timer); });
    SetRange(answer.axis, answer.range);
    PostTitle(ScanTitle(answer.axis, m_scanMode));
    ClearPacketQueue();
}

void FrameLink::OnIdentify(const ClassifiedReport& answer)
{
    char status[96];
    std::snprintf(status, sizeof status, "Troubleshooting Tools,Board Size= %d ,Firmware = %d", answer.boardSize,
        answer.firmware);
    PostTitle(status);
    m_boardSize = answer.boardSize;
    m_firmware = answer.firmware;
    if (answer.hasSerialId) {
        std::lock_guard lock(m_queueLock);
        m_serialId = answer.serialId;
    }
    HandshakeNonce nonce {};
    MakeNonce(nonce, NextRandom);
    WriteWithRetries(BuildHandshakeCommand(nonce), 3, 0);
}

void FrameLink::SetRange(int axis, AxisRange range)
{
    auto& first = axis == SCAN_AXIS_X ? m_xRangeFirst : m_yRangeFirst;
    auto& end = axis == SCAN_AXIS_X ? m_xRangeEnd : m_yRangeEnd;
    first = range.first;
    end = range.end;
}

void FrameLink::AppendPacket(const std::uint8_t* values, std::int32_t first, std::int32_t end, std::int32_t count)
{
    if (!m_bCollecting)
        return;
    PacketRecord record;
    record.first = first;
    record.end = end;
    record.count = count;
    std::copy(values, values + count, record.values.begin());
    {
        std::lock_guard lock(m_queueLock);
        AppendPacketLogLine(m_packetLog, record);
        m_packetQueue.push_back(record);
    }
    m_queueEvent.notify_one();
}

void FrameLink::ConsumerMain()
{
    BadLightList found;
    while (m_bThreadsRunning) {
        PacketRecord record;
        {
            std::unique_lock lock(m_queueLock);
            if (m_packetQueue.empty()) {
                m_queueEvent.wait_for(lock, std::chrono::milliseconds(CONSUMER_WAIT_MS));
                continue;
            }
            record = m_packetQueue.front();
            m_packetQueue.pop_front();
        }
        // The axis is the one scanning when the record is classified; the
        // queue is emptied at every scan start, so scans do not mix.
        const bool xAxis = m_scanAxis == SCAN_AXIS_X;
        found.clear();
        ClassifyPacket(record, xAxis ? m_xRangeEnd.load() : m_yRangeEnd.load(), found);
        if (found.empty())
            continue;
        std::lock_guard lock(m_queueLock);
        BadLightList& list = xAxis ? m_xBadLights : m_yBadLights;
        list.insert(list.end(), found.begin(), found.end());
    }
}

void FrameLink::ClearPacketQueue()
{
    std::lock_guard lock(m_queueLock);
    m_packetQueue.clear();
}

void FrameLink::ClearResults()
{
    std::lock_guard lock(m_queueLock);
    m_xBadLights.clear();
    m_yBadLights.clear();
    m_packetLog.clear();
}

void FrameLink::WithBadLights(const std::function<void(BadLightList&, BadLightList&)>& fn)
{
    std::lock_guard lock(m_queueLock);
    fn(m_xBadLights, m_yBadLights);
}

std::string FrameLink::PacketLogCopy()
{
    std::lock_guard lock(m_queueLock);
    return m_packetLog;
}

std::size_t FrameLink::QueuedPacketCount()
{
    std::lock_guard lock(m_queueLock);
    return m_packetQueue.size();
}

SerialId FrameLink::SerialIdCopy()
{
    std::lock_guard lock(m_queueLock);
    return m_serialId;
}

HidReport FrameLink::ExtraIdCopy()
{
    std::lock_guard lock(m_queueLock);
    return m_extraId;
}

void FrameLink::SetAdvanceHandler(std::function<void(const HidReport&)> handler)
{
    std::lock_guard lock(m_advanceLock);
    m_advanceHandler = std::move(handler);
}

void FrameLink::PostTitle(const std::string& status)
{
    m_env.ui.post([this, title = g_titlePrefix + status, generation = m_workerGeneration.load()] {
        if (m_bThreadsRunning && generation == m_workerGeneration)
            m_env.host.setTitle(title);
    });
}

bool FrameLink::WriteWithRetries(const HidReport& report, int attempts, int pauseMs)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (m_env.device.WriteReport(report.data()) == HidStatus::Success)
            return true;
        m_env.clock.sleepMs(pauseMs);
    }
    return false;
}

int FrameLink::SendDiagnosisMode(bool enter)
{
    const HidReport report = BuildDiagModeCommand(enter);
    m_bResponseReceived = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (m_env.device.WriteReport(report.data()) == HidStatus::Success)
            return 1;
        m_env.clock.sleepMs(30);
        if (m_bResponseReceived)
            return 1;
    }
    return m_bResponseReceived ? 1 : 0;
}

void FrameLink::StartScan(int axis)
{
    SendDiagnosisMode(true);
    m_env.clock.sleepMs(100);
    m_scanAxis = axis;
    const HidReport report = BuildCommand(ScanCommandCode(axis, m_scanMode));
    m_bResponseReceived = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (m_env.device.WriteReport(report.data()) == HidStatus::Success)
            return;
        m_env.clock.sleepMs(100);
        if (m_bResponseReceived)
            return;
    }
}

bool FrameLink::EnterAdvanceMode(int screenWidth, int screenHeight)
{
    const HidReport report = BuildAdvanceEnterCommand(screenWidth, screenHeight);
    m_bResponseReceived = false;
    for (int writes = 0; !m_bResponseReceived && m_env.device.IsOpen() && writes < 5; ++writes) {
        if (m_env.device.WriteReport(report.data()) == HidStatus::Success)
            break;
    }
    m_env.clock.sleepMs(50);
    for (int look = 0; look < 100 && !m_bResponseReceived; ++look)
        m_env.clock.sleepMs(10);
    return m_bResponseReceived;
}

bool FrameLink::LeaveAdvanceMode()
{
    const HidReport report = BuildCommand(HID_CMD_ADVANCE_LEAVE);
    m_bResponseReceived = false;
    for (int writes = 0; !m_bResponseReceived && m_env.device.IsOpen() && writes < 20; ++writes) {
        if (m_env.device.WriteReport(report.data()) == HidStatus::Success)
            break;
        m_env.clock.sleepMs(100);
    }
    m_env.clock.sleepMs(100);
    return m_bResponseReceived;
}

} // namespace tarnscope
