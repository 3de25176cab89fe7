#include "diagnosis/BoardModel.h"

#include "device/Protocol.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarnscope {
namespace {

struct PlacementCase {
    int axis;
    int boardSize;
    int position;
    LedPlacement expected;
};

constexpr LedPlacement UNPLACED { NO_BLOCK, 0 };
constexpr int X = SCAN_AXIS_X;
constexpr int Y = SCAN_AXIS_Y;

TEST(PlaceLed, BlockBoundariesOfEveryPlacementRow)
{
    const std::vector<PlacementCase> cases {
        // X, size 82: two short blocks, nothing past them
        { X, 82, 255, { 3, 63 } },
        { X, 82, 256, { 4, 0 } },
        { X, 82, 295, { 4, 39 } },
        { X, 82, 296, { 5, 0 } },
        { X, 82, 335, { 5, 39 } },
        { X, 82, 336, UNPLACED },
        // X, size 102: the last block is open-ended
        { X, 102, 383, { 5, 63 } },
        { X, 102, 384, { 6, 0 } },
        { X, 102, 423, { 6, 39 } },
        { X, 102, 424, { 7, 0 } },
        { X, 102, 500, { 7, 76 } },
        // X, sizes whose last block takes the rest
        { X, 55, 191, { 2, 63 } },
        { X, 55, 192, { 3, 0 } },
        { X, 55, 300, { 3, 108 } },
        { X, 78, 255, { 3, 63 } },
        { X, 78, 256, { 4, 0 } },
        { X, 78, 330, { 4, 74 } },
        { X, 96, 383, { 5, 63 } },
        { X, 96, 450, { 6, 66 } },
        { X, 97, 384, { 6, 0 } },
        // X, sizes 48 and 89: 64 LEDs per block without end
        { X, 48, 100, { 1, 36 } },
        { X, 89, 0, { 0, 0 } },
        { X, 89, 639, { 9, 63 } },
        { X, 89, 640, { 10, 0 } },
        // Y, sizes 97 and 96: first block of 40 or 32, then 64s
        { Y, 97, 39, { 0, 39 } },
        { Y, 97, 40, { 1, 0 } },
        { Y, 97, 103, { 1, 63 } },
        { Y, 97, 104, { 2, 0 } },
        { Y, 96, 39, { 1, 7 } },
        { Y, 96, 40, { 1, 8 } },
        { Y, 96, 103, { 2, 7 } },
        { Y, 96, 104, { 2, 8 } },
        { Y, 78, 232, { 4, 0 } },
        { Y, 82, 40, { 1, 0 } },
        { Y, 89, 32, { 1, 0 } },
        { Y, 102, 31, { 0, 31 } },
        // Y, sizes 55 and 48: three blocks, the last open-ended
        { Y, 55, 31, { 0, 31 } },
        { Y, 55, 32, { 1, 0 } },
        { Y, 55, 71, { 1, 39 } },
        { Y, 55, 72, { 2, 0 } },
        { Y, 55, 200, { 2, 128 } },
        { Y, 48, 63, { 0, 63 } },
        { Y, 48, 64, { 1, 0 } },
        { Y, 48, 103, { 1, 39 } },
        { Y, 48, 104, { 2, 0 } },
        // sizes without a placement row
        { X, 64, 0, UNPLACED },
        { Y, 64, 10, UNPLACED },
        { X, 64, 300, UNPLACED },
        { X, 47, 5, UNPLACED },
        { Y, 103, 5, UNPLACED },
        { X, 60, 5, UNPLACED },
        // a negative position is never placed
        { X, 89, -1, UNPLACED },
        { Y, 97, -40, UNPLACED },
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis " << c.axis << " size " << c.boardSize << " position " << c.position);
        const LedPlacement placed = PlaceLed(c.axis, c.boardSize, c.position);
        EXPECT_EQ(placed.block, c.expected.block);
        EXPECT_EQ(placed.index, c.expected.index);
    }
}

struct ModelCase {
    int boardSize;
    std::vector<int> xLengths;
    std::vector<int> yLengths;
};

TEST(FindBoardModel, RowsGiveBlockCountsAndLengths)
{
    const std::vector<ModelCase> cases {
        { 55, { 64, 64, 64, 64 }, { 64, 64, 64 } },
        { 64, { 64, 64, 64, 64 }, { 64, 64, 64 } },
        { 78, { 64, 64, 64, 64, 64 }, { 40, 64, 64, 56 } },
        { 82, { 64, 64, 64, 64, 40, 40 }, { 40, 64, 64, 64 } },
        { 89, { 64, 64, 64, 64, 64, 64 }, { 32, 64, 64, 64 } },
        { 96, { 64, 64, 64, 64, 64, 64, 40 }, { 32, 64, 64, 64 } },
        { 97, { 64, 64, 64, 64, 64, 64, 40 }, { 40, 64, 64, 64 } },
        { 102, { 64, 64, 64, 64, 64, 64, 40, 32 }, { 32, 64, 64, 64 } },
    };
    for (const ModelCase& c : cases) {
        SCOPED_TRACE(c.boardSize);
        const BoardModel* model = FindBoardModel(c.boardSize);
        ASSERT_NE(model, nullptr);
        ASSERT_EQ(model->nX, static_cast<int>(c.xLengths.size()));
        ASSERT_EQ(model->nY, static_cast<int>(c.yLengths.size()));
        EXPECT_EQ(std::vector<int>(model->xLengths.begin(), model->xLengths.begin() + model->nX), c.xLengths);
        EXPECT_EQ(std::vector<int>(model->yLengths.begin(), model->yLengths.begin() + model->nY), c.yLengths);
    }
}

TEST(FindBoardModel, SizesWithoutAnalysisHaveNoRow)
{
    for (const int size : { 0, 47, 48, 54, 56, 90, 103, -55 })
        EXPECT_EQ(FindBoardModel(size), nullptr) << size;
    EXPECT_EQ(FindBoardModel(64), FindBoardModel(55));
}

TEST(FindBoardModel, ResultViewAndSoleHalfBadRuleDifferOnlyWhereTheModelSaysSo)
{
    for (const int size : { 55, 64, 78, 82, 89, 96, 97, 102 }) {
        SCOPED_TRACE(size);
        const BoardModel* model = FindBoardModel(size);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->showMaximised, size == 55 || size == 64);
        EXPECT_EQ(model->soleHalfBadRule, size == 78);
    }
}

} // namespace
} // namespace tarnscope
