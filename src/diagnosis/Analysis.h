#pragma once

#include "diagnosis/BoardModel.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope {

// Chain result codes besides a chain index.
constexpr std::int32_t CHAIN_NONE = -1;
constexpr std::int32_t CHAIN_X_SCATTERED = 20;
constexpr std::int32_t CHAIN_SCATTERED = 1000;

// A block whose result reaches this has failed.
constexpr std::int32_t BLOCK_FAILED = 8;

// Reports of one kind per LED of a block, and the block's verdict.
struct BlockTally {
    std::array<std::uint8_t, BLOCK_SLOTS> counters {}; // saturate at 255
    std::int32_t length = BLOCK_SLOTS; // counters taking part in the evaluation
    std::int32_t result = -1; // -1 until evaluated
};

using BlockTable = std::array<BlockTally, MAX_BLOCKS>;

struct ProblemLed {
    std::int32_t block;
    std::int32_t index;
    auto operator<=>(const ProblemLed&) const = default;
};

// The emitter (kind 2, dark) and receiver (kind 1) findings of one axis.
struct AxisDiagnosis {
    BlockTable emitter;
    BlockTable receiver;
    std::vector<ProblemLed> emitterProblems;
    std::vector<ProblemLed> receiverProblems;
};

struct DiagnosisResult {
    const BoardModel* model = nullptr;
    AxisDiagnosis x;
    AxisDiagnosis y;
    std::int32_t txChainResult = CHAIN_NONE;
    std::int32_t rxChainResult = CHAIN_NONE;
};

using TraceSink = std::function<void(const std::string&)>;

// Length of the last qualifying run of counters >= 3 within the block's
// length: 5 or more when the run ends inside, 8 or more when it reaches the end.
std::int32_t MeasureRuns(const BlockTally& tally);

// Evaluates the bad-light lists (entries kind * 10000 + LED position). Both
// lists are sorted in place, so the caller holds the lock guarding them.
// nullopt when the board size has no model.
std::optional<DiagnosisResult> AnalyseBadLights(std::vector<std::int32_t>& xBadLights,
    std::vector<std::int32_t>& yBadLights, int boardSize, const TraceSink& trace = {});

} // namespace tarnscope
