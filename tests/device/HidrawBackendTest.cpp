#include "device/HidrawBackend.h"

#include "FakeHidrawTree.h"
#include "device/CHIDDevice.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

using testing_support::FakeHidrawTree;
using testing_support::ReadDescriptorSample;
using Node = FakeHidrawTree::Node;

constexpr std::uint16_t FRAME_VID = 0xA3F0;
constexpr std::uint16_t FRAME_PID = 0xD400;

class HidrawBackendTest : public testing::Test {
protected:
    FakeHidrawTree m_tree;
    HidrawBackend m_backend { m_tree.sysfsRoot(), m_tree.devRoot() };
    const std::vector<std::uint8_t> m_vendor64 = ReadDescriptorSample("a3f0_d400_vendor-64.rdesc");
    const std::vector<std::uint8_t> m_inputOnly = ReadDescriptorSample("a3f0_d400_vendor-in-only.rdesc");
    const std::vector<std::uint8_t> m_mouse = ReadDescriptorSample("046d_c077_logitech-usb-optical-mouse.rdesc");

    std::unique_ptr<HidConnection> openNode(unsigned number, Node node)
    {
        m_tree.addInterface(number, FRAME_VID, FRAME_PID, m_vendor64, node);
        HidInterfaceInfo info;
        info.path = (m_tree.devRoot() / ("hidraw" + std::to_string(number))).string();
        OpenError error = OpenError::Other;
        auto connection = m_backend.open(info, error);
        EXPECT_EQ(error, OpenError::None);
        return connection;
    }
};

TEST_F(HidrawBackendTest, ListsNodesInNumericOrderWithIdsAndLengths)
{
    m_tree.addInterface(10, FRAME_VID, FRAME_PID, m_vendor64);
    m_tree.addInterface(2, 0x046D, 0xC077, m_mouse);
    m_tree.addInterface(1, FRAME_VID, FRAME_PID, std::vector<std::uint8_t> { 0x06, 0x00 }); // truncated
    std::filesystem::create_directories(m_tree.sysfsRoot() / "class/hidraw/hidrawX");
    std::filesystem::create_directories(m_tree.sysfsRoot() / "class/hidraw/hidraw");

    const std::vector<HidInterfaceInfo> listed = m_backend.enumerate();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].path, (m_tree.devRoot() / "hidraw1").string());
    EXPECT_EQ(listed[1].path, (m_tree.devRoot() / "hidraw2").string());
    EXPECT_EQ(listed[2].path, (m_tree.devRoot() / "hidraw10").string());

    EXPECT_EQ(listed[0].vendorId, FRAME_VID);
    EXPECT_EQ(listed[0].inputReportLength, 0) << "an unreadable descriptor leaves the lengths at 0";
    EXPECT_EQ(listed[1].vendorId, 0x046D);
    EXPECT_EQ(listed[1].productId, 0xC077);
    EXPECT_EQ(listed[1].inputReportLength, 5);
    EXPECT_EQ(listed[2].inputReportLength, 64);
    EXPECT_EQ(listed[2].outputReportLength, 64);
}

TEST_F(HidrawBackendTest, MalformedUeventGivesZeroIds)
{
    m_tree.addInterface(0, FRAME_VID, FRAME_PID, m_vendor64);
    std::ofstream(m_tree.sysfsRoot() / "class/hidraw/hidraw0/device/uevent") << "HID_ID=0003:0000A3F0\n";
    const std::vector<HidInterfaceInfo> listed = m_backend.enumerate();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].vendorId, 0);
    EXPECT_EQ(listed[0].productId, 0);
}

TEST_F(HidrawBackendTest, MissingClassFolderListsNothing)
{
    HidrawBackend nowhere(m_tree.sysfsRoot() / "absent", m_tree.devRoot());
    EXPECT_TRUE(nowhere.enumerate().empty());
}

// Two frame interfaces (input-only first) among two other HID devices, as the
// connection logic meets them: index 0 has no output report, index 1 does.
TEST_F(HidrawBackendTest, DeviceFindsTheOutputCapableFrameInterface)
{
    m_tree.addInterface(0, 0x046D, 0xC077, m_mouse);
    m_tree.addInterface(1, FRAME_VID, FRAME_PID, m_inputOnly);
    m_tree.addInterface(2, 0x04F3, 0x0103, ReadDescriptorSample("06cb_2968_ite-keyboard.rdesc"));
    m_tree.addInterface(3, FRAME_VID, FRAME_PID, m_vendor64);
    CHIDDevice device(m_backend);

    EXPECT_EQ(device.CountDevices(FRAME_VID, FRAME_PID), 2);
    ASSERT_EQ(device.Open(0, FRAME_VID, FRAME_PID), HidStatus::Success);
    EXPECT_EQ(device.InputReportLength(), 64);
    EXPECT_EQ(device.OutputReportLength(), 0);
    EXPECT_EQ(device.InputBufferCount(), HidrawBackend::INPUT_BUFFER_COUNT);
    ASSERT_EQ(device.Close(), HidStatus::Success);

    ASSERT_EQ(device.Open(1, FRAME_VID, FRAME_PID), HidStatus::Success);
    EXPECT_EQ(device.OutputReportLength(), 64);
    EXPECT_EQ(device.Open(2, FRAME_VID, FRAME_PID), HidStatus::AlreadyOpen);
}

TEST_F(HidrawBackendTest, MissingNodeIsNotFound)
{
    m_tree.addInterface(4, FRAME_VID, FRAME_PID, m_vendor64, Node::Missing);
    CHIDDevice device(m_backend);
    EXPECT_EQ(device.CountDevices(FRAME_VID, FRAME_PID), 1);
    EXPECT_EQ(device.Open(0, FRAME_VID, FRAME_PID), HidStatus::NoMatch);
    EXPECT_EQ(device.LastOpenError(), OpenError::NotFound);
}

// A FIFO opened for reading and writing reads back what was written.
TEST_F(HidrawBackendTest, FifoNodeCarriesReportsAndTimesOutWhenEmpty)
{
    auto connection = openNode(5, Node::Fifo);
    ASSERT_NE(connection, nullptr);
    std::vector<std::uint8_t> out(64);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<std::uint8_t>(i * 3);

    EXPECT_EQ(connection->write(out, 100), TransferResult::Done);
    std::vector<std::uint8_t> in(64, 0);
    std::size_t n = 0;
    ASSERT_EQ(connection->read(in, 100, n), TransferResult::Done);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(in, out);

    EXPECT_EQ(connection->read(in, 10, n), TransferResult::Timeout);
    EXPECT_TRUE(connection->isValid());
}

TEST_F(HidrawBackendTest, EndOfStreamMeansTheDeviceIsGone)
{
    auto connection = openNode(6, Node::PlainFile);
    ASSERT_NE(connection, nullptr);
    std::vector<std::uint8_t> in(64);
    std::size_t n = 0;
    EXPECT_EQ(connection->read(in, HID_WAIT_FOREVER, n), TransferResult::Gone);
    EXPECT_FALSE(connection->isValid());
}

} // namespace
} // namespace tarnscope
