#include "diagnosis/Analysis.h"

#include "device/Protocol.h"

#include <gtest/gtest.h>
#include <numeric>
#include <vector>

namespace tarnscope {
namespace {

constexpr int X = SCAN_AXIS_X;
constexpr int Y = SCAN_AXIS_Y;
constexpr int RECEIVER = 10000; // kind 1 entry base
constexpr int EMITTER = 20000; // kind 2 entry base

// The LED position that a board places at (block, index).
int PositionOf(int axis, int boardSize, int block, int index)
{
    for (int p = 0; p < 2000; ++p) {
        if (PlaceLed(axis, boardSize, p) == LedPlacement { block, index })
            return p;
    }
    ADD_FAILURE() << "no position for block " << block << " index " << index;
    return 0;
}

// Bad-light lists as the consumer thread fills them, unsorted.
struct BadLights {
    int boardSize;
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;

    BadLights& Report(int axis, int kindBase, int block, int index, int times)
    {
        auto& list = axis == X ? x : y;
        list.insert(list.begin(), times, kindBase + PositionOf(axis, boardSize, block, index));
        return *this;
    }
    // Eight LEDs reported three times each: enough to fail a block of either kind.
    // (Positions 0..2 never reach the lists.)
    BadLights& FailBlock(int axis, int kindBase, int block)
    {
        for (int i = 8; i < 16; ++i)
            Report(axis, kindBase, block, i, 3);
        return *this;
    }
    DiagnosisResult Analyse()
    {
        const auto result = AnalyseBadLights(x, y, boardSize);
        EXPECT_TRUE(result.has_value());
        return result.value_or(DiagnosisResult {});
    }
};

struct ChainCase {
    const char* name;
    int boardSize;
    std::vector<int> emitterX, emitterY, receiverX, receiverY; // failed blocks
    std::int32_t tx;
    std::int32_t rx;
};

TEST(AnalyseBadLights, ChainResultsNameTheBrokenLink)
{
    const std::vector<ChainCase> cases {
        { "nothing failed", 82, {}, {}, {}, {}, CHAIN_NONE, CHAIN_NONE },
        { "emitter X run 0..1", 82, { 0, 1 }, {}, {}, {}, 1, CHAIN_NONE },
        { "emitter X run misses block 0", 82, { 1, 2 }, { 0 }, {}, {}, CHAIN_X_SCATTERED, CHAIN_NONE },
        { "emitter Y run 0..2", 82, {}, { 0, 1, 2 }, {}, {}, 8, CHAIN_NONE },
        { "emitter Y run wins over X run", 82, { 0, 1 }, { 0 }, {}, {}, 6, CHAIN_NONE },
        { "whole emitter chain", 102, { 0, 1, 2, 3, 4, 5, 6, 7 }, { 0, 1, 2, 3 }, {}, {}, 11, CHAIN_NONE },
        { "emitter Y scattered", 82, { 0 }, { 0, 2 }, {}, {}, CHAIN_SCATTERED, CHAIN_NONE },
        { "emitter Y block 1 alone", 82, {}, { 1 }, {}, {}, CHAIN_SCATTERED, CHAIN_NONE },
        { "receiver Y block 0", 82, {}, {}, {}, { 0 }, CHAIN_NONE, 0 },
        { "receiver X block 1 alone", 82, {}, {}, { 1 }, {}, CHAIN_NONE, CHAIN_X_SCATTERED },
        { "receiver Y 0 and X 1", 82, {}, {}, { 1 }, { 0 }, CHAIN_NONE, CHAIN_SCATTERED },
        { "receiver X run 0..3", 82, {}, {}, { 0, 1, 2, 3 }, {}, CHAIN_NONE, 7 },
        { "receiver X run wins over Y run", 55, {}, {}, { 0 }, { 0, 1 }, CHAIN_NONE, 3 },
        { "receiver Y scattered", 55, {}, {}, { 0 }, { 2 }, CHAIN_NONE, CHAIN_SCATTERED },
        { "both chains", 97, { 0 }, {}, {}, { 0, 1 }, 0, 1 },
    };
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(c.name);
        BadLights lights { c.boardSize, {}, {} };
        for (const int b : c.emitterX)
            lights.FailBlock(X, EMITTER, b);
        for (const int b : c.emitterY)
            lights.FailBlock(Y, EMITTER, b);
        for (const int b : c.receiverX)
            lights.FailBlock(X, RECEIVER, b);
        for (const int b : c.receiverY)
            lights.FailBlock(Y, RECEIVER, b);
        const DiagnosisResult r = lights.Analyse();
        EXPECT_EQ(r.txChainResult, c.tx);
        EXPECT_EQ(r.rxChainResult, c.rx);
    }
}

struct EmitterCase {
    const char* name;
    std::vector<int> reportsPerLed; // at indices 3, 4, ...
    std::int32_t result;
};

TEST(AnalyseBadLights, EmitterBlockCountsLedsReportedThreeTimes)
{
    const std::vector<EmitterCase> cases {
        { "eight suspects", { 3, 3, 3, 3, 3, 3, 3, 3 }, 8 },
        { "seven suspects", { 3, 3, 3, 3, 3, 3, 3 }, 7 },
        { "twice is not suspect", { 3, 3, 3, 3, 3, 3, 3, 2 }, 7 },
        // a counter that wrapped at 256 would read 0 and pass these LEDs
        { "256 reports each", { 256, 256, 256, 256, 256, 256, 256, 256 }, 8 },
        { "1000 reports each", { 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000 }, 8 },
    };
    for (const EmitterCase& c : cases) {
        SCOPED_TRACE(c.name);
        BadLights lights { 82, {}, {} };
        for (std::size_t i = 0; i < c.reportsPerLed.size(); ++i)
            lights.Report(X, EMITTER, 0, static_cast<int>(i) + 3, c.reportsPerLed[i]);
        const DiagnosisResult r = lights.Analyse();
        EXPECT_EQ(r.x.emitter[0].result, c.result);
        EXPECT_EQ(r.txChainResult, c.result >= BLOCK_FAILED ? 0 : CHAIN_NONE);
    }
}

TEST(AnalyseBadLights, CountersSaturateInsteadOfWrapping)
{
    BadLights lights { 55, {}, {} };
    lights.Report(Y, RECEIVER, 1, 4, 256).Report(Y, RECEIVER, 1, 5, 600);
    const DiagnosisResult r = lights.Analyse();
    EXPECT_EQ(r.y.receiver[1].counters[4], 255);
    EXPECT_EQ(r.y.receiver[1].counters[5], 255);
}

TEST(AnalyseBadLights, OnlyIndicesWithinTheBlockLengthCount)
{
    // Size 78, Y block 3 is 56 long: indices 56..63 are counted but never judged.
    BadLights beyond { 78, {}, {} };
    BadLights within { 78, {}, {} };
    for (int i = 0; i < 8; ++i) {
        beyond.Report(Y, EMITTER, 3, 56 + i, 3).Report(Y, RECEIVER, 3, 56 + i, 3);
        within.Report(Y, EMITTER, 3, 48 + i, 3).Report(Y, RECEIVER, 3, 48 + i, 3);
    }
    const DiagnosisResult outside = beyond.Analyse();
    EXPECT_EQ(outside.y.emitter[3].length, 56);
    EXPECT_EQ(outside.y.emitter[3].counters[60], 3);
    EXPECT_EQ(outside.y.emitter[3].result, 0);
    EXPECT_EQ(outside.y.receiver[3].result, 0);

    const DiagnosisResult inside = within.Analyse();
    EXPECT_EQ(inside.y.emitter[3].result, 8);
    EXPECT_EQ(inside.y.receiver[3].result, 8); // the run reaches the end of the length
}

struct RunCase {
    const char* name;
    std::int32_t length;
    std::vector<std::pair<int, int>> suspectRanges; // inclusive index ranges with counter 3
    std::int32_t result;
};

TEST(MeasureRuns, KeepsTheLastQualifyingRun)
{
    const std::vector<RunCase> cases {
        { "inner run of 5", 64, { { 10, 14 } }, 5 },
        { "inner run of 4", 64, { { 10, 13 } }, 0 },
        { "inner run of 8", 64, { { 10, 17 } }, 8 },
        { "end run of 6", 64, { { 58, 63 } }, 0 },
        { "end run of 8", 64, { { 56, 63 } }, 8 },
        { "later shorter run overwrites", 64, { { 0, 9 }, { 20, 24 } }, 5 },
        { "short end run keeps inner run", 64, { { 0, 9 }, { 60, 63 } }, 10 },
        { "end of a short block", 40, { { 32, 39 } }, 8 },
        { "run cut by the length", 40, { { 35, 45 } }, 0 },
        { "whole block", 64, { { 0, 63 } }, 64 },
        { "nothing", 64, {}, 0 },
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.name);
        BlockTally tally;
        tally.length = c.length;
        for (const auto& [first, last] : c.suspectRanges) {
            for (int i = first; i <= last; ++i)
                tally.counters[i] = 3;
        }
        EXPECT_EQ(MeasureRuns(tally), c.result);
    }
}

