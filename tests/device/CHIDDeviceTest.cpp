#include "device/CHIDDevice.h"

#include "device/VirtualHidBackend.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

namespace tarnscope {
namespace {

constexpr std::uint16_t FRAME_VID = 0xA3F0;
constexpr std::uint16_t FRAME_PID = 0xD400;
constexpr std::uint8_t SENTINEL = 0xAA;

using Report = std::array<std::uint8_t, 64>;

Report filled(std::uint8_t value)
{
    Report r;
    r.fill(value);
    return r;
}

VirtualInterfaceSpec frameSpec()
{
    VirtualInterfaceSpec setup;
    setup.vendorId = FRAME_VID;
    setup.productId = FRAME_PID;
    return setup;
}

VirtualInterfaceSpec otherSpec()
{
    VirtualInterfaceSpec setup;
    setup.vendorId = 0x046D;
    setup.productId = 0xC077;
    return setup;
}

// Answers every write as told and keeps what it was sent.
class ScriptedPeer final : public VirtualPeer {
public:
    explicit ScriptedPeer(WriteReply reply = {})
        : m_reply(reply)
    { }
    WriteReply onHostWrite(int, std::span<const std::uint8_t> report) override
    {
        std::lock_guard lock(m_mutex);
        m_written.emplace_back(report.begin(), report.end());
        return m_reply;
    }
    std::vector<std::vector<std::uint8_t>> written() const
    {
        std::lock_guard lock(m_mutex);
        return m_written;
    }

private:
    WriteReply m_reply;
    mutable std::mutex m_mutex;
    std::vector<std::vector<std::uint8_t>> m_written;
};

class HidDeviceTest : public testing::Test {
protected:
    VirtualHidBackend m_bus;
    CHIDDevice m_device { m_bus };
};

TEST_F(HidDeviceTest, NeverOpenedObjectAnswersByLengthsFirst)
{
    Report buffer = filled(SENTINEL);
    std::uint32_t byteCount = 99;

    EXPECT_EQ(m_device.WriteReport(buffer.data()), HidStatus::BadReportLengths);
    EXPECT_EQ(m_device.ReadReport(buffer.data(), byteCount), HidStatus::NotOpen);
    EXPECT_EQ(buffer, filled(0));
    EXPECT_EQ(byteCount, 99u);
    EXPECT_EQ(m_device.Close(), HidStatus::NotOpen);
    EXPECT_FALSE(m_device.IsOpen());
    EXPECT_EQ(m_device.InputBufferCount(), 64);
    EXPECT_EQ(m_device.ReadTimeout(), HID_WAIT_FOREVER);
    EXPECT_EQ(m_device.WriteTimeout(), HID_WAIT_FOREVER);
}

TEST_F(HidDeviceTest, ReadWithUnsuitableLengthsLeavesBufferUntouched)
{
    struct Case {
        const char* what;
        std::uint16_t inputLength;
        std::uint16_t inputBuffers;
    };
    for (const Case& c : { Case { "no input buffers", 64, 0 }, Case { "input report above 64", 65, 64 } }) {
        VirtualInterfaceSpec setup = frameSpec();
        setup.inputReportLength = c.inputLength;
        setup.inputBufferCount = c.inputBuffers;
        const int id = m_bus.plug(setup);
        ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success) << c.what;
        m_bus.pushInput(id, filled(1));

        Report buffer = filled(SENTINEL);
        std::uint32_t byteCount = 0;
        EXPECT_EQ(m_device.ReadReport(buffer.data(), byteCount), HidStatus::BadReportLengths) << c.what;
        EXPECT_EQ(buffer, filled(SENTINEL)) << c.what;

        EXPECT_EQ(m_device.Close(), HidStatus::Success);
        m_bus.unplug(id);
    }
}

TEST_F(HidDeviceTest, OpenWhileOpenKeepsTheFirstConnection)
{
    const int first = m_bus.plug(frameSpec());
    m_bus.plug(frameSpec());
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);

