#include "diagnosis/AutoDiagnosis.h"

#include "LinkTestDoubles.h"
#include "common/TimerIds.h"
#include "device/CHIDDevice.h"
#include "device/VirtualHidBackend.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

// Virtual time shared by the clock and the timers: pauses advance it, and
// timers fire in time order as the test runs the clock forward.
class VirtualTime final : public Clock, public TimerService {
public:
    void sleepMs(int ms) override { m_now += ms; }
    std::int64_t nowMs() override { return m_now; }
    std::time_t calendarTime() override { return 0; }

    void startTimer(int id, int periodMs) override { m_timers[id] = { periodMs, m_now + periodMs }; }
    void stopTimer(int id) override { m_timers.erase(id); }
    bool isTimerActive(int id) const override { return m_timers.contains(id); }

    // Fires due timers (earliest first) until `until`; a handler that pauses
    // delays the ticks after it, as a blocked UI thread does.
    void RunUntil(std::int64_t until, const std::function<void(int)>& fire)
    {
        for (;;) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (next == m_timers.end() || it->second.due < next->second.due)
                    next = it;
            if (next == m_timers.end() || next->second.due > until)
                break;
            const int id = next->first;
            m_now = std::max(m_now, next->second.due);
            next->second.due = m_now + next->second.period;
            fire(id);
        }
        m_now = std::max(m_now, until);
    }

private:
    struct Timer {
        int period;
        std::int64_t due;
    };
    std::int64_t m_now = 0;
    std::map<int, Timer> m_timers;
};

// Records the commands the frame receives; answers nothing.
class CommandLog final : public VirtualPeer {
public:
    WriteReply onHostWrite(int, std::span<const std::uint8_t> report) override
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back({ report[1], report[2] });
        return {};
    }
    std::vector<std::pair<int, int>> Commands()
    {
        std::lock_guard lock(m_mutex);
        return m_commands;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<int, int>> m_commands;
};

class RecordingDiagnosisHost final : public DiagnosisHost {
public:
    void diagnosisStarted() override { ++starts; }
    void setTitle(const std::string& text) override { title = text; }
    void setButtonEnabled(int id, bool enabled) override { buttons[id] = enabled; }
    int progress() const override { return position; }
    void setProgress(int value) override
    {
        position = value;
        progressHistory.push_back(value);
    }
    void readConfigFile() override { ++configReads; }
    void applyScanThresholds(int axis) override { thresholdAxes.push_back(axis); }
    void analyseBadLights() override { analysedAt = time->nowMs(); }
    void diagnosisFinished() override { ++finishes; }

    VirtualTime* time = nullptr;
    int starts = 0;
    int finishes = 0;
    int configReads = 0;
    int position = 0;
    std::int64_t analysedAt = -1;
    std::string title;
    std::map<int, bool> buttons;
    std::vector<int> progressHistory;
    std::vector<int> thresholdAxes;
};

class AutoDiagnosisTest : public ::testing::Test {
protected:
    void OpenFrame()
    {
        backend.plug({ .vendorId = 0xA3F0, .productId = 0xD400, .peer = frame });
        ASSERT_EQ(device.Open(0, 0xA3F0, 0xD400), HidStatus::Success);
    }
    void RunUntil(std::int64_t ms)
    {
        time.RunUntil(ms, [this](int id) { EXPECT_TRUE(sequencer.OnTimer(id)); });
    }

    VirtualHidBackend backend;
    std::shared_ptr<CommandLog> frame = std::make_shared<CommandLog>();
    CHIDDevice device { backend };
    VirtualTime time;
    QueuedUiThread ui;
    RecordingPrompt prompt;
    RecordingHost linkHost;
    FrameLink link { { device, time, ui, time, prompt, linkHost } };
    RecordingDiagnosisHost host;
    AutoDiagnosis sequencer { link, time, time, host };
};

