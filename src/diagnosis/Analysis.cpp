#include "diagnosis/Analysis.h"

#include "device/Protocol.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace tarnscope {

namespace {

// Bad-light entries are kind * 10000 + LED position: kind 1 is a receiver
// reading of 124..130, kind 2 a dark reading of 0..105 that blames the emitter.
constexpr std::int32_t RECEIVER_ENTRY_BASE = 10000;
constexpr std::int32_t EMITTER_ENTRY_BASE = 20000;

constexpr std::uint8_t COUNTER_MAX = 255;
// An LED reported this often during a scan is taken as bad.
constexpr std::uint8_t SUSPECT_COUNT = 3;
constexpr std::int32_t MIN_INNER_RUN = 5;
constexpr std::int32_t MIN_END_RUN = 8;
// Blocks from this result on have their individual LEDs listed ...
constexpr std::int32_t PROBLEM_BLOCK_RESULT = 2;
// ... when reported more often than this.
constexpr std::uint8_t PROBLEM_COUNT = 20;

// Entries cluster in 10000..2xxxx, so counting them over their range is far
// quicker than comparing; lists spread wider fall back to std::sort.
constexpr std::int64_t COUNTING_SORT_MAX_RANGE = 1 << 20;

void SortEntries(std::vector<std::int32_t>& entries)
{
    if (entries.size() < 2)
        return;
    const auto [lowest, highest] = std::minmax_element(entries.begin(), entries.end());
    const std::int32_t base = *lowest;
    const std::int64_t range = std::int64_t { *highest } - base + 1;
    if (range > COUNTING_SORT_MAX_RANGE) {
        std::sort(entries.begin(), entries.end());
        return;
    }
    std::vector<std::size_t> counts(static_cast<std::size_t>(range));
    for (const std::int32_t entry : entries)
        ++counts[static_cast<std::size_t>(entry - base)];
    auto out = entries.begin();
    for (std::size_t offset = 0; offset < counts.size(); ++offset)
        out = std::fill_n(out, counts[offset], static_cast<std::int32_t>(base + static_cast<std::int64_t>(offset)));
}

std::span<const std::uint8_t> ActiveCounters(const BlockTally& tally)
{
    return std::span(tally.counters).first(static_cast<std::size_t>(std::clamp(tally.length, 0, BLOCK_SLOTS)));
}

BlockTable MakeTable(const std::array<int, MAX_BLOCKS>& lengths, int count)
{
    BlockTable table {};
    for (int b = 0; b < count; ++b)
        table[b].length = lengths[b];
    return table;
}

AxisDiagnosis MakeAxis(const std::array<int, MAX_BLOCKS>& lengths, int count)
{
    return { MakeTable(lengths, count), MakeTable(lengths, count), {}, {} };
}

// Counts `reports` reports of one LED; a placement outside the table is dropped.
void Tally(BlockTable& table, LedPlacement at, std::size_t reports)
{
    if (at.block == NO_BLOCK || at.block >= MAX_BLOCKS || at.index >= BLOCK_SLOTS)
        return;
    // Saturating: a counter that wrapped would pass an LED reported 256 times as good.
    std::uint8_t& counter = table[at.block].counters[at.index];
    counter = static_cast<std::uint8_t>(std::min<std::size_t>(counter + reports, COUNTER_MAX));
}

// Size 64 places no LED, so it has nothing to trace.
void TraceReceiver(const TraceSink& trace, LedPlacement at, int position)
{
    if (!trace || at.block == NO_BLOCK)
        return;
    char line[64];
    std::snprintf(line, sizeof line, "Block %d ===> LED =%d,Value=%d\n", at.block, at.index, position);
    trace(line);
}

// Walks a sorted list: receiver entries first, then emitter entries; the
// first entry that is neither (exactly 20000 or beyond) ends the walk. Equal
// entries are placed once and counted together.
void CountAxis(
    const std::vector<std::int32_t>& sorted, int axis, int boardSize, AxisDiagnosis& diagnosis, const TraceSink& trace)
{
    auto entry = sorted.begin();
    const auto nextRun = [&] { return std::find_if(entry, sorted.end(), [&](std::int32_t e) { return e != *entry; }); };
    for (; entry != sorted.end() && *entry < EMITTER_ENTRY_BASE;) {
        const auto runEnd = nextRun();
        // Entries below 10000 would be negative positions, which no block takes.
        const bool placeable = *entry >= RECEIVER_ENTRY_BASE;
        const int position = placeable ? *entry - RECEIVER_ENTRY_BASE : -1;
        const LedPlacement at = placeable ? PlaceLed(axis, boardSize, position) : LedPlacement { NO_BLOCK, 0 };
        Tally(diagnosis.receiver, at, static_cast<std::size_t>(runEnd - entry));
        for (; entry != runEnd; ++entry)
            TraceReceiver(trace, at, position);
    }
    for (; entry != sorted.end() && *entry > EMITTER_ENTRY_BASE;) {
        const auto runEnd = nextRun();
        Tally(diagnosis.emitter, PlaceLed(axis, boardSize, *entry - EMITTER_ENTRY_BASE),
            static_cast<std::size_t>(runEnd - entry));
        entry = runEnd;
    }
}

std::int32_t CountSuspects(const BlockTally& tally)
{
    const auto counters = ActiveCounters(tally);
    return static_cast<std::int32_t>(
        std::count_if(counters.begin(), counters.end(), [](std::uint8_t c) { return c >= SUSPECT_COUNT; }));
}

void Evaluate(AxisDiagnosis& diagnosis, int count)
{
    for (int b = 0; b < count; ++b) {
        diagnosis.emitter[b].result = CountSuspects(diagnosis.emitter[b]);
        diagnosis.receiver[b].result = MeasureRuns(diagnosis.receiver[b]);
    }
}

struct SegmentWalk {
    bool scattered = false;
    std::int32_t last = CHAIN_NONE; // last block of the failed run from block 0
};

SegmentWalk WalkSegment(const BlockTable& table, int count)
{
    SegmentWalk walk;
    for (int k = 0; k < count; ++k) {
        if (table[k].result < BLOCK_FAILED)
            continue;
        if (k != walk.last + 1)
            return { true, walk.last };
        walk.last = k;
    }
    return walk;
}

// Emitter chain: X blocks, then Y blocks, into the USB port.
std::int32_t EmitterChainResult(const DiagnosisResult& r)
{
    const SegmentWalk x = WalkSegment(r.x.emitter, r.model->nX);
    if (x.scattered)
        return CHAIN_X_SCATTERED;
    const SegmentWalk y = WalkSegment(r.y.emitter, r.model->nY);
    if (y.scattered)
        return CHAIN_SCATTERED;
    return y.last >= 0 ? r.model->nX + y.last : x.last;
}

// Receiver chain: Y blocks, then X blocks, into the USB port.
std::int32_t ReceiverChainResult(const DiagnosisResult& r)
{
    const SegmentWalk y = WalkSegment(r.y.receiver, r.model->nY);
    if (y.scattered)
        return CHAIN_SCATTERED;
    const SegmentWalk x = WalkSegment(r.x.receiver, r.model->nX);
    if (x.scattered)
        return y.last == CHAIN_NONE ? CHAIN_X_SCATTERED : CHAIN_SCATTERED;
    return x.last >= 0 ? r.model->nY + x.last : y.last;
}

std::vector<ProblemLed> ListProblemLeds(const BlockTable& table, int count)
{
    std::vector<ProblemLed> leds;
    for (int b = 0; b < count; ++b) {
        if (table[b].result < PROBLEM_BLOCK_RESULT)
            continue;
        const auto counters = ActiveCounters(table[b]);
        for (int i = static_cast<int>(counters.size()) - 1; i >= 0; --i) {
            if (counters[i] > PROBLEM_COUNT)
                leds.push_back({ b, i });
        }
    }
    return leds;
}

// Individual LEDs only make sense when no chain link explains the failures.
bool ListsProblemLeds(std::int32_t chainResult)
{
    return chainResult == CHAIN_NONE || chainResult == CHAIN_SCATTERED;
}

void ListProblemLeds(AxisDiagnosis& diagnosis, int count)
{
    diagnosis.emitterProblems = ListProblemLeds(diagnosis.emitter, count);
    diagnosis.receiverProblems = ListProblemLeds(diagnosis.receiver, count);
}

} // namespace

