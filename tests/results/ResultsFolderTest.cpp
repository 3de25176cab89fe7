#include "results/ResultsFolder.h"

#include "TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

TEST(ResultsFolderTest, CreatesTheFolderUnderTheDocumentsFolder)
{
    const test::TempDir documents;
    const std::string folder = GetResultsFolder(documents.path());
    EXPECT_EQ(folder, documents.path() + "/Velmora/");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(GetResultsFolder(documents.path()), folder) << "an existing folder is fine";

    const std::string missingDocuments = documents / "missing";
    EXPECT_EQ(GetResultsFolder(missingDocuments), missingDocuments + "/Velmora/");
    EXPECT_TRUE(fs::is_directory(missingDocuments + "/Velmora/")) << "an account without a documents folder";
}

class ClearResultsFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(m_folder);
        test::WriteFile(m_folder + "/picture.png", "png");
        test::WriteFile(m_folder + "/.hidden", "dot file");
        test::WriteFile(m_temp / "target.txt", "outside");
        fs::create_symlink(m_temp / "target.txt", m_folder + "/link.txt");
    }

    test::TempDir m_temp;
    std::string m_folder = m_temp / "Velmora/";
};

TEST_F(ClearResultsFolderTest, RemovesFilesAndTheFolder)
{
    ClearResultsFolder(m_folder);

    EXPECT_FALSE(fs::exists(m_folder));
    EXPECT_EQ(test::ReadFile(m_temp / "target.txt"), "outside") << "a link's target is not touched";
}

TEST_F(ClearResultsFolderTest, KeepsSubfoldersAndSoTheFolder)
{
    fs::create_directory(m_folder + "sub");
    test::WriteFile(m_folder + "sub/inner.png", "png");

    ClearResultsFolder(m_folder);

    EXPECT_FALSE(fs::exists(fs::symlink_status(m_folder + "link.txt")));
    EXPECT_FALSE(fs::exists(m_folder + "picture.png"));
    EXPECT_FALSE(fs::exists(m_folder + ".hidden"));
    EXPECT_TRUE(fs::exists(m_folder + "sub/inner.png"));
}

} // namespace
} // namespace tarnscope
