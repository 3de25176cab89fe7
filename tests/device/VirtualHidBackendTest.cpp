#include "device/VirtualHidBackend.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tarnscope {
namespace {

std::vector<std::uint8_t> report(std::uint8_t tag, std::size_t size = 64)
{
    return std::vector<std::uint8_t>(size, tag);
}

VirtualInterfaceSpec queueOf(std::uint16_t count)
{
    VirtualInterfaceSpec setup;
    setup.inputBufferCount = count;
    return setup;
}

std::unique_ptr<HidConnection> openFirst(VirtualHidBackend& bus)
{
    OpenError error = OpenError::Other;
    auto connection = bus.open(bus.enumerate().at(0), error);
    EXPECT_EQ(error, OpenError::None);
    return connection;
}

TEST(VirtualHidBackend, ListsInPlugOrderAndTellsTheListener)
{
    VirtualHidBackend bus;
    int changes = 0;
    bus.setChangeListener([&] { ++changes; });
    VirtualInterfaceSpec a;
    a.vendorId = 0xA3F0;
    a.productId = 0xD400;
    a.outputReportLength = 0;
    VirtualInterfaceSpec b;
    b.vendorId = 0x1234;
    b.featureReportLength = 9;
    const int idA = bus.plug(a);
    const int idB = bus.plug(b);

    std::vector<HidInterfaceInfo> listed = bus.enumerate();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].path, "virtual:" + std::to_string(idA));
    EXPECT_EQ(listed[0].vendorId, 0xA3F0);
    EXPECT_EQ(listed[0].productId, 0xD400);
    EXPECT_EQ(listed[0].outputReportLength, 0);
    EXPECT_EQ(listed[1].vendorId, 0x1234);
    EXPECT_EQ(listed[1].featureReportLength, 9);

    bus.unplug(idA);
    bus.unplug(idA); // already gone: no change to report
    listed = bus.enumerate();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].path, "virtual:" + std::to_string(idB));
    EXPECT_EQ(changes, 3);
}

TEST(VirtualHidBackend, FullQueueDropsTheOldestReport)
{
    VirtualHidBackend bus;
    const int id = bus.plug(queueOf(3));
    auto connection = openFirst(bus);
    for (std::uint8_t tag = 1; tag <= 5; ++tag)
        ASSERT_TRUE(bus.pushInput(id, report(tag)));
    EXPECT_EQ(bus.pendingInput(id), 3u);

    std::vector<std::uint8_t> buffer(64);
    for (std::uint8_t expected : { 3, 4, 5 }) {
        std::size_t n = 0;
        ASSERT_EQ(connection->read(buffer, 0, n), TransferResult::Done);
        EXPECT_EQ(buffer[0], expected);
    }
    std::size_t n = 0;
    EXPECT_EQ(connection->read(buffer, 0, n), TransferResult::Timeout);
}

TEST(VirtualHidBackend, ShortReportReadsItsOwnLength)
{
    VirtualHidBackend bus;
    const int id = bus.plug({});
    auto connection = openFirst(bus);
    bus.pushInput(id, report(9, 10));
    std::vector<std::uint8_t> buffer(64, 0);
    std::size_t n = 0;
    ASSERT_EQ(connection->read(buffer, 0, n), TransferResult::Done);
    EXPECT_EQ(n, 10u);
    EXPECT_EQ(buffer[9], 9);
    EXPECT_EQ(buffer[10], 0);
}

TEST(VirtualHidBackend, WaitingProducerLosesNothing)
{
    VirtualHidBackend bus;
    const int id = bus.plug(queueOf(1));
    auto connection = openFirst(bus);
    ASSERT_TRUE(bus.pushInputWait(id, report(1), 0));
    EXPECT_FALSE(bus.pushInputWait(id, report(2), 5)) << "no room made in time";

    std::thread producer([&] { EXPECT_TRUE(bus.pushInputWait(id, report(3), HID_WAIT_FOREVER)); });
    std::vector<std::uint8_t> buffer(64);
    std::size_t n = 0;
    for (std::uint8_t expected : { 1, 3 }) {
        ASSERT_EQ(connection->read(buffer, HID_WAIT_FOREVER, n), TransferResult::Done);
        EXPECT_EQ(buffer[0], expected);
    }
    producer.join();
}

TEST(VirtualHidBackend, UnplugReleasesWaitingProducersAndStalledWriters)
{
    struct StallingPeer final : VirtualPeer {
        WriteReply onHostWrite(int, std::span<const std::uint8_t>) override
        {
            return { WriteReply::Kind::Stall, HID_WAIT_FOREVER };
        }
    };
    VirtualHidBackend bus;
    VirtualInterfaceSpec setup = queueOf(1);
    setup.peer = std::make_shared<StallingPeer>();
    const int id = bus.plug(setup);
    auto connection = openFirst(bus);
    ASSERT_TRUE(bus.pushInput(id, report(1)));

    bool pushed = true;
    TransferResult written = TransferResult::Done;
    std::thread producer([&] { pushed = bus.pushInputWait(id, report(2), HID_WAIT_FOREVER); });
    std::thread writer([&] { written = connection->write(report(8), HID_WAIT_FOREVER); });
    // Usually lets both block first; either order must give the same answers, and
    // a missed wake-up hangs the join.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    bus.unplug(id);
    producer.join();
    writer.join();

    EXPECT_FALSE(pushed);
    EXPECT_EQ(written, TransferResult::Gone);
    EXPECT_FALSE(connection->isValid());
    std::vector<std::uint8_t> buffer(64);
    std::size_t n = 0;
    EXPECT_EQ(connection->read(buffer, HID_WAIT_FOREVER, n), TransferResult::Gone);
    EXPECT_FALSE(bus.pushInput(id, report(3)));
}

TEST(VirtualHidBackend, OpenFailsAsConfiguredAndCountsNothing)
{
    VirtualHidBackend bus;
    VirtualInterfaceSpec busy;
    busy.openError = OpenError::Busy;
    bus.plug(busy);
    const int goneId = bus.plug({});
    const std::vector<HidInterfaceInfo> listed = bus.enumerate();
    bus.unplug(goneId);

    struct Case {
        const char* what;
        HidInterfaceInfo info;
        OpenError expected;
    };
    const Case cases[] = {
        { "configured error", listed[0], OpenError::Busy },
        { "unplugged", listed[1], OpenError::NotFound },
        { "not a virtual path", { "/dev/hidraw0" }, OpenError::NotFound },
        { "id with trailing junk", { listed[0].path + "x" }, OpenError::NotFound },
    };
    for (const Case& c : cases) {
        OpenError error = OpenError::None;
        EXPECT_EQ(bus.open(c.info, error), nullptr) << c.what;
        EXPECT_EQ(error, c.expected) << c.what;
    }
    EXPECT_EQ(bus.openConnectionCount(), 0);
}

} // namespace
} // namespace tarnscope
