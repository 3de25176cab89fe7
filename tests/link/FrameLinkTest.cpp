#include "LinkTestDoubles.h"
#include "common/TimerIds.h"
#include "device/CHIDDevice.h"
#include "device/VirtualHidBackend.h"
#include "sim/VirtualFrameBus.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

const std::string DISCONNECTED = g_titlePrefix + "Troubleshooting Tools, Disconnected";
const std::string TOO_MANY = "Error: You have plus in to much device at the same time!";
const std::string NO_OUTPUT = "Failed: Not validate device,plus out device and retry again!";
const std::string SILENT = "Error: Not validate device,please plus in a validate device.";

FrameSpec Frame(const std::string& name, InterfaceLayout layout = InterfaceLayout::Two)
{
    FrameSpec setup;
    setup.name = name;
    setup.interfaces = layout;
    setup.packetsPerSecond = 2000;
    return setup;
}

// A link over simulated frames that the test plugs by hand.
class FrameLinkTest : public ::testing::Test, protected SimulatedLink {
protected:
    void SetUpFrames(std::vector<FrameSpec> frames)
    {
        Scenario scenario;
        scenario.frames = std::move(frames);
        bus = std::make_unique<VirtualFrameBus>(backend, scenario);
        bus->start();
    }
    void Plug(const std::string& name)
    {
        ASSERT_TRUE(bus->plug(name));
        link.OnDeviceChange();
        ui.drain();
    }
    void Unplug(const std::string& name)
    {
        ASSERT_TRUE(bus->unplug(name));
        link.OnDeviceChange();
        ui.drain();
    }
    bool Connected() const { return host.autoDiagnosisRuns > 0 && link.LastDeviceCount() == 2; }
};

TEST_F(FrameLinkTest, ConnectsAnAttachedFrameAndShakesHands)
{
    SetUpFrames({ Frame("A") });
    Plug("A");

    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(host.autoDiagnosisRuns, 1);
    EXPECT_TRUE(host.buttons[BUTTON_AUTO_DIAGNOSIS]);
    EXPECT_TRUE(host.buttons[BUTTON_ADVANCE_DIAGNOSIS]);
    EXPECT_TRUE(device.IsOpen());
    EXPECT_EQ(device.OutputReportLength(), 64);
    EXPECT_TRUE(WaitFor(ui, [&] { return link.m_bHandshakeDone.load(); }));
    EXPECT_EQ(host.title, g_titlePrefix + "Troubleshooting Tools,Board Size= 82 ,Firmware = 3");
    EXPECT_EQ(link.BoardSize(), 82);
    EXPECT_EQ(link.SerialIdCopy(), (SerialId { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 }));
    EXPECT_TRUE(WaitFor(ui, [&] { return link.ExtraIdCopy()[1] == HID_CMD_EXTRA_ID; }));
    EXPECT_EQ(link.ExtraIdCopy()[0], HID_REPORT_ID);
}

TEST_F(FrameLinkTest, RefusesWhatIsNotExactlyOneFrame)
{
    struct Case {
        const char* name;
        std::vector<FrameSpec> frames;
        std::string message;
    };
    const Case cases[] = {
        { "one interface", { Frame("A", InterfaceLayout::One) }, TOO_MANY },
        { "two frames", { Frame("A"), Frame("B") }, TOO_MANY },
        { "no output interface", { Frame("A", InterfaceLayout::NoOutput) }, NO_OUTPUT },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameLinkTest::TearDown();
        link.StopThreads();
        bus.reset();
        prompt.messages.clear();
        host = {};
        SetUpFrames(c.frames);
        for (const FrameSpec& frame : c.frames)
            bus->plug(frame.name);
        link.OnDeviceChange();
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0], c.message);
        EXPECT_EQ(host.autoDiagnosisRuns, 0);
        EXPECT_TRUE(WaitFor(ui, [&] { return !device.IsOpen(); }));
        link.StopThreads();
        EXPECT_EQ(backend.openConnectionCount(), 0);
        for (const FrameSpec& frame : c.frames)
            bus->unplug(frame.name);
        link.OnDeviceChange();
    }
}

TEST_F(FrameLinkTest, SecondFrameDropsTheConnectionUntilTheFramesChangeAgain)
{
    SetUpFrames({ Frame("A"), Frame("B") });
    Plug("A");
    ASSERT_TRUE(Connected());

    Plug("B");
    EXPECT_EQ(prompt.messages, std::vector<std::string> { TOO_MANY });
    EXPECT_FALSE(link.ThreadsRunning());
    EXPECT_FALSE(device.IsOpen());

    // Back to two interfaces, the count of the last connection: nothing happens.
    Unplug("B");
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_FALSE(device.IsOpen());

    Unplug("A");
    EXPECT_EQ(host.title, DISCONNECTED);
    EXPECT_FALSE(host.buttons[BUTTON_AUTO_DIAGNOSIS]);
    EXPECT_FALSE(host.buttons[BUTTON_ADVANCE_DIAGNOSIS]);

    Plug("A");
    EXPECT_EQ(host.autoDiagnosisRuns, 2);
    EXPECT_TRUE(device.IsOpen());
}

