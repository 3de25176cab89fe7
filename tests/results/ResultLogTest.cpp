#include "results/ResultLog.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

constexpr SerialId EDGE_SERIAL_ID = { 0x01, 0x0A, 0x00, 0xFF, 0x10, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08 };

TEST(SidTextTest, WritesEachByteWithoutLeadingZero)
{
    const struct {
        SerialId id;
        const char* text;
    } cases[] = {
        { EDGE_SERIAL_ID, "1A0FF102345678" },
        { {}, "000000000000" },
        { { 0xAB, 0xCD, 0xEF, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90 }, "ABCDEF102030405060708090" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SidText(c.id), c.text);
        EXPECT_EQ(LogFileName(c.id), std::string(c.text) + ".log");
    }
}

const std::string AUTO_DATA_HEADER = "\r\nAuto Ori data:\r\n";

LogInputs EdgeInputs()
{
    LogInputs inputs;
    inputs.serialId = EDGE_SERIAL_ID;
    inputs.boardSize = 65;
    inputs.firmware = -3;
    inputs.extraId.fill(0x5A);
    inputs.extraId[0] = 0x00;
    inputs.extraId[1] = 0x0A;
    inputs.extraId[63] = 0xFF;
    inputs.xListText = "12 34\r\n56";
    inputs.yListText = "";
    inputs.advanceLog = "Advance\nend";
    inputs.packetLog = "[1,2]:0a\n";
    inputs.saveTime = 1709622489; // 2024-03-05 07:08:09 UTC
    return inputs;
}

TEST(BuildLogBytesTest, WritesEveryRowByteExact)
{
    const test::ScopedTimeZone utc("UTC0");
    std::string extraHex = "000A";
    for (int i = 2; i < 63; ++i)
        extraHex += "5A";
    extraHex += "FF";

    const std::string expected = "SID: 1A0FF102345678\r\n\r\n"
                                 "Diagnosis date time: 2024-03-05 07:08:09\r\n\r\n"
                                 "Board Size:65\r\n"
                                 "Firmware: -3\r\n"
                                 "ExtarID:"
        + extraHex
        + "\r\n"
          "X Coordinate bad lights: \r\n"
          "\t12 34\r\r\n56\r\n\r\n"
          "Y Coordinate bad lights: \r\n"
          "\t\r\n\r\n"
          "Advance\r\nend"
        + AUTO_DATA_HEADER + "h>9?jG=n\x17";

    EXPECT_EQ(BuildLogBytes(EdgeInputs()), expected);
}

TEST(BuildLogBytesTest, ShiftsPacketListingByThirteenWithoutLineConversion)
{
    const struct {
        const char* collected;
        const char* written;
    } cases[] = {
        { "0123456789", "=>?@ABCDEF" },
        { "abcdef", "nopqrs" },
        { "[],:", "hj9G" },
        { "\n\r\n", "\x17\x1A\x17" },
        { "", "" },
    };
    for (const auto& c : cases) {
        LogInputs inputs = EdgeInputs();
        inputs.packetLog = c.collected;
        const std::string log = BuildLogBytes(inputs);
        const std::size_t listing = log.rfind(AUTO_DATA_HEADER) + AUTO_DATA_HEADER.size();
        EXPECT_EQ(log.substr(listing), c.written) << c.collected;
    }
}

} // namespace
} // namespace tarnscope
