// The troubleshooting keys and the mouse wheel on the main window, driven
// through the window on the simulated frame.
#include "ScriptedPrompt.h"
#include "app/CTarnscopeDlg.h"
#include "common/TimerIds.h"
#include "sim/Scenario.h"
#include "troubleshoot/CSettingsDialog.h"
#include "troubleshoot/CToolsDialog.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tarnscope {
namespace {

const std::string PAUSE_TITLE = "ZEPHYRA BOARD Troubleshooting Tools, Pause";
const std::string X_SCANNING_TITLE = "ZEPHYRA BOARD Troubleshooting Tools, X Scaning...";
const std::string Y_SCANNING_TITLE = "ZEPHYRA BOARD Troubleshooting Tools, Y Scaning...";

constexpr int SEQUENCER_TIMERS[] = { TIMER_SCAN_X, TIMER_SCAN_Y, TIMER_PROGRESS, TIMER_SWITCH_AXIS, TIMER_FINISH };

// With a client area this low the live view's content (50 pixels) scrolls by 20.
constexpr int LOW_CLIENT_HEIGHT = 30;
constexpr int SCROLLED_OFFSET = 20;

// While it lives, hands every modal dialog that comes up to `answer`, which closes it.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QWidget&)> answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer = std::move(answer)] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++m_answered;
                answer(*modal);
            }
        });
        m_timer.start(5);
    }
    int answered() const { return m_answered; }

private:
    QTimer m_timer;
    int m_answered = 0;
};

struct DialogRun {
    std::string dialog;
    bool paused; // reading paused while the dialog ran
    std::string title;
    DiagnosisSettings shown; // settings only
    int axis = -1; // tools only
    int boardSize = -1;
};

// Answers the keys' dialogs and notes the window's state while each one runs.
class FakeDialogs final : public TroubleshootDialogs {
public:
    explicit FakeDialogs(CTarnscopeDlg& window)
        : m_window(window)
    { }

    bool runSettings(DiagnosisSettings& settings) override
    {
        Record("settings").shown = settings;
        if (!answer)
            return false;
        settings = *answer;
        return true;
    }

    void runTools(int axis, int boardSize) override
    {
        DialogRun& run = Record("tools");
        run.axis = axis;
        run.boardSize = boardSize;
    }

    std::optional<DiagnosisSettings> answer; // nullopt: Cancel
    std::vector<DialogRun> runs;

private:
    DialogRun& Record(const std::string& dialog)
    {
        runs.push_back({ dialog, m_window.Session().Link().m_bPauseReading, m_window.windowTitle().toStdString(), {} });
        return runs.back();
    }

    CTarnscopeDlg& m_window;
};

struct SurfaceCalls {
    int clears = 0;
    std::vector<int> presentedOffsets;
};

class RecordingSurfaces final : public SignalSurfaces {
public:
    explicit RecordingSurfaces(SurfaceCalls& calls)
        : m_calls(calls)
    { }
    void copyBackgroundToDisplay(int, int) override { ++m_calls.clears; }
    void presentDisplay(int sourceTop) override { m_calls.presentedOffsets.push_back(sourceTop); }

private:
    SurfaceCalls& m_calls;
};

class WindowTest : public ::testing::Test {
protected:
    void OpenWindow(const Scenario& scenario)
    {
        FrameSession::Options options;
        options.documentsFolder = folder.path().toStdString();
        options.configPath = ConfigPath();
        window = std::make_unique<CTarnscopeDlg>(FrameSource::CreateVirtual(scenario), std::move(options));
        // The automatic diagnosis of a new connection would change titles and
        // the pause on its own; only the keys may change them here.
        for (const int timer : SEQUENCER_TIMERS)
            Session().Timers().stopTimer(timer);
        auto fake = std::make_unique<FakeDialogs>(*window);
        dialogs = fake.get();
        window->Keys().SetDialogs(std::move(fake));
        Session().View().AttachSurfaces(std::make_unique<RecordingSurfaces>(surfaceCalls));
    }

