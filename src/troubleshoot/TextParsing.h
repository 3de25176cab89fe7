#pragma once

#include <cstdint>
#include <string>

namespace tarnscope {

// Texts of the settings dialog's edit boxes and light range list.

// Reads at most the first two bytes as hexadecimal digits with weights 16 and
// 1 (a single byte has weight 1). '0' and every non-hex byte add nothing but
// keep their place: "5G" -> 0x50, "G5" -> 5, "123" -> 0x12, "" -> 0.
std::uint8_t ParseHexByte(const std::string& text);

// Leading white space and one sign, then decimal digits up to the first other
// character; no digits give 0. Values beyond 32 bits are clamped.
std::int32_t ParseDecimal(const std::string& text);

// Two upper-case hexadecimal digits, e.g. "7F".
std::string FormatHexByte(std::uint8_t value);

// Number of light ranges of 64 LED positions each that the dialog offers.
constexpr int LIGHT_RANGE_COUNT = 6;

// " %d <====> %d " for positions 64k to 64k + 63.
std::string LightRangeText(int rangeIndex);

} // namespace tarnscope
