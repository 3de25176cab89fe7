#include "diagnosis/ProblemText.h"

#include "diagnosis/PictureLayout.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <time.h>

namespace tarnscope {
namespace {

constexpr std::time_t NOV_14_2023_221320_UTC = 1700000000;
constexpr SerialId SERIAL { 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C };
constexpr const char* HEAD_55 = "Model: 55\r\n\r\n"
                                "Date: 2023-11-14 22:13:20\r\n\r\n"
                                "SID: 0102030405060708090A0B0C\r\n\r\n";

class ProblemText : public testing::Test {
protected:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

// Only the comma after the very last index is dropped; earlier lines keep theirs.
TEST_F(ProblemText, ListsXLedsPerBlock)
{
    const std::vector<ProblemLed> x { { 0, 3 }, { 0, 4 }, { 0, 5 }, { 0, 6 }, { 0, 7 }, { 1, 10 }, { 1, 11 },
        { 1, 12 } };
    EXPECT_EQ(BuildProblemText(55, SERIAL, x, {}, NOV_14_2023_221320_UTC),
        std::string(HEAD_55) + "Problem:\r\nX LED:\r\n    X0:LED Pos=>3,4,5,6,7,\r\n    X1:LED Pos=>10,11,12\r\n");
}

TEST_F(ProblemText, YPartWithoutXPartHasNoProblemLine)
{
    const std::vector<ProblemLed> y { { 0, 1 }, { 0, 1 }, { 2, 63 } };
    EXPECT_EQ(BuildProblemText(55, SERIAL, {}, y, NOV_14_2023_221320_UTC),
        std::string(HEAD_55) + "Y LED:\r\n    Y0:LED Pos=>1,1,\r\n    Y2:LED Pos=>63\r\n");
}

TEST_F(ProblemText, EndsAfterTheSerialIdWithoutProblems)
{
    EXPECT_EQ(BuildProblemText(55, SERIAL, {}, {}, NOV_14_2023_221320_UTC), HEAD_55);
    // A board without analysis has nothing to list, whatever it is given.
    const std::string noModel = BuildProblemText(47, SERIAL, { { 0, 1 } }, { { 0, 1 } }, NOV_14_2023_221320_UTC);
    EXPECT_EQ(noModel.substr(0, 11), "Model: 47\r\n");
    EXPECT_EQ(noModel.find("LED"), std::string::npos);
}

TEST_F(ProblemText, Board78UsesItsOwnItemHeaders)
{
    const std::string text
        = BuildProblemText(78, SERIAL, { { 4, 2 } }, { { 3, 55 }, { 3, 56 } }, NOV_14_2023_221320_UTC);
    const std::string tail = "Problem:\r\nX LED:\r\n    X4:LED Position=>2\r\n"
                             "Y LED:\r\n    Y3: LED Position=>55,56\r\n";
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text.substr(0, 11), "Model: 78\r\n");
}

TEST_F(ProblemText, SerialBytesAreTwoUpperCaseDigits)
{
    const SerialId serial { 0x0A, 0x05, 0xFF, 0x00, 0xab, 0x10, 0, 0, 0, 0, 0, 0x7 };
    EXPECT_EQ(SerialIdHex(serial), "0A05FF00AB10000000000007");
    EXPECT_NE(BuildProblemText(82, serial, {}, {}, 0).find("SID: 0A05FF00AB10000000000007\r\n"), std::string::npos);
    EXPECT_EQ(PictureFileName(serial), "0A05FF00AB10000000000007.png");
}

} // namespace
} // namespace tarnscope
