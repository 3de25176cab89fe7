#include "device/ReportDescriptor.h"

#include "FakeHidrawTree.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tarnscope {

void PrintTo(const ReportLengths& l, std::ostream* os)
{
    *os << "{input " << l.input << ", output " << l.output << ", feature " << l.feature << "}";
}

namespace {

using testing_support::DescriptorDataDir;
using testing_support::ReadDescriptorSample;

struct ManifestRow {
    std::string file;
    ReportLengths expected;
};

std::vector<ManifestRow> readManifest()
{
    std::ifstream in(DescriptorDataDir() / "lengths.tsv");
    std::vector<ManifestRow> rows;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        ManifestRow row;
        fields >> row.file >> row.expected.input >> row.expected.output >> row.expected.feature;
        if (fields)
            rows.push_back(row);
    }
    return rows;
}

void PrintTo(const ManifestRow& row, std::ostream* os)
{
    *os << row.file;
}

class DescriptorManifest : public testing::TestWithParam<ManifestRow> { };

TEST_P(DescriptorManifest, LengthsMatchTheHidStack)
{
    const ManifestRow& row = GetParam();
    const std::vector<std::uint8_t> bytes = ReadDescriptorSample(row.file);
    ASSERT_FALSE(bytes.empty()) << row.file;
    const DescriptorParse parsed = ParseReportDescriptor(bytes);
    ASSERT_TRUE(parsed.ok()) << parsed.message;
    EXPECT_EQ(parsed.lengths.input, row.expected.input);
    EXPECT_EQ(parsed.lengths.output, row.expected.output);
    EXPECT_EQ(parsed.lengths.feature, row.expected.feature);
}

std::string caseName(const testing::TestParamInfo<ManifestRow>& info)
{
    std::string name = info.param.file.substr(0, info.param.file.find('.'));
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, DescriptorManifest, testing::ValuesIn(readManifest()), caseName);

TEST(DescriptorManifestFiles, EveryDescriptorFileIsListed)
{
    std::set<std::string> listed;
    for (const ManifestRow& row : readManifest())
        listed.insert(row.file);
    std::set<std::string> present;
    for (const auto& entry : std::filesystem::directory_iterator(DescriptorDataDir()))
        if (entry.path().extension() == ".rdesc")
            present.insert(entry.path().filename().string());
    EXPECT_FALSE(present.empty());
    EXPECT_EQ(listed, present);
}

struct BadDescriptor {
    const char* what;
    std::vector<std::uint8_t> bytes;
    DescriptorError error;
};

TEST(ReportDescriptor, MalformedDescriptorsAreRejected)
{
    const BadDescriptor cases[] = {
        { "2-byte Usage Page cut after one byte", { 0x06, 0x00 }, DescriptorError::TruncatedItem },
        { "4-byte Report Count cut short", { 0x75, 0x08, 0x97, 0x01, 0x00 }, DescriptorError::TruncatedItem },
        { "long item header cut", { 0xFE, 0x04 }, DescriptorError::TruncatedItem },
        { "long item data past the end", { 0xFE, 0x04, 0x10, 0x01, 0x02 }, DescriptorError::TruncatedItem },
        { "Pop without Push", { 0x75, 0x08, 0xB4 }, DescriptorError::PopWithoutPush },
        { "second Pop after one Push", { 0xA4, 0xB4, 0xB4 }, DescriptorError::PopWithoutPush },
        { "Report Size 257 bits", { 0x76, 0x01, 0x01, 0x95, 0x01, 0x81, 0x02 }, DescriptorError::ReportSizeTooLarge },
        { "Report Count 12289", { 0x75, 0x01, 0x96, 0x01, 0x30, 0x81, 0x02 }, DescriptorError::ReportCountTooLarge },
        { "Report ID 0", { 0x85, 0x00 }, DescriptorError::ReportIdOutOfRange },
        { "Report ID 256", { 0x86, 0x00, 0x01 }, DescriptorError::ReportIdOutOfRange },
        // 256 bits x 12288 = 393216 bytes: each field legal, the report not.
        { "report beyond 16-bit length", { 0x76, 0x00, 0x01, 0x96, 0x00, 0x30, 0x81, 0x02 },
            DescriptorError::ReportTooLong },
    };
    for (const BadDescriptor& bad : cases) {
        const DescriptorParse parsed = ParseReportDescriptor(bad.bytes);
        EXPECT_EQ(parsed.error, bad.error) << bad.what;
        EXPECT_NE(parsed.message.find("at byte"), std::string::npos) << bad.what << ": " << parsed.message;
    }
}

TEST(ReportDescriptor, LengthsFollowTheLargestReportOfEachKind)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        ReportLengths expected;
    };
    const Case cases[] = {
        { "empty descriptor declares nothing", {}, { 0, 0, 0 } },
        // No Report ID: the id byte is still counted; 13 bits round up to 2 bytes.
        { "no report id, bits rounded up", { 0x75, 0x0D, 0x95, 0x01, 0x81, 0x02 }, { 3, 0, 0 } },
        // Report 1 has 2 input bytes, report 2 has 5: the larger wins, not the sum.
        { "largest of two report ids",
            { 0x85, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x85, 0x02, 0x95, 0x05, 0x81, 0x02, 0x91, 0x02 },
            { 6, 6, 0 } },
        // Push keeps Report Count 2; inside the Push it is 9; after Pop an Output of 2 bytes.
        { "Pop restores Report Count", { 0x75, 0x08, 0x95, 0x02, 0xA4, 0x95, 0x09, 0x81, 0x02, 0xB4, 0x91, 0x02 },
            { 10, 3, 0 } },
        // A well-formed long item between fields is stepped over.
        { "long item skipped", { 0x75, 0x08, 0x95, 0x03, 0xFE, 0x02, 0x55, 0xAA, 0xBB, 0xB1, 0x02 }, { 0, 0, 4 } },
    };
    for (const Case& c : cases) {
        const DescriptorParse parsed = ParseReportDescriptor(c.bytes);
        ASSERT_TRUE(parsed.ok()) << c.what << ": " << parsed.message;
        EXPECT_EQ(parsed.lengths, c.expected) << c.what;
    }
}

} // namespace
} // namespace tarnscope
