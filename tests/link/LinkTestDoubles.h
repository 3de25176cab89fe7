#pragma once

// Test doubles for the seams around the device link.
#include "common/UiThread.h"
#include "common/UserPrompt.h"
#include "device/CHIDDevice.h"
#include "device/FrameLink.h"
#include "device/VirtualHidBackend.h"
#include "sim/VirtualFrameBus.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarnscope {

// Work posted by the worker, run when the test drains it (the test thread
// plays the UI thread).
class QueuedUiThread final : public UiThread {
public:
    void post(std::function<void()> task) override
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    void drain()
    {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(m_mutex);
            tasks.swap(m_tasks);
        }
        for (auto& task : tasks)
            task();
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
};

class RecordingTimers final : public TimerService {
public:
    void startTimer(int id, int periodMs) override { m_active[id] = periodMs; }
    void stopTimer(int id) override { m_active.erase(id); }
    bool isTimerActive(int id) const override { return m_active.contains(id); }
    int period(int id) const { return m_active.contains(id) ? m_active.at(id) : 0; }

private:
    std::map<int, int> m_active;
};

class RecordingPrompt final : public UserPrompt {
public:
    MessageAnswer showMessage(const std::string& text, const std::string& caption, MessageIcon, MessageButtons) override
    {
        messages.push_back(caption + ": " + text);
        return MessageAnswer::Ok;
    }
    std::optional<std::string> askSaveFileName(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<std::uint32_t> askColour(std::uint32_t) override { return std::nullopt; }

    std::vector<std::string> messages;
};

class RecordingHost final : public LinkHost {
public:
    void setTitle(const std::string& text) override { title = text; }
    void setButtonEnabled(int id, bool enabled) override { buttons[id] = enabled; }
    void quitProgram() override { quit = true; }
    void runAutoDiagnosis() override { ++autoDiagnosisRuns; }

    std::string title;
    std::map<int, bool> buttons;
    bool quit = false;
    int autoDiagnosisRuns = 0;
};

// A link over simulated frames with recording seams; the test plays the UI thread.
struct SimulatedLink {
    VirtualHidBackend backend;
    std::unique_ptr<VirtualFrameBus> bus;
    CHIDDevice device { backend };
    SteadyClock clock;
    QueuedUiThread ui;
    RecordingTimers timers;
    RecordingPrompt prompt;
    RecordingHost host;
    FrameLink link { { device, clock, ui, timers, prompt, host } };
};

// Runs posted UI work until `done` holds or the time is up.
template<typename Predicate> bool WaitFor(QueuedUiThread& ui, Predicate done, int timeoutMs = 3000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        ui.drain();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ui.drain();
    return done();
}

} // namespace tarnscope
