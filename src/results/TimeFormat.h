#pragma once

#include <ctime>
#include <string>

namespace tarnscope {

// `time` in local time, formatted with a strftime pattern. Empty when the
// conversion fails or the text would not fit in 127 characters.
std::string FormatLocalTime(const std::string& pattern, std::time_t time);

} // namespace tarnscope
