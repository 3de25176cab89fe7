#include "cli/CliOptions.h"

#include "device/Protocol.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

std::optional<CliOptions> Parse(std::vector<std::string> args)
{
    std::string error;
    return ParseCliOptions(args, error);
}

TEST(CliOptions, ReadsEachCommandsOptions)
{
    const auto diagnose
        = Parse({ "diagnose", "--virtual", "s.json", "--json", "--wait", "2.5", "--dump-state", "d", "--save", "r" });
    ASSERT_TRUE(diagnose);
    EXPECT_EQ(diagnose->command, CliCommand::Diagnose);
    EXPECT_TRUE(diagnose->useVirtual);
    EXPECT_EQ(diagnose->scenarioPath, "s.json");
    EXPECT_TRUE(diagnose->json);
    EXPECT_EQ(diagnose->waitSeconds, 2.5);
    EXPECT_EQ(diagnose->dumpStatePath, "d");
    EXPECT_EQ(diagnose->savePath, "r");

    const auto builtIn = Parse({ "diagnose", "--virtual", "--json" });
    ASSERT_TRUE(builtIn);
    EXPECT_TRUE(builtIn->useVirtual);
    EXPECT_FALSE(builtIn->scenarioPath);

    const auto advance = Parse({ "advance", "--pass", "y", "--pass", "x", "--seconds", "3" });
    ASSERT_TRUE(advance);
    EXPECT_EQ(advance->passes, (std::vector<int> { SCAN_AXIS_Y, SCAN_AXIS_X }));
    EXPECT_EQ(advance->passSeconds, 3);
    EXPECT_EQ(Parse({ "advance" })->passes, (std::vector<int> { SCAN_AXIS_X, SCAN_AXIS_Y }));

    EXPECT_EQ(Parse({ "analyse", "state.json" })->statePath, "state.json");
    EXPECT_EQ(Parse({})->command, CliCommand::Help);
    EXPECT_EQ(Parse({ "diagnose", "--help" })->command, CliCommand::Help);
}

TEST(CliOptions, RejectsWhatACommandDoesNotTake)
{
    const std::vector<std::vector<std::string>> bad = {
        { "scan" },
        { "diagnose", "--wait", "-1" },
        { "diagnose", "--wait", "soon" },
        { "diagnose", "--pass", "x" },
        { "analyse" },
        { "analyse", "a.json", "b.json" },
        { "analyse", "a.json", "--virtual" },
        { "advance", "--save", "r.rep" },
        { "advance", "--seconds" },
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(ParseCliOptions(args, error)) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace tarnscope
