// tarnscope-cli: the automatic diagnosis, the analysis of a saved state and the
// advance diagnosis without a window, for scripts and factory lines.
#include "cli/CliOptions.h"
#include "cli/CliRun.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    using namespace tarnscope;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCliOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "tarnscope-cli: %s\n\n%s", error.c_str(), CLI_USAGE);
        return EXIT_USAGE;
    }
    if (options->command == CliCommand::Help) {
        std::printf("%s", CLI_USAGE);
        return 0;
    }
    // The picture is drawn with fonts, which needs a GUI platform; no display is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName("tarnscope");
    switch (options->command) {
    case CliCommand::Diagnose:
        return RunDiagnose(*options);
    case CliCommand::Analyse:
        return RunAnalyse(*options);
    case CliCommand::Advance:
        return RunAdvance(*options);
    case CliCommand::Help:
        break;
    }
    return 0;
}
