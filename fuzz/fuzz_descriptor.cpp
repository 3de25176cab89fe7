// Report descriptors as a device may present them: any bytes at all.
#include "device/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>

using namespace tarnscope;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DescriptorParse parse = ParseReportDescriptor({ data, size });
    // A failed parse must say what was wrong and where.
    if (!parse.ok() && parse.message.empty())
        __builtin_trap();
    return 0;
}
