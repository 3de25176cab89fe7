#include "advance/AdvanceReport.h"

#include "PositionReports.h"

#include <cstdlib>
#include <ctime>
#include <functional>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

constexpr SerialId SERIAL { 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0xFE, 0xDC, 0xBA, 0x98 };
constexpr std::time_t NOW = 1709647629; // 2024-03-05 14:07:09 UTC
const std::string HEADER_96 = "Model: 96 \r\nBoard SID: 0123456789ABCDEFFEDCBA98\r\nDate:2024-03-05 14:07:09\r\n\r\n";
const std::string INTERFERENCE_ADVICE
    = "\r\nThere are interferences, please check flat cable connector,especially right-top corner and "
      "left-bottom corner";

class AdvanceReportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    // Every position reported once, except those the test clears.
    static AdvanceSnapshot AllHit()
    {
        AdvanceSnapshot snapshot;
        snapshot.xHits.fill(1);
        snapshot.yHits.fill(1);
        return snapshot;
    }

    static AdvanceSnapshot Missing(const std::vector<int>& x, const std::vector<int>& y)
    {
        AdvanceSnapshot snapshot = AllHit();
        for (const int p : x)
            snapshot.xHits[static_cast<std::size_t>(p)] = 0;
        for (const int p : y)
            snapshot.yHits[static_cast<std::size_t>(p)] = 0;
        return snapshot;
    }
};

TEST_F(AdvanceReportTest, PositionTextsListBlocksAndRuns)
{
    const struct {
        const char* name;
        int boardSize;
        std::vector<int> missingX;
        std::vector<int> missingY;
        std::string xText;
        std::string yText;
    } cases[] = {
        { "runs and lone LEDs", 89, { 70, 71, 72, 80, 131 }, {}, "X LED Position: \r\nX1 LED: 6=>8,16\r\nX2 LED: 3",
            "" },
        { "run split at a block boundary", 89, { 126, 127, 128, 129 }, {},
            "X LED Position: \r\nX1 LED: 62=>63\r\nX2 LED: 0=>1", "" },
        { "lone before run", 78, { 2, 4, 5, 6 }, {}, "X LED Position: \r\nX0 LED: 2,4=>6", "" },
        { "open-ended last block", 102, { 423, 424, 453 }, {}, "X LED Position: \r\nX6 LED: 39\r\nX7 LED: 0,29", "" },
        { "y blocks of a 40-position first block", 97, {}, { 39, 40, 41 }, "",
            "\r\nY LED Position: \r\nY0 LED: 39\r\nY1 LED: 0=>1" },
        { "y blocks of a 32-position first block", 96, { 2 }, { 31, 32, 34, 100 }, "X LED Position: \r\nX0 LED: 2",
            "\r\nY LED Position: \r\nY0 LED: 31\r\nY1 LED: 0,2\r\nY2 LED: 4" },
    };
    for (const auto& c : cases) {
        const auto report = BuildAdvanceReport(Missing(c.missingX, c.missingY), c.boardSize, SERIAL, NOW);
        ASSERT_TRUE(report) << c.name;
        EXPECT_EQ(report->missingX, c.missingX) << c.name;
        EXPECT_EQ(report->missingY, c.missingY) << c.name;
        EXPECT_EQ(report->xPositionText, c.xText) << c.name;
        EXPECT_EQ(report->yPositionText, c.yText) << c.name;
        EXPECT_EQ(report->xListBoxText, c.xText) << c.name;
        EXPECT_EQ(report->yListBoxText, c.yText) << c.name;
    }
}

TEST_F(AdvanceReportTest, ReportTextAndListBoxes)
{
    const struct {
        const char* name;
        std::function<void(AdvanceSnapshot&)> prepare;
        std::string body;
        std::string xListBox;
        std::string yListBox;
    } cases[] = {
        { "all green", [](AdvanceSnapshot&) {}, "\tAll green,no problem have been found.", "", "" },
        { "interference only",
            [](AdvanceSnapshot& s) {
                s.xInterference[3] = 6;
                s.xInterference[4] = 5; // not more than 5
                s.xInterference[421] = 9; // xCount - 3, the last one looked at
                s.xInterference[422] = 50;
                s.yInterference[0] = 100;
                s.yInterference[222] = 50;
            },
            "\tAll green,no problem have been found.\r\n\r\nInterference:\r\n\tX Interference LED:\r\n3,421,\r\n"
            "\tY Interference LED:\r\n0,\r\n"
                + INTERFERENCE_ADVICE,
            "\r\nInterference: 3,421,", "\r\nInterference: 0," },
        { "y problems only", [](AdvanceSnapshot& s) { s.yHits[37] = 0; }, "\t\r\n\t\r\nY LED Position: \r\nY1 LED: 5",
            "", "\r\nY LED Position: \r\nY1 LED: 5" },
        { "both axes with x interference",
            [](AdvanceSnapshot& s) {
                s.xHits[2] = 0;
                s.yHits[221] = 0;
                s.xInterference[0] = 6;
            },
            "\tX LED Position: \r\nX0 LED: 2\r\n\t\r\nY LED Position: \r\nY3 LED: 61\r\n\r\nInterference:\r\n"
            "\tX Interference LED:\r\n0,\r\n"
                + INTERFERENCE_ADVICE,
            "X LED Position: \r\nX0 LED: 2\r\nInterference: 0,", "\r\nY LED Position: \r\nY3 LED: 61" },
    };
    for (const auto& c : cases) {
        AdvanceSnapshot snapshot = AllHit();
        c.prepare(snapshot);
        const auto report = BuildAdvanceReport(snapshot, 96, SERIAL, NOW);
        ASSERT_TRUE(report) << c.name;
        EXPECT_EQ(report->reportText, HEADER_96 + c.body) << c.name;
        EXPECT_EQ(report->xListBoxText, c.xListBox) << c.name;
        EXPECT_EQ(report->yListBoxText, c.yListBox) << c.name;
    }
}

