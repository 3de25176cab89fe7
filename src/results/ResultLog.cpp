#include "results/ResultLog.h"

#include "results/TimeFormat.h"

#include <string_view>

namespace tarnscope {

namespace {

// Shift that hides the packet listing from a casual reader of the log.
constexpr unsigned char PACKET_LOG_SHIFT = 13;

void AppendWithCrLf(std::string& out, const std::string& text)
{
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
}

constexpr std::string_view HEX_DIGITS = "0123456789ABCDEF";

// "%02X" of every byte.
std::string HexBytes(const HidReport& bytes)
{
    std::string hex;
    for (const std::uint8_t byte : bytes) {
        hex += HEX_DIGITS[byte >> 4];
        hex += HEX_DIGITS[byte & 0x0F];
    }
    return hex;
}

} // namespace

std::string SidText(const SerialId& serialId)
{
    std::string text;
    for (const std::uint8_t byte : serialId) {
        if (byte > 0x0F)
            text += HEX_DIGITS[byte >> 4];
        text += HEX_DIGITS[byte & 0x0F];
    }
    return text;
}

std::string LogFileName(const SerialId& serialId)
{
    return SidText(serialId) + ".log";
}

std::string BuildLogBytes(const LogInputs& inputs)
{
    std::string text = "SID: " + SidText(inputs.serialId) + "\n\n";
    text += "Diagnosis date time: " + FormatLocalTime("%Y-%m-%d %H:%M:%S\n\n", inputs.saveTime);
    text += "Board Size:" + std::to_string(inputs.boardSize) + "\n";
    text += "Firmware: " + std::to_string(inputs.firmware) + "\n";
    text += "ExtarID:" + HexBytes(inputs.extraId) + "\n";
    text += "X Coordinate bad lights: \n";
    text += "\t" + inputs.xListText + "\n\n";
    text += "Y Coordinate bad lights: \n";
    text += "\t" + inputs.yListText + "\n\n";
    text += inputs.advanceLog;
    text += "\nAuto Ori data:\n";

    std::string bytes;
    bytes.reserve(text.size() + text.size() / 8 + inputs.packetLog.size());
    AppendWithCrLf(bytes, text);
    for (const char c : inputs.packetLog)
        bytes += static_cast<char>(static_cast<unsigned char>(c) + PACKET_LOG_SHIFT);
    return bytes;
}

} // namespace tarnscope
