#include "app/FrameSession.h"

#include "advance/AdvanceReport.h"
#include "diagnosis/BoardModel.h"
#include "results/ResultsFolder.h"

#include <QImage>
#include <QLoggingCategory>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcAnalysis, "tarnscope.analysis")

namespace tarnscope {

namespace {

constexpr int LEAVE_DIAGNOSIS_ATTEMPTS = 10;

} // namespace

FrameSession::FrameSession(
    HidBackend& backend, Clock& clock, UserPrompt& prompt, SessionView& view, QObject* uiContext, Options options)
    : m_clock(clock)
    , m_prompt(prompt)
    , m_view(view)
    , m_options(std::move(options))
    , m_device(backend)
    , m_ui(uiContext)
    , m_timers([this](int id) { m_sequencer.OnTimer(id); })
    , m_link({ m_device, clock, m_ui, m_timers, prompt, *this })
    , m_sequencer(m_link, m_timers, clock, *this)
{
    m_link.SetAdvanceHandler([this](const HidReport& report) { TallyAdvance(report); });
}

FrameSession::~FrameSession()
{
    m_link.StopThreads();
}

std::string FrameSession::ResultsFolder() const
{
    return m_options.documentsFolder ? GetResultsFolder(*m_options.documentsFolder) : GetResultsFolder();
}

void FrameSession::Start()
{
    ClearResultsFolder(ResultsFolder());
    m_link.m_bCollecting = false;
    m_link.m_scanMode = SCAN_MODE_ALL;
    m_link.m_bPauseReading = false;
    // Seeds the handshake nonces.
    std::srand(static_cast<unsigned>(m_clock.nowMs()));
    m_link.OnDeviceChange();
}

void FrameSession::Shutdown()
{
    m_link.m_bPauseReading = true;
    m_link.SendDiagnosisMode(false);
    m_clock.sleepMs(10);
    m_link.StopThreads();
    m_link.ClearPacketQueue();
    if (!m_options.keepResultsOnExit)
        ClearResultsFolder(ResultsFolder());
}

void FrameSession::readConfigFile()
{
    if (ReadConfigFile(m_options.configPath, m_settings)) {
        m_signalView.m_lowColour = m_settings.lowColour;
        m_signalView.m_highColour = m_settings.highColour;
        m_signalView.m_differenceRange = m_settings.differenceRange;
    }
}

void FrameSession::ApplySettings(const DiagnosisSettings& settings, int clientHeight)
{
    m_settings = settings;
    m_signalView.m_lowColour = settings.lowColour;
    m_signalView.m_highColour = settings.highColour;
    m_signalView.m_differenceRange = settings.differenceRange;
    WriteConfigFile(m_options.configPath, m_settings);
    if (m_bSignalViewOn)
        ResetSignalView(clientHeight);
}

void FrameSession::ResetSignalView(int clientHeight)
{
    m_signalView.Clear();
    m_signalView.ScrollToItem(m_settings.lightRangeIndex, clientHeight);
}

void FrameSession::applyScanThresholds(int axis)
{
    const bool x = axis == SCAN_AXIS_X;
    m_signalView.m_lowThreshold = x ? m_settings.xLowThreshold : m_settings.yLowThreshold;
    m_signalView.m_highThreshold = x ? m_settings.xHighThreshold : m_settings.yHighThreshold;
}

void FrameSession::analyseBadLights()
{
    DiagnosisRecord record;
    record.boardSize = m_link.BoardSize();
    record.firmware = m_link.Firmware();
    record.serialId = m_link.SerialIdCopy();
    record.analysisTime = m_clock.calendarTime();
    const TraceSink trace = [](const std::string& line) { qCDebug(lcAnalysis, "%s", line.c_str()); };
    m_link.WithBadLights([&](BadLightList& x, BadLightList& y) {
        record.xBadLights = x;
        record.yBadLights = y;
        record.result = AnalyseBadLights(x, y, record.boardSize, trace);
    });
    const QImage picture = DrawRecordPicture(record, ResultsFolder());
    if (record.result)
        m_view.showDiagnosisPicture(picture, record.result->model->showMaximised);
    m_lastDiagnosis = std::move(record);
}

void FrameSession::diagnosisFinished()
{
    if (m_finished)
        m_finished();
}

bool FrameSession::OnAdvanceDiagnosis()
{
    if (!m_device.IsOpen()) {
        m_prompt.showMessage("Hardware is not connected,Connect hardware first!", "Warning", MessageIcon::Information);
        return false;
    }
    m_link.m_bPauseReading = false;
    for (int attempt = 0; attempt < LEAVE_DIAGNOSIS_ATTEMPTS; ++attempt) {
        if (m_link.SendDiagnosisMode(false))
            break;
    }
    if (!m_link.EnterAdvanceMode(m_view.screenWidth(), m_view.screenHeight())) {
        m_link.m_bPauseReading = true;
        m_prompt.showMessage("Enter Advance Mode failed,Please retry!", "Warning", MessageIcon::Information);
        return false;
    }
    m_advanceCounters.clear();
    m_view.showAdvanceScreen();
    m_link.SetAdvanceActive(true);
    m_bSaved = false;
    return true;
}

void FrameSession::TallyAdvance(const HidReport& report)
{
    if (const auto position = TallyAdvanceReport(m_advanceCounters, report, m_link.m_scanAxis))
        m_view.showCurrentPos(*position);
}

void FrameSession::OnAdvanceNotice(int first, int second)
{
    if (second == 0) {
        m_link.m_scanAxis = first;
        return;
    }
    // The advance screen is hidden: reports take the normal path again.
    m_link.SetAdvanceActive(false);
    m_link.LeaveAdvanceMode();
    if (first != 1)
        BuildAdvanceResult();
}

void FrameSession::BuildAdvanceResult()
{
    const auto report = BuildAdvanceReport(
        m_advanceCounters.snapshot(), m_link.BoardSize(), m_link.SerialIdCopy(), m_clock.calendarTime());
    if (!report) {
        m_prompt.showMessage("Current is not support", "Warning", MessageIcon::Information);
        return;
    }
    m_lastAdvanceReport = report;
    m_advanceLog = report->advanceLog;
    m_view.setListTexts(report->xListBoxText, report->yListBoxText);
    m_view.setResultText(report->reportText);
    m_prompt.showMessage("Advance Diagnosis complete! Please save and send diagnosis result to us.", "Complete",
        MessageIcon::Information);
}

SaveOutcome FrameSession::OnSave(const std::optional<std::string>& fixedPath)
{
    const auto collect = [this](std::time_t saveTime) {
        LogInputs inputs;
        inputs.serialId = m_link.SerialIdCopy();
        inputs.boardSize = m_link.BoardSize();
        inputs.firmware = m_link.Firmware();
        inputs.extraId = m_link.ExtraIdCopy();
        inputs.xListText = m_view.listText(LIST_X);
        inputs.yListText = m_view.listText(LIST_Y);
        inputs.advanceLog = m_advanceLog;
        inputs.packetLog = m_link.PacketLogCopy();
        inputs.saveTime = saveTime;
        return inputs;
    };
    SaveOutcome outcome = SaveResults(m_prompt, m_clock, collect, fixedPath, m_options.documentsFolder);
    if (outcome.marksSaved())
        m_bSaved = true;
    return outcome;
}

CloseDecision FrameSession::OnCloseRequest()
{
    return AskBeforeClose(m_bSaved, m_prompt, [this] { return OnSave(); });
}

} // namespace tarnscope
