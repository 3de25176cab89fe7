#pragma once

#include "device/Protocol.h"

#include <span>
#include <vector>

namespace tarnscope {

// LED positions [first, end) of one block of an axis.
struct LedSpan {
    int first = 0;
    int end = 0;
};

// The LEDs of a board: axis lengths and where each block of an axis begins.
// Blocks are laid out as the host places LEDs; the last block of an axis runs
// to the end of the axis.
struct BoardGeometry {
    int boardSize = 0;
    int xLength = 0;
    int yLength = 0;
    std::span<const int> xBlockStarts;
    std::span<const int> yBlockStarts;

    int axisLength(int axis) const;
    int blockCount(int axis) const;
    LedSpan block(int axis, int blockNumber) const;
    // Elements of the emitter chain (X blocks, then Y blocks) and of the
    // receiver chain (Y blocks, then X blocks); both have the same count.
    int chainLength() const { return blockCount(SCAN_AXIS_X) + blockCount(SCAN_AXIS_Y); }
    struct ChainElement {
        int axis; // SCAN_AXIS_X or SCAN_AXIS_Y
        int block;
    };
    ChainElement emitterChainElement(int index) const;
    ChainElement receiverChainElement(int index) const;
};

// The geometry of a board size; nullptr for a size the simulator cannot model.
const BoardGeometry* FindBoardGeometry(int boardSize);

// Board sizes the simulator can model, ascending.
std::vector<int> KnownBoardSizes();

} // namespace tarnscope
