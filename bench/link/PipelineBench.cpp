// The acquisition pipeline end to end: a producer pushes data packets into a
// virtual interface as fast as it takes them (no report dropped), and the
// link's worker reads, accepts and queues them while its consumer sorts them
// into the bad-light lists. Goal: at least 100,000 reports/s with none lost.
// Also the CPU the link costs at the rate a frame streams, 1,000 reports/s.
#include "LinkTestDoubles.h"
#include "device/CHIDDevice.h"
#include "device/VirtualHidBackend.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>

namespace tarnscope {
namespace {

constexpr std::uint16_t VENDOR_ID = 0xA3F0;
constexpr std::uint16_t PRODUCT_ID = 0xD400;
constexpr std::int32_t AXIS_END = 336; // LEDs of the X axis of board size 82
constexpr int PACKETS_PER_SWEEP = AXIS_END / MAX_PACKET_VALUES;
// Every packet carries one weak receiver and one dead emitter, away from the
// axis ends the consumer skips.
constexpr std::uint8_t HEALTHY = 0xC0, WEAK = 127, DEAD = 20;
constexpr int BAD_PER_PACKET = 2;

// The X scan's data packets, 56 values each, trailer 0x55.
std::vector<HidReport> SweepPackets()
{
    std::vector<HidReport> packets;
    for (std::int32_t first = 0; first < AXIS_END; first += MAX_PACKET_VALUES) {
        HidReport report {};
        report[0] = HID_REPORT_ID;
        report[1] = HID_CMD_SCAN_X;
        report[2] = MAX_PACKET_VALUES;
        const std::int32_t last = first + MAX_PACKET_VALUES - 1;
        report[3] = static_cast<std::uint8_t>(first >> 8);
        report[4] = static_cast<std::uint8_t>(first);
        report[5] = static_cast<std::uint8_t>(last >> 8);
        report[6] = static_cast<std::uint8_t>(last);
        std::fill_n(report.begin() + 7, MAX_PACKET_VALUES, HEALTHY);
        report[7 + 10] = WEAK;
        report[7 + 20] = DEAD;
        report[HID_REPORT_SIZE - 1] = HID_TRAILER;
        packets.push_back(report);
    }
    return packets;
}

double ProcessCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A link connected to one virtual interface, collecting an X scan.
class Pipeline {
public:
    Pipeline()
    {
        m_interface = m_backend.plug({ .vendorId = VENDOR_ID, .productId = PRODUCT_ID, .peer = nullptr });
        m_device.Open(0, VENDOR_ID, PRODUCT_ID);
        m_device.SetTimeouts(30, 30);
        m_link.m_bHandshakeDone = true;
        m_link.m_scanAxis = SCAN_AXIS_X;
        m_link.SetRange(SCAN_AXIS_X, { 0, AXIS_END });
        m_link.m_bCollecting = true;
        m_link.StartThreads();
    }
    ~Pipeline() { m_link.StopThreads(); }

    // Pushes `count` packets, `pause` apart (zero: back to back), and waits
    // until the consumer has sorted every one that arrived.
    void run(std::int64_t count, std::chrono::microseconds pause)
    {
        m_link.ClearResults();
        auto next = std::chrono::steady_clock::now();
        for (std::int64_t n = 0; n < count; ++n) {
            const HidReport& packet = m_packets[static_cast<std::size_t>(n % PACKETS_PER_SWEEP)];
            m_backend.pushInputWait(m_interface, packet, HID_WAIT_FOREVER);
            if (pause.count() > 0)
                std::this_thread::sleep_until(next += pause);
        }
        const std::size_t expected = static_cast<std::size_t>(count) * BAD_PER_PACKET;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (badLights() < expected && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::size_t badLights()
    {
        std::size_t total = 0;
        m_link.WithBadLights([&](BadLightList& x, BadLightList& y) { total = x.size() + y.size(); });
        return total;
    }
    std::int64_t loggedPackets()
    {
        const std::string log = m_link.PacketLogCopy();
        return std::count(log.begin(), log.end(), '\n');
    }

private:
    VirtualHidBackend m_backend;
    int m_interface = 0;
    CHIDDevice m_device { m_backend };
    SteadyClock m_clock;
    QueuedUiThread m_ui;
    RecordingTimers m_timers;
    RecordingPrompt m_prompt;
    RecordingHost m_host;
    FrameLink m_link { { m_device, m_clock, m_ui, m_timers, m_prompt, m_host } };
    const std::vector<HidReport> m_packets = SweepPackets();
};

void ReportLoss(benchmark::State& state, std::int64_t pushed, std::int64_t logged, std::size_t sorted)
{
    state.counters["lost"] = static_cast<double>(pushed - logged);
    state.counters["unsorted"]
        = static_cast<double>(static_cast<std::size_t>(pushed) * BAD_PER_PACKET - sorted) / BAD_PER_PACKET;
    if (logged != pushed)
        state.SkipWithError("packets were lost");
}

// As fast as the link reads.
void BM_PipelineThroughput(benchmark::State& state)
{
    Pipeline pipeline;
    const std::int64_t batch = state.range(0);
    std::int64_t pushed = 0, logged = 0;
    std::size_t sorted = 0;
    for (auto _ : state) {
        pipeline.run(batch, std::chrono::microseconds(0));
        state.PauseTiming();
        pushed += batch;
        logged += pipeline.loggedPackets();
        sorted += pipeline.badLights();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(pushed);
    state.counters["reports_per_s"] = benchmark::Counter(static_cast<double>(pushed), benchmark::Counter::kIsRate);
    ReportLoss(state, pushed, logged, sorted);
}
BENCHMARK(BM_PipelineThroughput)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Paced like a streaming frame: the CPU of the whole process (producer
// included) per 1,000 reports.
void BM_PipelineCpuAtFrameRate(benchmark::State& state)
{
    Pipeline pipeline;
    const std::int64_t reports = state.range(0);
    double cpuSeconds = 0;
    std::int64_t pushed = 0, logged = 0;
    std::size_t sorted = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        pipeline.run(reports, std::chrono::milliseconds(1));
        cpuSeconds += ProcessCpuSeconds() - cpuBefore;
        pushed += reports;
        logged += pipeline.loggedPackets();
        sorted += pipeline.badLights();
    }
    state.counters["cpu_ms_per_1000"] = cpuSeconds * 1000.0 / (static_cast<double>(pushed) / 1000.0);
    ReportLoss(state, pushed, logged, sorted);
}
BENCHMARK(BM_PipelineCpuAtFrameRate)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace tarnscope

BENCHMARK_MAIN();