    void ShowWindow()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QCoreApplication::processEvents();
    }

    // As the platform delivers keys: to the focused control.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key, modifiers);
    }

    void LowerWindow()
    {
        window->setFixedHeight(LOW_CLIENT_HEIGHT);
        ASSERT_EQ(window->height(), LOW_CLIENT_HEIGHT);
    }

    // Offset 0 or SCROLLED_OFFSET on a LOW_CLIENT_HEIGHT window.
    void ScrollViewTo(bool scrolled)
    {
        Session().View().ScrollBy(scrolled ? SCROLL_LINE_DOWN : SCROLL_LINE_UP, LOW_CLIENT_HEIGHT, false);
    }

    FrameSession& Session() { return window->Session(); }
    FrameLink& Link() { return Session().Link(); }
    SignalView& View() { return Session().View(); }
    bool Paused() { return Link().m_bPauseReading; }
    std::string Title() const { return window->windowTitle().toStdString(); }
    std::string ConfigPath() const { return folder.filePath("Config.dat").toStdString(); }

    QTemporaryDir folder;
    SurfaceCalls surfaceCalls;
    std::unique_ptr<CTarnscopeDlg> window;
    FakeDialogs* dialogs = nullptr;
};

class KeysWithoutFrameTest : public WindowTest {
protected:
    void SetUp() override
    {
        OpenWindow(Scenario {});
        ShowWindow();
    }
};

