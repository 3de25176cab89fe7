#include "advance/AdvanceCounters.h"

#include "PositionReports.h"

#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

namespace tarnscope {
namespace {

enum class Table { XHits, YHits, XInterference, YInterference };

struct Count {
    Table table;
    int position;
    int value;
};

AdvanceTable& TableOf(AdvanceSnapshot& snapshot, Table table)
{
    switch (table) {
    case Table::XHits:
        return snapshot.xHits;
    case Table::YHits:
        return snapshot.yHits;
    case Table::XInterference:
        return snapshot.xInterference;
    case Table::YInterference:
        break;
    }
    return snapshot.yInterference;
}

void ExpectSnapshot(const AdvanceSnapshot& actual, const std::vector<Count>& counts, const char* name)
{
    AdvanceSnapshot expected;
    for (const Count& count : counts)
        TableOf(expected, count.table)[static_cast<std::size_t>(count.position)] = count.value;
    EXPECT_EQ(actual.xHits, expected.xHits) << name;
    EXPECT_EQ(actual.yHits, expected.yHits) << name;
    EXPECT_EQ(actual.xInterference, expected.xInterference) << name;
    EXPECT_EQ(actual.yInterference, expected.yInterference) << name;
}

constexpr std::uint8_t SINGLE = 0;
constexpr std::uint8_t INTERFERENCE_4 = 4;
constexpr std::uint8_t INTERFERENCE_7 = 7;

TEST(TallyAdvanceReport, CountsOneReportOnThePassAxis)
{
    const struct {
        const char* name;
        int axis;
        HidReport report;
        std::optional<int> shown;
        std::vector<Count> counts;
    } cases[] = {
        { "x hit", SCAN_AXIS_X, PositionReport(52, 400), 10, { { Table::XHits, 10, 1 } } },
        { "y hit ignores x", SCAN_AXIS_Y, PositionReport(60000, 403), 80, { { Table::YHits, 80, 1 } } },
        { "other status is a hit", SCAN_AXIS_X, PositionReport(25, 0, 5, 500, 500), 5, { { Table::XHits, 5, 1 } } },
        { "x interference", SCAN_AXIS_X, PositionReport(10, 900, INTERFERENCE_4, 34, 950), -1,
            { { Table::XInterference, 2, 1 }, { Table::XInterference, 6, 1 } } },
        { "equal y interference gains 2", SCAN_AXIS_Y, PositionReport(0, 100, INTERFERENCE_7, 5, 104), -1,
            { { Table::YInterference, 20, 2 } } },
        { "last position", SCAN_AXIS_X, PositionReport(3999, 0), 799, { { Table::XHits, 799, 1 } } },
        { "past the tables", SCAN_AXIS_X, PositionReport(4000, 0), std::nullopt, {} },
        { "far past the tables", SCAN_AXIS_Y, PositionReport(0, 65535), std::nullopt, {} },
        // The good point of an interference pair still counts.
        { "one interference point past the tables", SCAN_AXIS_X, PositionReport(4000, 0, INTERFERENCE_4, 20, 0), -1,
            { { Table::XInterference, 4, 1 } } },
        { "both interference points past the tables", SCAN_AXIS_Y, PositionReport(0, 4000, INTERFERENCE_7, 0, 5000),
            std::nullopt, {} },
    };
    for (const auto& c : cases) {
        AdvanceCounters counters;
        EXPECT_EQ(TallyAdvanceReport(counters, c.report, c.axis), c.shown) << c.name;
        ExpectSnapshot(counters.snapshot(), c.counts, c.name);
    }
}

TEST(AdvanceCounters, PassesAddUpUntilCleared)
{
    AdvanceCounters counters;
    for (int pass = 0; pass < 2; ++pass) {
        TallyAdvanceReport(counters, PositionReport(50, 0), SCAN_AXIS_X);
        TallyAdvanceReport(counters, PositionReport(0, 50, INTERFERENCE_4, 0, 55), SCAN_AXIS_Y);
    }
    ExpectSnapshot(counters.snapshot(),
        { { Table::XHits, 10, 2 }, { Table::YInterference, 10, 2 }, { Table::YInterference, 11, 2 } }, "two passes");
    counters.clear();
    ExpectSnapshot(counters.snapshot(), {}, "cleared");
}

// The worker counts while the UI thread looks; built for the ThreadSanitizer run too.
TEST(AdvanceCounters, SnapshotsWhileTheWorkerCountsAreSafe)
{
    constexpr int reports = 20000;
    AdvanceCounters counters;
    std::thread worker([&counters] {
        for (int i = 0; i < reports; ++i)
            TallyAdvanceReport(counters, PositionReport((i % 100) * 5, 0), SCAN_AXIS_X);
    });
    std::int32_t seen = 0;
    for (int look = 0; look < 50; ++look) {
        const std::int32_t now = counters.snapshot().xHits[0];
        EXPECT_GE(now, seen);
        seen = now;
    }
    worker.join();
    const AdvanceSnapshot last = counters.snapshot();
    for (int p = 0; p < 100; ++p)
        EXPECT_EQ(last.xHits[static_cast<std::size_t>(p)], reports / 100) << p;
    EXPECT_EQ(last.xHits[100], 0);
}

} // namespace
} // namespace tarnscope