std::int32_t MeasureRuns(const BlockTally& tally)
{
    std::int32_t result = 0;
    std::int32_t run = 0;
    for (const std::uint8_t counter : ActiveCounters(tally)) {
        if (counter >= SUSPECT_COUNT) {
            ++run;
            continue;
        }
        if (run >= MIN_INNER_RUN)
            result = run;
        run = 0;
    }
    if (run >= MIN_END_RUN)
        result = run;
    return result;
}

std::optional<DiagnosisResult> AnalyseBadLights(
    std::vector<std::int32_t>& xBadLights, std::vector<std::int32_t>& yBadLights, int boardSize, const TraceSink& trace)
{
    SortEntries(xBadLights);
    SortEntries(yBadLights);
    const BoardModel* model = FindBoardModel(boardSize);
    if (model == nullptr)
        return std::nullopt;

    DiagnosisResult r;
    r.model = model;
    r.x = MakeAxis(model->xLengths, model->nX);
    r.y = MakeAxis(model->yLengths, model->nY);
    CountAxis(xBadLights, SCAN_AXIS_X, boardSize, r.x, {});
    const bool tracesY = boardSize == 55 || boardSize == 64;
    CountAxis(yBadLights, SCAN_AXIS_Y, boardSize, r.y, tracesY ? trace : TraceSink {});

    Evaluate(r.x, model->nX);
    Evaluate(r.y, model->nY);
    r.txChainResult = EmitterChainResult(r);
    r.rxChainResult = ReceiverChainResult(r);
    if (ListsProblemLeds(r.txChainResult) && ListsProblemLeds(r.rxChainResult)) {
        ListProblemLeds(r.x, model->nX);
        ListProblemLeds(r.y, model->nY);
    }
    return r;
}

} // namespace tarnscope
