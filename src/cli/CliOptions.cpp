#include "cli/CliOptions.h"

#include "device/Protocol.h"

#include <charconv>

namespace tarnscope {

const char* const CLI_USAGE = R"(Usage:
  tarnscope-cli diagnose [--virtual [SCENARIO]] [--wait SECONDS] [--json]
                         [--dump-state FILE] [--save FILE.rep]
  tarnscope-cli analyse STATE.json [--json]
  tarnscope-cli advance [--virtual [SCENARIO]] [--wait SECONDS] [--pass x|y]...
                        [--seconds N] [--json]
  tarnscope-cli --help

diagnose   Waits for one touch frame (real hidraw devices, or the virtual frame
           with --virtual), runs one automatic diagnosis (X then Y scan, about
           nine seconds), prints the window titles as they change and a summary.
             --virtual [SCENARIO]  use the simulated frame; without a file the
                                   built-in scenario (one frame, a few faults)
             --wait SECONDS        how long to wait for a frame (default 10)
             --json                print one JSON document instead of text
             --dump-state FILE     write the analysis inputs as JSON
             --save FILE.rep       save the results archive, without asking
           The picture stays in the results folder (Documents/Velmora under the
           home folder) until the next run or a save empties it.
analyse    Runs the analysis and the picture on a state written by --dump-state,
           without any device.
advance    Connects (the automatic diagnosis runs first, as in the window),
           enters advance mode, counts each pass for N seconds (default 10) and
           builds the report as "Show Result" does. Passes default to x then y.

Exit codes:
  0   diagnosis done and nothing found
  1   diagnosis done and something found (a chain result or a problem LED;
      for advance: a missing position or interference)
  2   no diagnosis: no frame, a refused frame, or a board size without a model
  3   the results could not be saved
  64  usage error
)";

namespace {

bool ParseSeconds(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 0;
}

bool IsOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

} // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error)
{
    CliOptions options;
    if (args.empty() || args[0] == "--help" || args[0] == "-h")
        return options;
    if (args[0] == "diagnose")
        options.command = CliCommand::Diagnose;
    else if (args[0] == "analyse")
        options.command = CliCommand::Analyse;
    else if (args[0] == "advance")
        options.command = CliCommand::Advance;
    else {
        error = "unknown command '" + args[0] + "'";
        return std::nullopt;
    }

    const bool device = options.command != CliCommand::Analyse;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size() && !IsOption(args[i + 1]);
        auto value = [&]() -> std::optional<std::string> {
            if (!hasValue) {
                error = arg + " needs a value";
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.command = CliCommand::Help;
            return options;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--virtual" && device) {
            options.useVirtual = true;
            if (hasValue)
                options.scenarioPath = args[++i];
        } else if (arg == "--wait" && device) {
            const auto text = value();
            if (!text || !ParseSeconds(*text, options.waitSeconds)) {
                error = "--wait needs a number of seconds";
                return std::nullopt;
            }
        } else if (arg == "--dump-state" && options.command == CliCommand::Diagnose) {
            if (!(options.dumpStatePath = value()))
                return std::nullopt;
        } else if (arg == "--save" && options.command == CliCommand::Diagnose) {
            if (!(options.savePath = value()))
                return std::nullopt;
        } else if (arg == "--pass" && options.command == CliCommand::Advance) {
            const auto axis = value();
            if (!axis || (*axis != "x" && *axis != "y")) {
                error = "--pass takes x or y";
                return std::nullopt;
            }
            options.passes.push_back(*axis == "x" ? SCAN_AXIS_X : SCAN_AXIS_Y);
        } else if (arg == "--seconds" && options.command == CliCommand::Advance) {
            const auto text = value();
            if (!text || !ParseSeconds(*text, options.passSeconds)) {
                error = "--seconds needs a number of seconds";
                return std::nullopt;
            }
        } else if (options.command == CliCommand::Analyse && !IsOption(arg) && options.statePath.empty()) {
            options.statePath = arg;
        } else {
            error = "unexpected argument '" + arg + "'";
            return std::nullopt;
        }
    }
    if (options.command == CliCommand::Analyse && options.statePath.empty()) {
        error = "analyse needs a state file";
        return std::nullopt;
    }
    if (options.command == CliCommand::Advance && options.passes.empty())
        options.passes = { SCAN_AXIS_X, SCAN_AXIS_Y };
    return options;
}

} // namespace tarnscope