TEST_F(AdvanceReportTest, KnowsFiveBoardsAndSkipsTheTwoPositionsAtEachEnd)
{
    const struct {
        int boardSize;
        int xCount;
        int yCount;
    } boards[] = { { 78, 312, 232 }, { 89, 384, 224 }, { 96, 424, 224 }, { 97, 424, 232 }, { 102, 456, 224 } };
    const AdvanceSnapshot nothingReported;
    for (const auto& b : boards) {
        const auto report = BuildAdvanceReport(nothingReported, b.boardSize, SERIAL, NOW);
        ASSERT_TRUE(report) << b.boardSize;
        ASSERT_EQ(report->missingX.size(), static_cast<std::size_t>(b.xCount - 4)) << b.boardSize;
        EXPECT_EQ(report->missingX.front(), 2) << b.boardSize;
        EXPECT_EQ(report->missingX.back(), b.xCount - 3) << b.boardSize;
        ASSERT_EQ(report->missingY.size(), static_cast<std::size_t>(b.yCount - 4)) << b.boardSize;
        EXPECT_EQ(report->missingY.back(), b.yCount - 3) << b.boardSize;
        EXPECT_EQ(report->advanceLog, BuildAdvanceLog(nothingReported, b.xCount, b.yCount)) << b.boardSize;
    }
    for (const int unsupported : { 0, 48, 55, 64, 82, 103 })
        EXPECT_FALSE(BuildAdvanceReport(nothingReported, unsupported, SERIAL, NOW)) << unsupported;
}

TEST_F(AdvanceReportTest, CountedReportsReachTheReport)
{
    AdvanceCounters counters;
    for (int x = 0; x < 312 * 5; x += 5) {
        if (x / 5 < 100 || x / 5 > 102)
            TallyAdvanceReport(counters, PositionReport(x, 0), SCAN_AXIS_X);
    }
    for (int y = 0; y < 232 * 5; y += 5)
        TallyAdvanceReport(counters, PositionReport(0, y), SCAN_AXIS_Y);
    TallyAdvanceReport(counters, PositionReport(4000, 0), SCAN_AXIS_X); // past the tables: ignored
    for (int i = 0; i < 3; ++i)
        TallyAdvanceReport(counters, PositionReport(0, 50, 7, 0, 54), SCAN_AXIS_Y); // 2 each time
    const auto report = BuildAdvanceReport(counters.snapshot(), 78, SERIAL, NOW);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->xPositionText, "X LED Position: \r\nX1 LED: 36=>38");
    EXPECT_TRUE(report->yPositionText.empty());
    EXPECT_EQ(report->interferenceY, std::vector<int> { 10 });
    EXPECT_TRUE(report->interferenceX.empty());
}

TEST(BuildAdvanceLog, ListsHitsTenToALineAndNonZeroInterference)
{
    AdvanceSnapshot counters;
    counters.xHits[5] = 7;
    counters.xHits[21] = 2;
    counters.yHits[0] = 3;
    counters.xInterference[3] = 1;
    counters.xInterference[21] = 12;
    counters.xInterference[22] = 4; // beyond xCount
    counters.yInterference[2] = 6;
    const std::string expected = "XLED: \n"
                                 "(0,0),(1,0),(2,0),(3,0),(4,0),(5,7),(6,0),(7,0),(8,0),(9,0),(10,0),\n"
                                 "(11,0),(12,0),(13,0),(14,0),(15,0),(16,0),(17,0),(18,0),(19,0),(20,0),\n"
                                 "(21,2),"
                                 "\n\nYLED: \n"
                                 "(0,3),(1,0),(2,0),"
                                 "\n\nX Interrupt:\n"
                                 "(3,1),(21,12),"
                                 "\n\nY Interrupt:\n"
                                 "(2,6),";
    EXPECT_EQ(BuildAdvanceLog(counters, 22, 3), expected);

    const std::string clamped = BuildAdvanceLog(counters, 5000, 0);
    EXPECT_NE(clamped.find("(799,0),\n\nYLED: \n\n\nX Interrupt:\n"), std::string::npos);
    EXPECT_EQ(clamped.find("(800,"), std::string::npos);
}

} // namespace
} // namespace tarnscope
