#include "sim/Scenario.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace tarnscope {
namespace {

const std::filesystem::path SCENARIO_DIR = std::filesystem::path(TARNSCOPE_SOURCE_DIR) / "scenarios";

Scenario Parse(const std::string& text)
{
    std::string error;
    Scenario scenario = ParseScenarioJson(text, error);
    EXPECT_EQ(error, "") << text;
    return scenario;
}

TEST(ScenarioJson, EmptyObjectIsOneHealthyFramePluggedAtStart)
{
    FrameSpec frame;
    frame.name = "frame1";
    Scenario expected;
    expected.frames = { frame };
    expected.timeline = { { 0, TimelineEvent::Action::Plug, "frame1" } };

    EXPECT_EQ(Parse("{}"), expected);
    EXPECT_EQ(frame.vendorId, 0xA3F0);
    EXPECT_EQ(frame.productId, 0xD400);
    EXPECT_EQ(frame.boardSize, 82);
    EXPECT_EQ(frame.faults, FrameFaults {});
}

TEST(ScenarioJson, ReadsEveryField)
{
    const Scenario parsed = Parse(R"({
        "seed": 4000000000,
        "frames": [{
            "name": "left", "kind": "frame", "vendorId": "0x04b4", "productId": "C001",
            "interfaces": "one", "boardSize": 89, "firmware": 7,
            "serialId": "A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC", "serialOffset": 30,
            "identifyStatus": "05", "extraId": "08DC11", "packetsPerSecond": 0, "numbering": "packetNumber",
            "faults": {
                "deadEmitters": { "x": [3, 383] }, "weakReceivers": { "y": [223] },
                "deadEmitterBlocks": { "x": [5] }, "weakReceiverBlocks": { "y": [0, 3] },
                "emitterChainBreakAfter": 9, "receiverChainBreakAfter": 0, "noise": 0.25,
                "neverAnswerIdentify": true, "neverConfirmScan": true, "answerDelayMs": 250, "malformedRate": 1
            },
            "advance": {
                "reportsPerSecond": 40, "deadPositions": { "x": [70, 71], "y": [5] },
                "interferencePositions": { "x": [100] }, "interferenceRate": 0.5
            }
        },
        { "name": "mouse", "kind": "mouse" }],
        "timeline": [
            { "atMs": 3000, "unplug": "left" },
            { "atMs": 0, "plug": "left" },
            { "atMs": 3000, "plug": "mouse" }
        ]
    })");

    FrameSpec left;
    left.name = "left";
    left.vendorId = 0x04B4;
    left.productId = 0xC001;
    left.interfaces = InterfaceLayout::One;
    left.boardSize = 89;
    left.firmware = 7;
    left.serialId = { 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC };
    left.serialOffset = 30;
    left.identifyStatus = 0x05;
    left.extraId = HidReport { 0x08, 0xDC, 0x11 };
    left.packetsPerSecond = 0;
    left.numbering = PacketNumbering::PacketNumber;
    left.faults = { .deadEmitters = { { 3, 383 }, {} },
        .weakReceivers = { {}, { 223 } },
        .deadEmitterBlocks = { { 5 }, {} },
        .weakReceiverBlocks = { {}, { 0, 3 } },
        .emitterChainBreakAfter = 9,
        .receiverChainBreakAfter = 0,
        .noise = 0.25,
        .neverAnswerIdentify = true,
        .neverConfirmScan = true,
        .answerDelayMs = 250,
        .malformedRate = 1.0 };
    left.advance = { .reportsPerSecond = 40,
        .deadPositions = { { 70, 71 }, { 5 } },
        .interferencePositions = { { 100 }, {} },
        .interferenceRate = 0.5 };
    FrameSpec mouse;
    mouse.name = "mouse";
    mouse.kind = DeviceKind::Mouse;
    mouse.vendorId = 0x046D;
    mouse.productId = 0xC077;

    Scenario expected;
    expected.seed = 4000000000u;
    expected.frames = { left, mouse };
    // Sorted by time; events at the same time keep their order.
    expected.timeline = { { 0, TimelineEvent::Action::Plug, "left" }, { 3000, TimelineEvent::Action::Unplug, "left" },
        { 3000, TimelineEvent::Action::Plug, "mouse" } };
    EXPECT_EQ(parsed, expected);
}

