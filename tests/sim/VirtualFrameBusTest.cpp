#include "sim/VirtualFrameBus.h"

#include "sim/FrameResponder.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

namespace tarnscope {
namespace {

constexpr std::uint32_t READ_TIMEOUT_MS = 3000;

FrameSpec NamedFrame(const std::string& name)
{
    FrameSpec setup;
    setup.name = name;
    return setup;
}

Scenario ScenarioOf(std::vector<FrameSpec> frames, std::uint32_t seed = 1)
{
    Scenario scenario;
    scenario.seed = seed;
    for (const FrameSpec& frame : frames)
        scenario.timeline.push_back({ 0, TimelineEvent::Action::Plug, frame.name });
    scenario.frames = std::move(frames);
    return scenario;
}

// The host's end: the first interface that takes output reports.
class Host {
public:
    explicit Host(VirtualHidBackend& backend)
    {
        for (const HidInterfaceInfo& info : backend.enumerate()) {
            if (info.outputReportLength == 0)
                continue;
            OpenError error = OpenError::None;
            m_connection = backend.open(info, error);
            break;
        }
    }

    bool isOpen() const { return m_connection != nullptr; }
    bool write(const HidReport& report) { return m_connection->write(report, 1000) == TransferResult::Done; }

    TransferResult read(HidReport& report, std::uint32_t timeoutMs = READ_TIMEOUT_MS)
    {
        std::size_t transferred = 0;
        report = {};
        return m_connection->read(report, timeoutMs, transferred);
    }

