#include "troubleshoot/ColourTable.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

TEST(ColourTable, PacksRedGreenBlueIntoTheLowBytesInListOrder)
{
    const struct {
        const char* name;
        std::uint32_t red, green, blue;
    } expected[] = {
        { "Black", 0, 0, 0 },
        { "White", 255, 255, 255 },
        { "Grey", 127, 127, 127 },
        { "Red", 255, 0, 0 },
        { "Orange", 255, 127, 0 },
        { "Yellow", 255, 255, 0 },
        { "Green", 0, 255, 0 },
        { "Cyan", 0, 255, 255 },
        { "Blue", 0, 0, 255 },
        { "Fuchsia", 255, 0, 255 },
    };
    ASSERT_EQ(ColourTable.size(), std::size(expected));
    for (std::size_t i = 0; i < ColourTable.size(); ++i) {
        EXPECT_EQ(ColourTable[i].name, expected[i].name);
        EXPECT_EQ(ColourTable[i].colour, expected[i].red | expected[i].green << 8 | expected[i].blue << 16)
            << expected[i].name;
    }
}

TEST(InitialColourSelection, PicksFirstMatchElseCustomElseFirstItem)
{
    constexpr int fullList = CUSTOM_COLOUR_INDEX + 1;
    const struct {
        std::uint32_t colour;
        int itemCount;
        int expected;
    } cases[] = {
        { 0x000000FF, fullList, 3 }, // red
        { 0x00FFFFFF, fullList, 1 }, // white is the table entry, never the custom item
        { 0x00000000, fullList, 0 },
        { 0x00FF00FF, fullList, 9 },
        { 0x00123456, fullList, CUSTOM_COLOUR_INDEX },
        { 0xFF0000FF, fullList, CUSTOM_COLOUR_INDEX }, // the top byte takes part in the match
        { 0x00123456, CUSTOM_COLOUR_INDEX, 0 }, // custom item missing
        { 0x000000FF, 3, 0 },
        { 0x000000FF, 0, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(InitialColourSelection(c.colour, c.itemCount), c.expected)
            << std::hex << c.colour << " of " << std::dec << c.itemCount;
}

} // namespace
} // namespace tarnscope
