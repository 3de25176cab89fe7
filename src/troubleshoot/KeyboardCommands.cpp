#include "troubleshoot/KeyboardCommands.h"

#include "app/FrameSession.h"
#include "common/TimerIds.h"
#include "troubleshoot/CSettingsDialog.h"
#include "troubleshoot/CToolsDialog.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <array>

namespace tarnscope {

namespace {

// Keys the dialog itself acts on: focus movement, default button, cancel.
constexpr std::array<int, 5> DIALOG_KEYS { Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Enter,
    Qt::Key_Escape };

constexpr int IMODE_PAUSE_MS = 100;

constexpr const char* PAUSE_TITLE = "Troubleshooting Tools, Pause";

const char* ScanningTitle(int axis)
{
    return axis == SCAN_AXIS_X ? "Troubleshooting Tools, X Scaning..." : "Troubleshooting Tools, Y Scaning...";
}

} // namespace

QtTroubleshootDialogs::QtTroubleshootDialogs(QWidget& parent, UserPrompt& prompt)
    : m_parent(parent)
    , m_prompt(prompt)
{ }

bool QtTroubleshootDialogs::runSettings(DiagnosisSettings& settings)
{
    CSettingsDialog dialog(settings, m_prompt, &m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = dialog.Settings();
    return true;
}

// The dialog shows the same result line for every board size.
void QtTroubleshootDialogs::runTools(int axis, [[maybe_unused]] int boardSize)
{
    CToolsDialog dialog(axis, &m_parent);
    dialog.exec();
}

KeyboardCommands::KeyboardCommands(QWidget& window, FrameSession& session, std::unique_ptr<TroubleshootDialogs> dialogs)
    : m_window(window)
    , m_session(session)
    , m_dialogs(std::move(dialogs))
{
    // At application level, so controls created later are covered too.
    QCoreApplication::instance()->installEventFilter(this);
}

bool KeyboardCommands::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // A key goes first to the focused control (the window itself when none
        // has the focus), then up to its parents; the command runs once, there.
        QWidget* focus = m_window.focusWidget();
        return watched == (focus ? focus : &m_window) && OnKeyPress(static_cast<const QKeyEvent&>(*event));
    }
    case QEvent::Wheel:
        if (watched == &m_window)
            OnWheel(static_cast<const QWheelEvent&>(*event));
        return false;
    default:
        return false;
    }
}

bool KeyboardCommands::OnKeyPress(const QKeyEvent& key)
{
    // Alt combinations are system keys, not commands.
    if (key.modifiers() & Qt::AltModifier || !m_session.Device().IsOpen())
        return false;
    RunCommand(key.key());
    return std::ranges::find(DIALOG_KEYS, key.key()) != DIALOG_KEYS.end();
}

void KeyboardCommands::OnWheel(const QWheelEvent& wheel)
{
    const QPoint delta = wheel.angleDelta();
    // Only turns of a vertical wheel scroll; a touchpad's begin and end
    // notices carry no turn at all.
    if ((delta.y() == 0 && delta.x() != 0) || wheel.phase() == Qt::ScrollBegin || wheel.phase() == Qt::ScrollEnd)
        return;
    m_session.View().WheelScroll(delta.y(), ClientHeight(), Paused());
}

void KeyboardCommands::RunCommand(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
        ScrollView(SCROLL_PAGE_UP);
        break;
    case Qt::Key_PageDown:
        ScrollView(SCROLL_PAGE_DOWN);
        break;
    case Qt::Key_Up:
        ScrollView(SCROLL_LINE_UP);
        break;
    case Qt::Key_Down:
        ScrollView(SCROLL_LINE_DOWN);
        break;
    case Qt::Key_Delete:
        ClearView();
        break;
    case Qt::Key_C:
        OpenSettings();
        break;
    case Qt::Key_I:
        ToggleIMode();
        break;
    case Qt::Key_M:
        ToggleSignalView();
        break;
    case Qt::Key_S:
        TogglePause();
        break;
    case Qt::Key_T:
        OpenTools();
        break;
    case Qt::Key_X:
        StartAxisScan(SCAN_AXIS_X);
        break;
    case Qt::Key_Y:
        StartAxisScan(SCAN_AXIS_Y);
        break;
    default:
        break;
    }
}

