#include "sim/FrameResponder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

namespace tarnscope {
namespace {

using Bytes = std::initializer_list<std::pair<std::size_t, std::uint8_t>>;

HidReport Answer(std::uint8_t code, std::uint8_t parameter, Bytes extra = {})
{
    HidReport report = BuildCommand(code, parameter);
    for (auto [at, value] : extra)
        report[at] = value;
    return report;
}

std::vector<HidReport> Take(FrameResponder& frame, int count)
{
    std::vector<HidReport> reports;
    for (int i = 0; i < count; ++i)
        reports.push_back(frame.nextStreamReport());
    return reports;
}

FrameSpec FaultyFrame()
{
    FrameSpec setup;
    setup.faults.deadEmitters = { { 10, 11, 300 }, { 20 } };
    setup.faults.weakReceivers = { { 30 }, { 40, 41 } };
    return setup;
}

TEST(FrameResponder, AnswersCommandsByteExact)
{
    FrameSpec offsetSerial;
    offsetSerial.serialOffset = 30;
    offsetSerial.identifyStatus = 0x28;
    FrameSpec configuredExtra;
    configuredExtra.extraId = HidReport { 0x08, 0xDC, 0x42, 0x43 };

    const struct {
        const char* name;
        FrameSpec setup;
        HidReport command;
        HidReport answer;
    } cases[] = {
        { "identify", FrameSpec {}, BuildIdentifyCommand({}),
            Answer(0xD0, 0x01,
                { { 4, 82 }, { 5, 3 }, { 14, 0x1D }, { 15, 1 }, { 16, 2 }, { 17, 3 }, { 18, 4 }, { 19, 5 }, { 20, 6 },
                    { 21, 7 }, { 22, 8 }, { 23, 9 }, { 24, 10 }, { 25, 11 }, { 26, 12 }, { 27, 0x1D } }) },
        { "identify, serial at 30", offsetSerial, BuildIdentifyCommand({}),
            Answer(0xD0, 0x28,
                { { 4, 82 }, { 5, 3 }, { 30, 0x1D }, { 31, 1 }, { 32, 2 }, { 33, 3 }, { 34, 4 }, { 35, 5 }, { 36, 6 },
                    { 37, 7 }, { 38, 8 }, { 39, 9 }, { 40, 10 }, { 41, 11 }, { 42, 12 }, { 43, 0x1D } }) },
        { "handshake", FrameSpec {}, BuildHandshakeCommand({}), Answer(0xD1, 0x28) },
        { "extra id", configuredExtra, BuildCommand(HID_CMD_EXTRA_ID), *configuredExtra.extraId },
        { "diag enter", FrameSpec {}, BuildDiagModeCommand(true), Answer(0xD8, 0x01) },
        { "diag leave", FrameSpec {}, BuildDiagModeCommand(false), Answer(0xD8, 0x01) },
        { "advance enter", FrameSpec {}, BuildAdvanceEnterCommand(1920, 1080), Answer(0xD2, 0x01) },
        { "advance leave", FrameSpec {}, BuildCommand(HID_CMD_ADVANCE_LEAVE), Answer(0xD4, 0x01) },
        { "scan X", FrameSpec {}, BuildCommand(0xD6), Answer(0xD6, 0, { { 5, 0x01 }, { 6, 0x4F } }) },
        { "scan X TX", FrameSpec {}, BuildCommand(0xE0), Answer(0xE0, 0, { { 5, 0x01 }, { 6, 0x4F } }) },
        { "scan X RX", FrameSpec {}, BuildCommand(0xE1), Answer(0xE1, 0, { { 5, 0x01 }, { 6, 0x4F } }) },
        { "scan Y", FrameSpec {}, BuildCommand(0xD7), Answer(0xD7, 0, { { 5, 0x00 }, { 6, 0xE7 } }) },
        { "scan Y TX", FrameSpec {}, BuildCommand(0xE2), Answer(0xE2, 0, { { 5, 0x00 }, { 6, 0xE7 } }) },
        { "scan Y RX", FrameSpec {}, BuildCommand(0xE3), Answer(0xE3, 0, { { 5, 0x00 }, { 6, 0xE7 } }) },
    };
    for (const auto& c : cases) {
        FrameResponder frame(c.setup, 1);
        EXPECT_EQ(frame.onCommand(c.command), std::vector<HidReport> { c.answer }) << c.name;
    }
}

TEST(FrameResponder, HostTakesTheAnswersAsIntended)
{
    FrameResponder frame(FrameSpec {}, 1);
    const ClassifiedReport identify = ClassifyInputReport(frame.onCommand(BuildIdentifyCommand({}))[0], false);
    EXPECT_EQ(identify.kind, ReportKind::IdentifyAnswer);
    EXPECT_EQ(identify.boardSize, 82);
    EXPECT_EQ(identify.firmware, 3);
    EXPECT_TRUE(identify.hasSerialId);
    EXPECT_EQ(identify.serialId, FrameSpec {}.serialId);
    EXPECT_EQ(
        ClassifyInputReport(frame.onCommand(BuildHandshakeCommand({}))[0], false).kind, ReportKind::HandshakeAnswer);
    EXPECT_EQ(
        ClassifyInputReport(frame.onCommand(BuildCommand(HID_CMD_EXTRA_ID))[0], true).kind, ReportKind::ExtraIdAnswer);
    const ClassifiedReport scan = ClassifyInputReport(frame.onCommand(BuildCommand(0xE3))[0], true);
    EXPECT_EQ(scan.kind, ReportKind::ScanStartAnswer);
    EXPECT_EQ(scan.axis, SCAN_AXIS_Y);
    EXPECT_EQ(scan.range, (AxisRange { 0, 232 }));
    for (std::uint8_t code : { HID_CMD_DIAG_MODE, HID_CMD_ADVANCE_ENTER, HID_CMD_ADVANCE_LEAVE })
        EXPECT_EQ(
            ClassifyInputReport(frame.onCommand(BuildCommand(code, 1))[0], true).responseFlag, ResponseFlagChange::Set)
            << int(code);
}

TEST(FrameResponder, IgnoresWhatItDoesNotKnowAndFaultsSilenceIt)
{
    FrameSpec silent;
    silent.faults.neverAnswerIdentify = true;
    silent.faults.neverConfirmScan = true;
    FrameResponder frame(silent, 1);
    EXPECT_TRUE(frame.onCommand(BuildIdentifyCommand({})).empty());
    EXPECT_TRUE(frame.onCommand(BuildCommand(HID_CMD_SCAN_X)).empty());
    EXPECT_EQ(frame.stream(), FrameResponder::Stream::None);
    EXPECT_EQ(frame.onCommand(BuildHandshakeCommand({})).size(), 1u);

    FrameResponder healthy(FrameSpec {}, 1);
    HidReport wrongId = BuildCommand(HID_CMD_IDENTIFY);
    wrongId[0] = 9;
    EXPECT_TRUE(healthy.onCommand(wrongId).empty());
    EXPECT_TRUE(healthy.onCommand(BuildCommand(0xC0)).empty());
    EXPECT_TRUE(healthy.onCommand(std::span<const std::uint8_t>(BuildCommand(HID_CMD_SCAN_X).data(), 10)).empty());
}

struct ScanCase {
    std::uint8_t code;
    PacketNumbering numbering;
};

class FrameResponderScan : public testing::TestWithParam<ScanCase> { };

TEST_P(FrameResponderScan, SweepsTheAxisInAcceptedPacketsWithFaultsInTheirBands)
{
    const auto [code, numbering] = GetParam();
    FrameSpec setup = FaultyFrame();
    setup.numbering = numbering;
    FrameResponder frame(setup, 7);
    frame.onCommand(BuildCommand(code));
    const int axis = IsXScanCode(code) ? SCAN_AXIS_X : SCAN_AXIS_Y;
    const int length = axis == SCAN_AXIS_X ? 336 : 232;
    const int packetsPerSweep = (length + 55) / 56;
    const bool showsEmitters = code != HID_CMD_SCAN_X_RX && code != HID_CMD_SCAN_Y_RX;
    const bool showsReceivers = code != HID_CMD_SCAN_X_TX && code != HID_CMD_SCAN_Y_TX;
    const auto& dead = axis == SCAN_AXIS_X ? setup.faults.deadEmitters.x : setup.faults.deadEmitters.y;
    const auto& weak = axis == SCAN_AXIS_X ? setup.faults.weakReceivers.x : setup.faults.weakReceivers.y;

    int expectedFirst = 0;
    for (int i = 0; i < 2 * packetsPerSweep; ++i) {
        const HidReport packet = frame.nextStreamReport();
        const ClassifiedReport out = ClassifyInputReport(packet, true);
        ASSERT_EQ(out.kind, ReportKind::DataPacket) << "packet " << i;
        EXPECT_EQ(out.axis, axis);
        EXPECT_EQ(packet[1], code);
        EXPECT_EQ(out.range.first, expectedFirst);
        EXPECT_EQ(out.range.end, std::min(expectedFirst + 56, length));
        EXPECT_EQ(out.valueCount, out.range.end - out.range.first);
        EXPECT_EQ(packet[63], numbering == PacketNumbering::Trailer ? 0x55 : i % packetsPerSweep);
        for (int j = 0; j < out.valueCount; ++j) {
            const int position = out.range.first + j;
            const int value = packet[7 + static_cast<std::size_t>(j)];
            SCOPED_TRACE(testing::Message() << "position " << position << " value " << value);
            if (showsEmitters && std::ranges::find(dead, position) != dead.end()) {
                EXPECT_LE(value, 105);
            } else if (showsReceivers && std::ranges::find(weak, position) != weak.end()) {
                EXPECT_GE(value, 124);
                EXPECT_LE(value, 130);
            } else {
                EXPECT_GE(value, 150);
                EXPECT_LE(value, 240);
            }
        }
        expectedFirst = out.range.end == length ? 0 : out.range.end;
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, FrameResponderScan,
    testing::Values(ScanCase { 0xD6, PacketNumbering::Trailer }, ScanCase { 0xE0, PacketNumbering::PacketNumber },
        ScanCase { 0xE1, PacketNumbering::Trailer }, ScanCase { 0xD7, PacketNumbering::PacketNumber },
        ScanCase { 0xE2, PacketNumbering::Trailer }, ScanCase { 0xE3, PacketNumbering::PacketNumber }));

TEST(FrameResponder, ChainBreaksAndFailedBlocksDarkenWholeBlocks)
{
    struct Span {
        int axis, first, end;
    };
    FrameFaults txRun, txIntoY, rxRun, rxIntoX, xBlocks, yBlock;
    txRun.emitterChainBreakAfter = 1;
    txIntoY.emitterChainBreakAfter = 7;
    rxRun.receiverChainBreakAfter = 0;
    rxIntoX.receiverChainBreakAfter = 5;
    xBlocks.deadEmitterBlocks.x = { 1, 2 };
    yBlock.weakReceiverBlocks.y = { 3 };
    const struct {
        const char* name;
        FrameFaults faults;
        std::vector<Span> dark;
        std::vector<Span> weak;
    } cases[] = {
        { "emitters broken after X block 1", txRun, { { SCAN_AXIS_X, 0, 128 } }, {} },
        { "emitters broken after Y block 1", txIntoY, { { SCAN_AXIS_X, 0, 336 }, { SCAN_AXIS_Y, 0, 104 } }, {} },
        { "receivers broken after Y block 0", rxRun, {}, { { SCAN_AXIS_Y, 0, 40 } } },
        { "receivers broken after X block 1", rxIntoX, {}, { { SCAN_AXIS_Y, 0, 232 }, { SCAN_AXIS_X, 0, 128 } } },
        { "X emitter blocks 1 and 2", xBlocks, { { SCAN_AXIS_X, 64, 192 } }, {} },
        { "Y receiver block 3", yBlock, {}, { { SCAN_AXIS_Y, 168, 232 } } },
    };
    const BoardGeometry& geometry = *FindBoardGeometry(82);
    const auto inside = [](const std::vector<Span>& spans, int axis, int p) {
        return std::ranges::any_of(spans, [&](const Span& s) { return s.axis == axis && p >= s.first && p < s.end; });
    };
    for (const auto& c : cases) {
        const LightField field(geometry, c.faults);
        for (int axis : { SCAN_AXIS_X, SCAN_AXIS_Y }) {
            for (int p = 0; p < geometry.axisLength(axis); ++p) {
                EXPECT_EQ(field.isDeadEmitter(axis, p), inside(c.dark, axis, p))
                    << c.name << " axis " << axis << " " << p;
                EXPECT_EQ(field.isWeakReceiver(axis, p), inside(c.weak, axis, p))
                    << c.name << " axis " << axis << " " << p;
            }
        }
    }
}

TEST(FrameResponder, MalformedPacketsAreEachOfTheThreeKinds)
{
    FrameSpec setup;
    setup.faults.malformedRate = 1;
    FrameResponder frame(setup, 3);
    frame.onCommand(BuildCommand(HID_CMD_SCAN_X));
    int wrongId = 0, dropped = 0, overCount = 0;
    for (const HidReport& packet : Take(frame, 300)) {
        const ClassifiedReport out = ClassifyInputReport(packet, true);
        if (packet[0] != HID_REPORT_ID) {
            ++wrongId;
            EXPECT_EQ(out.kind, ReportKind::Ignored);
        } else if (packet[2] > 56) {
            ++overCount;
            EXPECT_EQ(out.kind, ReportKind::DataPacket);
            EXPECT_EQ(out.valueCount, 56);
        } else {
            ++dropped;
            EXPECT_EQ(out.kind, ReportKind::Ignored) << "trailer " << int(packet[63]);
        }
    }
    EXPECT_GT(wrongId, 0);
    EXPECT_GT(dropped, 0);
    EXPECT_GT(overCount, 0);
}

TEST(FrameResponder, AdvanceModeSweepsLivePositionsAndInterferesWhereConfigured)
{
    FrameSpec setup;
    setup.boardSize = 89;
    setup.advance.deadPositions = { { 70, 71, 72, 80 }, { 5 } };
    setup.advance.interferencePositions = { { 100 }, {} };
    setup.advance.interferenceRate = 0.2;
    FrameResponder frame(setup, 5);
    frame.onCommand(BuildAdvanceEnterCommand(1920, 1080));
    ASSERT_EQ(frame.stream(), FrameResponder::Stream::Advance);

    std::set<int> xSeen, ySeen;
    int interference = 0;
    for (const HidReport& report : Take(frame, 1200)) {
        // Outside advance mode the host must not act on them.
        EXPECT_EQ(ClassifyInputReport(report, true).responseFlag, ResponseFlagChange::None);
        const AdvancePosition p = ParsePositionReport(report);
        EXPECT_EQ(p.x1 % 5, 2);
        EXPECT_EQ(p.y1 % 5, 2);
        if (p.interference) {
            ++interference;
            EXPECT_EQ(
                std::vector<int>({ p.x1 / 5, p.x2 / 5, p.y1 / 5, p.y2 / 5 }), std::vector<int>({ 100, 100, 223, 223 }));
        } else {
            xSeen.insert(p.x1 / 5);
            ySeen.insert(p.y1 / 5);
        }
    }
    EXPECT_GT(interference, 0);
    std::set<int> xExpected, yExpected;
    for (int x = 0; x < 384; ++x)
        if (x != 70 && x != 71 && x != 72 && x != 80)
            xExpected.insert(x);
    for (int y = 0; y < 224; ++y)
        if (y != 5)
            yExpected.insert(y);
    EXPECT_EQ(xSeen, xExpected);
    EXPECT_EQ(ySeen, yExpected);

    frame.onCommand(BuildCommand(HID_CMD_ADVANCE_LEAVE));
    EXPECT_EQ(frame.stream(), FrameResponder::Stream::None);
}

TEST(FrameResponder, MalformedPositionReportsNameCoordinatesFrom4000)
{
    FrameSpec setup;
    setup.faults.malformedRate = 1;
    FrameResponder frame(setup, 5);
    frame.onCommand(BuildAdvanceEnterCommand(800, 600));
    for (const HidReport& report : Take(frame, 50)) {
        const AdvancePosition p = ParsePositionReport(report);
        EXPECT_GE(p.x1, 4000);
        EXPECT_GE(p.y1, 4000);
    }
}

TEST(FrameResponder, StreamFollowsTheLastCommand)
{
    FrameResponder frame(FrameSpec {}, 1);
    frame.onCommand(BuildCommand(HID_CMD_SCAN_X));
    Take(frame, 3);
    frame.onCommand(BuildDiagModeCommand(true));
    EXPECT_EQ(frame.nextStreamReport()[4], 168); // diag enter keeps the stream: packet 3 starts at 168

    frame.onCommand(BuildCommand(HID_CMD_SCAN_Y_RX));
    const ClassifiedReport y = ClassifyInputReport(frame.nextStreamReport(), true);
    EXPECT_EQ(y.axis, SCAN_AXIS_Y);
    EXPECT_EQ(y.range.first, 0);

    frame.onCommand(BuildCommand(HID_CMD_ADVANCE_LEAVE)); // no advance run: the scan goes on
    EXPECT_EQ(frame.stream(), FrameResponder::Stream::Scan);
    frame.onCommand(BuildDiagModeCommand(false));
    EXPECT_EQ(frame.stream(), FrameResponder::Stream::None);
}

TEST(FrameResponder, SameSeedSameReports)
{
    FrameSpec setup = FaultyFrame();
    setup.faults.noise = 0.2;
    setup.faults.malformedRate = 0.1;
    const auto run = [&](std::uint32_t seed) {
        FrameResponder frame(setup, seed);
        frame.onCommand(BuildCommand(HID_CMD_SCAN_X));
        auto reports = Take(frame, 40);
        frame.onCommand(BuildCommand(HID_CMD_SCAN_Y));
        std::ranges::copy(Take(frame, 40), std::back_inserter(reports));
        return reports;
    };
    EXPECT_EQ(run(11), run(11));
    EXPECT_NE(run(11), run(12));
}

} // namespace
} // namespace tarnscope
