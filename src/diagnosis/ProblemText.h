#pragma once

#include "device/Protocol.h"
#include "diagnosis/Analysis.h"

#include <ctime>
#include <string>
#include <vector>

namespace tarnscope {

// The 12 serial-id bytes as 24 upper-case hex digits.
std::string SerialIdHex(const SerialId& serialId);

// The text written into the diagnosis picture: model, local date, serial id
// and the problem LEDs of the merged lists, lines ending in "\r\n".
std::string BuildProblemText(int boardSize, const SerialId& serialId, const std::vector<ProblemLed>& mergedX,
    const std::vector<ProblemLed>& mergedY, std::time_t now);

} // namespace tarnscope