class KeysWithFrameTest : public WindowTest {
protected:
    void SetUp() override
    {
        OpenWindow(DefaultScenario());
        ASSERT_TRUE(Session().Device().IsOpen());
        for (int waited = 0; !Link().m_bHandshakeDone && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(Link().m_bHandshakeDone);
        ShowWindow();
    }
};

TEST_F(KeysWithoutFrameTest, DialogKeysWorkAndNoCommandRuns)
{
    const std::string title = Title();
    for (const Qt::Key key : { Qt::Key_S, Qt::Key_M, Qt::Key_X, Qt::Key_C })
        Press(key);
    EXPECT_FALSE(Paused());
    EXPECT_FALSE(Session().m_bSignalViewOn);
    EXPECT_FALSE(Session().Timers().isTimerActive(TIMER_SCAN_X));
    EXPECT_TRUE(dialogs->runs.empty());
    EXPECT_EQ(Title(), title);

    QWidget* save = window->Form().saveButton();
    save->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), save);

    QString question;
    const ModalAnswerer answerer([&](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr);
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    Press(Qt::Key_Escape);
    EXPECT_EQ(question, "Diagnosis result is not save, save it?");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(KeysWithFrameTest, DialogKeysAreSwallowedAndOtherKeysReachTheFocusedControl)
{
    const ModalAnswerer answerer([](QWidget& modal) { modal.close(); });
    QPushButton* autoDiagnosis = window->Form().autoDiagnosisButton();
    autoDiagnosis->setEnabled(true);
    autoDiagnosis->setFocus();

    for (const Qt::Key key : { Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
        Press(key);
        EXPECT_EQ(QApplication::focusWidget(), autoDiagnosis) << key;
    }
    EXPECT_EQ(answerer.answered(), 0) << "no close question";
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(Session().Timers().isTimerActive(TIMER_SCAN_X)) << "Enter clicked the button";

    Press(Qt::Key_Space);
    EXPECT_TRUE(Session().Timers().isTimerActive(TIMER_SCAN_X)) << "Space did not reach the button";
}

TEST_F(KeysWithFrameTest, PauseKeyTogglesReadingAndTitleWhateverTheShiftState)
{
    Session().Settings().xLowThreshold = 0x21;
    struct Step {
        Qt::KeyboardModifiers modifiers;
        int axis;
        bool paused;
        const std::string& title;
    };
    const Step steps[] = {
        { Qt::NoModifier, SCAN_AXIS_X, true, PAUSE_TITLE },
        { Qt::ShiftModifier, SCAN_AXIS_X, false, X_SCANNING_TITLE },
        { Qt::AltModifier, SCAN_AXIS_X, false, X_SCANNING_TITLE }, // a system key, no command
        { Qt::ShiftModifier, SCAN_AXIS_Y, true, PAUSE_TITLE },
        { Qt::NoModifier, SCAN_AXIS_Y, false, Y_SCANNING_TITLE },
    };
    for (const Step& step : steps) {
        Link().m_scanAxis = step.axis;
        Press(Qt::Key_S, step.modifiers);
        EXPECT_EQ(Paused(), step.paused);
        EXPECT_EQ(Title(), step.title);
    }
    EXPECT_EQ(View().m_lowThreshold, 0x80) << "S leaves the view's thresholds alone";
}

TEST_F(KeysWithFrameTest, DialogKeysRunPausedAndResumeOnlyWhenReadingRanBefore)
{
    Link().m_scanAxis = SCAN_AXIS_X;
    Session().Settings().xLowThreshold = 0x21;
    Session().Settings().xHighThreshold = 0x43;
    struct Case {
        Qt::Key key;
        bool pausedBefore;
        const char* dialog;
    };
    const Case cases[] = {
        { Qt::Key_C, false, "settings" },
        { Qt::Key_C, true, "settings" },
        { Qt::Key_T, false, "tools" },
        { Qt::Key_T, true, "tools" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dialog) + (c.pausedBefore ? ", paused by S" : ", reading"));
        dialogs->runs.clear();
        View().m_lowThreshold = 0x80;
        View().m_highThreshold = 0xFF;
        if (c.pausedBefore)
            Press(Qt::Key_S);

        Press(c.key);
        ASSERT_EQ(dialogs->runs.size(), 1u);
        const DialogRun& run = dialogs->runs.front();
        EXPECT_EQ(run.dialog, c.dialog);
        EXPECT_TRUE(run.paused);
        EXPECT_EQ(run.title, PAUSE_TITLE);
        EXPECT_EQ(Paused(), c.pausedBefore);
        EXPECT_EQ(Title(), c.pausedBefore ? PAUSE_TITLE : X_SCANNING_TITLE);
        EXPECT_EQ(View().m_lowThreshold, c.pausedBefore ? 0x80 : 0x21);
        EXPECT_EQ(View().m_highThreshold, c.pausedBefore ? 0xFF : 0x43);
        if (c.key == Qt::Key_T) {
            EXPECT_EQ(run.axis, SCAN_AXIS_X);
            EXPECT_EQ(run.boardSize, DefaultScenario().frames.front().boardSize);
        }
        if (c.pausedBefore)
            Press(Qt::Key_S);
    }
}

TEST_F(KeysWithFrameTest, ToolsKeyBeforeTheHandshakeDoesNothing)
{
    Link().m_bHandshakeDone = false;
    const std::string title = Title();
    Press(Qt::Key_T);
    EXPECT_TRUE(dialogs->runs.empty());
    EXPECT_EQ(Title(), title);
    EXPECT_FALSE(Paused());
}

TEST_F(KeysWithFrameTest, SettingsOkGoesLiveAndIsWrittenToConfigDatAndCancelKeepsEverything)
{
    DiagnosisSettings chosen;
    chosen.xLowThreshold = 0x11;
    chosen.xHighThreshold = 0x22;
    chosen.yLowThreshold = 0x33;
    chosen.yHighThreshold = 0x44;
    chosen.changeDelta = 0x55;
    chosen.differenceRange = -2;
    chosen.lowColour = 0x00332211;
    chosen.highColour = 0x00665544;
    chosen.lightRangeIndex = 3;
    const std::vector<std::uint8_t> expectedFile { 0x94, 0x87, 0xA3, 0x40, 0x4B, 0x36, 0x00, 0x00, 0x11, 0x22, 0x33,
        0x44, 0x55, 0xFE, 0xFF, 0xFF, 0xFF, 0x11, 0x22, 0x33, 0x00, 0x44, 0x55, 0x66, 0x00, 0x03, 0x00, 0x00, 0x00 };
    constexpr std::size_t FREE_HEADER_BYTE = 7;

    Link().m_scanAxis = SCAN_AXIS_Y;
    Session().m_bSignalViewOn = true;
    ASSERT_NO_FATAL_FAILURE(LowerWindow());
    const DiagnosisSettings before = Session().Settings();
    View().m_lowColour = 0x0000FF00;

    for (const bool ok : { false, true }) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        dialogs->runs.clear();
        dialogs->answer = ok ? std::optional<DiagnosisSettings>(chosen) : std::nullopt;
        surfaceCalls = {};
        ScrollViewTo(true);

        Press(Qt::Key_C);
        ASSERT_EQ(dialogs->runs.size(), 1u);
        DiagnosisSettings shown = before;
        shown.lowColour = 0x0000FF00;
        EXPECT_EQ(dialogs->runs.front().shown, shown) << "values of the window, colours of the view";

        QFile file(QString::fromStdString(ConfigPath()));
        EXPECT_EQ(file.exists(), ok);
        EXPECT_EQ(Session().Settings(), ok ? chosen : before);
        EXPECT_EQ(View().m_lowColour, ok ? chosen.lowColour : 0x0000FF00);
        EXPECT_EQ(View().m_highColour, ok ? chosen.highColour : before.highColour);
        EXPECT_EQ(View().m_differenceRange, ok ? chosen.differenceRange : before.differenceRange);
        EXPECT_EQ(surfaceCalls.clears, ok ? 1 : 0) << "a shown view is cleared after OK";
        EXPECT_EQ(View().scrollOffset(), ok ? 0 : SCROLLED_OFFSET) << "and put on the light range";
        EXPECT_EQ(View().m_lowThreshold, Session().Settings().yLowThreshold) << "resumed on the Y axis";
        if (!ok)
            continue;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        std::vector<std::uint8_t> written(bytes.begin(), bytes.end());
        ASSERT_EQ(written.size(), expectedFile.size());
        written[FREE_HEADER_BYTE] = expectedFile[FREE_HEADER_BYTE];
        EXPECT_EQ(written, expectedFile);
    }
}

