#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarnscope {

// Exit codes of tarnscope-cli.
constexpr int EXIT_NOTHING_FOUND = 0;
constexpr int EXIT_PROBLEMS_FOUND = 1;
constexpr int EXIT_NO_DIAGNOSIS = 2; // no frame, refused frame, board size without a model
constexpr int EXIT_SAVE_FAILED = 3;
constexpr int EXIT_USAGE = 64;

enum class CliCommand { Help, Diagnose, Analyse, Advance };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    bool json = false;
    bool useVirtual = false;
    std::optional<std::string> scenarioPath; // --virtual FILE; none: the built-in scenario
    std::optional<std::string> dumpStatePath;
    std::optional<std::string> savePath;
    std::string statePath; // analyse
    double waitSeconds = 10; // how long diagnose waits for a frame
    std::vector<int> passes; // advance: SCAN_AXIS_X / SCAN_AXIS_Y in order
    double passSeconds = 10;
};

// Parses the arguments after the program name. On a usage error `error` says
// what is wrong and the result is empty.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const CLI_USAGE;

} // namespace tarnscope
