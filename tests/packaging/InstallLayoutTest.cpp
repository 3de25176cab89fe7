#include "PackagingSupport.h"

#include <QImageReader>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

constexpr const char* INSTALLED_FILES[] = {
    "bin/tarnscope",
    "bin/tarnscope-cli",
    "lib/udev/rules.d/70-tarnscope.rules",
    "share/applications/tarnscope.desktop",
    "share/icons/hicolor/64x64/apps/tarnscope.png",
    "share/man/man1/tarnscope.1.gz",
    "share/man/man1/tarnscope-cli.1.gz",
    "share/doc/tarnscope/README.md",
};

constexpr const char* PROGRAMS[] = { "bin/tarnscope", "bin/tarnscope-cli" };

// The files below `sourceFolder` whose names end in one of `extensions`, by
// their paths from that folder.
std::vector<fs::path> SourceFiles(const std::string& sourceFolder, std::initializer_list<std::string> extensions)
{
    std::vector<fs::path> files;
    const fs::path folder = SourcePath(sourceFolder);
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (std::ranges::find(extensions, entry.path().extension().string()) != extensions.end())
            files.push_back(entry.path().lexically_relative(folder));
    return files;
}

// The value of `key` in the desktop entry, up to the first blank.
std::string DesktopValue(const std::string& entry, const std::string& key)
{
    std::smatch match;
    std::regex_search(entry, match, std::regex("(^|\n)" + key + "=([^ \n]*)"));
    return match[2].str();
}

TEST(InstallLayout, InstallsEveryFileWhereItIsLookedFor)
{
    TempFolder prefix;
    ASSERT_FALSE(prefix.Path().empty());
    const auto install = RunCommand(std::string("env -u DESTDIR '") + TARNSCOPE_CMAKE_COMMAND + "' --install '"
        + TARNSCOPE_BINARY_DIR + "' --prefix '" + prefix.Path().string() + "'");
    ASSERT_EQ(install.exitCode, 0) << install.output;
    const fs::path root = prefix.Path();

    for (const char* file : INSTALLED_FILES)
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    for (const char* program : PROGRAMS)
        EXPECT_NE(fs::status(root / program).permissions() & fs::perms::others_exec, fs::perms::none) << program;
    for (const auto& file : SourceFiles("scenarios", { ".json" }))
        EXPECT_TRUE(fs::is_regular_file(root / "share/tarnscope/scenarios" / file)) << file;
    // The README links into docs/, so docs/ keeps its shape beside it.
    for (const auto& file : SourceFiles("docs", { ".md", ".png" }))
        EXPECT_TRUE(fs::is_regular_file(root / "share/doc/tarnscope/docs" / file)) << file;

    // The menu finds the program and the icon theme finds the icon by these names.
    const std::string entry = ReadText(root / "share/applications/tarnscope.desktop");
    EXPECT_TRUE(fs::is_regular_file(root / "bin" / DesktopValue(entry, "Exec"))) << DesktopValue(entry, "Exec");
    const fs::path icon = root / "share/icons/hicolor/64x64/apps" / (DesktopValue(entry, "Icon") + ".png");
    ASSERT_TRUE(fs::is_regular_file(icon)) << icon;
    EXPECT_EQ(QImageReader(QString::fromStdString(icon.string())).size(), QSize(64, 64));
}

TEST(InstallLayout, DesktopEntryIsValid)
{
    if (!HaveTool("desktop-file-validate"))
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) is not installed";
    const auto run = RunCommand("desktop-file-validate '" + SourcePath("packaging/tarnscope.desktop").string() + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "");
}

} // namespace
} // namespace tarnscope