TEST_F(KeysWithFrameTest, ModeKeyResumesReadingAndClearsTheBufferWhenItSetsTheFlag)
{
    for (const bool flagSet : { true, false }) {
        Press(Qt::Key_S);
        ASSERT_TRUE(Paused());
        Session().m_iModeBuffer.fill(0xAB);

        Press(Qt::Key_I);
        EXPECT_EQ(View().m_iModeFlag, flagSet);
        const std::uint8_t left = flagSet ? 0x00 : 0xAB;
        EXPECT_TRUE(std::ranges::all_of(Session().m_iModeBuffer, [&](std::uint8_t b) { return b == left; }));
        EXPECT_FALSE(Paused());
        EXPECT_EQ(Title(), PAUSE_TITLE) << "the title still says Pause";
    }
}

TEST_F(KeysWithFrameTest, ViewKeyShowsClearsAndPositionsTheViewThenHidesIt)
{
    ASSERT_NO_FATAL_FAILURE(LowerWindow());
    const std::string title = Title();
    struct Step {
        bool pausedBefore;
        bool shown;
        int clears;
        int offset;
    };
    const Step steps[] = {
        { false, true, 1, 0 },
        { false, false, 1, SCROLLED_OFFSET },
        { true, true, 2, 0 },
        { true, false, 2, SCROLLED_OFFSET },
    };
    for (const Step& step : steps) {
        Link().m_bPauseReading = step.pausedBefore;
        ScrollViewTo(true);
        Press(Qt::Key_M);
        EXPECT_EQ(Session().m_bSignalViewOn, step.shown);
        EXPECT_EQ(surfaceCalls.clears, step.clears);
        EXPECT_EQ(View().scrollOffset(), step.offset);
        EXPECT_EQ(Paused(), step.pausedBefore);
        EXPECT_EQ(Title(), title);
    }
    EXPECT_TRUE(surfaceCalls.presentedOffsets.empty());
}

TEST_F(KeysWithFrameTest, AxisKeyStopsThePendingScanStartOfTheOtherAxis)
{
    struct Case {
        Qt::Key key;
        int pending;
        int started;
    };
    for (const Case& c :
        { Case { Qt::Key_X, TIMER_SCAN_Y, TIMER_SCAN_X }, Case { Qt::Key_Y, TIMER_SCAN_X, TIMER_SCAN_Y } }) {
        Session().Timers().stopTimer(c.started);
        Session().Timers().startTimer(c.pending, TIMER_SCAN_PERIOD_MS);
        Link().m_scanMode = SCAN_MODE_TX;
        Press(c.key);
        EXPECT_EQ(Link().m_scanMode.load(), SCAN_MODE_ALL);
        EXPECT_FALSE(Session().Timers().isTimerActive(c.pending));
        EXPECT_TRUE(Session().Timers().isTimerActive(c.started));
    }
}

