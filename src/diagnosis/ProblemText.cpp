#include "diagnosis/ProblemText.h"

#include "results/TimeFormat.h"

#include <cstdio>

namespace tarnscope {

namespace {

std::string FormatInt(const char* pattern, int value)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

// One line per block: the model's item header, then the indices.
std::string LedPart(std::string part, const std::vector<ProblemLed>& leds, const char* itemHeader)
{
    int lastBlock = -1;
    for (const ProblemLed& led : leds) {
        if (led.block != lastBlock) {
            part += "\r\n" + FormatInt(itemHeader, led.block);
            lastBlock = led.block;
        }
        part += std::to_string(led.index) + ",";
    }
    part.pop_back();
    return part + "\r\n";
}

} // namespace

std::string SerialIdHex(const SerialId& serialId)
{
    std::string hex;
    for (const std::uint8_t byte : serialId)
        hex += FormatInt("%02X", byte);
    return hex;
}

std::string BuildProblemText(int boardSize, const SerialId& serialId, const std::vector<ProblemLed>& mergedX,
    const std::vector<ProblemLed>& mergedY, std::time_t now)
{
    std::string text = FormatInt("Model: %d\r\n\r\n", boardSize);
    text += "Date: " + FormatLocalTime("%Y-%m-%d %H:%M:%S\r\n\r\n", now);
    text += "SID: " + SerialIdHex(serialId) + "\r\n\r\n";
    // Without a model there was no analysis, hence no LED to list.
    const BoardModel* model = FindBoardModel(boardSize);
    if (model == nullptr)
        return text;
    if (!mergedX.empty())
        text += LedPart("Problem:\r\nX LED:", mergedX, model->xItemHeader);
    if (!mergedY.empty())
        text += LedPart("Y LED:", mergedY, model->yItemHeader);
    return text;
}

} // namespace tarnscope
