// The main window as a technician meets it, on the simulated frame.
#include "app/CTarnscopeDlg.h"
#include "diagnosis/CShowResultDialog.h"
#include "sim/Scenario.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder()
        : m_path(fs::temp_directory_path() / ("tarnscope-window-" + std::to_string(::getpid())))
    {
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    std::string path() const { return m_path.string(); }

private:
    fs::path m_path;
};

FrameSession::Options TestOptions(const TempFolder& folder)
{
    return { .documentsFolder = folder.path(), .configPath = folder.path() + "/Config.dat" };
}

template<typename Predicate> bool ProcessEventsUntil(Predicate done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

std::unique_ptr<FrameSource> NoFrames()
{
    return FrameSource::CreateVirtual(Scenario {});
}

TEST(MainWindow, StartsDisconnectedWithoutAFrame)
{
    const TempFolder folder;
    CTarnscopeDlg window(NoFrames(), TestOptions(folder));
    EXPECT_EQ(window.windowTitle(), "ZEPHYRA BOARD Troubleshooting Tools, Disconnected");
    EXPECT_FALSE(window.Form().autoDiagnosisButton()->isEnabled());
    EXPECT_FALSE(window.Form().advanceDiagnosisButton()->isEnabled());
    EXPECT_TRUE(window.Form().saveButton()->isEnabled());
    EXPECT_FALSE(window.Session().Saved());
    EXPECT_FALSE(window.Session().Link().ThreadsRunning());
    ASSERT_NE(window.ResultView(), nullptr);
    EXPECT_FALSE(window.ResultView()->isVisible());
    EXPECT_EQ(window.AdvanceScreen(), nullptr) << "made on first use";
    const DiagnosisSettings defaults;
    EXPECT_EQ(window.Session().Settings(), defaults);
}

TEST(MainWindow, AttachedFrameIsDiagnosedAndItsPictureShown)
{
    const TempFolder folder;
    CTarnscopeDlg window(FrameSource::CreateVirtual(DefaultScenario()), TestOptions(folder));
    window.show();
    EXPECT_FALSE(window.Form().autoDiagnosisButton()->isEnabled()) << "disabled while the run lasts";
    EXPECT_TRUE(window.Form().advanceDiagnosisButton()->isEnabled());

    ASSERT_TRUE(ProcessEventsUntil([&] { return window.Session().LastDiagnosis().has_value(); }, 15000));
    ProcessEventsUntil([] { return false; }, 50);
    EXPECT_EQ(window.windowTitle(), "ZEPHYRA BOARD Troubleshooting Tools,Diagnosis compelete!");
    EXPECT_TRUE(window.Form().autoDiagnosisButton()->isEnabled());
    EXPECT_EQ(window.Form().progress()->value(), 0);
    EXPECT_TRUE(window.ResultView()->isVisible());
    EXPECT_TRUE(window.ResultView()->HasPicture());
    const DiagnosisRecord& record = *window.Session().LastDiagnosis();
    EXPECT_EQ(record.picturePath, folder.path() + "/Velmora/0102030405060708090A0B0C.png");
    EXPECT_TRUE(fs::exists(record.picturePath));

    // Screenshots for the documentation, taken when asked for.
    if (const char* shots = std::getenv("TARNSCOPE_SCREENSHOTS")) {
        window.grab().save(QString(shots) + "/main-window.png");
        window.ResultView()->resize(1280, 720);
        window.ResultView()->grab().save(QString(shots) + "/result-view.png");
    }
}

} // namespace
} // namespace tarnscope
