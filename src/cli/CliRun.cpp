#include "cli/CliRun.h"

#include "app/AppPaths.h"
#include "app/FrameSession.h"
#include "app/FrameSource.h"
#include "cli/ConsoleView.h"
#include "cli/DiagnosisJson.h"
#include "results/ResultsFolder.h"
#include "sim/Scenario.h"

#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tarnscope {

namespace {

// Longest automatic diagnosis we wait for once a frame is connected.
constexpr int DIAGNOSIS_LIMIT_MS = 30000;

std::unique_ptr<FrameSource> MakeSource(const CliOptions& options, std::string& error)
{
    if (!options.useVirtual)
        return FrameSource::CreateHidraw();
    if (!options.scenarioPath)
        return FrameSource::CreateVirtual(DefaultScenario());
    const auto scenario = LoadScenarioFile(*options.scenarioPath, error);
    return scenario ? FrameSource::CreateVirtual(*scenario) : nullptr;
}

std::string WithoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file.flush());
}

FrameSession::Options BatchOptions()
{
    FrameSession::Options options = DefaultSessionOptions();
    options.keepResultsOnExit = true;
    return options;
}

// A session on a terminal, run until its first automatic diagnosis finishes,
// the frame refuses, or no frame comes within the wait.
class BatchSession {
public:
    BatchSession(const CliOptions& options, FrameSource& source)
        : m_view(options.json)
        , m_session(source.Backend(), m_clock, m_prompt, m_view, &m_context, BatchOptions())
    {
        m_session.SetFinishedHandler([this] {
            m_finished = true;
            m_loop.quit();
        });
        m_view.SetQuitHandler([this] { m_loop.quit(); });
        source.Start([this] { m_session.OnDeviceChange(); });
    }
    ~BatchSession() { m_session.Shutdown(); }

    // True when an automatic diagnosis ran to its end.
    bool RunDiagnosis(double waitSeconds)
    {
        m_session.Start();
        QTimer waitForFrame;
        waitForFrame.setSingleShot(true);
        QObject::connect(&waitForFrame, &QTimer::timeout, [this] {
            if (!m_session.Device().IsOpen())
                m_loop.quit();
        });
        waitForFrame.start(static_cast<int>(waitSeconds * 1000));
        QTimer::singleShot(static_cast<int>(waitSeconds * 1000) + DIAGNOSIS_LIMIT_MS, &m_loop, &QEventLoop::quit);
        if (!m_finished && !m_view.QuitRequested())
            m_loop.exec();
        return m_finished;
    }

    // Runs the event loop for a while (advance passes).
    void RunFor(double seconds)
    {
        QTimer::singleShot(static_cast<int>(seconds * 1000), &m_loop, &QEventLoop::quit);
        m_loop.exec();
    }

    FrameSession& Session() { return m_session; }
    ConsoleView& View() { return m_view; }
    ConsolePrompt& Prompt() { return m_prompt; }

private:
    SteadyClock m_clock;
    ConsoleView m_view;
    ConsolePrompt m_prompt;
    QObject m_context;
    FrameSession m_session;
    QEventLoop m_loop;
    bool m_finished = false;
};

int ReportNoDiagnosis(BatchSession& batch, double waitSeconds)
{
    if (!batch.View().QuitRequested() && batch.Prompt().MessageCount() == 0)
        std::fprintf(stderr, "No touch frame found within %g s.\n", waitSeconds);
    return EXIT_NO_DIAGNOSIS;
}

// Connects one frame and runs its first automatic diagnosis (as the window
// does after every connection), then `next`.
int RunAfterDiagnosis(const CliOptions& options, const std::function<int(BatchSession&)>& next)
{
    std::string error;
    auto source = MakeSource(options, error);
    if (!source) {
        std::fprintf(stderr, "tarnscope-cli: %s\n", error.c_str());
        return EXIT_USAGE;
    }
    BatchSession batch(options, *source);
    if (!batch.RunDiagnosis(options.waitSeconds) || !batch.Session().LastDiagnosis())
        return ReportNoDiagnosis(batch, options.waitSeconds);
    return next(batch);
}

