#include "results/TimeFormat.h"

#include <array>

namespace tarnscope {

std::string FormatLocalTime(const std::string& pattern, std::time_t time)
{
    std::tm local {};
    if (localtime_r(&time, &local) == nullptr)
        return {};
    std::array<char, 128> buffer {};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), pattern.c_str(), &local);
    return std::string(buffer.data(), length);
}

} // namespace tarnscope
