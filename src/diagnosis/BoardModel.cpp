#include "diagnosis/BoardModel.h"

#include "device/Protocol.h"

#include <algorithm>
#include <climits>
#include <span>

namespace tarnscope {

namespace {

constexpr const char* POS_X = "    X%d:LED Pos=>";
constexpr const char* POS_Y = "    Y%d:LED Pos=>";

constexpr BoardModel MODEL_55 { 4, { 64, 64, 64, 64 }, 3, { 64, 64, 64 }, 540, 480, { 70, 70, 70, 70 }, { 70, 70, 70 },
    { 140, 140, 260, 200 }, POS_X, POS_Y, true, false };
constexpr BoardModel MODEL_78 { 5, { 64, 64, 64, 64, 64 }, 4, { 40, 64, 64, 56 }, 650, 590, { 70, 70, 70, 70, 70 },
    { 35, 70, 70, 70 }, { 140, 140, 370, 310 }, "    X%d:LED Position=>", "    Y%d: LED Position=>", false, true };
constexpr BoardModel MODEL_82 { 6, { 64, 64, 64, 64, 40, 40 }, 4, { 40, 64, 64, 64 }, 760, 590,
    { 70, 70, 70, 70, 35, 35 }, { 35, 70, 70, 70 }, { 140, 140, 480, 310 }, POS_X, POS_Y, false, false };
constexpr BoardModel MODEL_89 { 6, { 64, 64, 64, 64, 64, 64 }, 4, { 32, 64, 64, 64 }, 760, 590,
    { 70, 70, 70, 70, 70, 70 }, { 35, 70, 70, 70 }, { 140, 140, 480, 310 }, POS_X, POS_Y, false, false };
constexpr BoardModel MODEL_96 { 7, { 64, 64, 64, 64, 64, 64, 40 }, 4, { 32, 64, 64, 64 }, 870, 590,
    { 70, 70, 70, 70, 70, 70, 70 }, { 35, 70, 70, 70 }, { 140, 140, 590, 310 }, POS_X, POS_Y, false, false };
constexpr BoardModel MODEL_97 { 7, { 64, 64, 64, 64, 64, 64, 40 }, 4, { 40, 64, 64, 64 }, 870, 590,
    { 70, 70, 70, 70, 70, 70, 70 }, { 35, 70, 70, 70 }, { 140, 140, 590, 310 }, POS_X, POS_Y, false, false };
constexpr BoardModel MODEL_102 { 8, { 64, 64, 64, 64, 64, 64, 40, 32 }, 4, { 32, 64, 64, 64 }, 980, 590,
    { 70, 70, 70, 70, 70, 70, 70, 70 }, { 35, 70, 70, 70 }, { 140, 140, 700, 310 }, POS_X, POS_Y, false, false };

struct ModelEntry {
    int boardSize;
    const BoardModel* model;
};

constexpr std::array MODELS { ModelEntry { 55, &MODEL_55 }, ModelEntry { 64, &MODEL_55 }, ModelEntry { 78, &MODEL_78 },
    ModelEntry { 82, &MODEL_82 }, ModelEntry { 89, &MODEL_89 }, ModelEntry { 96, &MODEL_96 },
    ModelEntry { 97, &MODEL_97 }, ModelEntry { 102, &MODEL_102 } };

// How one axis of a board is cut into blocks: block k starts at starts[k].
// Past the last start the LEDs either fall into further 64-LED blocks
// (`repeat`) or all into the last block, up to `limit` (exclusive).
struct Placement {
    std::array<int, 8> starts;
    int count;
    bool repeat;
    int limit;
};

constexpr Placement X_EVERY_64 { { 0 }, 1, true, INT_MAX };
constexpr Placement X_55 { { 0, 64, 128, 192 }, 4, false, INT_MAX };
constexpr Placement X_78 { { 0, 64, 128, 192, 256 }, 5, false, INT_MAX };
constexpr Placement X_82 { { 0, 64, 128, 192, 256, 296 }, 6, false, 336 };
constexpr Placement X_96 { { 0, 64, 128, 192, 256, 320, 384 }, 7, false, INT_MAX };
constexpr Placement X_102 { { 0, 64, 128, 192, 256, 320, 384, 424 }, 8, false, INT_MAX };
constexpr Placement Y_48 { { 0, 64, 104 }, 3, false, INT_MAX };
constexpr Placement Y_55 { { 0, 32, 72 }, 3, false, INT_MAX };
constexpr Placement Y_40_THEN_64 { { 0, 40 }, 2, true, INT_MAX };
constexpr Placement Y_32_THEN_64 { { 0, 32 }, 2, true, INT_MAX };

struct PlacementEntry {
    int boardSize;
    const Placement* x;
    const Placement* y;
};

// Size 64 has no row: its LEDs are never placed.
constexpr std::array PLACEMENTS { PlacementEntry { 48, &X_EVERY_64, &Y_48 }, PlacementEntry { 55, &X_55, &Y_55 },
    PlacementEntry { 78, &X_78, &Y_40_THEN_64 }, PlacementEntry { 82, &X_82, &Y_40_THEN_64 },
    PlacementEntry { 89, &X_EVERY_64, &Y_32_THEN_64 }, PlacementEntry { 96, &X_96, &Y_32_THEN_64 },
    PlacementEntry { 97, &X_96, &Y_40_THEN_64 }, PlacementEntry { 102, &X_102, &Y_32_THEN_64 } };

template<typename Table> auto FindEntry(const Table& table, int boardSize)
{
    return std::find_if(table.begin(), table.end(), [&](const auto& e) { return e.boardSize == boardSize; });
}

} // namespace

const BoardModel* FindBoardModel(int boardSize)
{
    const auto entry = FindEntry(MODELS, boardSize);
    return entry == MODELS.end() ? nullptr : entry->model;
}

LedPlacement PlaceLed(int axis, int boardSize, int position)
{
    constexpr LedPlacement notPlaced { NO_BLOCK, 0 };
    const auto entry = FindEntry(PLACEMENTS, boardSize);
    if (entry == PLACEMENTS.end())
        return notPlaced;
    const Placement& rule = axis == SCAN_AXIS_X ? *entry->x : *entry->y;
    // Negative positions never come from a frame; placing one would index before the block.
    if (position < 0 || position >= rule.limit)
        return notPlaced;
    const auto starts = std::span(rule.starts.data(), rule.count);
    const int k = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) - 1;
    const int offset = position - starts[k];
    if (rule.repeat && k == rule.count - 1)
        return { k + offset / BLOCK_SLOTS, offset % BLOCK_SLOTS };
    return { k, offset };
}

} // namespace tarnscope
