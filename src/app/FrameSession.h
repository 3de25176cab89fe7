#pragma once

#include "advance/AdvanceCounters.h"
#include "advance/AdvanceReport.h"
#include "app/DiagnosisRecord.h"
#include "app/QtSeams.h"
#include "app/SessionView.h"
#include "common/Clock.h"
#include "common/UserPrompt.h"
#include "device/CHIDDevice.h"
#include "device/FrameLink.h"
#include "diagnosis/AutoDiagnosis.h"
#include "results/SaveResults.h"
#include "troubleshoot/Settings.h"
#include "troubleshoot/SignalView.h"

#include <optional>
#include <string>

class QObject;

namespace tarnscope {

// One program's worth of diagnosis state and operations without any widget:
// the device, the link threads, the sequencer, the analysis and picture, the
// advance counting and report, the settings and the save. The window and the
// command-line tool each own one and differ only in their SessionView.
class FrameSession final : public LinkHost, public DiagnosisHost {
public:
    struct Options {
        std::optional<std::string> documentsFolder; // replaces the user's documents folder
        std::string configPath; // Config.dat
        // The command-line tool leaves the picture it reported in place.
        bool keepResultsOnExit = false;
    };
    FrameSession(
        HidBackend& backend, Clock& clock, UserPrompt& prompt, SessionView& view, QObject* uiContext, Options options);
    ~FrameSession() override;

    // Start-up: empty the results folder and connect an attached frame.
    void Start();
    // Shut-down: leave diagnosis mode, stop the threads, empty queue and folder.
    void Shutdown();

    void OnDeviceChange() { m_link.OnDeviceChange(); }
    void OnAutoDiagnosis() { m_sequencer.OnAutoDiagnosis(); }
    // True when the frame entered advance mode and the advance screen is up.
    bool OnAdvanceDiagnosis();
    void OnAdvanceNotice(int first, int second);
    SaveOutcome OnSave(const std::optional<std::string>& fixedPath = {});
    CloseDecision OnCloseRequest();

    FrameLink& Link() { return m_link; }
    CHIDDevice& Device() { return m_device; }
    TimerService& Timers() { return m_timers; }
    SignalView& View() { return m_signalView; }
    DiagnosisSettings& Settings() { return m_settings; }
    const std::optional<DiagnosisRecord>& LastDiagnosis() const { return m_lastDiagnosis; }
    bool Saved() const { return m_bSaved; }
    std::string ResultsFolder() const;

    // LinkHost and DiagnosisHost.
    void setTitle(const std::string& title) override { m_view.setTitle(title); }
    void setButtonEnabled(int buttonId, bool enabled) override { m_view.setButtonEnabled(buttonId, enabled); }
    void quitProgram() override { m_view.quitProgram(); }
    void runAutoDiagnosis() override { OnAutoDiagnosis(); }
    void diagnosisStarted() override { m_bSaved = false; }
    int progress() const override { return m_view.progress(); }
    void setProgress(int position) override { m_view.setProgress(position); }
    void readConfigFile() override;
    void applyScanThresholds(int axis) override;
    void analyseBadLights() override;
    void diagnosisFinished() override;

    // Called after every automatic diagnosis has finished (for batch runs).
    void SetFinishedHandler(std::function<void()> handler) { m_finished = std::move(handler); }
    const std::optional<AdvanceReport>& LastAdvanceReport() const { return m_lastAdvanceReport; }

    Clock& SessionClock() { return m_clock; }
    // The settings dialog ended with OK: the values go live and into
    // Config.dat. The view's thresholds wait for the next scan start.
    void ApplySettings(const DiagnosisSettings& settings, int clientHeight);
    // Clears the live view and positions it on the light range again.
    void ResetSignalView(int clientHeight);

    // Window state of the troubleshooting keys: whether the live view is
    // shown, and the buffer the mode key zeroes.
    bool m_bSignalViewOn = false;
    std::array<std::uint8_t, 2048> m_iModeBuffer {};

private:
    void TallyAdvance(const HidReport& report);
    void BuildAdvanceResult();

    Clock& m_clock;
    UserPrompt& m_prompt;
    SessionView& m_view;
    Options m_options;
    CHIDDevice m_device;
    QtUiThread m_ui;
    QtTimerService m_timers;
    FrameLink m_link;
    AutoDiagnosis m_sequencer;
    SignalView m_signalView;
    DiagnosisSettings m_settings;
    AdvanceCounters m_advanceCounters;
    std::string m_advanceLog;
    bool m_bSaved = false;
    std::optional<DiagnosisRecord> m_lastDiagnosis;
    std::optional<AdvanceReport> m_lastAdvanceReport;
    std::function<void()> m_finished;
};

} // namespace tarnscope
