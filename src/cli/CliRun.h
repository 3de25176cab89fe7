#pragma once

#include "cli/CliOptions.h"

namespace tarnscope {

// Each returns the process exit code. They need a QGuiApplication.
int RunDiagnose(const CliOptions& options);
int RunAnalyse(const CliOptions& options);
int RunAdvance(const CliOptions& options);

} // namespace tarnscope