    EXPECT_EQ(m_device.Open(1, FRAME_VID, FRAME_PID), HidStatus::AlreadyOpen);
    EXPECT_EQ(m_bus.openConnectionCount(), 1);

    // Still the first interface: its input is what we read.
    m_bus.pushInput(first, filled(7));
    Report buffer {};
    std::uint32_t byteCount = 0;
    EXPECT_EQ(m_device.ReadReport(buffer.data(), byteCount), HidStatus::Success);
    EXPECT_EQ(buffer, filled(7));
    EXPECT_EQ(byteCount, 64u);
}

TEST_F(HidDeviceTest, OpenPastTheLastMatchOpensNothing)
{
    m_bus.plug(otherSpec());
    m_bus.plug(frameSpec());

    EXPECT_EQ(m_device.Open(1, FRAME_VID, FRAME_PID), HidStatus::NoMatch);
    EXPECT_FALSE(m_device.IsOpen());
    EXPECT_EQ(m_bus.openConnectionCount(), 0);
    EXPECT_EQ(m_device.LastOpenError(), OpenError::None);
}

TEST_F(HidDeviceTest, CloseTwiceAnswersSuccessThenNotOpen)
{
    m_bus.plug(frameSpec());
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);

    EXPECT_EQ(m_device.Close(), HidStatus::Success);
    EXPECT_EQ(m_device.Close(), HidStatus::NotOpen);
    EXPECT_EQ(m_bus.openConnectionCount(), 0);
    EXPECT_EQ(m_device.OutputReportLength(), 0);
}

TEST(HidDeviceWalk, OnlyTheFirst64PositionsAreLookedAt)
{
    struct Case {
        const char* what;
        int othersBefore;
        int frames;
        int expectedCount;
    };
    const Case cases[] = {
        { "no frame present", 3, 0, 0 },
        { "70 frames, 64 counted", 0, 70, 64 },
        { "frame only at position 64", 64, 1, 0 },
        { "frame at position 63", 63, 1, 1 },
    };
    for (const Case& c : cases) {
        VirtualHidBackend bus;
        for (int i = 0; i < c.othersBefore; ++i)
            bus.plug(otherSpec());
        for (int i = 0; i < c.frames; ++i)
            bus.plug(frameSpec());
        CHIDDevice device(bus);

        EXPECT_EQ(device.CountDevices(FRAME_VID, FRAME_PID), c.expectedCount) << c.what;
        const HidStatus expectedOpen = c.expectedCount > 0 ? HidStatus::Success : HidStatus::NoMatch;
        EXPECT_EQ(device.Open(0, FRAME_VID, FRAME_PID), expectedOpen) << c.what;

        std::string path;
        EXPECT_EQ(device.GetDevicePath(63, path), c.othersBefore + c.frames > 63) << c.what;
        EXPECT_FALSE(device.GetDevicePath(64, path)) << c.what;
    }
}

TEST_F(HidDeviceTest, OpenTakesTheIndexedMatchAndItsLengths)
{
    VirtualInterfaceSpec inOnly = frameSpec();
    inOnly.outputReportLength = 0;
    VirtualInterfaceSpec full = frameSpec();
    full.inputBufferCount = 32;
    m_bus.plug(inOnly);
    m_bus.plug(otherSpec());
    m_bus.plug(full);
    ASSERT_EQ(m_device.CountDevices(FRAME_VID, FRAME_PID), 2);

    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    EXPECT_EQ(m_device.OutputReportLength(), 0);
    const Report report = filled(3);
    EXPECT_EQ(m_device.WriteReport(report.data()), HidStatus::BadReportLengths);
    ASSERT_EQ(m_device.Close(), HidStatus::Success);

    ASSERT_EQ(m_device.Open(1, FRAME_VID, FRAME_PID), HidStatus::Success);
    EXPECT_EQ(m_device.InputReportLength(), 64);
    EXPECT_EQ(m_device.OutputReportLength(), 64);
    EXPECT_EQ(m_device.InputBufferCount(), 32);
    EXPECT_EQ(m_device.WriteReport(report.data()), HidStatus::Success);
}

