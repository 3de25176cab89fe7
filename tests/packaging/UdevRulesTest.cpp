#include "PackagingSupport.h"
#include "device/FrameLink.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <regex>
#include <sstream>
#include <utility>
#include <vector>

namespace tarnscope {
namespace {

using IdPair = std::pair<std::uint16_t, std::uint16_t>;

// A rule line grants the seat's user access to one frame's hidraw nodes and
// does nothing else: no MODE, GROUP, RUN or other keys.
std::optional<IdPair> ParseRuleLine(const std::string& line)
{
    static const std::regex rule(R"re(SUBSYSTEM=="hidraw", ATTRS\{idVendor\}=="([0-9a-f]{4})", )re"
                                 R"re(ATTRS\{idProduct\}=="([0-9a-f]{4})", TAG\+="uaccess")re");
    std::smatch match;
    if (!std::regex_match(line, match, rule))
        return std::nullopt;
    return IdPair { static_cast<std::uint16_t>(std::stoi(match[1], nullptr, 16)),
        static_cast<std::uint16_t>(std::stoi(match[2], nullptr, 16)) };
}

TEST(UdevRules, GrantEachKnownFrameExactlyOnce)
{
    std::istringstream rules(ReadText(SourcePath("packaging/70-tarnscope.rules")));
    std::vector<IdPair> granted;
    for (std::string line; std::getline(rules, line);) {
        if (line.empty() || line.starts_with('#'))
            continue;
        const auto ids = ParseRuleLine(line);
        EXPECT_TRUE(ids) << "not a plain access rule: " << line;
        if (ids)
            granted.push_back(*ids);
    }

    std::vector<IdPair> known;
    for (const KnownFrameId& id : KNOWN_FRAME_IDS)
        known.emplace_back(id.vendorId, id.productId);
    std::ranges::sort(granted);
    std::ranges::sort(known);
    EXPECT_EQ(granted, known);
}

TEST(UdevRules, LineCheckRejectsAnythingButTheAccessRule)
{
    EXPECT_EQ(
        ParseRuleLine(R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="04b4", ATTRS{idProduct}=="c001", TAG+="uaccess")"),
        IdPair(0x04B4, 0xC001));

    const char* const rejected[] = {
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="A3F0", ATTRS{idProduct}=="d400", TAG+="uaccess")",
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d40", TAG+="uaccess")",
        R"(SUBSYSTEM=="usb", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d400", TAG+="uaccess")",
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d400", TAG=="uaccess")",
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d400")",
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d400", TAG+="uaccess", MODE="0666")",
        R"(SUBSYSTEM=="hidraw", ATTRS{idVendor}=="a3f0", ATTRS{idProduct}=="d400", \)",
    };
    for (const char* line : rejected)
        EXPECT_FALSE(ParseRuleLine(line)) << line;
}

} // namespace
} // namespace tarnscope
