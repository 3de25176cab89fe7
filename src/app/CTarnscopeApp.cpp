#include "app/CTarnscopeApp.h"

#include "app/AppPaths.h"
#include "app/CTarnscopeDlg.h"
#include "sim/Scenario.h"

#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

namespace tarnscope {

CTarnscopeApp::CTarnscopeApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName("tarnscope");
    setApplicationVersion("3.0.2.4");
    // Lets Wayland desktops match the window with tarnscope.desktop and its icon.
    setDesktopFileName("tarnscope");
}

int CTarnscopeApp::Run(std::chrono::steady_clock::time_point started)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Diagnosis tool for infrared touch frames. Plug a frame in: the program connects it and runs an automatic "
        "diagnosis (X then Y scan, about nine seconds), shows the frame's faulty boards, flat cables and LEDs, "
        "runs the guided touch test (\"Advance Diagnosis\") and saves the results as one .rep archive.");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption virtualOption("virtual",
        "Use the simulated frame of SCENARIO (a JSON file) instead of real devices; \"default\" is the built-in "
        "scenario (one frame with a few faults).",
        "SCENARIO");
    parser.addOption(virtualOption);
    parser.process(*this);

    std::unique_ptr<FrameSource> source;
    if (parser.isSet(virtualOption) && parser.value(virtualOption) != "default") {
        std::string error;
        const auto scenario = LoadScenarioFile(parser.value(virtualOption).toStdString(), error);
        if (!scenario) {
            std::fprintf(stderr, "tarnscope: %s\n", error.c_str());
            return 64;
        }
        source = FrameSource::CreateVirtual(*scenario);
    } else if (parser.isSet(virtualOption)) {
        source = FrameSource::CreateVirtual(DefaultScenario());
    } else {
        source = FrameSource::CreateHidraw();
    }

    CTarnscopeDlg dialog(std::move(source), DefaultSessionOptions());
    dialog.show();
    if (qEnvironmentVariableIsSet("TARNSCOPE_STARTUP_PROBE")) {
        // The start-up benchmark: report once the window is up, then end.
        QTimer::singleShot(0, this, [this, started] {
            const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started);
            std::printf("startup-ms %.1f\n", elapsed.count());
            exit(0);
        });
    }
    return exec();
}

} // namespace tarnscope
