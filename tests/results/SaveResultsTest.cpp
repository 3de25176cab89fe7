#include "results/SaveResults.h"

#include "ArchiveReader.h"
#include "FakeSeams.h"
#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

constexpr std::time_t SAVE_TIME = 1709622489; // 2024-03-05 07:08:09 UTC
constexpr const char* LOG_NAME = "1A0FF102345678.log";
constexpr const char* PICTURE_NAME = "1A0FF102345678.png";

class SaveResultsTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(m_results);
        test::WriteFile(m_results + PICTURE_NAME, "picture bytes");
    }

    SaveOutcome Save(const std::optional<std::string>& fixedPath = {})
    {
        return SaveResults(m_prompt, m_clock, m_collect, fixedPath, m_documents.path());
    }

    LogInputs Inputs(std::time_t saveTime) const
    {
        LogInputs inputs;
        inputs.serialId = { 0x01, 0x0A, 0x00, 0xFF, 0x10, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08 };
        inputs.boardSize = 84;
        inputs.firmware = 7;
        inputs.xListText = "3, 17\r\n";
        inputs.packetLog = "[1,2]:0a\n[3,4]:ff\n";
        inputs.saveTime = saveTime;
        return inputs;
    }

    std::vector<std::string> FolderFiles() const
    {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& item : fs::directory_iterator(m_results, error))
            names.push_back(item.path().filename().string());
        return names;
    }

    void ExpectOneWarning(const std::string& text)
    {
        ASSERT_EQ(m_prompt.messages.size(), 1U);
        EXPECT_EQ(m_prompt.messages[0].caption, "Warning");
        EXPECT_EQ(m_prompt.messages[0].icon, MessageIcon::Warning);
        if (!text.empty()) {
            EXPECT_EQ(m_prompt.messages[0].text, text);
        }
    }

    test::ScopedTimeZone m_zone { "UTC0" };
    test::TempDir m_documents;
    std::string m_results = m_documents / "Velmora/";
    std::string m_archive = m_documents / "saved.rep";
    test::ScriptedPrompt m_prompt;
    test::FixedClock m_clock { SAVE_TIME };
    std::vector<std::time_t> m_collectTimes;
    std::function<LogInputs(std::time_t)> m_collect = [this](std::time_t time) {
        m_collectTimes.push_back(time);
        return Inputs(0);
    };
};

TEST_F(SaveResultsTest, CancelledDialogChangesNothing)
{
    m_prompt.saveNames = { std::nullopt };

    const SaveOutcome outcome = Save();

    EXPECT_EQ(outcome.status, SaveStatus::Cancelled);
    EXPECT_FALSE(outcome.marksSaved());
    EXPECT_THAT(FolderFiles(), ElementsAre(PICTURE_NAME));
    EXPECT_THAT(m_collectTimes, IsEmpty());
    EXPECT_THAT(m_prompt.messages, IsEmpty());
}

TEST_F(SaveResultsTest, DialogOffersDefaultNameAndRepFilter)
{
    m_prompt.saveNames = { m_archive };

    EXPECT_EQ(Save().status, SaveStatus::Saved);

    ASSERT_EQ(m_prompt.saveRequests.size(), 1U);
    EXPECT_EQ(m_prompt.saveRequests[0].defaultName, "DiagnosisResult24-03-05 07-08-09.rep");
    EXPECT_EQ(m_prompt.saveRequests[0].filter, "Text file(*.rep)");
    EXPECT_EQ(m_prompt.saveRequests[0].defaultSuffix, "rep");
}

TEST_F(SaveResultsTest, PacksLogAndPictureThenEmptiesFolder)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    for (const bool batch : { false, true }) {
        SCOPED_TRACE(batch ? "fixed path" : "file dialog");
        SetUp();
        m_prompt.saveNames = { m_archive };
        m_prompt.saveRequests.clear();

        const SaveOutcome outcome = batch ? Save(m_archive) : Save();

        EXPECT_EQ(outcome.status, SaveStatus::Saved);
        EXPECT_TRUE(outcome.marksSaved());
        EXPECT_EQ(outcome.archivePath, m_archive);
        EXPECT_EQ(m_prompt.saveRequests.size(), batch ? 0U : 1U);
        EXPECT_THAT(m_prompt.messages, IsEmpty());
        EXPECT_FALSE(fs::exists(m_results));

        const std::optional<test::ArchiveListing> listing = test::ReadArchive(m_archive);
        ASSERT_TRUE(listing.has_value());
        EXPECT_THAT(test::EntryNames(*listing), UnorderedElementsAre(LOG_NAME, PICTURE_NAME));
        for (const test::ArchiveEntry& entry : listing->entries) {
            if (entry.name == LOG_NAME) {
                EXPECT_EQ(entry.data, BuildLogBytes(Inputs(SAVE_TIME)));
            }
        }
    }
    EXPECT_THAT(m_collectTimes, ElementsAre(SAVE_TIME, SAVE_TIME));
}