TEST_F(KeysWithFrameTest, ScrollAndDeleteKeysPresentOnlyWhileReadingRuns)
{
    ASSERT_NO_FATAL_FAILURE(LowerWindow());
    struct Case {
        Qt::Key key;
        bool paused;
        bool scrolledBefore;
        int offset;
        int clears;
        std::vector<int> presented;
    };
    const Case cases[] = {
        { Qt::Key_PageDown, false, false, SCROLLED_OFFSET, 0, {} },
        { Qt::Key_Down, true, false, SCROLLED_OFFSET, 0, { SCROLLED_OFFSET } },
        { Qt::Key_Up, true, true, 0, 0, { 0 } },
        { Qt::Key_PageUp, false, true, 0, 0, {} },
        { Qt::Key_Delete, true, true, SCROLLED_OFFSET, 1, {} },
        { Qt::Key_Delete, false, true, SCROLLED_OFFSET, 1, { SCROLLED_OFFSET } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        surfaceCalls = {};
        Link().m_bPauseReading = c.paused;
        ScrollViewTo(c.scrolledBefore);
        Press(c.key);
        EXPECT_EQ(View().scrollOffset(), c.offset);
        EXPECT_EQ(surfaceCalls.clears, c.clears);
        EXPECT_EQ(surfaceCalls.presentedOffsets, c.presented);
    }
}

TEST_F(KeysWithFrameTest, WheelScrollsALineAndPresentsOnlyWhilePaused)
{
    ASSERT_NO_FATAL_FAILURE(LowerWindow());
    struct Case {
        QPoint angle;
        bool paused;
        bool scrolledBefore;
        int offset;
        std::vector<int> presented;
    };
    const Case cases[] = {
        { { 0, -120 }, true, false, SCROLLED_OFFSET, { SCROLLED_OFFSET } }, // toward the user: down
        { { 0, 120 }, false, true, 0, {} },
        { { 0, 0 }, true, true, 0, { 0 } }, // no distance counts as away from the user
        { { 120, 0 }, true, true, SCROLLED_OFFSET, {} }, // a sideways wheel does not scroll
    };
    for (const Case& c : cases) {
        surfaceCalls = {};
        Link().m_bPauseReading = c.paused;
        ScrollViewTo(c.scrolledBefore);
        const QPointF position(10, 10);
        QWheelEvent wheel(position, window->mapToGlobal(position), QPoint(), c.angle, Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window.get(), &wheel);
        EXPECT_EQ(View().scrollOffset(), c.offset) << c.angle.x() << "," << c.angle.y();
        EXPECT_EQ(surfaceCalls.presentedOffsets, c.presented) << c.angle.x() << "," << c.angle.y();
    }
}

TEST(QtTroubleshootDialogsTest, SettingsGiveTheDialogValuesOnlyAfterOk)
{
    QWidget parent;
    testing::ScriptedPrompt prompt;
    QtTroubleshootDialogs dialogs(parent, prompt);
    for (const bool ok : { true, false }) {
        const ModalAnswerer answerer([ok](QWidget& modal) {
            auto* dialog = qobject_cast<CSettingsDialog*>(&modal);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("password")->setText("Corvalt4726");
            dialog->findChild<QPushButton*>("activate")->click();
            dialog->findChild<QLineEdit*>("xLow")->setText("7F");
            dialog->findChild<QPushButton*>(ok ? "ok" : "cancel")->click();
        });
        DiagnosisSettings settings;
        settings.yHighThreshold = 0x12;
        EXPECT_EQ(dialogs.runSettings(settings), ok);
        EXPECT_EQ(answerer.answered(), 1);
        EXPECT_EQ(settings.xLowThreshold, ok ? 0x7F : 0x80);
        EXPECT_EQ(settings.yHighThreshold, 0x12) << "opened with the values given";
    }
}

TEST(QtTroubleshootDialogsTest, ToolsOpenOnTheGivenAxis)
{
    QWidget parent;
    testing::ScriptedPrompt prompt;
    QtTroubleshootDialogs dialogs(parent, prompt);
    for (const int axis : { SCAN_AXIS_X, SCAN_AXIS_Y }) {
        int shownAxis = -1;
        const ModalAnswerer answerer([&](QWidget& modal) {
            auto* dialog = qobject_cast<CToolsDialog*>(&modal);
            ASSERT_NE(dialog, nullptr);
            shownAxis = dialog->SelectedAxis();
            dialog->accept();
        });
        dialogs.runTools(axis, 82);
        EXPECT_EQ(answerer.answered(), 1);
        EXPECT_EQ(shownAxis, axis);
    }
}

} // namespace
} // namespace tarnscope