TEST(MeasureRuns, CountersBelowThreeBreakRuns)
{
    BlockTally tally;
    tally.counters.fill(2);
    EXPECT_EQ(MeasureRuns(tally), 0);
    tally.counters[20] = 200; // a single strong LED is no run
    EXPECT_EQ(MeasureRuns(tally), 0);
}

TEST(AnalyseBadLights, ProblemLedsComeFromBlocksWithResultTwoInDescendingIndexOrder)
{
    BadLights lights { 82, {}, {} };
    lights.Report(X, EMITTER, 1, 5, 21).Report(X, EMITTER, 1, 9, 30).Report(X, EMITTER, 1, 12, 20);
    lights.Report(X, EMITTER, 0, 3, 50); // result 1: nothing listed
    lights.Report(Y, EMITTER, 2, 0, 25).Report(Y, EMITTER, 3, 7, 22).Report(Y, EMITTER, 3, 1, 22);
    lights.Report(Y, EMITTER, 2, 1, 3);
    for (int i = 10; i < 15; ++i) // a receiver run of 5: result 5
        lights.Report(Y, RECEIVER, 1, i, i == 12 ? 40 : 3);
    const DiagnosisResult r = lights.Analyse();
    ASSERT_EQ(r.txChainResult, CHAIN_NONE);
    ASSERT_EQ(r.rxChainResult, CHAIN_NONE);
    EXPECT_EQ(r.x.emitter[0].result, 1);
    EXPECT_EQ(r.x.emitter[1].result, 3);
    EXPECT_EQ(r.x.emitterProblems, (std::vector<ProblemLed> { { 1, 9 }, { 1, 5 } }));
    EXPECT_EQ(r.y.emitterProblems, (std::vector<ProblemLed> { { 2, 0 }, { 3, 7 }, { 3, 1 } }));
    EXPECT_EQ(r.y.receiverProblems, (std::vector<ProblemLed> { { 1, 12 } }));
    EXPECT_TRUE(r.x.receiverProblems.empty());
}

