#pragma once

#include <QApplication>

namespace tarnscope {

// The program: runs the main window for its whole life.
class CTarnscopeApp final : public QApplication {
public:
    CTarnscopeApp(int& argc, char** argv);
    // Parses the command line, runs the main window and returns the exit code.
    int Run();
};

} // namespace tarnscope
