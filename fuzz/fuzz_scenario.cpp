// Scenario files as a user may write them: any text.
#include "sim/Scenario.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tarnscope;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string error;
    const Scenario scenario = ParseScenarioJson({ reinterpret_cast<const char*>(data), size }, error);
    // Bad input gives an error and an empty scenario, never half of one.
    if (!error.empty() && !(scenario == Scenario {}))
        __builtin_trap();
    return 0;
}