    std::optional<HidReport> read()
    {
        HidReport report {};
        return read(report) == TransferResult::Done ? std::optional(report) : std::nullopt;
    }

private:
    std::unique_ptr<HidConnection> m_connection;
};

TEST(VirtualFrameBus, FramesAtTimeZeroArePresentWhenStartReturns)
{
    using Row = std::tuple<std::uint16_t, std::uint16_t, std::uint16_t, std::uint16_t>; // ids, input, output
    FrameSpec one = NamedFrame("one");
    one.interfaces = InterfaceLayout::One;
    FrameSpec noOutput = NamedFrame("noOutput");
    noOutput.interfaces = InterfaceLayout::NoOutput;
    FrameSpec mouse = NamedFrame("mouse");
    mouse.kind = DeviceKind::Mouse;
    mouse.vendorId = 0x046D;
    mouse.productId = 0xC077;
    FrameSpec unknown = NamedFrame("unknown");
    unknown.vendorId = 0x1234;
    unknown.productId = 0x5678;
    const struct {
        const char* name;
        std::vector<FrameSpec> frames;
        std::vector<Row> interfaces;
    } cases[] = {
        { "two interfaces", { NamedFrame("a") }, { { 0xA3F0, 0xD400, 64, 0 }, { 0xA3F0, 0xD400, 64, 64 } } },
        { "one interface", { one }, { { 0xA3F0, 0xD400, 64, 64 } } },
        { "no output", { noOutput }, { { 0xA3F0, 0xD400, 64, 0 }, { 0xA3F0, 0xD400, 64, 0 } } },
        { "mouse", { mouse }, { { 0x046D, 0xC077, 5, 0 } } },
        { "unknown ids", { unknown }, { { 0x1234, 0x5678, 64, 0 }, { 0x1234, 0x5678, 64, 64 } } },
        { "two frames", { NamedFrame("a"), one },
            { { 0xA3F0, 0xD400, 64, 0 }, { 0xA3F0, 0xD400, 64, 64 }, { 0xA3F0, 0xD400, 64, 64 } } },
    };
    for (const auto& c : cases) {
        VirtualHidBackend backend;
        VirtualFrameBus bus(backend, ScenarioOf(c.frames));
        bus.start();
        std::vector<Row> present;
        for (const HidInterfaceInfo& info : backend.enumerate())
            present.emplace_back(info.vendorId, info.productId, info.inputReportLength, info.outputReportLength);
        EXPECT_EQ(present, c.interfaces) << c.name;
    }
}

TEST(VirtualFrameBus, FrameAnswersThroughTheBackend)
{
    FrameSpec setup = NamedFrame("frame");
    setup.faults.answerDelayMs = 20; // answers still come, in order
    VirtualHidBackend backend;
    VirtualFrameBus bus(backend, ScenarioOf({ setup }));
    bus.start();
    Host host(backend);
    ASSERT_TRUE(host.isOpen());

    const std::vector<HidReport> commands { BuildIdentifyCommand({}), BuildHandshakeCommand({}),
        BuildCommand(HID_CMD_EXTRA_ID), BuildDiagModeCommand(true) };
    FrameResponder reference(setup, 0);
    for (const HidReport& command : commands)
        ASSERT_TRUE(host.write(command));
    for (const HidReport& command : commands)
        EXPECT_EQ(host.read(), reference.onCommand(command).front()) << "command " << int(command[1]);
    bus.stop(); // the frame's thread counts a report just after the host could read it
    EXPECT_EQ(bus.counters("frame").commandsReceived, commands.size());
    EXPECT_EQ(bus.counters("frame").reportsPushed, commands.size());
    EXPECT_EQ(bus.counters("nobody").commandsReceived, 0u);
}

TEST(VirtualFrameBus, LossFreeScanStreamsEveryPacketInOrder)
{
    FrameSpec setup = NamedFrame("frame");
    setup.packetsPerSecond = 0;
    setup.faults.deadEmitters.y = { 7, 100 };
    setup.faults.weakReceivers.y = { 8 };
    VirtualHidBackend backend;
    VirtualFrameBus bus(backend, ScenarioOf({ setup }));
    bus.start();
    Host host(backend);
    ASSERT_TRUE(host.write(BuildCommand(HID_CMD_SCAN_Y)));

    const auto start = host.read();
    ASSERT_TRUE(start);
    EXPECT_EQ(ClassifyInputReport(*start, true).kind, ReportKind::ScanStartAnswer);
    // Far more packets than the interface queues: none may be dropped.
    int expectedFirst = 0;
    for (int i = 0; i < 200; ++i) {
        const auto packet = host.read();
        ASSERT_TRUE(packet) << "packet " << i;
        const ClassifiedReport out = ClassifyInputReport(*packet, true);
        ASSERT_EQ(out.kind, ReportKind::DataPacket);
        ASSERT_EQ(out.range.first, expectedFirst) << "packet " << i;
        for (int j = 0; j < out.valueCount; ++j) {
            const int position = out.range.first + j;
            const int value = (*packet)[7 + static_cast<std::size_t>(j)];
            if (position == 7 || position == 100)
                EXPECT_LE(value, 105) << position;
            else if (position == 8)
                EXPECT_TRUE(value >= 124 && value <= 130) << value;
            else
                EXPECT_TRUE(value >= 150 && value <= 240) << position << ": " << value;
        }
        expectedFirst = out.range.end == 232 ? 0 : out.range.end;
    }
}

TEST(VirtualFrameBus, SameSeedGivesTheSameReports)
{
    FrameSpec setup = NamedFrame("frame");
    setup.packetsPerSecond = 0;
    setup.faults.noise = 0.3;
    setup.faults.malformedRate = 0.2;
    const auto firstReports = [&](std::uint32_t seed) {
        VirtualHidBackend backend;
        VirtualFrameBus bus(backend, ScenarioOf({ setup }, seed));
        bus.start();
        Host host(backend);
        std::vector<HidReport> reports;
        host.write(BuildCommand(HID_CMD_SCAN_X_TX));
        for (int i = 0; i < 40; ++i)
            reports.push_back(host.read().value_or(HidReport {}));
        return reports;
    };
    const auto first = firstReports(21);
    EXPECT_EQ(first, firstReports(21));
    EXPECT_NE(first, firstReports(22));
}

TEST(VirtualFrameBus, UnplugOnTheTimelineEndsReadsWithGone)
{
    Scenario scenario = ScenarioOf({ NamedFrame("frame") });
    scenario.timeline.push_back({ 300, TimelineEvent::Action::Unplug, "frame" });
    VirtualHidBackend backend;
    VirtualFrameBus bus(backend, scenario);
    bus.start();
    Host host(backend);
    ASSERT_TRUE(host.write(BuildCommand(HID_CMD_SCAN_X)));

    TransferResult result = TransferResult::Done;
    HidReport report {};
    for (int reads = 0; reads < 2000 && result != TransferResult::Gone; ++reads)
        result = host.read(report);
    EXPECT_EQ(result, TransferResult::Gone);
    bus.stop();
    EXPECT_TRUE(bus.timelineDone());
    EXPECT_FALSE(bus.isPlugged("frame"));
    EXPECT_TRUE(backend.enumerate().empty());
}

TEST(VirtualFrameBus, ReplugMidScanStartsAfresh)
{
    VirtualHidBackend backend;
    VirtualFrameBus bus(backend, ScenarioOf({ NamedFrame("frame") }));
    bus.start();
    {
        Host host(backend);
        ASSERT_TRUE(host.write(BuildCommand(HID_CMD_SCAN_X)));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(host.read());
        ASSERT_TRUE(bus.unplug("frame"));
        HidReport report {};
        EXPECT_EQ(host.read(report), TransferResult::Gone);
        EXPECT_FALSE(host.write(BuildCommand(HID_CMD_SCAN_X)));
    }
    ASSERT_TRUE(bus.plug("frame"));
    Host host(backend);
    ASSERT_TRUE(host.isOpen());
    HidReport report {};
    EXPECT_EQ(host.read(report, 200), TransferResult::Timeout) << "the scan must not go on";
    ASSERT_TRUE(host.write(BuildIdentifyCommand({})));
    ASSERT_EQ(host.read(report), TransferResult::Done);
    EXPECT_EQ(ClassifyInputReport(report, false).kind, ReportKind::IdentifyAnswer);
    EXPECT_FALSE(bus.plug("nobody"));
}

TEST(VirtualFrameBus, StopReturnsWhileAStreamWaitsForRoomAndLeavesFramesPlugged)
{
    FrameSpec setup = NamedFrame("frame");
    setup.packetsPerSecond = 0;
    VirtualHidBackend backend;
    VirtualFrameBus bus(backend, ScenarioOf({ setup }));
    bus.start();
    Host host(backend);
    ASSERT_TRUE(host.write(BuildCommand(HID_CMD_SCAN_X)));
    HidReport report {};
    ASSERT_EQ(host.read(report), TransferResult::Done); // the stream runs; nobody reads on

    bus.stop();
    EXPECT_TRUE(bus.isPlugged("frame"));
    EXPECT_EQ(backend.enumerate().size(), 2u);
    bus.stop(true);
    EXPECT_FALSE(bus.isPlugged("frame"));
    EXPECT_TRUE(backend.enumerate().empty());
}

// The backend keeps the frame's peer, so host writes may reach it after the bus is gone.
TEST(VirtualFrameBus, DestroyedBusLeavesFramesPluggedButSilent)
{
    VirtualHidBackend backend;
    std::optional<VirtualFrameBus> bus(std::in_place, backend, ScenarioOf({ NamedFrame("frame") }));
    bus->start();
    Host host(backend);
    bus.reset();
    ASSERT_TRUE(host.write(BuildIdentifyCommand({})));
    HidReport report {};
    EXPECT_EQ(host.read(report, 200), TransferResult::Timeout);
}

} // namespace
} // namespace tarnscope
