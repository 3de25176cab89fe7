#include "sim/BoardGeometry.h"

#include <algorithm>
#include <array>

namespace tarnscope {

namespace {

constexpr std::array<int, 4> X_FOUR_BLOCKS { 0, 64, 128, 192 };
constexpr std::array<int, 5> X_FIVE_BLOCKS { 0, 64, 128, 192, 256 };
constexpr std::array<int, 6> X_SIX_BLOCKS { 0, 64, 128, 192, 256, 320 };
constexpr std::array<int, 6> X_SIX_BLOCKS_82 { 0, 64, 128, 192, 256, 296 };
constexpr std::array<int, 7> X_SEVEN_BLOCKS { 0, 64, 128, 192, 256, 320, 384 };
constexpr std::array<int, 8> X_EIGHT_BLOCKS { 0, 64, 128, 192, 256, 320, 384, 424 };
constexpr std::array<int, 3> Y_THREE_BLOCKS { 0, 32, 72 };
constexpr std::array<int, 4> Y_FROM_40 { 0, 40, 104, 168 };
constexpr std::array<int, 4> Y_FROM_32 { 0, 32, 96, 160 };

// Size 64 has no placement of its own; it is built like size 55, whose
// analysis and picture it shares.
constexpr std::array<BoardGeometry, 8> GEOMETRY { {
    { 55, 256, 136, X_FOUR_BLOCKS, Y_THREE_BLOCKS },
    { 64, 256, 136, X_FOUR_BLOCKS, Y_THREE_BLOCKS },
    { 78, 312, 232, X_FIVE_BLOCKS, Y_FROM_40 },
    { 82, 336, 232, X_SIX_BLOCKS_82, Y_FROM_40 },
    { 89, 384, 224, X_SIX_BLOCKS, Y_FROM_32 },
    { 96, 424, 224, X_SEVEN_BLOCKS, Y_FROM_32 },
    { 97, 424, 232, X_SEVEN_BLOCKS, Y_FROM_40 },
    { 102, 456, 224, X_EIGHT_BLOCKS, Y_FROM_32 },
} };

} // namespace

int BoardGeometry::axisLength(int axis) const
{
    return axis == SCAN_AXIS_X ? xLength : yLength;
}

int BoardGeometry::blockCount(int axis) const
{
    return static_cast<int>(axis == SCAN_AXIS_X ? xBlockStarts.size() : yBlockStarts.size());
}

LedSpan BoardGeometry::block(int axis, int blockNumber) const
{
    const auto starts = axis == SCAN_AXIS_X ? xBlockStarts : yBlockStarts;
    const auto index = static_cast<std::size_t>(blockNumber);
    const int end = index + 1 < starts.size() ? starts[index + 1] : axisLength(axis);
    return { starts[index], end };
}

BoardGeometry::ChainElement BoardGeometry::emitterChainElement(int index) const
{
    const int nX = blockCount(SCAN_AXIS_X);
    return index < nX ? ChainElement { SCAN_AXIS_X, index } : ChainElement { SCAN_AXIS_Y, index - nX };
}

BoardGeometry::ChainElement BoardGeometry::receiverChainElement(int index) const
{
    const int nY = blockCount(SCAN_AXIS_Y);
    return index < nY ? ChainElement { SCAN_AXIS_Y, index } : ChainElement { SCAN_AXIS_X, index - nY };
}

const BoardGeometry* FindBoardGeometry(int boardSize)
{
    const auto row = std::ranges::find(GEOMETRY, boardSize, &BoardGeometry::boardSize);
    return row == GEOMETRY.end() ? nullptr : &*row;
}

std::vector<int> KnownBoardSizes()
{
    std::vector<int> sizes;
    for (const BoardGeometry& row : GEOMETRY)
        sizes.push_back(row.boardSize);
    return sizes;
}

} // namespace tarnscope
