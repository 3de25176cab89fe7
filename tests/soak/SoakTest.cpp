// Many plug and unplug cycles of one simulated frame: unplugged in the middle
// of a scan, while the connection procedure runs, and in advance mode. Every
// cycle must end with the threads stopped, the device closed and the title
// saying so, and the process must hold no more threads or descriptors than
// before.
#include "LinkTestDoubles.h"
#include "device/CHIDDevice.h"
#include "device/VirtualHidBackend.h"
#include "sim/VirtualFrameBus.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace tarnscope {
namespace {

const std::string CONNECTED = g_titlePrefix + "Troubleshooting Tools,Board Size= 82 ,Firmware = 3";
const std::string DISCONNECTED = g_titlePrefix + "Troubleshooting Tools, Disconnected";
constexpr int DEFAULT_CYCLES = 30;
// A cycle takes about a second; one that takes this long is hung.
constexpr auto CYCLE_LIMIT = std::chrono::seconds(30);

int CycleCount()
{
    const char* text = std::getenv("TARNSCOPE_SOAK_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : DEFAULT_CYCLES;
}

std::size_t EntriesIn(const char* folder)
{
    const std::filesystem::directory_iterator entries(folder);
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Aborts the process when a cycle is not over in time: a hang must fail the
// run, not stall it.
class Watchdog {
public:
    Watchdog()
        : m_thread([this] { run(); })
    { }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void startCycle(int cycle)
    {
        std::lock_guard lock(m_mutex);
        m_cycle = cycle;
        m_deadline = std::chrono::steady_clock::now() + CYCLE_LIMIT;
        m_wake.notify_all();
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            if (m_cycle >= 0 && std::chrono::steady_clock::now() > m_deadline) {
                std::cerr << "soak: cycle " << m_cycle << " hung\n";
                std::abort();
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(200));
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_cycle = -1;
    std::chrono::steady_clock::time_point m_deadline;
    std::thread m_thread;
};

enum class Unplug { MidScan, DuringConnection, InAdvanceMode };
constexpr std::array<Unplug, 3> CYCLE_KINDS { Unplug::MidScan, Unplug::DuringConnection, Unplug::InAdvanceMode };

class SoakTest : public ::testing::Test, protected SimulatedLink {
protected:
    void SetUp() override
    {
        FrameSpec frame;
        frame.name = "A";
        frame.packetsPerSecond = 2000;
        frame.faults.deadEmitters.x = { 70 };
        frame.advance.reportsPerSecond = 1000;
        Scenario scenario;
        scenario.frames = { frame };
        // No timeline: the test plugs by hand, so the bus runs no thread of
        // its own. The frame's thread starts at its first plug and stays.
        bus = std::make_unique<VirtualFrameBus>(backend, scenario);
        bus->plug("A");
        bus->unplug("A");
        link.SetAdvanceHandler([this](const HidReport&) { ++advanceReports; });
    }

    void Connect()
    {
        ASSERT_TRUE(bus->plug("A"));
        link.OnDeviceChange();
        ASSERT_TRUE(WaitFor(ui, [&] { return link.m_bHandshakeDone.load() && host.title == CONNECTED; })) << host.title;
        EXPECT_TRUE(prompt.messages.empty());
    }
    void UnplugMidScan()
    {
        Connect();
        link.m_bCollecting = true;
        link.StartScan(SCAN_AXIS_X);
        ASSERT_TRUE(WaitFor(ui, [&] { return !link.PacketLogCopy().empty(); }));
        Remove();
        link.m_bCollecting = false;
    }
    void UnplugDuringConnection(int delayMs)
    {
        ASSERT_TRUE(bus->plug("A"));
        std::thread unplugger([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            bus->unplug("A");
        });
        link.OnDeviceChange();
        unplugger.join();
        ui.drain();
        NotifyRemoval();
        // The frame may vanish before it answers: the user is told, and that is all.
        prompt.messages.clear();
    }
    void UnplugInAdvanceMode()
    {
        Connect();
        advanceReports = 0;
        // The answer to the enter command is read before the reports go to
        // the advance counting, as when the advance screen opens.
        ASSERT_TRUE(link.EnterAdvanceMode(1920, 1080));
        link.SetAdvanceActive(true);
        ASSERT_TRUE(WaitFor(ui, [&] { return advanceReports > 10; }));
        Remove();
        link.SetAdvanceActive(false);
    }
    void Remove()
    {
        ui.drain();
        ASSERT_TRUE(bus->unplug("A"));
        NotifyRemoval();
    }
    void NotifyRemoval()
    {
        link.OnDeviceChange();
        EXPECT_EQ(host.title, DISCONNECTED);
        // Titles the worker posted just before it stopped must not overwrite it.
        ui.drain();
        EXPECT_EQ(host.title, DISCONNECTED);
    }

    std::atomic<int> advanceReports { 0 };
};

TEST_F(SoakTest, PlugUnplugCyclesLeaveNothingBehind)
{
    const std::size_t threadsBefore = EntriesIn("/proc/self/task");
    const std::size_t fdsBefore = EntriesIn("/proc/self/fd");
    const int cycles = CycleCount();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> connectionDelayMs(0, 500);
    std::array<int, CYCLE_KINDS.size()> done {};
    const auto started = std::chrono::steady_clock::now();
    {
        Watchdog watchdog;
        for (int cycle = 0; cycle < cycles; ++cycle) {
            SCOPED_TRACE("cycle " + std::to_string(cycle));
            watchdog.startCycle(cycle);
            const Unplug kind = CYCLE_KINDS[static_cast<std::size_t>(cycle) % CYCLE_KINDS.size()];
            switch (kind) {
            case Unplug::MidScan:
                UnplugMidScan();
                break;
            case Unplug::DuringConnection:
                UnplugDuringConnection(connectionDelayMs(random));
                break;
            case Unplug::InAdvanceMode:
                UnplugInAdvanceMode();
                break;
            }
            if (HasFatalFailure())
                return;
            ++done[static_cast<std::size_t>(kind)];
            ASSERT_FALSE(link.ThreadsRunning());
            ASSERT_FALSE(device.IsOpen());
            ASSERT_EQ(backend.openConnectionCount(), 0);
        }
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(EntriesIn("/proc/self/task"), threadsBefore);
    EXPECT_EQ(EntriesIn("/proc/self/fd"), fdsBefore);
    std::printf("soak: %d cycles (%d mid-scan, %d during connection, %d in advance mode) in %.1f s; "
                "threads %zu -> %zu, descriptors %zu -> %zu\n",
        cycles, done[0], done[1], done[2], seconds, threadsBefore, EntriesIn("/proc/self/task"), fdsBefore,
        EntriesIn("/proc/self/fd"));
}

} // namespace
} // namespace tarnscope