TEST(AnalyseBadLights, ProblemLedsOnlyWithoutABrokenLink)
{
    struct Case {
        const char* name;
        std::vector<int> failedEmitterX;
        std::vector<int> failedEmitterY;
        bool listed;
    };
    const std::vector<Case> cases {
        { "chain index", { 0, 1, 2, 3 }, {}, false },
        { "X scattered", { 2 }, {}, false },
        { "scattered", { 0 }, { 0, 2 }, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BadLights lights { 82, {}, {} };
        for (const int b : c.failedEmitterX) {
            for (int i = 8; i < 16; ++i)
                lights.Report(X, EMITTER, b, i, 30);
        }
        for (const int b : c.failedEmitterY)
            lights.FailBlock(Y, EMITTER, b);
        lights.Report(Y, RECEIVER, 1, 0, 40);
        for (int i = 1; i < 8; ++i)
            lights.Report(Y, RECEIVER, 1, i, 3);
        const DiagnosisResult r = lights.Analyse();
        EXPECT_EQ(r.x.emitterProblems.empty(), !c.listed);
        EXPECT_EQ(r.y.receiverProblems.empty(), !c.listed);
        EXPECT_TRUE(r.y.emitterProblems.empty()); // counters of 3 are never listed
    }
}

TEST(AnalyseBadLights, SortsBothListsInPlace)
{
    std::vector<std::int32_t> x { 20004, 10007, 10005 };
    std::vector<std::int32_t> y { 20100, 20001, 10050, 10003, 20001, 10050 };
    ASSERT_TRUE(AnalyseBadLights(x, y, 82).has_value());
    EXPECT_EQ(x, (std::vector<std::int32_t> { 10005, 10007, 20004 }));
    EXPECT_EQ(y, (std::vector<std::int32_t> { 10003, 10050, 10050, 20001, 20001, 20100 }));

    // Entries far outside the usual range sort as well.
    std::vector<std::int32_t> wide { INT32_MAX, 10003, INT32_MIN, 20005, -7, INT32_MAX };
    std::vector<std::int32_t> single { 42 };
    ASSERT_TRUE(AnalyseBadLights(wide, single, 82).has_value());
    EXPECT_EQ(wide, (std::vector<std::int32_t> { INT32_MIN, -7, 10003, 20005, INT32_MAX, INT32_MAX }));
    EXPECT_EQ(single, (std::vector<std::int32_t> { 42 }));
}

TEST(AnalyseBadLights, BoardWithoutModelStopsAfterSorting)
{
    std::vector<std::int32_t> x { 20004, 10007 };
    std::vector<std::int32_t> y { 10009, 10001 };
    EXPECT_FALSE(AnalyseBadLights(x, y, 47).has_value());
    EXPECT_FALSE(AnalyseBadLights(x, y, 48).has_value());
    EXPECT_EQ(x, (std::vector<std::int32_t> { 10007, 20004 }));
    EXPECT_EQ(y, (std::vector<std::int32_t> { 10001, 10009 }));
}

TEST(AnalyseBadLights, Board64PlacesNothing)
{
    BadLights lights { 64, {}, {} };
    for (int p = 0; p < 300; ++p) {
        lights.x.insert(lights.x.end(), 30, EMITTER + p);
        lights.y.insert(lights.y.end(), 30, RECEIVER + p);
    }
    const DiagnosisResult r = lights.Analyse();
    EXPECT_EQ(r.model, FindBoardModel(55));
    for (const BlockTable* table : { &r.x.emitter, &r.x.receiver })
        for (int b = 0; b < 4; ++b)
            EXPECT_EQ((*table)[b].result, 0);
    for (const BlockTable* table : { &r.y.emitter, &r.y.receiver })
        for (int b = 0; b < 3; ++b)
            EXPECT_EQ((*table)[b].result, 0);
    EXPECT_EQ(r.txChainResult, CHAIN_NONE);
    EXPECT_EQ(r.rxChainResult, CHAIN_NONE);
}

TEST(AnalyseBadLights, FreshTablesCarryTheModelLengths)
{
    std::vector<std::int32_t> none;
    std::vector<std::int32_t> alsoNone;
    const auto r = AnalyseBadLights(none, alsoNone, 102);
    ASSERT_TRUE(r.has_value());
    const std::vector<std::int32_t> xLengths { 64, 64, 64, 64, 64, 64, 40, 32, 64, 64 };
    const std::vector<std::int32_t> yLengths { 32, 64, 64, 64, 64, 64, 64, 64, 64, 64 };
    for (int b = 0; b < MAX_BLOCKS; ++b) {
        EXPECT_EQ(r->x.emitter[b].length, xLengths[b]);
        EXPECT_EQ(r->x.receiver[b].length, xLengths[b]);
        EXPECT_EQ(r->y.emitter[b].length, yLengths[b]);
        EXPECT_EQ(r->y.receiver[b].length, yLengths[b]);
        // only the model's blocks are evaluated
        EXPECT_EQ(r->x.emitter[b].result, b < 8 ? 0 : -1);
        EXPECT_EQ(r->y.receiver[b].result, b < 4 ? 0 : -1);
    }
}

int TotalCount(const BlockTable& table)
{
    int total = 0;
    for (const BlockTally& tally : table)
        total = std::accumulate(tally.counters.begin(), tally.counters.end(), total);
    return total;
}

TEST(AnalyseBadLights, EntriesOutsideTheTablesAreNotCounted)
{
    struct Case {
        const char* name;
        int boardSize;
        std::vector<std::int32_t> x;
    };
    const std::vector<Case> cases {
        { "not placed", 82, { EMITTER + 336, RECEIVER + 400 } },
        { "block 10 and beyond", 89, { EMITTER + 640, RECEIVER + 700 } },
        { "index 64 and beyond", 55, { EMITTER + 256, RECEIVER + 300 } },
        { "below kind 1", 82, { 5, -3, 9999 } },
        { "exactly 20000 ends the walk", 82, { 20000, 20001, 20002, 25000 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::int32_t> x = c.x;
        std::vector<std::int32_t> y;
        const auto r = AnalyseBadLights(x, y, c.boardSize);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(TotalCount(r->x.emitter) + TotalCount(r->x.receiver), 0);
    }
}

TEST(AnalyseBadLights, SlotsPastTheModelTakeCountsButAreNotJudged)
{
    BadLights lights { 89, {}, {} };
    lights.FailBlock(X, EMITTER, 8);
    const DiagnosisResult r = lights.Analyse();
    EXPECT_EQ(r.x.emitter[8].counters[8], 3);
    EXPECT_EQ(r.x.emitter[8].result, -1);
    EXPECT_EQ(r.txChainResult, CHAIN_NONE);
}

TEST(AnalyseBadLights, TracesReceiverYEntriesOfBoard55Only)
{
    struct Case {
        int boardSize;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases {
        { 55,
            { "Block 0 ===> LED =31,Value=31\n", "Block 0 ===> LED =31,Value=31\n",
                "Block 1 ===> LED =0,Value=32\n" } },
        { 64, {} }, // no LED is placed, so there is no block to name
        { 82, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.boardSize);
        std::vector<std::int32_t> x { RECEIVER + 3, EMITTER + 4 };
        std::vector<std::int32_t> y { EMITTER + 5, RECEIVER + 31, RECEIVER + 32, RECEIVER + 31 };
        std::vector<std::string> lines;
        AnalyseBadLights(x, y, c.boardSize, [&](const std::string& line) { lines.push_back(line); });
        EXPECT_EQ(lines, c.lines);
    }
}

} // namespace
} // namespace tarnscope
