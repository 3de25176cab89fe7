#pragma once

#include "advance/AdvanceCounters.h"
#include "device/Protocol.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope {

// Raw listing of the counters for the saved log: the hit counts of X positions
// below xCount and Y positions below yCount, then the non-zero interference
// counts. Counts above ADVANCE_POSITIONS are taken as ADVANCE_POSITIONS.
std::string BuildAdvanceLog(const AdvanceSnapshot& counters, int xCount, int yCount);

// Everything a finished advance run shows and keeps.
struct AdvanceReport {
    std::string advanceLog;
    std::vector<int> missingX; // positions 2..xCount-3 never reported
    std::vector<int> missingY;
    std::string xPositionText; // missing positions by block, e.g. "X LED Position: \r\nX1 LED: 6=>8,16"
    std::string yPositionText; // begins with "\r\n" when not empty
    std::vector<int> interferenceX; // positions 0..xCount-3 with more than 5 interferences
    std::vector<int> interferenceY;
    std::string xListBoxText; // the position text and, with interference, "\r\nInterference: 3,4,"
    std::string yListBoxText;
    std::string reportText; // the text for the result view
};

// nullopt for a board size the advance report does not know; the caller then
// shows "Current is not support" and changes nothing.
std::optional<AdvanceReport> BuildAdvanceReport(
    const AdvanceSnapshot& counters, int boardSize, const SerialId& serialId, std::time_t now);

} // namespace tarnscope