TEST_F(SaveResultsTest, SecondSaveHoldsOnlyItsLogWithTheSameListing)
{
    if (!test::HavePython())
        GTEST_SKIP() << "python3 is not installed";
    const std::string second = m_documents / "second.rep";
    ASSERT_EQ(Save(m_archive).status, SaveStatus::Saved);
    ASSERT_EQ(Save(second).status, SaveStatus::Saved);

    const auto listings = test::ReadArchives({ m_archive, second });
    const std::optional<test::ArchiveListing>& first = listings[0];
    const std::optional<test::ArchiveListing>& again = listings[1];
    ASSERT_TRUE(first && again);
    ASSERT_THAT(test::EntryNames(*again), ElementsAre(LOG_NAME));
    const auto firstLog = std::find_if(
        first->entries.begin(), first->entries.end(), [](const auto& entry) { return entry.name == LOG_NAME; });
    ASSERT_NE(firstLog, first->entries.end());
    EXPECT_EQ(again->entries[0].data, firstLog->data);
}

TEST_F(SaveResultsTest, UnwritableArchiveKeepsResultsUnsaved)
{
    const std::string unwritable = m_documents / "missing/saved.rep";

    const SaveOutcome outcome = Save(unwritable);

    EXPECT_EQ(outcome.status, SaveStatus::ArchiveFailed);
    EXPECT_FALSE(outcome.marksSaved());
    ExpectOneWarning("Open file for write failed,save result faile.");
    EXPECT_THAT(FolderFiles(), UnorderedElementsAre(PICTURE_NAME, LOG_NAME));
    EXPECT_FALSE(fs::exists(unwritable));
}

TEST_F(SaveResultsTest, UnwritableLogKeepsResultsAndMakesNoArchive)
{
    const struct {
        const char* name;
        void (*block)(const std::string& logPath);
    } cases[] = {
        { "log cannot be created", [](const std::string& log) { fs::create_directory(log); } },
        { "log line cannot be written", [](const std::string& log) { fs::create_symlink("/dev/full", log); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const std::string log = m_results + LOG_NAME;
        c.block(log);
        m_prompt.messages.clear();

        const SaveOutcome outcome = Save(m_archive);

        EXPECT_EQ(outcome.status, SaveStatus::LogFailed);
        EXPECT_FALSE(outcome.marksSaved());
        ExpectOneWarning("");
        EXPECT_FALSE(fs::exists(m_archive));
        EXPECT_TRUE(fs::exists(m_results + PICTURE_NAME));
        fs::remove(log);
    }
}

struct CloseCase {
    const char* name;
    bool saved;
    MessageAnswer answer;
    SaveStatus saveStatus;
    bool asks;
    bool saves;
    CloseDecision decision;
};

TEST(AskBeforeCloseTest, ClosesOnlyWhenResultsAreSavedOrGivenUp)
{
    const CloseCase cases[] = {
        { "already saved", true, MessageAnswer::Yes, SaveStatus::Saved, false, false, CloseDecision::Close },
        { "cancel", false, MessageAnswer::Cancel, SaveStatus::Saved, true, false, CloseDecision::StayOpen },
        { "no", false, MessageAnswer::No, SaveStatus::Saved, true, false, CloseDecision::Close },
        { "yes, saved", false, MessageAnswer::Yes, SaveStatus::Saved, true, true, CloseDecision::Close },
        { "yes, dialog cancelled", false, MessageAnswer::Yes, SaveStatus::Cancelled, true, true,
            CloseDecision::StayOpen },
        { "yes, log failed", false, MessageAnswer::Yes, SaveStatus::LogFailed, true, true, CloseDecision::StayOpen },
        { "yes, archive failed", false, MessageAnswer::Yes, SaveStatus::ArchiveFailed, true, true,
            CloseDecision::StayOpen },
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedPrompt prompt;
        prompt.answers = { c.answer };
        int saves = 0;
        const CloseDecision decision = AskBeforeClose(c.saved, prompt, [&] {
            ++saves;
            return SaveOutcome { c.saveStatus, {} };
        });

        EXPECT_EQ(decision, c.decision);
        EXPECT_EQ(saves, c.saves ? 1 : 0);
        ASSERT_EQ(prompt.messages.size(), c.asks ? 1U : 0U);
        if (c.asks) {
            EXPECT_EQ(prompt.messages[0].text, "Diagnosis result is not save, save it?");
            EXPECT_EQ(prompt.messages[0].caption, "Save");
            EXPECT_EQ(prompt.messages[0].buttons, MessageButtons::YesNoCancel);
        }
    }
}

} // namespace
} // namespace tarnscope
