// Saving when the disk refuses: a folder that may not be written and a
// filesystem that is full. The save must fail, say so, and keep every result.
#include "FakeSeams.h"
#include "TestFiles.h"
#include "results/ResultLog.h"
#include "results/ResultsFolder.h"
#include "results/SaveResults.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sys/mount.h>
#include <unistd.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

constexpr std::time_t SAVE_TIME = 1709622489;
constexpr const char* PICTURE_NAME = "123456789ABC.png";
constexpr const char* ARCHIVE_FAILED_TEXT = "Open file for write failed,save result faile.";

// Random bytes do not compress, so the archive is at least this large.
std::string IncompressiblePicture()
{
    std::mt19937 random(3);
    std::string bytes(64 * 1024, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// A tmpfs mounted for the test, or the reason it could not be.
class ScopedTmpfs {
public:
    ScopedTmpfs(const std::string& path, unsigned long flags, const char* options)
        : m_path(path)
    {
        fs::create_directory(path);
        m_mounted = ::mount("tmpfs", path.c_str(), "tmpfs", flags, options) == 0;
    }
    ~ScopedTmpfs()
    {
        if (m_mounted)
            ::umount2(m_path.c_str(), MNT_DETACH);
    }
    ScopedTmpfs(const ScopedTmpfs&) = delete;
    ScopedTmpfs& operator=(const ScopedTmpfs&) = delete;
    bool mounted() const { return m_mounted; }

private:
    std::string m_path;
    bool m_mounted = false;
};

struct Place {
    std::string archivePath; // empty: this machine cannot make the fault
    std::string skipReason;
};

struct DiskFault {
    const char* name;
    // Prepares the fault inside `scratch` and says where the archive goes.
    Place (*prepare)(const std::string& scratch, std::unique_ptr<ScopedTmpfs>& mount);
};

const DiskFault FAULTS[] = {
    { "folder under /proc",
        [](const std::string&, std::unique_ptr<ScopedTmpfs>&) {
            return Place { "/proc/tarnscope-saved.rep", "" };
        } },
    { "file used as a folder",
        [](const std::string& scratch, std::unique_ptr<ScopedTmpfs>&) {
            test::WriteFile(scratch + "/not-a-folder", "x");
            return Place { scratch + "/not-a-folder/saved.rep", "" };
        } },
    { "folder without write permission",
        [](const std::string& scratch, std::unique_ptr<ScopedTmpfs>&) {
            const std::string folder = scratch + "/read-only";
            fs::create_directory(folder);
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
            if (::access(folder.c_str(), W_OK) == 0)
                return Place { "", "permission bits do not stop this user (root)" };
            return Place { folder + "/saved.rep", "" };
        } },
    { "read-only filesystem",
        [](const std::string& scratch, std::unique_ptr<ScopedTmpfs>& mount) {
            mount = std::make_unique<ScopedTmpfs>(scratch + "/ro", MS_RDONLY, "size=64k");
            if (!mount->mounted())
                return Place { "", "cannot mount a tmpfs here" };
            return Place { scratch + "/ro/saved.rep", "" };
        } },
    { "full device",
        [](const std::string& scratch, std::unique_ptr<ScopedTmpfs>&) {
            // A link, so that removing the failed archive removes the link only.
            fs::create_symlink("/dev/full", scratch + "/full.rep");
            return Place { scratch + "/full.rep", "" };
        } },
    { "filesystem that fills up",
        [](const std::string& scratch, std::unique_ptr<ScopedTmpfs>& mount) {
            mount = std::make_unique<ScopedTmpfs>(scratch + "/small", 0, "size=16k");
            if (!mount->mounted())
                return Place { "", "cannot mount a tmpfs here" };
            return Place { scratch + "/small/saved.rep", "" };
        } },
};

class DiskFaultTest : public testing::TestWithParam<DiskFault> {
protected:
    test::TempDir m_documents;
    test::TempDir m_scratch;
    std::unique_ptr<ScopedTmpfs> m_mount;
    test::ScriptedPrompt m_prompt;
    test::FixedClock m_clock { SAVE_TIME };
};

TEST_P(DiskFaultTest, SaveFailsTellsTheUserAndKeepsTheResults)
{
    const Place place = GetParam().prepare(m_scratch.path(), m_mount);
    if (place.archivePath.empty())
        GTEST_SKIP() << place.skipReason;
    const std::string results = GetResultsFolder(m_documents.path());
    const std::string picture = IncompressiblePicture();
    test::WriteFile(results + PICTURE_NAME, picture);
    LogInputs inputs;
    inputs.serialId = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    inputs.packetLog = "[0,56]:00ff\n";

    const SaveOutcome outcome = SaveResults(
        m_prompt, m_clock, [&](std::time_t) { return inputs; }, place.archivePath, m_documents.path());

    EXPECT_EQ(outcome.status, SaveStatus::ArchiveFailed);
    EXPECT_FALSE(outcome.marksSaved());
    ASSERT_EQ(m_prompt.messages.size(), 1U);
    EXPECT_EQ(m_prompt.messages[0].text, ARCHIVE_FAILED_TEXT);
    EXPECT_EQ(m_prompt.messages[0].caption, "Warning");
    EXPECT_EQ(test::ReadFile(results + PICTURE_NAME), picture);
    EXPECT_TRUE(fs::exists(results + LogFileName(inputs.serialId)));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DiskFaultTest, testing::ValuesIn(FAULTS), [](const testing::TestParamInfo<DiskFault>& info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

} // namespace
} // namespace tarnscope
