#include "troubleshoot/TextParsing.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarnscope {
namespace {

TEST(ParseHexByte, WeighsTheFirstTwoBytesAndSkipsZeroAndNonHex)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        { "FF", 0xFF },
        { "ff", 0xFF },
        { "8", 0x08 },
        { "a", 0x0A },
        { "123", 0x12 },
        { "5G", 0x50 },
        { "G5", 0x05 },
        { "", 0x00 },
        { "7F0", 0x7F },
        { "0", 0x00 },
        { "00", 0x00 },
        { "z", 0x00 },
        { "10", 0x10 },
        { "A0", 0xA0 },
        { "\xC3\xA9", 0x00 },
        { " 9", 0x09 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseHexByte(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ParseHexByte, ReadsBackEveryFormattedByte)
{
    for (int value = 0; value <= 0xFF; ++value) {
        const std::string text = FormatHexByte(static_cast<std::uint8_t>(value));
        ASSERT_EQ(text.size(), 2u);
        EXPECT_EQ(ParseHexByte(text), value) << text;
    }
    EXPECT_EQ(FormatHexByte(0x0A), "0A");
    EXPECT_EQ(FormatHexByte(0xBC), "BC");
}

TEST(ParseDecimal, ReadsLikeTheSettingsDialog)
{
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        { "  -12abc", -12 },
        { "42", 42 },
        { "+7", 7 },
        { "\t\n 3", 3 },
        { "1 2", 1 },
        { "", 0 },
        { "abc", 0 },
        { "-", 0 },
        { " - 5", 0 },
        { "2147483647", highest },
        { "-2147483648", lowest },
        { "2147483648", highest },
        { "-2147483649", lowest },
        { "99999999999999999999999", highest },
        { "-99999999999999999999999", lowest },
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseDecimal(c.text), c.expected) << '"' << c.text << '"';
}

TEST(LightRangeText, SpansSixtyFourPositionsWithBlanksAround)
{
    EXPECT_EQ(LightRangeText(0), " 0 <====> 63 ");
    EXPECT_EQ(LightRangeText(1), " 64 <====> 127 ");
    EXPECT_EQ(LightRangeText(LIGHT_RANGE_COUNT - 1), " 320 <====> 383 ");
}

} // namespace
} // namespace tarnscope
