#include "diagnosis/PictureRenderer.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace tarnscope {
namespace {

constexpr int BOARD_SIZE = 102;
constexpr std::size_t ENTRIES_PER_AXIS = 500'000;

// Kind 1 and kind 2 entries over an axis, in the order the consumer finds them.
std::vector<std::int32_t> RandomBadLights(int ledCount, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> kind(1, 2);
    std::uniform_int_distribution<int> position(3, ledCount - 3);
    std::vector<std::int32_t> entries(ENTRIES_PER_AXIS);
    for (std::int32_t& entry : entries)
        entry = kind(random) * 10000 + position(random);
    return entries;
}

void BM_AnalyseBadLights(benchmark::State& state)
{
    const std::vector<std::int32_t> x = RandomBadLights(456, 1);
    const std::vector<std::int32_t> y = RandomBadLights(224, 2);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::int32_t> xCopy = x;
        std::vector<std::int32_t> yCopy = y;
        state.ResumeTiming();
        benchmark::DoNotOptimize(AnalyseBadLights(xCopy, yCopy, BOARD_SIZE));
    }
}
BENCHMARK(BM_AnalyseBadLights)->Unit(benchmark::kMillisecond);

// The worst picture: every box red, every cable orange, a long problem text.
DiagnosisResult BusyResult()
{
    std::vector<std::int32_t> none;
    std::vector<std::int32_t> alsoNone;
    DiagnosisResult r = AnalyseBadLights(none, alsoNone, BOARD_SIZE).value();
    r.txChainResult = CHAIN_SCATTERED;
    r.rxChainResult = CHAIN_SCATTERED;
    for (int i = 0; i < 64; ++i) {
        r.x.emitterProblems.push_back({ i % 8, i });
        r.y.receiverProblems.push_back({ i % 4, i });
    }
    return r;
}

void BM_LayoutRenderSavePng(benchmark::State& state)
{
    const DiagnosisResult result = BusyResult();
    const SerialId serial { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromStdString(PictureFileName(serial))).toStdString();
    for (auto _ : state) {
        const PictureLayout layout = LayoutPicture(result, BOARD_SIZE, serial, 1700000000);
        const QImage image = RenderPicture(layout);
        if (!SavePicturePng(image, path))
            state.SkipWithError("PNG not written");
    }
}
BENCHMARK(BM_LayoutRenderSavePng)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarnscope

int main(int argc, char** argv)
{
    // Text drawing needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
