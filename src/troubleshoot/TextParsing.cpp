#include "troubleshoot/TextParsing.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace tarnscope {

namespace {

// '0' deliberately counts as nothing, like every non-hex byte.
int HexDigitValue(char c)
{
    if (c >= '1' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::uint8_t ParseHexByte(const std::string& text)
{
    const std::size_t kept = std::min<std::size_t>(text.size(), 2);
    int value = 0;
    for (std::size_t i = 0; i < kept; ++i)
        value = value * 16 + HexDigitValue(text[i]);
    return static_cast<std::uint8_t>(value);
}

std::int32_t ParseDecimal(const std::string& text)
{
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();

    auto it = std::find_if_not(text.begin(), text.end(), IsSpace);
    const bool negative = it != text.end() && *it == '-';
    if (it != text.end() && (*it == '-' || *it == '+'))
        ++it;
    // One past the 32-bit range is enough to know the value must be clamped.
    std::int64_t magnitude = 0;
    for (; it != text.end() && IsDigit(*it) && magnitude <= highest + 1; ++it)
        magnitude = magnitude * 10 + (*it - '0');
    return static_cast<std::int32_t>(std::clamp(negative ? -magnitude : magnitude, lowest, highest));
}

std::string FormatHexByte(std::uint8_t value)
{
    char buffer[3];
    std::snprintf(buffer, sizeof buffer, "%02X", value);
    return buffer;
}

std::string LightRangeText(int rangeIndex)
{
    const long long first = 64LL * rangeIndex;
    return " " + std::to_string(first) + " <====> " + std::to_string(first + 63) + " ";
}

} // namespace tarnscope
