#pragma once

#include <array>

namespace tarnscope {

// Slots of a block table; a model evaluates at most this many blocks per axis.
constexpr int MAX_BLOCKS = 10;
// LED positions in one block.
constexpr int BLOCK_SLOTS = 64;
// The block number of an LED that no block takes.
constexpr int NO_BLOCK = 9;

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Per-model constants of the analysis and of the diagnosis picture. Board
// sizes that share a row share both.
struct BoardModel {
    int nX; // X blocks evaluated
    std::array<int, MAX_BLOCKS> xLengths; // evaluation length of each X block
    int nY;
    std::array<int, MAX_BLOCKS> yLengths;

    int canvasWidth;
    int canvasHeight;
    std::array<int, MAX_BLOCKS> xBoxWidths;
    std::array<int, MAX_BLOCKS> yBoxHeights;
    PixelRect problemTextRect;
    const char* xItemHeader; // printf pattern taking the block number
    const char* yItemHeader;
    bool showMaximised; // the result view is shown maximised, not in its normal size
    bool soleHalfBadRule; // a lone half-bad block is marked red whatever the chains say
};

// The row of a board size; nullptr when the analysis has no variant for it.
const BoardModel* FindBoardModel(int boardSize);

struct LedPlacement {
    int block; // NO_BLOCK when no block takes the LED (index is then 0)
    int index; // may reach 64 or more in the open-ended last block of an axis
    bool operator==(const LedPlacement&) const = default;
};

// Where LED `position` of `axis` (SCAN_AXIS_X or SCAN_AXIS_Y) sits on a board.
LedPlacement PlaceLed(int axis, int boardSize, int position);

} // namespace tarnscope