int ReportDiagnosis(const CliOptions& options, BatchSession& batch)
{
    const DiagnosisRecord& record = *batch.Session().LastDiagnosis();
    if (options.dumpStatePath && !WriteTextFile(*options.dumpStatePath, StateJson(record).dump(2) + "\n"))
        std::fprintf(stderr, "tarnscope-cli: cannot write %s\n", options.dumpStatePath->c_str());

    std::optional<std::string> saved;
    bool saveFailed = false;
    if (options.savePath) {
        const SaveOutcome outcome = batch.Session().OnSave(*options.savePath);
        saveFailed = !outcome.marksSaved();
        if (!saveFailed)
            saved = outcome.archivePath;
    }

    if (options.json) {
        nlohmann::json doc = DiagnosisJson(record, batch.View().LastTitle());
        doc["saved"] = saved ? nlohmann::json(*saved) : nlohmann::json(nullptr);
        std::printf("%s\n", doc.dump(2).c_str());
    } else {
        std::printf("%s", WithoutCarriageReturns(DiagnosisSummary(record)).c_str());
        if (saved)
            std::printf("Saved: %s\n", saved->c_str());
    }
    if (!record.result)
        return EXIT_NO_DIAGNOSIS;
    if (saveFailed)
        return EXIT_SAVE_FAILED;
    return DiagnosisFoundProblems(record) ? EXIT_PROBLEMS_FOUND : EXIT_NOTHING_FOUND;
}

int RunAdvancePasses(const CliOptions& options, BatchSession& batch)
{
    FrameSession& session = batch.Session();
    if (!session.OnAdvanceDiagnosis())
        return EXIT_NO_DIAGNOSIS;
    for (int axis : options.passes) {
        session.OnAdvanceNotice(axis, 0);
        batch.RunFor(options.passSeconds);
    }
    session.OnAdvanceNotice(0, 1);
    const auto& report = session.LastAdvanceReport();
    if (!report)
        return EXIT_NO_DIAGNOSIS;
    if (options.json)
        std::printf("%s\n", AdvanceJson(*report).dump(2).c_str());
    else
        std::printf("%s\n", WithoutCarriageReturns(report->reportText).c_str());
    const bool found = !report->missingX.empty() || !report->missingY.empty() || !report->interferenceX.empty()
        || !report->interferenceY.empty();
    return found ? EXIT_PROBLEMS_FOUND : EXIT_NOTHING_FOUND;
}

} // namespace

int RunDiagnose(const CliOptions& options)
{
    return RunAfterDiagnosis(options, [&](BatchSession& batch) { return ReportDiagnosis(options, batch); });
}

int RunAnalyse(const CliOptions& options)
{
    std::ifstream file(options.statePath, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "tarnscope-cli: cannot read %s\n", options.statePath.c_str());
        return EXIT_USAGE;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::string error;
    auto record = RecordFromState(text.str(), error);
    if (!record) {
        std::fprintf(stderr, "tarnscope-cli: %s: %s\n", options.statePath.c_str(), error.c_str());
        return EXIT_USAGE;
    }
    BadLightList x = record->xBadLights;
    BadLightList y = record->yBadLights;
    record->result = AnalyseBadLights(x, y, record->boardSize);
    DrawRecordPicture(*record, GetResultsFolder());
    if (options.json)
        std::printf("%s\n", DiagnosisJson(*record, {}).dump(2).c_str());
    else
        std::printf("%s", WithoutCarriageReturns(DiagnosisSummary(*record)).c_str());
    if (!record->result)
        return EXIT_NO_DIAGNOSIS;
    return DiagnosisFoundProblems(*record) ? EXIT_PROBLEMS_FOUND : EXIT_NOTHING_FOUND;
}

int RunAdvance(const CliOptions& options)
{
    return RunAfterDiagnosis(options, [&](BatchSession& batch) { return RunAdvancePasses(options, batch); });
}

} // namespace tarnscope
