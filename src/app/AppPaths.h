#pragma once

#include "app/FrameSession.h"

namespace tarnscope {

// Session options of an installed or portable program: Config.dat beside the
// executable when that folder is writable, else in the user's configuration
// folder; results under the user's documents folder.
FrameSession::Options DefaultSessionOptions();

} // namespace tarnscope
