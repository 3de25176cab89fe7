#pragma once

#include "device/Protocol.h"

#include <ctime>
#include <string>

namespace tarnscope {

// What the saved log is made of. Texts hold one byte per character (Latin-1,
// as the window's texts convert); the packet log is a copy the caller took
// under the queue lock.
struct LogInputs {
    SerialId serialId {};
    int boardSize = 0;
    int firmware = 0;
    HidReport extraId {};
    std::string xListText;
    std::string yListText;
    std::string advanceLog;
    std::string packetLog;
    std::time_t saveTime = 0;
};

// The serial id as the log names it: each byte "%X", so 0x05 gives "5".
std::string SidText(const SerialId& serialId);

// The log file name inside the results folder.
std::string LogFileName(const SerialId& serialId);

// The log file's bytes. Every line feed of the texts is written as CR LF, except
// in the packet listing, which is shifted by 13 per byte so its line feeds
// become 0x17 and stay single.
std::string BuildLogBytes(const LogInputs& inputs);

} // namespace tarnscope
