#pragma once

#include <cstdint>

namespace tarnscope {

// Result of every CHIDDevice operation. Code 6 is never used.
enum class HidStatus : std::uint8_t {
    Success = 0,
    NoMatch = 1, // no present interface matched the ids at the requested index
    NotOpen = 2,
    AlreadyOpen = 3,
    Timeout = 4, // the transfer did not finish in time and was abandoned
    TransferFailed = 5, // includes "the frame is gone"
    StaleHandleReset = 7, // open flag over an invalid handle; the object was reset
    BadReportLengths = 8, // output length below 64, input length above 64 or no input buffers
};

constexpr int toInt(HidStatus s)
{
    return static_cast<int>(s);
}

} // namespace tarnscope