TEST_F(FrameLinkTest, AnotherDeviceChangesNothing)
{
    FrameSpec mouse = Frame("mouse");
    mouse.kind = DeviceKind::Mouse;
    mouse.vendorId = 0x046D;
    mouse.productId = 0xC077;
    SetUpFrames({ Frame("A"), mouse });
    Plug("A");
    Plug("mouse");
    Unplug("mouse");
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(host.autoDiagnosisRuns, 1);
    EXPECT_TRUE(link.ThreadsRunning());
}

TEST_F(FrameLinkTest, FrameThatMayNotBeOpenedNamesItsNodesAndTheUdevRule)
{
    SetUpFrames({});
    for (std::uint16_t output : { 0, 64 })
        backend.plug({ .vendorId = 0xA3F0,
            .productId = 0xD400,
            .outputReportLength = output,
            .openError = OpenError::PermissionDenied,
            .peer = nullptr });
    link.OnDeviceChange();
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].rfind(
                  "Error: The touch frame is attached, but this user may not open virtual:1, virtual:2.", 0),
        0u)
        << prompt.messages[0];
    EXPECT_NE(prompt.messages[0].find("70-tarnscope.rules"), std::string::npos);
    EXPECT_NE(prompt.messages[0].find("udevadm control --reload-rules"), std::string::npos);
    EXPECT_EQ(host.autoDiagnosisRuns, 0);
}

TEST_F(FrameLinkTest, SilentFrameEndsTheProgram)
{
    FrameSpec silent = Frame("A");
    silent.faults.neverAnswerIdentify = true;
    SetUpFrames({ silent });
    Plug("A");
    EXPECT_EQ(prompt.messages, std::vector<std::string> { SILENT });
    EXPECT_TRUE(host.quit);
    EXPECT_EQ(host.autoDiagnosisRuns, 0);
    EXPECT_FALSE(link.ThreadsRunning());
}

TEST_F(FrameLinkTest, ScanFillsTheBadLightListsAndUnplugMidScanEndsCleanly)
{
    FrameSpec frame = Frame("A");
    frame.faults.deadEmitters.x = { 70, 71 };
    SetUpFrames({ frame });
    Plug("A");
    ASSERT_TRUE(WaitFor(ui, [&] { return link.m_bHandshakeDone.load(); }));

    link.m_bCollecting = true;
    timers.startTimer(TIMER_SCAN_X, TIMER_SCAN_PERIOD_MS);
    link.StartScan(SCAN_AXIS_X);
    ASSERT_TRUE(WaitFor(ui, [&] { return host.title == g_titlePrefix + "Troubleshooting Tools, X Scaning..."; }));
    EXPECT_FALSE(timers.isTimerActive(TIMER_SCAN_X));
    EXPECT_EQ(link.XRange(), (AxisRange { 0, 336 }));

    bool found = false;
    ASSERT_TRUE(WaitFor(ui, [&] {
        link.WithBadLights([&](BadLightList& x, BadLightList&) {
            found = std::find(x.begin(), x.end(), 20070) != x.end() && std::find(x.begin(), x.end(), 20071) != x.end();
        });
        return found;
    }));
    EXPECT_NE(link.PacketLogCopy().find("[56,112]:"), std::string::npos);

    Unplug("A");
    EXPECT_FALSE(link.ThreadsRunning());
    EXPECT_EQ(host.title, DISCONNECTED);
    EXPECT_EQ(backend.openConnectionCount(), 0);

    Plug("A");
    EXPECT_EQ(host.autoDiagnosisRuns, 2);
}

TEST_F(FrameLinkTest, PacketsAreQueuedOnlyWhileCollecting)
{
    SetUpFrames({ Frame("A") });
    Plug("A");
    ASSERT_TRUE(WaitFor(ui, [&] { return link.m_bHandshakeDone.load(); }));
    link.m_bCollecting = false;
    link.StartScan(SCAN_AXIS_X);
    ASSERT_TRUE(WaitFor(ui, [&] { return host.title.ends_with("X Scaning..."); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(link.PacketLogCopy().empty());
    EXPECT_EQ(link.QueuedPacketCount(), 0u);
}

TEST_F(FrameLinkTest, OnlyOneWorkerRuns)
{
    SetUpFrames({});
    EXPECT_TRUE(link.StartThreads());
    EXPECT_FALSE(link.StartThreads());
    link.StopThreads();
    EXPECT_FALSE(link.ThreadsRunning());
    EXPECT_TRUE(link.StartThreads());
}

TEST_F(FrameLinkTest, CommandSendersGiveUpOnAClosedDevice)
{
    SetUpFrames({});
    EXPECT_EQ(link.SendDiagnosisMode(false), 0);
    EXPECT_FALSE(link.EnterAdvanceMode(1920, 1080));
    EXPECT_FALSE(link.LeaveAdvanceMode());
}

} // namespace
} // namespace tarnscope
