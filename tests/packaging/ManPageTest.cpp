#include "PackagingSupport.h"
#include "cli/CliOptions.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace tarnscope {
namespace {

// The page's text with roff's escaped hyphens ("\-") made plain.
std::string ManPageText(const std::string& name)
{
    return std::regex_replace(ReadText(SourcePath("packaging/man/" + name)), std::regex(R"(\\-)"), "-");
}

std::set<std::string> AllMatches(const std::string& text, const std::regex& pattern, int group = 0)
{
    std::set<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        found.insert((*it)[group].str());
    return found;
}

TEST(ManPages, CliPageNamesEveryCommandAndOptionOfTheUsage)
{
    const std::string usage = CLI_USAGE;
    const std::string page = ManPageText("tarnscope-cli.1");
    const auto options = AllMatches(usage, std::regex("--[a-z][a-z-]*"));
    const auto commands = AllMatches(usage, std::regex(R"(tarnscope-cli ([a-z]+))"), 1);
    ASSERT_FALSE(options.empty());
    ASSERT_FALSE(commands.empty());
    for (const auto& word : options)
        EXPECT_NE(page.find(word), std::string::npos) << word;
    for (const auto& command : commands)
        EXPECT_NE(page.find("tarnscope-cli " + command), std::string::npos) << command;
}

TEST(ManPages, CliPageListsExactlyTheExitCodes)
{
    const std::string page = ManPageText("tarnscope-cli.1");
    const auto begin = page.find(".SH EXIT STATUS");
    ASSERT_NE(begin, std::string::npos);
    const std::string section = page.substr(begin, page.find(".SH", begin + 1) - begin);

    const std::set<std::string> documented = AllMatches(section, std::regex(R"(\.B ([0-9]+)\n)"), 1);
    const std::set<std::string> codes = { std::to_string(EXIT_NOTHING_FOUND), std::to_string(EXIT_PROBLEMS_FOUND),
        std::to_string(EXIT_NO_DIAGNOSIS), std::to_string(EXIT_SAVE_FAILED), std::to_string(EXIT_USAGE) };
    EXPECT_EQ(documented, codes);
}

TEST(ManPages, FormatWithoutWarnings)
{
    if (!HaveTool("groff"))
        GTEST_SKIP() << "groff is not installed";
    for (const char* name : { "tarnscope.1", "tarnscope-cli.1" }) {
        const auto run = RunCommand("groff -man -ww -z -Tutf8 '" + SourcePath("packaging/man/").string() + name + "'");
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.output, "") << name;
    }
}

} // namespace
} // namespace tarnscope
