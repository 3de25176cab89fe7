#include "advance/AdvanceReport.h"

#include "diagnosis/BoardModel.h"
#include "results/TimeFormat.h"

#include <algorithm>

namespace tarnscope {

namespace {

struct AdvanceBoard {
    int boardSize;
    int xCount; // LED positions of the X axis
    int yCount;
};

constexpr std::array<AdvanceBoard, 5> ADVANCE_BOARDS { {
    { 78, 312, 232 },
    { 89, 384, 224 },
    { 96, 424, 224 },
    { 97, 424, 232 },
    { 102, 456, 224 },
} };

// The two positions at each end of an axis are never reported as missing, and
// the last two are not searched for interference either.
constexpr int EDGE_POSITIONS = 2;
// More interferences than this at one position are reported.
constexpr int INTERFERENCE_LIMIT = 5;

struct AxisWords {
    int axis;
    const char* heading;
    char letter;
};
constexpr AxisWords X_WORDS { SCAN_AXIS_X, "X LED Position: \r\n", 'X' };
constexpr AxisWords Y_WORDS { SCAN_AXIS_Y, "\r\nY LED Position: \r\n", 'Y' };

std::string Entry(int position, std::int32_t count)
{
    return "(" + std::to_string(position) + "," + std::to_string(count) + "),";
}

void AppendHitEntries(std::string& log, const AdvanceTable& hits, int count)
{
    for (int i = 0; i < count; ++i) {
        log += Entry(i, hits[static_cast<std::size_t>(i)]);
        if (i > 1 && i % 10 == 0)
            log += '\n';
    }
}

void AppendInterferenceEntries(std::string& log, const AdvanceTable& interference, int count)
{
    for (int i = 0; i < count; ++i) {
        if (interference[static_cast<std::size_t>(i)] != 0)
            log += Entry(i, interference[static_cast<std::size_t>(i)]);
    }
}

std::vector<int> MissingPositions(const AdvanceTable& hits, int count)
{
    std::vector<int> missing;
    for (int p = EDGE_POSITIONS; p < count - EDGE_POSITIONS; ++p) {
        if (hits[static_cast<std::size_t>(p)] == 0)
            missing.push_back(p);
    }
    return missing;
}

std::vector<int> InterferencePositions(const AdvanceTable& interference, int count)
{
    std::vector<int> positions;
    for (int p = 0; p < count - EDGE_POSITIONS; ++p) {
        if (interference[static_cast<std::size_t>(p)] > INTERFERENCE_LIMIT)
            positions.push_back(p);
    }
    return positions;
}

// Consecutive missing positions within one block.
struct Run {
    int block;
    int firstIndex;
    int lastIndex;
};

std::vector<Run> BlockRuns(const std::vector<int>& missing, int axis, int boardSize)
{
    std::vector<Run> runs;
    int previous = 0;
    for (const int p : missing) {
        const LedPlacement led = PlaceLed(axis, boardSize, p);
        if (!runs.empty() && runs.back().block == led.block && p == previous + 1)
            runs.back().lastIndex = led.index;
        else
            runs.push_back({ led.block, led.index, led.index });
        previous = p;
    }
    return runs;
}

// One line per block, e.g. "X1 LED: 6=>8,16", after the axis heading.
std::string PositionText(const std::vector<int>& missing, const AxisWords& words, int boardSize)
{
    if (missing.empty())
        return {};
    std::string text = words.heading;
    const std::vector<Run> runs = BlockRuns(missing, words.axis, boardSize);
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const Run& run = runs[k];
        if (k == 0 || run.block != runs[k - 1].block)
            text += (k == 0 ? "" : "\r\n") + std::string(1, words.letter) + std::to_string(run.block) + " LED: ";
        else
            text += ',';
        text += std::to_string(run.firstIndex);
        if (run.lastIndex != run.firstIndex)
            text += "=>" + std::to_string(run.lastIndex);
    }
    return text;
}

std::string PositionList(const std::vector<int>& positions)
{
    std::string list;
    for (const int p : positions)
        list += std::to_string(p) + ",";
    return list;
}

std::string ListBoxText(const std::string& positionText, const std::vector<int>& interference)
{
    return interference.empty() ? positionText : positionText + "\r\nInterference: " + PositionList(interference);
}

std::string ReportHeader(int boardSize, const SerialId& serialId, std::time_t now)
{
    static constexpr char HEX_DIGITS[] = "0123456789ABCDEF";
    std::string text = "Model: " + std::to_string(boardSize) + " \r\nBoard SID: ";
    for (const std::uint8_t byte : serialId) {
        text += HEX_DIGITS[byte >> 4];
        text += HEX_DIGITS[byte & 0x0F];
    }
    return text + "\r\nDate:" + FormatLocalTime("%Y-%m-%d %H:%M:%S\r\n\r\n", now);
}

std::string InterferenceSection(const AdvanceReport& report)
{
    if (report.interferenceX.empty() && report.interferenceY.empty())
        return {};
    std::string text = "\r\n\r\nInterference:\r\n";
    if (!report.interferenceX.empty())
        text += "\tX Interference LED:\r\n" + PositionList(report.interferenceX) + "\r\n";
    if (!report.interferenceY.empty())
        text += "\tY Interference LED:\r\n" + PositionList(report.interferenceY) + "\r\n";
    return text
        + "\r\nThere are interferences, please check flat cable connector,especially right-top corner and "
          "left-bottom corner";
}

} // namespace