TEST_F(HidDeviceTest, RefusedOpenIsExplainedAndLeavesNothingOpen)
{
    VirtualInterfaceSpec locked = frameSpec();
    locked.openError = OpenError::PermissionDenied;
    const int id = m_bus.plug(locked);

    EXPECT_EQ(m_device.CountDevices(FRAME_VID, FRAME_PID), 1);
    EXPECT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::NoMatch);
    EXPECT_EQ(m_device.LastOpenError(), OpenError::PermissionDenied);
    EXPECT_EQ(m_bus.openConnectionCount(), 0);

    m_bus.unplug(id);
    m_bus.plug(frameSpec());
    EXPECT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    EXPECT_EQ(m_device.LastOpenError(), OpenError::None);
}

TEST_F(HidDeviceTest, WriteAnswersAsThePeerCompletes)
{
    struct Case {
        const char* what;
        WriteReply reply;
        HidStatus expected;
    };
    const Case cases[] = {
        { "accepted", { WriteReply::Kind::Accept, 0 }, HidStatus::Success },
        { "failed", { WriteReply::Kind::Fail, 0 }, HidStatus::TransferFailed },
        { "stalled past the time-out", { WriteReply::Kind::Stall, 500 }, HidStatus::Timeout },
        { "stalled within the time-out", { WriteReply::Kind::Stall, 1 }, HidStatus::Success },
    };
    m_device.SetTimeouts(HID_WAIT_FOREVER, 20);
    for (const Case& c : cases) {
        VirtualInterfaceSpec setup = frameSpec();
        auto peer = std::make_shared<ScriptedPeer>(c.reply);
        setup.peer = peer;
        const int id = m_bus.plug(setup);
        ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success) << c.what;

        Report report = filled(0x11);
        report[0] = 8;
        EXPECT_EQ(m_device.WriteReport(report.data()), c.expected) << c.what;
        ASSERT_EQ(peer->written().size(), 1u) << c.what;
        EXPECT_TRUE(std::ranges::equal(peer->written()[0], report)) << c.what;
        EXPECT_TRUE(m_device.IsOpen()) << c.what; // a failed transfer leaves the object open

        m_device.Close();
        m_bus.unplug(id);
    }
}

TEST_F(HidDeviceTest, ReadTimesOutWithZeroedBufferAndKeepsByteCount)
{
    m_bus.plug(frameSpec());
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    m_device.SetTimeouts(10, 10);

    Report buffer = filled(SENTINEL);
    std::uint32_t byteCount = 5;
    EXPECT_EQ(m_device.ReadReport(buffer.data(), byteCount), HidStatus::Timeout);
    EXPECT_EQ(buffer, filled(0));
    EXPECT_EQ(byteCount, 5u);
}

// Starts a read that waits for ever and returns once it is waiting.
class BlockedRead {
public:
    BlockedRead(CHIDDevice& device, const VirtualHidBackend& bus, int id)
        : m_thread([this, &device] {
            Report buffer {};
            std::uint32_t byteCount = 0;
            m_status = device.ReadReport(buffer.data(), byteCount);
        })
    {
        while (bus.waitingReaders(id) == 0)
            std::this_thread::yield();
    }
    HidStatus finish()
    {
        m_thread.join();
        return m_status;
    }

private:
    HidStatus m_status = HidStatus::Success;
    std::thread m_thread;
};

