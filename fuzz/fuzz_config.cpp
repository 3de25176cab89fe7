// Config.dat as found on disk: any length, any content.
#include "troubleshoot/Settings.h"

#include <cstddef>
#include <cstdint>

using namespace tarnscope;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DiagnosisSettings settings;
    const DiagnosisSettings before = settings;
    const bool applied = ApplyConfigBytes({ data, size }, settings);
    if (!applied && settings != before)
        __builtin_trap(); // a rejected file must leave the settings alone
    if (applied && size >= CONFIG_FILE_SIZE) {
        // Whatever a whole file holds comes back the same when written again.
        DiagnosisSettings again;
        const ConfigBytes bytes = SerializeConfig(settings);
        if (!ApplyConfigBytes(bytes, again) || again != settings)
            __builtin_trap();
    }
    return 0;
}
