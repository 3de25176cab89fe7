#pragma once

#include "common/Clock.h"
#include "common/UiThread.h"
#include "common/UserPrompt.h"
#include "device/CHIDDevice.h"
#include "device/PacketQueue.h"
#include "device/Protocol.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarnscope {

// The title text every status begins with.
extern const std::string g_titlePrefix;

// What the user is told when the frame's nodes exist but may not be opened.
std::string PermissionDeniedMessage(const std::vector<std::string>& nodes);

// Main-window buttons the link enables and disables.
constexpr int BUTTON_AUTO_DIAGNOSIS = 1020;
constexpr int BUTTON_ADVANCE_DIAGNOSIS = 1022;

// What the link needs from the program that owns it. Called on the UI thread only.
class LinkHost {
public:
    virtual ~LinkHost() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setButtonEnabled(int buttonId, bool enabled) = 0;
    // The frame did not answer: the program ends after its message.
    virtual void quitProgram() = 0;
    // Runs the "Auto Diagnosis" command as if the button had been pressed.
    virtual void runAutoDiagnosis() = 0;
};

// A known frame by USB ids.
struct KnownFrameId {
    std::uint16_t vendorId;
    std::uint16_t productId;
};
// In counting order; the first row is opened only when none of the others is present.
inline constexpr std::array<KnownFrameId, 6> KNOWN_FRAME_IDS { {
    { 0xA3F0, 0xD111 },
    { 0xA3F0, 0xD400 },
    { 0xA3F0, 0xD500 },
    { 0xA3F0, 0xD505 },
    { 0xA3F0, 0xE600 },
    { 0x04B4, 0xC001 },
} };

// The device link: the open frame, the worker and consumer threads, the packet
// queue and bad-light lists, the command senders and the connection procedure.
// Everything but the two threads runs on the UI thread.
class FrameLink {
public:
    struct Environment {
        CHIDDevice& device;
        Clock& clock;
        UiThread& ui;
        TimerService& timers;
        UserPrompt& prompt;
        LinkHost& host;
    };
    explicit FrameLink(Environment env);
    ~FrameLink();
    FrameLink(const FrameLink&) = delete;
    FrameLink& operator=(const FrameLink&) = delete;

    // Device arrival or removal (and once at start-up).
    void OnDeviceChange();
    // Clears the running flag and waits for both threads to end.
    void StopThreads();
    // Starts the worker (which starts the consumer). False when one already runs.
    bool StartThreads();
    bool ThreadsRunning() const { return m_bThreadsRunning; }

    // Command senders (UI thread).
    int SendDiagnosisMode(bool enter);
    void StartScan(int axis);
    bool EnterAdvanceMode(int screenWidth, int screenHeight);
    bool LeaveAdvanceMode();

    void ClearPacketQueue();
    // Empties both bad-light lists and the packet log.
    void ClearResults();
    // Runs `fn` on both bad-light lists with the queue lock held.
    void WithBadLights(const std::function<void(BadLightList& x, BadLightList& y)>& fn);
    std::string PacketLogCopy();
    std::size_t QueuedPacketCount();

    // Called by the worker with every report read while the advance screen is up.
    void SetAdvanceHandler(std::function<void(const HidReport&)> handler);
    void SetAdvanceActive(bool active) { m_bAdvanceActive = active; }

    CHIDDevice& Device() { return m_env.device; }

    int BoardSize() const { return m_boardSize; }
    int Firmware() const { return m_firmware; }
    SerialId SerialIdCopy();
    HidReport ExtraIdCopy();
    int LastDeviceCount() const { return m_lastDeviceCount; }

    // Shared flags, read and written from several threads.
    std::atomic<bool> m_bPauseReading { false };
    std::atomic<bool> m_bCollecting { false };
    std::atomic<bool> m_bResponseReceived { false };
    std::atomic<bool> m_bHandshakeDone { false };
    std::atomic<int> m_scanMode { SCAN_MODE_ALL };
    std::atomic<int> m_scanAxis { SCAN_AXIS_Y };
    std::atomic<std::int32_t> m_xRangeFirst { 0 }, m_xRangeEnd { 0 };
    std::atomic<std::int32_t> m_yRangeFirst { 0 }, m_yRangeEnd { 0 };

    AxisRange XRange() const { return { m_xRangeFirst, m_xRangeEnd }; }
    AxisRange YRange() const { return { m_yRangeFirst, m_yRangeEnd }; }
    void SetRange(int axis, AxisRange range);

private:
    void WorkerMain();
    void ConsumerMain();
    void Dispatch(const HidReport& report);
    void OnScanStart(const ClassifiedReport& answer);
    void OnIdentify(const ClassifiedReport& answer);
    void AppendPacket(const std::uint8_t* values, std::int32_t first, std::int32_t end, std::int32_t count);
    // Up to `attempts` writes, stopping at the first that succeeds.
    bool WriteWithRetries(const HidReport& report, int attempts, int pauseMs);
    void PostTitle(const std::string& status);
    void ConnectFrame(int total, const std::array<int, KNOWN_FRAME_IDS.size()>& counts);
    // Opens the interface that takes output reports. `denied` gets the nodes
    // that could not be opened for lack of permission.
    bool OpenVendorInterface(const KnownFrameId& id, std::vector<std::string>& denied);

    Environment m_env;
    std::atomic<bool> m_bThreadsRunning { false };
    // Counts worker starts, so a title posted by a worker that has since been
    // stopped is dropped instead of overwriting a newer one.
    std::atomic<unsigned> m_workerGeneration { 0 };
    std::atomic<bool> m_bAdvanceActive { false };
    std::atomic<int> m_boardSize { 0 };
    std::atomic<int> m_firmware { 0 };
    int m_lastDeviceCount = 0;

    std::thread m_worker;
    std::thread m_consumer; // owned by the worker, which joins it before ending

    std::mutex m_queueLock; // queue, bad-light lists, packet log, board ids
    std::condition_variable m_queueEvent;
    PacketQueue m_packetQueue;
    BadLightList m_xBadLights;
    BadLightList m_yBadLights;
    std::string m_packetLog;
    SerialId m_serialId {};
    HidReport m_extraId {};

    std::mutex m_advanceLock;
    std::function<void(const HidReport&)> m_advanceHandler;
};

} // namespace tarnscope
