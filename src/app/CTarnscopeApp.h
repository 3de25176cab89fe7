#pragma once

#include <QApplication>
#include <chrono>

namespace tarnscope {

// The program: runs the main window for its whole life.
class CTarnscopeApp final : public QApplication {
public:
    CTarnscopeApp(int& argc, char** argv);
    // Parses the command line, runs the main window and returns the exit code.
    // `started` is when the process began, for the start-up measurement.
    int Run(std::chrono::steady_clock::time_point started);
};

} // namespace tarnscope