TEST(ScenarioJson, BadInputGivesAnErrorAndAnEmptyScenario)
{
    const struct {
        const char* json;
        const char* errorPart;
    } cases[] = {
        { "{ \"frames\": [ ", "not valid JSON" },
        { "[]", "scenario: expected an object" },
        { R"({ "frames": {} })", "scenario.frames: expected an array" },
        { R"({ "frames": [{ "boardSize": 47 }] })", "47 is not a known board size (55, 64, 78, 82, 89, 96, 97, 102)" },
        { R"({ "frames": [{ "boardSize": "82" }] })", "frames[0].boardSize: expected an integer" },
        { R"({ "frames": [{ "serialId": "0102030405060708090A0B0Z" }] })", "\"0Z\" is not a hex byte" },
        { R"({ "frames": [{ "serialId": "0102" }] })", "serialId: expected 12 bytes" },
        { R"({ "frames": [{ "vendorId": "A3F" }] })", "vendorId: expected an even number of hex digits" },
        { R"({ "frames": [{ "extraId": "0955" }] })", "extraId: expected 2 to 64 bytes beginning with 08DC" },
        { R"({ "frames": [{ "serialOffset": 51 }] })", "serialOffset: 51 is outside 6..50" },
        { R"({ "frames": [{ "numbering": "sometimes" }] })",
            "\"sometimes\" is not one of \"trailer\", \"packetNumber\"" },
        { R"({ "frames": [{ "faults": { "deadEmiters": { "x": [5] } } }] })", "faults.deadEmiters: unknown key" },
        { R"({ "frames": [{ "faults": { "deadEmitters": { "x": [336] } } }] })",
            "deadEmitters.x[0]: 336 is outside 0..335" },
        { R"({ "frames": [{ "faults": { "weakReceivers": { "y": [1, -1] } } }] })", "weakReceivers.y[1]" },
        { R"({ "frames": [{ "faults": { "deadEmitterBlocks": { "y": [4] } } }] })", "4 is outside 0..3" },
        { R"({ "frames": [{ "faults": { "emitterChainBreakAfter": 10 } }] })", "10 is outside -1..9" },
        { R"({ "frames": [{ "faults": { "noise": 1.5 } }] })", "noise: expected a probability" },
        { R"({ "frames": [{}, { "name": "frame1" }] })", "two frames are named \"frame1\"" },
        { R"({ "timeline": [{ "atMs": 5, "plug": "nobody" }] })", "timeline[0].plug: no frame is named \"nobody\"" },
        { R"({ "timeline": [{ "atMs": 5, "plug": "frame1", "unplug": "frame1" }] })", "exactly one of" },
        { R"({ "timeline": [{ "atMs": -5, "plug": "frame1" }] })", "atMs: -5 is outside" },
    };
    for (const auto& c : cases) {
        std::string error;
        const Scenario scenario = ParseScenarioJson(c.json, error);
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << "error: " << error << "\njson: " << c.json;
        EXPECT_EQ(scenario, Scenario {}) << c.json;
    }
}

TEST(ScenarioJson, AnAxisWithoutAnyLiveAdvancePositionIsRejected)
{
    std::string positions;
    for (int p = 0; p < 224; ++p)
        positions += (p ? "," : "") + std::to_string(p);
    std::string error;
    ParseScenarioJson(
        R"({ "frames": [{ "boardSize": 89, "advance": { "deadPositions": { "y": [)" + positions + "] } } }] }", error);
    EXPECT_NE(error.find("every position of the axis is dead"), std::string::npos) << error;
}

TEST(ScenarioFiles, MissingFileIsAnError)
{
    std::string error;
    EXPECT_FALSE(LoadScenarioFile((SCENARIO_DIR / "no-such-file.json").string(), error));
    EXPECT_NE(error.find("no-such-file.json: cannot be read"), std::string::npos) << error;
}

TEST(ScenarioFiles, EveryShippedScenarioParses)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(SCENARIO_DIR)) {
        if (entry.path().extension() != ".json")
            continue;
        std::string error;
        const auto scenario = LoadScenarioFile(entry.path().string(), error);
        EXPECT_TRUE(scenario.has_value()) << error;
        EXPECT_FALSE(scenario && scenario->frames.empty()) << entry.path();
        names.push_back(entry.path().filename().string());
    }
    std::ranges::sort(names);
    const std::vector<std::string> expected { "advance.json", "default.json", "healthy.json", "one-interface.json",
        "rx-chain-run.json", "scattered.json", "silent-frame.json", "two-frames.json", "tx-chain-run.json",
        "unplug-mid-scan.json", "x-scattered.json" };
    EXPECT_TRUE(std::ranges::includes(names, expected)) << "shipped: " << testing::PrintToString(names);
}

TEST(ScenarioFiles, DocumentedExampleParses)
{
    std::ifstream doc(std::filesystem::path(TARNSCOPE_SOURCE_DIR) / "docs" / "virtual-frame.md");
    const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
    const auto begin = text.find("```json\n");
    ASSERT_NE(begin, std::string::npos);
    const auto end = text.find("```", begin + 8);
    const Scenario scenario = Parse(text.substr(begin + 8, end - begin - 8));
    ASSERT_EQ(scenario.frames.size(), 2u);
    EXPECT_EQ(scenario.frames[0].advance.deadPositions.x, (std::vector<int> { 70, 71, 72, 80 }));
    EXPECT_EQ(scenario.timeline.size(), 3u);
}

TEST(ScenarioFiles, DefaultFileIsTheDefaultScenario)
{
    std::string error;
    const auto scenario = LoadScenarioFile((SCENARIO_DIR / "default.json").string(), error);
    ASSERT_TRUE(scenario) << error;
    EXPECT_EQ(*scenario, DefaultScenario());
}

TEST(ScenarioExtraId, DerivedFromTheSerialUnlessConfigured)
{
    FrameSpec frame;
    const HidReport derived = ExtraIdReport(frame);
    EXPECT_EQ(derived[0], 0x08);
    EXPECT_EQ(derived[1], 0xDC);
    EXPECT_EQ(derived[2], 12);
    EXPECT_TRUE(std::equal(frame.serialId.begin(), frame.serialId.end(), derived.begin() + 3));
    EXPECT_TRUE(std::all_of(derived.begin() + 15, derived.begin() + 63, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(derived[63], 0x55);

    frame.extraId = HidReport { 0x08, 0xDC, 0x99 };
    EXPECT_EQ(ExtraIdReport(frame), *frame.extraId);
}

} // namespace
} // namespace tarnscope