TEST_F(AutoDiagnosisTest, DoesNothingWithoutAFrame)
{
    sequencer.OnAutoDiagnosis();
    EXPECT_EQ(host.starts, 0);
    EXPECT_FALSE(time.isTimerActive(TIMER_SCAN_X));
    EXPECT_TRUE(host.buttons.empty());
}

TEST_F(AutoDiagnosisTest, RunsXThenYAndFinishesAfterNineSeconds)
{
    OpenFrame();
    host.time = &time;
    link.m_bCollecting = true;
    sequencer.OnAutoDiagnosis();
    EXPECT_EQ(host.starts, 1);
    EXPECT_FALSE(host.buttons[BUTTON_AUTO_DIAGNOSIS]);
    EXPECT_FALSE(link.m_bCollecting) << "nothing is queued before the first progress tick";
    EXPECT_EQ(
        time.isTimerActive(TIMER_SCAN_X) + time.isTimerActive(TIMER_PROGRESS) + time.isTimerActive(TIMER_SWITCH_AXIS),
        3);

    // The frame never confirms the scans here, so the scan timers keep
    // ticking; stop them as the worker would on the frame's answer.
    RunUntil(100);
    time.stopTimer(TIMER_SCAN_X);
    EXPECT_EQ(link.m_scanAxis, SCAN_AXIS_X);
    EXPECT_EQ(host.thresholdAxes, std::vector<int> { SCAN_AXIS_X });
    EXPECT_EQ(host.configReads, 1);
    EXPECT_EQ(
        frame->Commands(), (std::vector<std::pair<int, int>> { { HID_CMD_DIAG_MODE, 1 }, { HID_CMD_SCAN_X, 0 } }));

    RunUntil(1999);
    EXPECT_TRUE(link.m_bCollecting);
    EXPECT_EQ(host.progressHistory, (std::vector<int> { 20, 40, 60, 80, 100, 0 }));

    RunUntil(6100);
    EXPECT_FALSE(time.isTimerActive(TIMER_SWITCH_AXIS));
    EXPECT_TRUE(time.isTimerActive(TIMER_FINISH));
    EXPECT_EQ(link.m_scanAxis, SCAN_AXIS_Y);
    EXPECT_FALSE(link.m_bPauseReading) << "the Y scan start resumes reading";
    time.stopTimer(TIMER_SCAN_Y);
    EXPECT_EQ(host.thresholdAxes.back(), SCAN_AXIS_Y);

    RunUntil(12000);
    EXPECT_EQ(host.finishes, 1);
    EXPECT_GE(host.analysedAt, 9000);
    EXPECT_LT(host.analysedAt, 9600);
    EXPECT_EQ(host.title, g_titlePrefix + "Troubleshooting Tools,Diagnosis compelete!");
    EXPECT_TRUE(host.buttons[BUTTON_AUTO_DIAGNOSIS]);
    EXPECT_EQ(host.position, 0);
    EXPECT_FALSE(link.m_bCollecting);
    EXPECT_TRUE(link.m_bPauseReading);
    EXPECT_FALSE(time.isTimerActive(TIMER_PROGRESS));
    EXPECT_EQ(frame->Commands().back(), (std::pair<int, int> { HID_CMD_DIAG_MODE, 0 }));
}

TEST_F(AutoDiagnosisTest, UnconfirmedScanKeepsRetryingUntilTheDeviceCloses)
{
    OpenFrame();
    sequencer.OnAutoDiagnosis();
    RunUntil(1000);
    EXPECT_TRUE(time.isTimerActive(TIMER_SCAN_X));
    EXPECT_GT(host.configReads, 2);
    device.Close();
    RunUntil(1500);
    EXPECT_FALSE(time.isTimerActive(TIMER_SCAN_X));
}

TEST_F(AutoDiagnosisTest, IgnoresOtherTimers)
{
    EXPECT_FALSE(sequencer.OnTimer(7));
}

} // namespace
} // namespace tarnscope
