// The shipped fault scenarios, run through the host's protocol rules, packet
// classification and analysis, give the diagnosis their names promise.
#include "device/PacketQueue.h"
#include "diagnosis/Analysis.h"
#include "sim/BoardGeometry.h"
#include "sim/FrameResponder.h"
#include "sim/Scenario.h"
#include "sim/VirtualFrameBus.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

// Collecting runs about 5.7 s of the X scan and 2.9 s of the Y scan.
constexpr double X_COLLECT_SECONDS = 5.7;
constexpr double Y_COLLECT_SECONDS = 2.9;

BadLightList CollectScan(FrameResponder& frame, std::uint8_t code, int packets)
{
    const ClassifiedReport start = ClassifyInputReport(frame.onCommand(BuildCommand(code)).at(0), true);
    EXPECT_EQ(start.kind, ReportKind::ScanStartAnswer);
    BadLightList list;
    for (int i = 0; i < packets; ++i) {
        const HidReport packet = frame.nextStreamReport();
        const ClassifiedReport out = ClassifyInputReport(packet, true);
        if (out.kind != ReportKind::DataPacket)
            continue;
        PacketRecord record;
        std::copy_n(packet.begin() + 7, out.valueCount, record.values.begin());
        record.first = out.range.first;
        record.end = out.range.end;
        record.count = out.valueCount;
        ClassifyPacket(record, start.range.end, list);
    }
    return list;
}

bool HasProblems(const DiagnosisResult& r)
{
    return !(r.x.emitterProblems.empty() && r.x.receiverProblems.empty() && r.y.emitterProblems.empty()
        && r.y.receiverProblems.empty());
}

TEST(ScenarioDiagnosis, ShippedFaultScenariosGiveTheirChainResults)
{
    const struct {
        const char* file;
        std::int32_t tx;
        std::int32_t rx;
        bool problemLeds;
    } cases[] = {
        { "default.json", CHAIN_NONE, CHAIN_NONE, true }, { "healthy.json", CHAIN_NONE, CHAIN_NONE, false },
        { "tx-chain-run.json", 1, CHAIN_NONE, false }, { "rx-chain-run.json", CHAIN_NONE, 0, false },
        { "x-scattered.json", CHAIN_X_SCATTERED, CHAIN_NONE, false },
        { "scattered.json", CHAIN_SCATTERED, CHAIN_NONE, true }, // listed: only chain runs suppress the list
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string error;
        const auto scenario
            = LoadScenarioFile((std::filesystem::path(TARNSCOPE_SOURCE_DIR) / "scenarios" / c.file).string(), error);
        ASSERT_TRUE(scenario) << error;
        const FrameSpec& setup = scenario->frames.at(0);
        FrameResponder frame(setup, FrameSeed(scenario->seed, 0));
        BadLightList x
            = CollectScan(frame, HID_CMD_SCAN_X, static_cast<int>(setup.packetsPerSecond * X_COLLECT_SECONDS));
        BadLightList y
            = CollectScan(frame, HID_CMD_SCAN_Y, static_cast<int>(setup.packetsPerSecond * Y_COLLECT_SECONDS));
        const auto result = AnalyseBadLights(x, y, setup.boardSize);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->txChainResult, c.tx);
        EXPECT_EQ(result->rxChainResult, c.rx);
        EXPECT_EQ(HasProblems(*result), c.problemLeds);
    }
}

TEST(ScenarioDiagnosis, SimulatedBlocksAreTheHostsBlocks)
{
    for (int size : KnownBoardSizes()) {
        if (size == 64) // the host places no LED of this size
            continue;
        const BoardGeometry& geometry = *FindBoardGeometry(size);
        for (int axis : { SCAN_AXIS_X, SCAN_AXIS_Y }) {
            for (int b = 0; b < geometry.blockCount(axis); ++b) {
                const LedSpan span = geometry.block(axis, b);
                for (int p = span.first; p < span.end; ++p)
                    ASSERT_EQ(PlaceLed(axis, size, p), (LedPlacement { b, p - span.first }))
                        << "size " << size << " axis " << axis << " position " << p;
            }
        }
    }
}

} // namespace
} // namespace tarnscope
