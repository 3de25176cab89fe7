#include "troubleshoot/ColourTable.h"

#include <algorithm>

namespace tarnscope {

int InitialColourSelection(std::uint32_t colour, int itemCount)
{
    const auto match = std::find_if(
        ColourTable.begin(), ColourTable.end(), [colour](const ColourEntry& entry) { return entry.colour == colour; });
    const int index = static_cast<int>(match - ColourTable.begin()); // CUSTOM_COLOUR_INDEX when none matches
    return index < itemCount ? index : 0;
}

} // namespace tarnscope
