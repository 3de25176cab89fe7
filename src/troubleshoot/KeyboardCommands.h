#pragma once

#include "troubleshoot/Settings.h"

#include <QObject>
#include <functional>
#include <memory>

class QKeyEvent;
class QWheelEvent;
class QWidget;

namespace tarnscope {

class FrameSession;
class UserPrompt;

// The modal dialogs the troubleshooting keys open; tests answer them.
class TroubleshootDialogs {
public:
    virtual ~TroubleshootDialogs() = default;
    // True after OK, with `settings` holding the values read from the dialog.
    virtual bool runSettings(DiagnosisSettings& settings) = 0;
    // Its outcome changes nothing.
    virtual void runTools(int axis, int boardSize) = 0;
};

// CSettingsDialog and CToolsDialog, modal on `parent`.
class QtTroubleshootDialogs final : public TroubleshootDialogs {
public:
    QtTroubleshootDialogs(QWidget& parent, UserPrompt& prompt);
    bool runSettings(DiagnosisSettings& settings) override;
    void runTools(int axis, int boardSize) override;

private:
    QWidget& m_parent;
    UserPrompt& m_prompt;
};

// The single-key troubleshooting commands of the main window, and the mouse
// wheel over it. While a frame is open, every key-down for the window's
// focused control runs the key's command and Tab, Enter and Escape no longer
// act on the dialog; other keys still reach the control. Without a frame the
// window keeps its usual keyboard handling.
class KeyboardCommands final : public QObject {
public:
    // Filters the application's events for those of `window`.
    KeyboardCommands(QWidget& window, FrameSession& session, std::unique_ptr<TroubleshootDialogs> dialogs);

    void SetDialogs(std::unique_ptr<TroubleshootDialogs> dialogs) { m_dialogs = std::move(dialogs); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key must not go on to the dialog.
    bool OnKeyPress(const QKeyEvent& key);
    void OnWheel(const QWheelEvent& wheel);
    void RunCommand(int key);

    void ScrollView(int kind);
    void ClearView();
    void OpenSettings();
    void OpenTools();
    void ToggleIMode();
    void ToggleSignalView();
    void TogglePause();
    void StartAxisScan(int axis);

    // Runs `dialog` with reading paused; resumes afterwards unless reading
    // was paused already.
    void RunPaused(const std::function<void()>& dialog);
    void ResumeScanning();
    void ShowTitle(const char* status);
    bool Paused() const;
    int ClientHeight() const;

    QWidget& m_window;
    FrameSession& m_session;
    std::unique_ptr<TroubleshootDialogs> m_dialogs;
};

} // namespace tarnscope
