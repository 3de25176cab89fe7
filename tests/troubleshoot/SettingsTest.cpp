#include "troubleshoot/Settings.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

// Every field different from its default and every byte distinct.
DiagnosisSettings Sample()
{
    DiagnosisSettings s;
    s.xLowThreshold = 0x11;
    s.xHighThreshold = 0x22;
    s.yLowThreshold = 0x33;
    s.yHighThreshold = 0x44;
    s.changeDelta = 0x55;
    s.differenceRange = -2;
    s.lowColour = 0x00ABCDEF;
    s.highColour = 0x00123456;
    s.lightRangeIndex = 0x01020304;
    return s;
}

TEST(SerializeConfig, PacksHeaderAndFieldsLittleEndianWithoutPadding)
{
    constexpr std::uint8_t expected[CONFIG_FILE_SIZE] = {
        0x94, 0x87, 0xA3, 0x40, 0x4B, 0x36, 0x00, 0x00, // header
        0x11, 0x22, 0x33, 0x44, 0x55, // thresholds and change delta
        0xFE, 0xFF, 0xFF, 0xFF, // difference range -2
        0xEF, 0xCD, 0xAB, 0x00, // low colour
        0x56, 0x34, 0x12, 0x00, // high colour
        0x04, 0x03, 0x02, 0x01, // light range index
    };
    const ConfigBytes bytes = SerializeConfig(Sample());
    for (std::size_t offset = 0; offset < CONFIG_FILE_SIZE; ++offset)
        EXPECT_EQ(bytes[offset], expected[offset]) << "offset " << offset;
}

TEST(ApplyConfigBytes, ChecksOnlyTheFirstSixHeaderBytes)
{
    const struct {
        std::size_t offset;
        bool accepted;
    } cases[] = { { 0, false }, { 3, false }, { 4, false }, { 5, false }, { 6, true }, { 7, true } };
    for (const auto& c : cases) {
        ConfigBytes bytes = SerializeConfig(Sample());
        bytes[c.offset] ^= 0x5A;
        DiagnosisSettings settings;
        EXPECT_EQ(ApplyConfigBytes(bytes, settings), c.accepted) << "offset " << c.offset;
        EXPECT_EQ(settings, c.accepted ? Sample() : DiagnosisSettings {}) << "offset " << c.offset;
    }
}

TEST(ApplyConfigBytes, ShortDataKeepsEveryFieldItDoesNotHoldWhole)
{
    using Copy = void (*)(DiagnosisSettings&, const DiagnosisSettings&);
    // Field copies in file order with the offset just past each field.
    const struct {
        std::size_t end;
        Copy copy;
    } fields[] = {
        { 9, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.xLowThreshold = from.xLowThreshold; } },
        { 10, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.xHighThreshold = from.xHighThreshold; } },
        { 11, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.yLowThreshold = from.yLowThreshold; } },
        { 12, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.yHighThreshold = from.yHighThreshold; } },
        { 13, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.changeDelta = from.changeDelta; } },
        { 17, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.differenceRange = from.differenceRange; } },
        { 21, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.lowColour = from.lowColour; } },
        { 25, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.highColour = from.highColour; } },
        { 29, [](DiagnosisSettings& to, const DiagnosisSettings& from) { to.lightRangeIndex = from.lightRangeIndex; } },
    };
    const ConfigBytes full = SerializeConfig(Sample());
    for (std::size_t length = 0; length <= CONFIG_FILE_SIZE; ++length) {
        DiagnosisSettings expected;
        for (const auto& field : fields) {
            if (field.end <= length)
                field.copy(expected, Sample());
        }
        DiagnosisSettings settings;
        EXPECT_EQ(ApplyConfigBytes(std::span(full).first(length), settings), length >= 8) << "length " << length;
        EXPECT_EQ(settings, expected) << "length " << length;
    }
}

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("tarnscope-config-" + std::to_string(::getpid()) + "-"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::uint8_t> FileBytes(const fs::path& path)
    {
        std::ifstream file(path, std::ios::binary);
        return { std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>() };
    }

    fs::path m_dir;
};

TEST_F(ConfigFileTest, WritesTheSerialisedBytesAndReadsThemBack)
{
    const std::string path = (m_dir / "Config.dat").string();
    DiagnosisSettings written = Sample();
    written.lightRangeIndex = -1; // what the dialog stores when no light range is selected
    ASSERT_TRUE(WriteConfigFile(path, written));
    const ConfigBytes serialised = SerializeConfig(written);
    EXPECT_EQ(FileBytes(path), std::vector<std::uint8_t>(serialised.begin(), serialised.end()));

    DiagnosisSettings read;
    ASSERT_TRUE(ReadConfigFile(path, read));
    EXPECT_EQ(read, written);

    DiagnosisSettings overwritten;
    ASSERT_TRUE(WriteConfigFile(path, overwritten));
    EXPECT_EQ(FileBytes(path).size(), CONFIG_FILE_SIZE);
}

TEST_F(ConfigFileTest, ShortOrForeignFilesChangeOnlyWhatTheyHold)
{
    const ConfigBytes full = SerializeConfig(Sample());
    const fs::path shortFile = m_dir / "short.dat";
    std::ofstream(shortFile, std::ios::binary).write(reinterpret_cast<const char*>(full.data()), 15);
    DiagnosisSettings settings;
    ASSERT_TRUE(ReadConfigFile(shortFile.string(), settings));
    EXPECT_EQ(settings.changeDelta, Sample().changeDelta);
    EXPECT_EQ(settings.differenceRange, DiagnosisSettings {}.differenceRange);

    ConfigBytes foreign = full;
    foreign[4] = 0x4C;
    const fs::path foreignFile = m_dir / "foreign.dat";
    std::ofstream(foreignFile, std::ios::binary).write(reinterpret_cast<const char*>(foreign.data()), 29);
    DiagnosisSettings untouched;
    EXPECT_FALSE(ReadConfigFile(foreignFile.string(), untouched));
    EXPECT_EQ(untouched, DiagnosisSettings {});
}

TEST_F(ConfigFileTest, UnreachablePathsFailWithoutChangingAnything)
{
    const std::string missingFolder = (m_dir / "no-such-folder" / "Config.dat").string();
    EXPECT_FALSE(WriteConfigFile(missingFolder, Sample()));
    EXPECT_FALSE(WriteConfigFile(m_dir.string(), Sample())); // a folder, not a file
    DiagnosisSettings settings = Sample();
    EXPECT_FALSE(ReadConfigFile(missingFolder, settings));
    EXPECT_FALSE(ReadConfigFile(m_dir.string(), settings));
    EXPECT_EQ(settings, Sample());
}

TEST_F(ConfigFileTest, PrefersAWritableExecutableFolder)
{
    const fs::path exeDir = m_dir / "bin";
    const fs::path userDir = m_dir / "user" / "tarnscope";
    fs::create_directories(exeDir);
    EXPECT_EQ(ConfigFilePath(exeDir.string(), userDir.string()), (exeDir / "Config.dat").string());
    EXPECT_FALSE(fs::exists(userDir));

    const fs::path plainFile = m_dir / "not-a-folder";
    std::ofstream(plainFile) << "x";
    for (const fs::path& unusable : { m_dir / "missing", plainFile, fs::path("/usr/bin") }) {
        EXPECT_EQ(ConfigFilePath(unusable.string(), userDir.string()), (userDir / "Config.dat").string());
        EXPECT_TRUE(fs::is_directory(userDir));
    }
}

} // namespace
} // namespace tarnscope
