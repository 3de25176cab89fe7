#pragma once

#include "common/UiThread.h"
#include "device/FrameLink.h"

#include <string>

namespace tarnscope {

// What the sequencer needs from the program around it (UI thread only).
class DiagnosisHost {
public:
    virtual ~DiagnosisHost() = default;
    // A run starts: there are new results to save.
    virtual void diagnosisStarted() = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setButtonEnabled(int buttonId, bool enabled) = 0;
    virtual int progress() const = 0;
    virtual void setProgress(int position) = 0;
    // Re-reads the settings file before every scan start.
    virtual void readConfigFile() = 0;
    // Copies the axis thresholds into the live view.
    virtual void applyScanThresholds(int axis) = 0;
    // The light-value analysis, its picture and its presentation.
    virtual void analyseBadLights() = 0;
    // The run has ended and its title is shown.
    virtual void diagnosisFinished() { }
};

// The timed X-then-Y scan of one automatic diagnosis, driven by five timers.
class AutoDiagnosis {
public:
    AutoDiagnosis(FrameLink& link, TimerService& timers, Clock& clock, DiagnosisHost& host);

    // The "Auto Diagnosis" button, also run after every connection.
    void OnAutoDiagnosis();
    // Returns false for timer ids that are not the sequencer's.
    bool OnTimer(int timerId);

private:
    void OnScanTimer(int axis, int timerId);
    void OnProgressTimer();
    void OnSwitchAxisTimer();
    void OnFinishTimer();

    FrameLink& m_link;
    TimerService& m_timers;
    Clock& m_clock;
    DiagnosisHost& m_host;
};

} // namespace tarnscope
