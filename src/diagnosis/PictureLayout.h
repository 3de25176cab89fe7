#pragma once

#include "device/Protocol.h"
#include "diagnosis/Analysis.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace tarnscope {

constexpr std::uint32_t ARGB_WHITE = 0xFFFFFFFF;
constexpr std::uint32_t ARGB_BLACK = 0xFF000000;
constexpr std::uint32_t ARGB_GREEN = 0xFF14C814;
constexpr std::uint32_t ARGB_ORANGE = 0xFFFF7F27;
constexpr std::uint32_t ARGB_RED = 0xFFFF0000;

// Verdict on a board or a flat cable: pass, cable connection problem, failure.
enum class Mark { Green, Orange, Red };

std::uint32_t MarkArgb(Mark mark);
// "green", "orange" or "red".
const char* MarkName(Mark mark);

enum class DrawKind { FillRect, OutlineRect, Text };

enum class TextFormat {
    Label, // centred both ways
    Column, // centred both ways, vertical text
    ProblemText, // from the top left, wrapped inside the rectangle
};

struct DrawOp {
    DrawKind kind;
    PixelRect rect; // a Text rectangle of width and height 0 centres the text on (x, y)
    std::uint32_t argb; // fill or text colour; outlines are black, 1 pixel
    std::string text;
    TextFormat format;
};

// Where the boxes of a model lie on the canvas.
struct FrameGeometry {
    std::vector<int> xBoxLeft; // x of each X box (TX row and RX row)
    std::vector<int> yBoxTop; // y of each Y box (left and right column)
    int xRight; // x of the right column
    int yRxRow; // y of the RX row
    int yEnd; // bottom of the last Y box
};

FrameGeometry ComputeFrameGeometry(const BoardModel& model);

// Emitter list followed by receiver list, sorted by block then index; empty
// when fewer than 8 entries (too few to point at a board).
std::vector<ProblemLed> MergeProblemLeds(
    const std::vector<ProblemLed>& emitter, const std::vector<ProblemLed>& receiver);

struct HalfBadBlock {
    int axis; // SCAN_AXIS_X or SCAN_AXIS_Y
    int block;
    bool operator==(const HalfBadBlock&) const = default;
};

// For models with the sole-half-bad rule: the one block, over both axes, with
// an emitter or receiver result of at least half its length, if exactly one.
std::optional<HalfBadBlock> FindSoleHalfBadBlock(const DiagnosisResult& result);

struct PictureLayout {
    int width = 0;
    int height = 0;
    std::vector<DrawOp> ops; // in painting order, over a white canvas
    std::vector<ProblemLed> mergedX;
    std::vector<ProblemLed> mergedY;
    std::vector<Mark> xBoxes; // by block; TX and RX box alike
    std::vector<Mark> yBoxes;
    std::vector<Mark> emitterCables; // by chain index: the cable leaving that element
    std::vector<Mark> receiverCables;
    std::string problemText;
};

PictureLayout LayoutPicture(const DiagnosisResult& result, int boardSize, const SerialId& serialId, std::time_t now);

// The picture's file name in the results folder: serial id in hex + ".png".
std::string PictureFileName(const SerialId& serialId);

} // namespace tarnscope
