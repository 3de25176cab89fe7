#include "sim/BoardGeometry.h"

#include <gtest/gtest.h>

namespace tarnscope {
namespace {

int BlockOf(const BoardGeometry& geometry, int axis, int position)
{
    for (int b = 0; b < geometry.blockCount(axis); ++b) {
        const LedSpan span = geometry.block(axis, b);
        if (position >= span.first && position < span.end)
            return b;
    }
    return -1;
}

TEST(BoardGeometry, BlocksTileEachAxisInSlicesOfAtMost64)
{
    const struct {
        int boardSize;
        int xLength, yLength;
        int xBlocks, yBlocks;
    } cases[] = {
        { 55, 256, 136, 4, 3 },
        { 64, 256, 136, 4, 3 },
        { 78, 312, 232, 5, 4 },
        { 82, 336, 232, 6, 4 },
        { 89, 384, 224, 6, 4 },
        { 96, 424, 224, 7, 4 },
        { 97, 424, 232, 7, 4 },
        { 102, 456, 224, 8, 4 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "board size " << c.boardSize);
        const BoardGeometry* geometry = FindBoardGeometry(c.boardSize);
        ASSERT_NE(geometry, nullptr);
        EXPECT_EQ(geometry->xLength, c.xLength);
        EXPECT_EQ(geometry->yLength, c.yLength);
        EXPECT_EQ(geometry->blockCount(SCAN_AXIS_X), c.xBlocks);
        EXPECT_EQ(geometry->blockCount(SCAN_AXIS_Y), c.yBlocks);
        for (int axis : { SCAN_AXIS_X, SCAN_AXIS_Y }) {
            int expectedFirst = 0;
            for (int b = 0; b < geometry->blockCount(axis); ++b) {
                const LedSpan span = geometry->block(axis, b);
                EXPECT_EQ(span.first, expectedFirst) << "axis " << axis << " block " << b;
                EXPECT_GT(span.end, span.first);
                EXPECT_LE(span.end - span.first, 64);
                expectedFirst = span.end;
            }
            EXPECT_EQ(expectedFirst, geometry->axisLength(axis));
        }
    }
    EXPECT_EQ(FindBoardGeometry(47), nullptr);
    EXPECT_EQ(FindBoardGeometry(48), nullptr); // placed by the host, but no axis lengths are known
}

TEST(BoardGeometry, BlockBoundariesMatchTheHostsPlacement)
{
    const struct {
        int boardSize;
        int axis;
        int position;
        int block;
    } cases[] = {
        { 82, SCAN_AXIS_X, 255, 3 },
        { 82, SCAN_AXIS_X, 256, 4 },
        { 82, SCAN_AXIS_X, 295, 4 },
        { 82, SCAN_AXIS_X, 296, 5 },
        { 82, SCAN_AXIS_X, 335, 5 },
        { 102, SCAN_AXIS_X, 383, 5 },
        { 102, SCAN_AXIS_X, 384, 6 },
        { 102, SCAN_AXIS_X, 423, 6 },
        { 102, SCAN_AXIS_X, 424, 7 },
        { 78, SCAN_AXIS_X, 311, 4 },
        { 97, SCAN_AXIS_Y, 39, 0 },
        { 97, SCAN_AXIS_Y, 40, 1 },
        { 97, SCAN_AXIS_Y, 103, 1 },
        { 97, SCAN_AXIS_Y, 104, 2 },
        { 96, SCAN_AXIS_Y, 31, 0 },
        { 96, SCAN_AXIS_Y, 32, 1 },
        { 96, SCAN_AXIS_Y, 96, 2 },
        { 55, SCAN_AXIS_Y, 31, 0 },
        { 55, SCAN_AXIS_Y, 32, 1 },
        { 55, SCAN_AXIS_Y, 71, 1 },
        { 55, SCAN_AXIS_Y, 72, 2 },
    };
    for (const auto& c : cases) {
        const BoardGeometry* geometry = FindBoardGeometry(c.boardSize);
        ASSERT_NE(geometry, nullptr);
        EXPECT_EQ(BlockOf(*geometry, c.axis, c.position), c.block)
            << "board " << c.boardSize << " axis " << c.axis << " position " << c.position;
    }
}

TEST(BoardGeometry, ChainsRunEmittersXThenYAndReceiversYThenX)
{
    const BoardGeometry* geometry = FindBoardGeometry(82);
    ASSERT_NE(geometry, nullptr);
    ASSERT_EQ(geometry->chainLength(), 10);
    for (int k = 0; k < 10; ++k) {
        const auto emitter = geometry->emitterChainElement(k);
        const auto receiver = geometry->receiverChainElement(k);
        EXPECT_EQ(emitter.axis, k < 6 ? SCAN_AXIS_X : SCAN_AXIS_Y) << k;
        EXPECT_EQ(emitter.block, k < 6 ? k : k - 6) << k;
        EXPECT_EQ(receiver.axis, k < 4 ? SCAN_AXIS_Y : SCAN_AXIS_X) << k;
        EXPECT_EQ(receiver.block, k < 4 ? k : k - 4) << k;
    }
}

} // namespace
} // namespace tarnscope
