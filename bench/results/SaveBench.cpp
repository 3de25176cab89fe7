#include "common/Clock.h"
#include "common/UserPrompt.h"
#include "results/ResultsFolder.h"
#include "results/SaveResults.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <random>

namespace tarnscope {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t PACKET_LOG_BYTES = 1 << 20;
constexpr std::size_t PICTURE_BYTES = 50 * 1024;

// Batch saves ask nothing; a failure message would end the run.
class SilentPrompt final : public UserPrompt {
public:
    bool warned = false;
    MessageAnswer showMessage(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        warned = true;
        return MessageAnswer::Ok;
    }
    std::optional<std::string> askSaveFileName(const SaveFileRequest&) override { return std::nullopt; }
    std::optional<std::uint32_t> askColour(std::uint32_t) override { return std::nullopt; }
};

// Lines as the worker appends them per data packet: "[first,end]:" and up to
// 56 light values "%02x". Light values of a frame sit near a level with some
// noise, and now and then a dark one.
std::string PacketLog(std::mt19937& random)
{
    constexpr char HEX[] = "0123456789abcdef";
    std::string log;
    log.reserve(PACKET_LOG_BYTES + 200);
    for (int first = 0; log.size() < PACKET_LOG_BYTES; first = (first + 56) % 840) {
        log += "[" + std::to_string(first) + "," + std::to_string(first + 56) + "]:";
        for (int i = 0; i < 56; ++i) {
            const unsigned value = random() % 64 == 0 ? random() % 106 : 180 + random() % 40;
            log += HEX[value >> 4];
            log += HEX[value & 0x0F];
        }
        log += '\n';
    }
    return log;
}

// A stored PNG barely compresses; random bytes behave the same.
std::string Picture(std::mt19937& random)
{
    std::string bytes(PICTURE_BYTES, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

void BM_SaveResults(benchmark::State& state)
{
    std::mt19937 random(1);
    const std::string packetLog = PacketLog(random);
    const std::string picture = Picture(random);
    const fs::path documents = fs::temp_directory_path() / "tarnscope-bench-results";
    fs::create_directories(documents);
    const std::string archive = (documents / "bench.rep").string();
    SilentPrompt prompt;
    SteadyClock clock;
    const auto collect = [&](std::time_t) {
        LogInputs inputs;
        inputs.serialId = { 0x01, 0x0A, 0x00, 0xFF, 0x10, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08 };
        inputs.xListText = "3, 17, 250";
        inputs.packetLog = packetLog;
        return inputs;
    };

    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(GetResultsFolder(documents.string()) + "1A0FF102345678.png", std::ios::binary) << picture;
        state.ResumeTiming();
        const SaveOutcome outcome = SaveResults(prompt, clock, collect, archive, documents.string());
        if (outcome.status != SaveStatus::Saved || prompt.warned) {
            state.SkipWithError("save failed");
            break;
        }
    }
    std::error_code error;
    state.counters["archive_bytes"] = static_cast<double>(fs::file_size(archive, error));
    fs::remove_all(documents, error);
}
BENCHMARK(BM_SaveResults)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarnscope
