#include "results/Zipper.h"

#include "ArchiveReader.h"
#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;
using test::ArchiveListing;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

struct SampleItem {
    const char* path; // relative to the folder; ends with "/" for a folder
    const char* data;
    std::array<int, 6> modified; // local time, month 1..12
};

// Times are set in this order, so a folder follows its contents.
constexpr SampleItem SAMPLE_ITEMS[] = {
    { "a.log", "SID: 1A0FF102345678\r\n", { 2021, 6, 15, 13, 45, 31 } },
    { "sub/b.png", nullptr, { 2019, 1, 2, 3, 4, 5 } },
    { "sub/", nullptr, { 2020, 12, 31, 23, 59, 58 } },
};

// Larger than one copy block and barely compressible.
std::string PictureBytes()
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += static_cast<char>((i * 7919 + i / 13) & 0xFF);
    return bytes;
}

class ZipperTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(m_folder);
        for (const SampleItem& item : SAMPLE_ITEMS) {
            const std::string path = m_folder + "/" + item.path;
            fs::create_directories(fs::path(path).parent_path());
            if (!std::string_view(item.path).ends_with('/'))
                test::WriteFile(path, item.data ? item.data : PictureBytes());
        }
        test::WriteFile(m_folder + "/.hidden", "not archived");
        test::WriteFile(m_folder + "/sub/.x", "not archived");
        for (const SampleItem& item : SAMPLE_ITEMS) {
            const auto& t = item.modified;
            test::SetModificationTime(m_folder + "/" + item.path, test::LocalTime(t[0], t[1], t[2], t[3], t[4], t[5]));
        }
    }

    ArchiveListing Read(const std::string& archive)
    {
        const std::optional<ArchiveListing> listing = test::ReadArchive(archive);
        EXPECT_TRUE(listing.has_value()) << archive << " is not a readable zip archive";
        return listing.value_or(ArchiveListing {});
    }

    // A zone away from UTC shows whether entry times are local.
    test::ScopedTimeZone m_zone { "TST-5:30" };
    test::TempDir m_temp;
    std::string m_folder = m_temp / "Velmora";
    std::string m_archive = m_temp / "out.rep";
};

TEST_F(ZipperTest, ArchiveHoldsTheFolderWithNamesTimesAndAttributes)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    ASSERT_TRUE(CZipper().ZipFolder(m_folder, m_archive));
    if (test::HaveUnzip()) {
        EXPECT_TRUE(test::UnzipTestPasses(m_archive));
    }

    const ArchiveListing listing = Read(m_archive);
    EXPECT_TRUE(listing.intact);
    EXPECT_THAT(listing.comment, IsEmpty());
    const std::vector<std::string> names = test::EntryNames(listing);
    ASSERT_THAT(names, UnorderedElementsAre("a.log", "sub/", "sub/b.png"));
    EXPECT_LT(std::find(names.begin(), names.end(), "sub/"), std::find(names.begin(), names.end(), "sub/b.png"));

    for (const SampleItem& item : SAMPLE_ITEMS) {
        SCOPED_TRACE(item.path);
        const auto entry = std::find_if(
            listing.entries.begin(), listing.entries.end(), [&](const auto& e) { return e.name == item.path; });
        const bool isFolder = std::string_view(item.path).ends_with('/');
        EXPECT_EQ(entry->data, isFolder ? "" : (item.data ? item.data : PictureBytes()));
        std::array<int, 6> expectedTime = item.modified;
        expectedTime[5] &= ~1; // two-second resolution
        EXPECT_EQ(entry->dateTime, expectedTime);
        EXPECT_EQ(entry->compressType, 8);
        EXPECT_EQ(entry->externalAttributes, isFolder ? 0x10U : 0x20U);
        EXPECT_EQ(entry->internalAttributes & ~1U, 0U) << "bit 0 is the library's own text flag";
        EXPECT_THAT(entry->extra, IsEmpty());
        EXPECT_THAT(entry->comment, IsEmpty());
    }
}

TEST_F(ZipperTest, EmptyFolderGivesValidEmptyArchive)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    const std::string empty = m_temp / "empty";
    fs::create_directory(empty);

    ASSERT_TRUE(CZipper().ZipFolder(empty, m_archive));

    const ArchiveListing listing = Read(m_archive);
    EXPECT_TRUE(listing.intact);
    EXPECT_THAT(listing.entries, IsEmpty());
}

TEST_F(ZipperTest, TrailingSlashAndRelativeFolderGiveTheSameArchive)
{
    ASSERT_TRUE(CZipper().ZipFolder(m_folder, m_archive));
    const std::string plain = test::ReadFile(m_archive);
    ASSERT_FALSE(plain.empty());

    const std::string withSlash = m_temp / "slash.rep";
    ASSERT_TRUE(CZipper().ZipFolder(m_folder + "/", withSlash));
    EXPECT_EQ(test::ReadFile(withSlash), plain);

    const fs::path workingFolder = fs::current_path();
    fs::current_path(m_temp.path());
    const bool zipped = CZipper().ZipFolder("Velmora", "relative.rep");
    fs::current_path(workingFolder);
    ASSERT_TRUE(zipped);
    EXPECT_EQ(test::ReadFile(m_temp / "relative.rep"), plain);
}

TEST_F(ZipperTest, ExistingFileIsReplaced)
{
    ASSERT_TRUE(CZipper().ZipFolder(m_folder, m_archive));
    const std::string fresh = test::ReadFile(m_archive);

    const std::string reused = m_temp / "reused.rep";
    test::WriteFile(reused, std::string(100000, 'x'));
    ASSERT_TRUE(CZipper().ZipFolder(m_folder, reused));

    EXPECT_EQ(test::ReadFile(reused), fresh);
}

TEST_F(ZipperTest, UnwritableArchiveFailsAndLeavesNoArchive)
{
    const std::string empty = m_temp / "empty";
    fs::create_directory(empty);
    fs::create_directory(m_temp / "taken");
    const struct {
        const char* name;
        std::string folder;
        std::string archive;
    } cases[] = {
        { "empty path", m_folder, "" },
        { "missing directory", m_folder, m_temp / "missing/out.rep" },
        { "path is a directory", m_folder, m_temp / "taken" },
        { "device full while adding", m_folder, m_temp / "full.rep" },
        { "device full at close", empty, m_temp / "full.rep" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code exists; // the link is removed with a failed archive
        fs::create_symlink("/dev/full", m_temp / "full.rep", exists);
        EXPECT_FALSE(CZipper().ZipFolder(c.folder, c.archive));
        EXPECT_FALSE(fs::is_regular_file(fs::symlink_status(c.archive)));
    }
    EXPECT_TRUE(fs::is_directory(m_temp / "taken"));
    EXPECT_TRUE(fs::exists(m_folder + "/a.log"));
}

TEST_F(ZipperTest, UnreadableItemsAreLeftOutSilently)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    fs::create_symlink(m_temp / "gone.png", m_folder + "/gone.png");
    ASSERT_EQ(mkfifo((m_folder + "/pipe").c_str(), 0600), 0);

    ASSERT_TRUE(CZipper().ZipFolder(m_folder, m_archive));

    const ArchiveListing listing = Read(m_archive);
    EXPECT_TRUE(listing.intact);
    EXPECT_THAT(test::EntryNames(listing), UnorderedElementsAre("a.log", "sub/", "sub/b.png"));
}

enum class Base { Relative, InFolder, InTemp };

struct AddCase {
    const char* name;
    bool folder; // AddFolder instead of AddFile
    Base base;
    const char* path;
    bool flatNames;
    bool defaultRoot; // root taken from the archive's directory
    bool accepted;
    std::vector<std::string> entries;
};

TEST_F(ZipperTest, AddNamesEntriesRelativeToTheRoot)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    test::WriteFile(m_temp / "outside.txt", "outside the root");
    const AddCase cases[] = {
        { "relative file", false, Base::Relative, "a.log", false, false, true, { "a.log" } },
        { "dot-slash prefix", false, Base::Relative, "./sub/b.png", false, false, true, { "sub/b.png" } },
        { "absolute file", false, Base::InFolder, "sub/b.png", false, false, true, { "sub/b.png" } },
        { "flat file name", false, Base::InFolder, "sub/b.png", true, false, true, { "b.png" } },
        { "absolute outside root", false, Base::InTemp, "outside.txt", false, false, false, {} },
        { "parent of root", false, Base::Relative, "../outside.txt", false, false, false, {} },
        { "missing file", false, Base::Relative, "missing.txt", false, false, false, {} },
        { "root from archive", false, Base::InFolder, "a.log", false, true, true, { "Velmora/a.log" } },
        { "relative folder", true, Base::Relative, "sub", false, false, true, { "sub/", "sub/b.png" } },
        { "flat folder", true, Base::InFolder, "sub/", true, false, true, { "sub/", "b.png" } },
        { "folder outside root", true, Base::InTemp, "", false, false, false, {} },
    };
    std::vector<std::string> archives;
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base
            = c.base == Base::Relative ? "" : (c.base == Base::InFolder ? m_folder : m_temp.path()) + "/";
        const std::string& archive = archives.emplace_back(m_temp / ("case" + std::to_string(archives.size())));
        CZipper zipper;
        ASSERT_TRUE(c.defaultRoot ? zipper.OpenArchive(archive) : zipper.OpenArchive(archive, m_folder));
        EXPECT_EQ(c.folder ? zipper.AddFolder(base + c.path, c.flatNames) : zipper.AddFile(base + c.path, c.flatNames),
            c.accepted);
        ASSERT_TRUE(zipper.CloseArchive());
    }
    const std::vector<std::optional<ArchiveListing>> listings = test::ReadArchives(archives);
    for (std::size_t i = 0; i < archives.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        ASSERT_TRUE(listings[i].has_value());
        EXPECT_EQ(test::EntryNames(*listings[i]), cases[i].entries);
    }
}

TEST_F(ZipperTest, NothingIsAddedWithoutAnOpenArchive)
{
    CZipper zipper;
    EXPECT_FALSE(zipper.AddFile(m_folder + "/a.log", false));
    EXPECT_FALSE(zipper.AddFolder(m_folder, false));
    EXPECT_FALSE(zipper.CloseArchive());
}

} // namespace
} // namespace tarnscope
