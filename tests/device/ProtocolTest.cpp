#include "device/Protocol.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tarnscope {
namespace {

using Bytes = std::initializer_list<std::pair<std::size_t, std::uint8_t>>;

HidReport ReportWith(Bytes bytes)
{
    HidReport report {};
    for (auto [at, value] : bytes)
        report[at] = value;
    return report;
}

// An input report: id 8, code, parameter byte and trailer, then the extra bytes.
HidReport Answer(std::uint8_t code, std::uint8_t parameter, std::uint8_t trailer, Bytes extra = {})
{
    HidReport report = ReportWith(extra);
    report[0] = HID_REPORT_ID;
    report[1] = code;
    report[2] = parameter;
    report[63] = trailer;
    return report;
}

// A scan report with big-endian first and last LED indices.
HidReport ScanReport(std::uint8_t code, std::uint8_t count, int first, int last, std::uint8_t trailer)
{
    return Answer(code, count, trailer,
        { { 3, std::uint8_t(first >> 8) }, { 4, std::uint8_t(first) }, { 5, std::uint8_t(last >> 8) },
            { 6, std::uint8_t(last) } });
}

TEST(ProtocolCommands, AreBuiltByteExact)
{
    const HandshakeNonce nonce { 1, 0x7FFE, 0x01020304, 4, 5, 6, 7, 8, 9, -2 };
    HidReport identify = ReportWith({ { 0, 8 }, { 1, 0xD0 }, { 2, 0x40 }, { 63, 0x55 } });
    for (std::size_t i = 0; i < nonce.size(); ++i) {
        const auto bits = static_cast<std::uint32_t>(nonce[i]);
        for (std::size_t b = 0; b < 4; ++b)
            identify[3 + 4 * i + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    }
    // Spot checks of the little-endian layout, so the loop above cannot hide a mistake.
    ASSERT_EQ(identify[7], 0xFE);
    ASSERT_EQ(identify[8], 0x7F);
    ASSERT_EQ(identify[11], 0x04);
    ASSERT_EQ(identify[14], 0x01);
    ASSERT_EQ(identify[42], 0xFF);
    HidReport handshake = identify;
    handshake[1] = 0xD1;
    handshake[2] = 0x28;

    HidReport advance = ReportWith(
        { { 0, 8 }, { 1, 0xD2 }, { 2, 0x28 }, { 3, 0x07 }, { 4, 0x80 }, { 5, 0x04 }, { 6, 0x38 }, { 63, 0x55 } });
    for (std::size_t at = 7; at <= 42; at += 2)
        advance[at + 1] = 0x32;

    const struct {
        const char* name;
        HidReport built;
        HidReport expected;
    } cases[] = {
        { "identify", BuildIdentifyCommand(nonce), identify },
        { "handshake", BuildHandshakeCommand(nonce), handshake },
        { "advance enter 1920x1080", BuildAdvanceEnterCommand(1920, 1080), advance },
        { "advance enter keeps the low 16 bits", BuildAdvanceEnterCommand(0x10000 + 1920, 0x30000 + 1080), advance },
        { "diag enter", BuildDiagModeCommand(true), ReportWith({ { 0, 8 }, { 1, 0xD8 }, { 2, 1 }, { 63, 0x55 } }) },
        { "diag leave", BuildDiagModeCommand(false), ReportWith({ { 0, 8 }, { 1, 0xD8 }, { 63, 0x55 } }) },
        { "advance leave", BuildCommand(HID_CMD_ADVANCE_LEAVE), ReportWith({ { 0, 8 }, { 1, 0xD4 }, { 63, 0x55 } }) },
        { "extra id", BuildCommand(HID_CMD_EXTRA_ID), ReportWith({ { 0, 8 }, { 1, 0xDC }, { 63, 0x55 } }) },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.built, c.expected) << c.name;
}

TEST(ProtocolCommands, ScanCodeFollowsAxisAndMode)
{
    const struct {
        int axis;
        int mode;
        std::uint8_t code;
    } cases[] = {
        { SCAN_AXIS_X, 0, 0xD6 },
        { SCAN_AXIS_X, 1, 0xE1 },
        { SCAN_AXIS_X, 2, 0xE0 },
        { SCAN_AXIS_X, 3, 0xD6 },
        { SCAN_AXIS_X, -1, 0xD6 },
        { SCAN_AXIS_Y, 0, 0xD7 },
        { SCAN_AXIS_Y, 1, 0xE3 },
        { SCAN_AXIS_Y, 2, 0xE2 },
        { SCAN_AXIS_Y, 7, 0xD7 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScanCommandCode(c.axis, c.mode), c.code) << "axis " << c.axis << " mode " << c.mode;

    std::vector<int> xCodes, yCodes;
    for (int code = 0; code < 256; ++code) {
        if (IsXScanCode(static_cast<std::uint8_t>(code)))
            xCodes.push_back(code);
        if (IsYScanCode(static_cast<std::uint8_t>(code)))
            yCodes.push_back(code);
    }
    EXPECT_EQ(xCodes, (std::vector<int> { 0xD6, 0xE0, 0xE1 }));
    EXPECT_EQ(yCodes, (std::vector<int> { 0xD7, 0xE2, 0xE3 }));
}

TEST(ProtocolNonce, ScalesEachDrawIntoOneTo32766)
{
    const std::vector<int> draws { 0, 1, 2, 3, 16383, 16384, 32766, 32767, 100, 30000 };
    // (int)(r / 32768.0 * 32766 + 1), worked out by hand.
    const HandshakeNonce expected { 1, 1, 2, 3, 16383, 16384, 32765, 32766, 100, 29999 };
    std::size_t next = 0;
    HandshakeNonce nonce {};
    MakeNonce(nonce, [&] { return draws.at(next++); });
    EXPECT_EQ(next, draws.size());
    EXPECT_EQ(nonce, expected);
}

struct ClassifyCase {
    const char* name;
    HidReport report;
    bool handshakeDone;
    ReportKind kind;
    ResponseFlagChange flag;
};

class ProtocolClassify : public testing::TestWithParam<ClassifyCase> { };

TEST_P(ProtocolClassify, KindAndResponseFlag)
{
    const ClassifyCase& c = GetParam();
    const ClassifiedReport out = ClassifyInputReport(c.report, c.handshakeDone);
    EXPECT_EQ(out.kind, c.kind);
    EXPECT_EQ(out.responseFlag, c.flag);
}

using K = ReportKind;
using F = ResponseFlagChange;

INSTANTIATE_TEST_SUITE_P(Rules, ProtocolClassify,
    testing::ValuesIn(std::vector<ClassifyCase> {
        { "wrong report id", ReportWith({ { 0, 9 }, { 1, 0xD0 }, { 2, 0x28 }, { 63, 0x55 } }), true, K::Ignored,
            F::None },
        { "identify 0x00", Answer(0xD0, 0x00, 0x55), true, K::IdentifyAnswer, F::Set },
        { "identify 0x01", Answer(0xD0, 0x01, 0x55), false, K::IdentifyAnswer, F::Set },
        { "identify 0x13", Answer(0xD0, 0x13, 0x55), true, K::IdentifyAnswer, F::Set },
        { "identify 0x28", Answer(0xD0, 0x28, 0x55), true, K::IdentifyAnswer, F::Set },
        { "identify status 0x05 only sets the flag", Answer(0xD0, 0x05, 0x55), true, K::Ignored, F::Set },
        { "identify without trailer", Answer(0xD0, 0x28, 0x54), true, K::Ignored, F::Set },
        { "handshake", Answer(0xD1, 0x28, 0x55), false, K::HandshakeAnswer, F::Set },
        { "handshake bad status", Answer(0xD1, 0x02, 0x55), false, K::Ignored, F::Set },
        { "extra id with accepted status clears", Answer(0xDC, 0x00, 0x55), true, K::ExtraIdAnswer, F::Cleared },
        { "extra id other status keeps", Answer(0xDC, 0x07, 0x55), true, K::ExtraIdAnswer, F::Set },
        { "extra id without trailer keeps", Answer(0xDC, 0x00, 0x00), false, K::ExtraIdAnswer, F::Set },
        { "low code with accepted status clears", Answer(0xC0, 0x00, 0x55), true, K::Ignored, F::Cleared },
        { "low code otherwise untouched", Answer(0xC0, 0x05, 0x55), true, K::Ignored, F::None },
        { "advance enter answer", Answer(0xD2, 0x01, 0x55), true, K::Ignored, F::Set },
        { "advance leave answer", Answer(0xD4, 0x01, 0x55), true, K::Ignored, F::Set },
        { "diag mode answer", Answer(0xD8, 0x01, 0x55), true, K::Ignored, F::Set },
        { "code past 0xD8 clears", Answer(0xD9, 0x00, 0x55), true, K::Ignored, F::Cleared },
        { "code past the scan groups clears", Answer(0xE4, 0x13, 0x55), true, K::Ignored, F::Cleared },
        { "scan start before handshake", ScanReport(0xD6, 0, 0, 335, 0x55), false, K::Ignored, F::Set },
        { "data before handshake", ScanReport(0xE2, 56, 0, 55, 0x55), false, K::Ignored, F::Set },
        { "scan start with any trailer", ScanReport(0xE3, 0, 0, 231, 0x00), true, K::ScanStartAnswer, F::Set },
        { "data 100..155", ScanReport(0xD6, 56, 100, 155, 0x55), true, K::DataPacket, F::Set },
        { "data 100..156 dropped", ScanReport(0xD6, 56, 100, 156, 0x55), true, K::Ignored, F::Set },
        { "data end below first", ScanReport(0xD7, 10, 300, 20, 0x55), true, K::DataPacket, F::Set },
        { "packet 2 at 112", ScanReport(0xE0, 56, 112, 167, 2), true, K::DataPacket, F::Set },
        { "packet 2 at 111 dropped", ScanReport(0xE0, 56, 111, 166, 2), true, K::Ignored, F::Set },
        { "packet count disagrees", ScanReport(0xE1, 55, 112, 167, 2), true, K::Ignored, F::Set },
        { "packet 0 short tail", ScanReport(0xD7, 8, 0, 7, 0), true, K::DataPacket, F::Set },
    }),
    [](const testing::TestParamInfo<ClassifyCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(ProtocolClassifyFields, ScanStartAndDataCarryAxisAndRange)
{
    const struct {
        HidReport report;
        ReportKind kind;
        int axis;
        AxisRange range;
        int valueCount;
    } cases[] = {
        { ScanReport(0xE1, 0, 0, 335, 0x55), K::ScanStartAnswer, SCAN_AXIS_X, { 0, 336 }, 0 },
        { ScanReport(0xE2, 0, 2, 0x1FF, 0x55), K::ScanStartAnswer, SCAN_AXIS_Y, { 2, 0x200 }, 0 },
        { ScanReport(0xD6, 56, 100, 155, 0x55), K::DataPacket, SCAN_AXIS_X, { 100, 156 }, 56 },
        { ScanReport(0xD7, 8, 224, 231, 4), K::DataPacket, SCAN_AXIS_Y, { 224, 232 }, 8 },
        // The count byte is not bounded by either acceptance rule; never more than the report holds.
        { ScanReport(0xD6, 200, 0, 55, 0x55), K::DataPacket, SCAN_AXIS_X, { 0, 56 }, 56 },
        { ScanReport(0xE3, 57, 0, 56, 0), K::DataPacket, SCAN_AXIS_Y, { 0, 57 }, 56 },
    };
    for (const auto& c : cases) {
        const ClassifiedReport out = ClassifyInputReport(c.report, true);
        SCOPED_TRACE(testing::Message() << "code " << int(c.report[1]) << " first " << c.range.first);
        EXPECT_EQ(out.kind, c.kind);
        EXPECT_EQ(out.axis, c.axis);
        EXPECT_EQ(out.range, c.range);
        EXPECT_EQ(out.valueCount, c.valueCount);
    }
}

TEST(ProtocolClassifyFields, IdentifyFindsTheLowestMarkerPair)
{
    const struct {
        const char* name;
        std::vector<std::size_t> markers;
        bool found;
        std::size_t serialStart;
    } cases[] = {
        { "14 and 27", { 14, 27 }, true, 15 },
        { "49 and 62", { 49, 62 }, true, 50 },
        // A pair at 50 would need byte 63, the trailer, as its end marker.
        { "start marker at 50", { 50 }, false, 0 },
        { "13 and 26 is too early", { 13, 26 }, false, 0 },
        { "lowest of two pairs", { 20, 33, 30, 43 }, true, 21 },
        { "unpaired start is skipped", { 14, 31, 44 }, true, 32 },
        { "no markers", {}, false, 0 },
    };
    for (const auto& c : cases) {
        HidReport report = Answer(0xD0, 0x13, 0x55, { { 4, 82 }, { 5, 3 } });
        for (std::size_t i = 7; i < 63; ++i)
            report[i] = static_cast<std::uint8_t>(0x80 + i);
        for (std::size_t at : c.markers)
            report[at] = 0x1D;
        const ClassifiedReport out = ClassifyInputReport(report, false);
        SCOPED_TRACE(c.name);
        EXPECT_EQ(out.kind, K::IdentifyAnswer);
        EXPECT_EQ(out.boardSize, 82);
        EXPECT_EQ(out.firmware, 3);
        EXPECT_EQ(out.hasSerialId, c.found);
        if (c.found) {
            EXPECT_TRUE(std::equal(out.serialId.begin(), out.serialId.end(), report.begin() + c.serialStart));
        }
    }
}

TEST(ProtocolPosition, CoordinatesAreLittleEndianAndStatusMarksInterference)
{
    const struct {
        std::uint8_t status;
        AdvancePosition expected;
    } cases[] = {
        { 0, { 0x0201, 0x0403, false, 0, 0 } },
        { 4, { 0x0201, 0x0403, true, 0x0605, 0x0807 } },
        { 7, { 0x0201, 0x0403, true, 0x0605, 0x0807 } },
        { 5, { 0x0201, 0x0403, false, 0, 0 } },
    };
    for (const auto& c : cases) {
        // Report id, command and trailer do not matter in advance mode.
        const HidReport report = ReportWith({ { 0, 1 }, { 1, 0x42 }, { 3, 0x01 }, { 4, 0x02 }, { 5, 0x03 }, { 6, 0x04 },
            { 7, c.status }, { 9, 0x05 }, { 10, 0x06 }, { 11, 0x07 }, { 12, 0x08 } });
        const AdvancePosition p = ParsePositionReport(report);
        SCOPED_TRACE(testing::Message() << "status " << int(c.status));
        EXPECT_EQ(p.x1, c.expected.x1);
        EXPECT_EQ(p.y1, c.expected.y1);
        EXPECT_EQ(p.interference, c.expected.interference);
        EXPECT_EQ(p.x2, c.expected.x2);
        EXPECT_EQ(p.y2, c.expected.y2);
    }
}

} // namespace
} // namespace tarnscope