std::string BuildAdvanceLog(const AdvanceSnapshot& counters, int xCount, int yCount)
{
    xCount = std::min(xCount, ADVANCE_POSITIONS);
    yCount = std::min(yCount, ADVANCE_POSITIONS);
    std::string log = "XLED: \n";
    AppendHitEntries(log, counters.xHits, xCount);
    log += "\n\nYLED: \n";
    AppendHitEntries(log, counters.yHits, yCount);
    log += "\n\nX Interrupt:\n";
    AppendInterferenceEntries(log, counters.xInterference, xCount);
    log += "\n\nY Interrupt:\n";
    AppendInterferenceEntries(log, counters.yInterference, yCount);
    return log;
}

std::optional<AdvanceReport> BuildAdvanceReport(
    const AdvanceSnapshot& counters, int boardSize, const SerialId& serialId, std::time_t now)
{
    const auto board = std::find_if(ADVANCE_BOARDS.begin(), ADVANCE_BOARDS.end(),
        [boardSize](const AdvanceBoard& row) { return row.boardSize == boardSize; });
    if (board == ADVANCE_BOARDS.end())
        return std::nullopt;

    AdvanceReport report;
    report.advanceLog = BuildAdvanceLog(counters, board->xCount, board->yCount);
    report.missingX = MissingPositions(counters.xHits, board->xCount);
    report.missingY = MissingPositions(counters.yHits, board->yCount);
    report.xPositionText = PositionText(report.missingX, X_WORDS, boardSize);
    report.yPositionText = PositionText(report.missingY, Y_WORDS, boardSize);
    report.interferenceX = InterferencePositions(counters.xInterference, board->xCount);
    report.interferenceY = InterferencePositions(counters.yInterference, board->yCount);
    report.xListBoxText = ListBoxText(report.xPositionText, report.interferenceX);
    report.yListBoxText = ListBoxText(report.yPositionText, report.interferenceY);

    report.reportText = ReportHeader(boardSize, serialId, now);
    if (report.xPositionText.empty() && report.yPositionText.empty())
        report.reportText += "\tAll green,no problem have been found.";
    else
        report.reportText += "\t" + report.xPositionText + "\r\n\t" + report.yPositionText;
    report.reportText += InterferenceSection(report);
    return report;
}

} // namespace tarnscope