TEST_F(HidDeviceTest, UnplugFailsAPendingReadThenTheStaleHandleIsReset)
{
    m_device.SetTimeouts(HID_WAIT_FOREVER, HID_WAIT_FOREVER);
    // After the failed read, IsOpen or else Close finds the stale handle.
    for (const bool askIsOpenFirst : { true, false }) {
        const int id = m_bus.plug(frameSpec());
        ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
        BlockedRead read(m_device, m_bus, id);
        m_bus.unplug(id);
        EXPECT_EQ(read.finish(), HidStatus::TransferFailed);

        if (askIsOpenFirst) {
            EXPECT_FALSE(m_device.IsOpen());
            EXPECT_EQ(m_device.Close(), HidStatus::NotOpen);
        } else {
            EXPECT_EQ(m_device.Close(), HidStatus::StaleHandleReset);
        }
        EXPECT_EQ(m_device.InputReportLength(), 0);
        EXPECT_EQ(m_bus.openConnectionCount(), 0);
    }
}

TEST_F(HidDeviceTest, TransferAfterUnplugResetsAndAnswersNotOpen)
{
    const int id = m_bus.plug(frameSpec());
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    m_bus.unplug(id);

    Report buffer = filled(SENTINEL);
    std::uint32_t byteCount = 0;
    EXPECT_EQ(m_device.ReadReport(buffer.data(), byteCount), HidStatus::NotOpen);
    EXPECT_EQ(buffer, filled(0));
    EXPECT_EQ(m_bus.openConnectionCount(), 0);
    // The reset cleared the output length, so a write now fails the length test.
    EXPECT_EQ(m_device.WriteReport(buffer.data()), HidStatus::BadReportLengths);
}

TEST_F(HidDeviceTest, TimeoutsSurviveReset)
{
    m_bus.plug(frameSpec());
    m_device.SetTimeouts(30, 40);
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    ASSERT_EQ(m_device.Close(), HidStatus::Success);
    EXPECT_EQ(m_device.ReadTimeout(), 30u);
    EXPECT_EQ(m_device.WriteTimeout(), 40u);
}

// The worker reads in a loop while the UI thread writes and polls IsOpen; the
// frame then goes away under them.
TEST_F(HidDeviceTest, ConcurrentReaderAndWriterSurviveUnplug)
{
    constexpr int REPORTS = 300;
    VirtualInterfaceSpec setup = frameSpec();
    auto peer = std::make_shared<ScriptedPeer>();
    setup.peer = peer;
    setup.inputBufferCount = 8;
    const int id = m_bus.plug(setup);
    ASSERT_EQ(m_device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    m_device.SetTimeouts(5, 5);

    std::vector<int> received;
    HidStatus lastStatus = HidStatus::Success;
    std::thread worker([&] {
        Report buffer {};
        std::uint32_t byteCount = 0;
        for (;;) {
            const HidStatus status = m_device.ReadReport(buffer.data(), byteCount);
            if (status == HidStatus::Success)
                received.push_back(buffer[1] | buffer[2] << 8);
            else if (status != HidStatus::Timeout) {
                lastStatus = status;
                return;
            }
        }
    });
    std::thread producer([&] {
        for (int i = 0; i < REPORTS; ++i) {
            Report r {};
            r[0] = 8;
            r[1] = static_cast<std::uint8_t>(i);
            r[2] = static_cast<std::uint8_t>(i >> 8);
            ASSERT_TRUE(m_bus.pushInputWait(id, r, HID_WAIT_FOREVER));
        }
    });

    int writesOk = 0;
    const Report command = filled(8);
    for (int i = 0; i < 50; ++i) {
        writesOk += m_device.WriteReport(command.data()) == HidStatus::Success;
        EXPECT_TRUE(m_device.IsOpen());
    }
    producer.join();
    while (m_bus.pendingInput(id) > 0)
        std::this_thread::yield();
    m_bus.unplug(id);
    EXPECT_FALSE(m_device.IsOpen());
    worker.join();

    EXPECT_EQ(writesOk, 50);
    EXPECT_EQ(peer->written().size(), 50u);
    EXPECT_TRUE(lastStatus == HidStatus::TransferFailed || lastStatus == HidStatus::NotOpen) << toInt(lastStatus);
    std::vector<int> expected(REPORTS);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(received, expected);
    EXPECT_EQ(m_bus.openConnectionCount(), 0);
}

} // namespace
} // namespace tarnscope
