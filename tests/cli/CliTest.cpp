// tarnscope-cli end to end: the program against the shipped scenarios.
#include "cli/CliOptions.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int exitCode = -1;
    std::string out;
};

// Runs the program with its own home folder, so results never touch the user's.
class CliRunner {
public:
    explicit CliRunner(const std::string& name)
        : m_home(fs::temp_directory_path() / ("tarnscope-cli-" + name + "-" + std::to_string(::getpid())))
    {
        fs::remove_all(m_home);
        fs::create_directories(m_home);
    }
    ~CliRunner() { fs::remove_all(m_home); }

    CliResult operator()(const std::string& args) const
    {
        const std::string command = "env HOME='" + m_home.string() + "' QT_QPA_PLATFORM=offscreen '" + TARNSCOPE_CLI
            + "' " + args + " 2>/dev/null";
        CliResult run;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe)
            return run;
        std::array<char, 4096> buffer {};
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            run.out.append(buffer.data(), n);
        const int status = ::pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    fs::path Path(const std::string& name) const { return m_home / name; }
    const fs::path& Home() const { return m_home; }

private:
    fs::path m_home;
};

std::string Scenario(const std::string& name)
{
    return std::string(TARNSCOPE_SOURCE_DIR) + "/scenarios/" + name;
}

nlohmann::json Json(const CliResult& run)
{
    return nlohmann::json::parse(run.out, nullptr, false);
}

struct ChainCase {
    const char* scenario;
    int txChainResult;
    int rxChainResult;
    int exitCode;
};

void PrintTo(const ChainCase& c, std::ostream* out)
{
    *out << c.scenario;
}

class DiagnoseScenario : public ::testing::TestWithParam<ChainCase> { };

TEST_P(DiagnoseScenario, GivesTheChainResultsOfItsFaults)
{
    const ChainCase& c = GetParam();
    const CliRunner cli(c.scenario);
    const CliResult run = cli("diagnose --json --virtual " + Scenario(c.scenario));
    const nlohmann::json doc = Json(run);
    ASSERT_TRUE(doc.is_object()) << run.out;
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(doc["txChainResult"], c.txChainResult);
    EXPECT_EQ(doc["rxChainResult"], c.rxChainResult);
    EXPECT_EQ(doc["title"], "ZEPHYRA BOARD Troubleshooting Tools,Diagnosis compelete!");
    EXPECT_EQ(doc["board"]["size"], 82);
    ASSERT_TRUE(doc["picture"].is_string());
    EXPECT_TRUE(fs::exists(doc["picture"].get<std::string>()));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, DiagnoseScenario,
    ::testing::Values(ChainCase { "healthy.json", -1, -1, EXIT_NOTHING_FOUND },
        ChainCase { "tx-chain-run.json", 1, -1, EXIT_PROBLEMS_FOUND },
        ChainCase { "rx-chain-run.json", -1, 0, EXIT_PROBLEMS_FOUND },
        ChainCase { "x-scattered.json", 20, -1, EXIT_PROBLEMS_FOUND },
        ChainCase { "scattered.json", 1000, -1, EXIT_PROBLEMS_FOUND }),
    [](const auto& info) {
        std::string name = info.param.scenario;
        name = name.substr(0, name.find('.'));
        std::erase(name, '-');
        return name;
    });

TEST(Diagnose, DumpedStateAnalysesToTheSameDocumentAndSaves)
{
    const CliRunner cli("dump");
    const fs::path state = cli.Path("state.json");
    const fs::path archive = cli.Path("result.rep");
    const CliResult diagnosed
        = cli("diagnose --json --virtual --dump-state '" + state.string() + "' --save '" + archive.string() + "'");
    ASSERT_EQ(diagnosed.exitCode, EXIT_PROBLEMS_FOUND) << diagnosed.out;
    nlohmann::json live = Json(diagnosed);
    EXPECT_EQ(live["saved"], archive.string());
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_FALSE(live["problemLeds"]["emitterX"].empty());

    const CliResult analysed = cli("analyse --json '" + state.string() + "'");
    EXPECT_EQ(analysed.exitCode, EXIT_PROBLEMS_FOUND);
    nlohmann::json replay = Json(analysed);
    for (const char* key : { "title", "saved" }) {
        live.erase(key);
        replay.erase(key);
    }
    EXPECT_EQ(replay, live);
}

TEST(Diagnose, SilentFrameGivesNoDiagnosis)
{
    const CliRunner cli("silent");
    EXPECT_EQ(cli("diagnose --virtual " + Scenario("silent-frame.json")).exitCode, EXIT_NO_DIAGNOSIS);
}

TEST(Diagnose, NoFrameWithinTheWaitGivesNoDiagnosis)
{
    const CliRunner cli("none");
    std::ofstream(cli.Path("empty.json")) << R"({"frames": []})";
    EXPECT_EQ(
        cli("diagnose --wait 0.3 --virtual '" + cli.Path("empty.json").string() + "'").exitCode, EXIT_NO_DIAGNOSIS);
}

TEST(Diagnose, UnwritableSaveKeepsTheResultsAndFails)
{
    const CliRunner cli("unwritable");
    const CliResult run = cli("diagnose --json --virtual --save /proc/tarnscope/result.rep");
    EXPECT_EQ(run.exitCode, EXIT_SAVE_FAILED);
    const nlohmann::json doc = Json(run);
    EXPECT_TRUE(doc["saved"].is_null());
    ASSERT_TRUE(doc["picture"].is_string());
    EXPECT_TRUE(fs::exists(doc["picture"].get<std::string>())) << "the results folder is kept";
}

TEST(Advance, ListsTheDeadSpotsAndInterferenceOfItsScenario)
{
    const CliRunner cli("advance");
    const CliResult run = cli("advance --json --pass x --seconds 6 --virtual " + Scenario("advance.json"));
    const nlohmann::json doc = Json(run);
    ASSERT_TRUE(doc.is_object()) << run.out;
    EXPECT_EQ(run.exitCode, EXIT_PROBLEMS_FOUND);
    EXPECT_EQ(doc["missing"]["x"], (std::vector<int> { 70, 71, 72, 80 }));
    EXPECT_EQ(doc["interference"]["x"], (std::vector<int> { 100 }));
    EXPECT_EQ(doc["xList"], "X LED Position: \r\nX1 LED: 6=>8,16\r\nInterference: 100,");
}

TEST(Usage, HelpAndErrors)
{
    const CliRunner cli("usage");
    const CliResult help = cli("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
    for (const char* args : { "frobnicate", "diagnose --wait", "diagnose --bogus", "analyse", "advance --pass z" })
        EXPECT_EQ(cli(args).exitCode, EXIT_USAGE) << args;
}

} // namespace
} // namespace tarnscope
