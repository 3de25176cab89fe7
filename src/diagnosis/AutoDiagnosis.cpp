#include "diagnosis/AutoDiagnosis.h"

#include "common/TimerIds.h"

namespace tarnscope {

AutoDiagnosis::AutoDiagnosis(FrameLink& link, TimerService& timers, Clock& clock, DiagnosisHost& host)
    : m_link(link)
    , m_timers(timers)
    , m_clock(clock)
    , m_host(host)
{ }

void AutoDiagnosis::OnAutoDiagnosis()
{
    if (!m_link.Device().IsOpen())
        return;
    m_link.ClearResults();
    m_host.setButtonEnabled(BUTTON_AUTO_DIAGNOSIS, false);
    m_link.ClearPacketQueue();
    m_host.diagnosisStarted();
    m_link.m_bCollecting = false;
    m_timers.startTimer(TIMER_SCAN_X, TIMER_SCAN_PERIOD_MS);
    m_timers.startTimer(TIMER_PROGRESS, TIMER_PROGRESS_PERIOD_MS);
    m_timers.startTimer(TIMER_SWITCH_AXIS, TIMER_SWITCH_AXIS_PERIOD_MS);
}

bool AutoDiagnosis::OnTimer(int timerId)
{
    switch (timerId) {
    case TIMER_SCAN_X:
        OnScanTimer(SCAN_AXIS_X, timerId);
        return true;
    case TIMER_SCAN_Y:
        OnScanTimer(SCAN_AXIS_Y, timerId);
        return true;
    case TIMER_PROGRESS:
        OnProgressTimer();
        return true;
    case TIMER_SWITCH_AXIS:
        OnSwitchAxisTimer();
        return true;
    case TIMER_FINISH:
        OnFinishTimer();
        return true;
    default:
        return false;
    }
}

void AutoDiagnosis::OnScanTimer(int axis, int timerId)
{
    if (!m_link.Device().IsOpen()) {
        m_timers.stopTimer(timerId);
        return;
    }
    m_host.readConfigFile();
    m_host.applyScanThresholds(axis);
    m_link.m_bPauseReading = false;
    m_link.SetRange(axis, {});
    m_link.StartScan(axis);
}

void AutoDiagnosis::OnProgressTimer()
{
    m_link.m_bCollecting = true;
    const int position = m_host.progress();
    m_host.setProgress(position < 100 ? position + 20 : 0);
}

void AutoDiagnosis::OnSwitchAxisTimer()
{
    m_timers.stopTimer(TIMER_SWITCH_AXIS);
    m_link.m_bPauseReading = true;
    m_timers.startTimer(TIMER_SCAN_Y, TIMER_SCAN_PERIOD_MS);
    m_timers.startTimer(TIMER_FINISH, TIMER_FINISH_PERIOD_MS);
}

void AutoDiagnosis::OnFinishTimer()
{
    m_link.m_bPauseReading = true;
    m_link.m_bCollecting = false;
    m_clock.sleepMs(100);
    m_host.setProgress(0);
    m_timers.stopTimer(TIMER_PROGRESS);
    m_link.SendDiagnosisMode(false);
    m_timers.stopTimer(TIMER_FINISH);
    m_host.analyseBadLights();
    m_host.setTitle(g_titlePrefix + "Troubleshooting Tools,Diagnosis compelete!");
    m_host.setButtonEnabled(BUTTON_AUTO_DIAGNOSIS, m_link.Device().IsOpen());
    m_host.diagnosisFinished();
}

} // namespace tarnscope