void KeyboardCommands::ScrollView(int kind)
{
    m_session.View().ScrollBy(kind, ClientHeight(), Paused());
}

void KeyboardCommands::ClearView()
{
    m_session.View().Clear();
    if (Paused())
        m_window.update();
    else
        m_session.View().Present();
}

void KeyboardCommands::OpenSettings()
{
    RunPaused([this] {
        DiagnosisSettings settings = m_session.Settings();
        settings.lowColour = m_session.View().m_lowColour;
        settings.highColour = m_session.View().m_highColour;
        if (m_dialogs->runSettings(settings))
            m_session.ApplySettings(settings, ClientHeight());
    });
}

void KeyboardCommands::OpenTools()
{
    FrameLink& link = m_session.Link();
    if (link.m_bHandshakeDone)
        RunPaused([&] { m_dialogs->runTools(link.m_scanAxis, link.BoardSize()); });
}

void KeyboardCommands::ToggleIMode()
{
    FrameLink& link = m_session.Link();
    link.m_bPauseReading = true;
    m_session.SessionClock().sleepMs(IMODE_PAUSE_MS);
    SignalView& view = m_session.View();
    view.m_iModeFlag = !view.m_iModeFlag;
    if (view.m_iModeFlag)
        m_session.m_iModeBuffer.fill(0);
    link.m_bPauseReading = false;
}

void KeyboardCommands::ToggleSignalView()
{
    FrameLink& link = m_session.Link();
    const bool wasPaused = link.m_bPauseReading.exchange(true);
    link.ClearPacketQueue();
    m_session.m_bSignalViewOn = !m_session.m_bSignalViewOn;
    if (m_session.m_bSignalViewOn)
        m_session.ResetSignalView(ClientHeight());
    if (!wasPaused)
        link.m_bPauseReading = false;
}

void KeyboardCommands::TogglePause()
{
    FrameLink& link = m_session.Link();
    const bool paused = !link.m_bPauseReading;
    link.m_bPauseReading = paused;
    ShowTitle(paused ? PAUSE_TITLE : ScanningTitle(link.m_scanAxis));
    link.ClearPacketQueue();
}

void KeyboardCommands::StartAxisScan(int axis)
{
    m_session.Link().m_scanMode = SCAN_MODE_ALL;
    TimerService& timers = m_session.Timers();
    timers.stopTimer(axis == SCAN_AXIS_X ? TIMER_SCAN_Y : TIMER_SCAN_X);
    timers.startTimer(axis == SCAN_AXIS_X ? TIMER_SCAN_X : TIMER_SCAN_Y, TIMER_SCAN_PERIOD_MS);
}

void KeyboardCommands::RunPaused(const std::function<void()>& dialog)
{
    const bool wasPaused = m_session.Link().m_bPauseReading.exchange(true);
    ShowTitle(PAUSE_TITLE);
    dialog();
    if (!wasPaused)
        ResumeScanning();
}

void KeyboardCommands::ResumeScanning()
{
    FrameLink& link = m_session.Link();
    const int axis = link.m_scanAxis;
    ShowTitle(ScanningTitle(axis));
    m_session.applyScanThresholds(axis);
    link.m_bPauseReading = false;
}

void KeyboardCommands::ShowTitle(const char* status)
{
    m_session.setTitle(g_titlePrefix + status);
}

bool KeyboardCommands::Paused() const
{
    return m_session.Link().m_bPauseReading;
}

int KeyboardCommands::ClientHeight() const
{
    return m_window.height();
}

} // namespace tarnscope
