#include "FakeHidrawTree.h"
#include "device/CHIDDevice.h"
#include "device/HidrawBackend.h"

#include <benchmark/benchmark.h>

namespace tarnscope {
namespace {

using testing_support::FakeHidrawTree;
using testing_support::ReadDescriptorSample;

// One walk over 32 listed interfaces, half of them other HID devices: each
// costs a directory entry, a uevent and a descriptor read and parse.
void BM_CountDevices32(benchmark::State& state)
{
    FakeHidrawTree tree;
    const auto frame = ReadDescriptorSample("a3f0_d400_vendor-64.rdesc");
    const auto other = ReadDescriptorSample("0eef_7224_egalax-capacitive.rdesc");
    for (unsigned n = 0; n < 32; ++n) {
        if (n % 2 == 0)
            tree.addInterface(n, 0xA3F0, 0xD400, frame);
        else
            tree.addInterface(n, 0x0EEF, 0x7224, other);
    }
    HidrawBackend backend(tree.sysfsRoot(), tree.devRoot());
    CHIDDevice device(backend);
    for (auto _ : state) {
        const int count = device.CountDevices(0xA3F0, 0xD400);
        if (count != 16)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_CountDevices32)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarnscope

BENCHMARK_MAIN();
