#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarnscope {

// A colour value is 0x00BBGGRR: red in bits 0-7, green 8-15, blue 16-23.
struct ColourEntry {
    std::string_view name;
    std::uint32_t colour;
};

// The fixed colours of the colour lists, in list order.
inline constexpr std::array<ColourEntry, 10> ColourTable { {
    { "Black", 0x00000000 },
    { "White", 0x00FFFFFF },
    { "Grey", 0x007F7F7F },
    { "Red", 0x000000FF },
    { "Orange", 0x00007FFF },
    { "Yellow", 0x0000FFFF },
    { "Green", 0x0000FF00 },
    { "Cyan", 0x00FFFF00 },
    { "Blue", 0x00FF0000 },
    { "Fuchsia", 0x00FF00FF },
} };

// The item after the fixed colours; picking it opens the colour chooser.
inline constexpr std::string_view CUSTOM_COLOUR_NAME = "Custom...";
inline constexpr std::uint32_t CUSTOM_COLOUR_START = 0x00FFFFFF;
inline constexpr int CUSTOM_COLOUR_INDEX = static_cast<int>(ColourTable.size());

// The item a colour list selects when filled: the first fixed colour equal to
// `colour`, else the custom item; an index not below `itemCount` gives 0.
int InitialColourSelection(std::uint32_t colour, int itemCount);

} // namespace tarnscope
