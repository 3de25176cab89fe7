#include "diagnosis/PictureLayout.h"

#include "diagnosis/ProblemText.h"

#include <algorithm>
#include <array>

namespace tarnscope {

namespace {

constexpr std::array MARK_ARGB { ARGB_GREEN, ARGB_ORANGE, ARGB_RED };
constexpr std::array MARK_NAMES { "green", "orange", "red" };

// Frame drawing: boxes are 30 pixels deep, cables 16 wide with a 7-pixel
// inset from the box edge and 40 long between boxes.
constexpr int FIRST_X_BOX = 50;
constexpr int FIRST_Y_BOX = 100;
constexpr int TX_ROW = 50;
constexpr int LEFT_COLUMN = 50;
constexpr int BOX_DEPTH = 30;
constexpr int CABLE_WIDTH = 16;
constexpr int CABLE_INSET = 7;
constexpr int CABLE_LENGTH = 40;
constexpr int RIGHT_COLUMN_OVERHANG = 20; // the last row cables reach this far past the right column
constexpr int RX_ROW_BELOW_Y_END = 25;
constexpr int LEFT_END_CABLE_LENGTH = 25;
constexpr int RIGHT_END_CABLE_LENGTH = 60;
constexpr int AXIS_LABEL_MARGIN = 20;
// The USB port sits below the right end cable, relative to (right column, yEnd).
constexpr PixelRect USB_MARK { 11, 55, 8, 10 };
constexpr int USB_LABEL_DX = 15;
constexpr int USB_LABEL_DY = 75;
constexpr int MIN_MERGED_ENTRIES = 8;

bool HasCode(std::int32_t chainResult)
{
    return chainResult == CHAIN_X_SCATTERED || chainResult == CHAIN_SCATTERED;
}

bool HalfBad(const AxisDiagnosis& axis, int block)
{
    const auto halfBad = [block](const BlockTable& t) { return 2 * t[block].result >= t[block].length; };
    return halfBad(axis.emitter) || halfBad(axis.receiver);
}

std::vector<Mark> BoxMarks(const AxisDiagnosis& axis, int axisId, int count, const std::vector<ProblemLed>& merged,
    bool bothScattered, const std::optional<HalfBadBlock>& sole)
{
    std::vector<Mark> marks;
    for (int b = 0; b < count; ++b) {
        const bool listed = std::any_of(merged.begin(), merged.end(), [b](ProblemLed led) { return led.block == b; });
        const bool red = listed || (bothScattered && HalfBad(axis, b)) || sole == HalfBadBlock { axisId, b };
        marks.push_back(red ? Mark::Red : Mark::Green);
    }
    return marks;
}

std::vector<Mark> CableMarks(std::int32_t chainResult, int count, bool orange)
{
    std::vector<Mark> marks;
    for (int k = 0; k < count; ++k)
        marks.push_back(chainResult == k ? Mark::Red : orange ? Mark::Orange : Mark::Green);
    return marks;
}

class OpList {
public:
    void Fill(PixelRect rect, std::uint32_t argb) { ops.push_back({ DrawKind::FillRect, rect, argb, {}, {} }); }
    void Outline(PixelRect rect) { ops.push_back({ DrawKind::OutlineRect, rect, ARGB_BLACK, {}, {} }); }
    void Text(PixelRect rect, std::string text, TextFormat format = TextFormat::Label)
    {
        ops.push_back({ DrawKind::Text, rect, ARGB_BLACK, std::move(text), format });
    }
    void Box(PixelRect rect, Mark mark, std::string label, TextFormat format)
    {
        Fill(rect, MarkArgb(mark));
        Text(rect, std::move(label), format);
    }
    void Cable(PixelRect rect, Mark mark)
    {
        Fill(rect, MarkArgb(mark));
        Outline(rect);
    }

    std::vector<DrawOp> ops;
};

void AddAxisLabels(OpList& out, int width, int height)
{
    out.Text({ width / 2, AXIS_LABEL_MARGIN, 0, 0 }, "(X)");
    out.Text({ width / 2, height - AXIS_LABEL_MARGIN, 0, 0 }, "(X)");
    out.Text({ AXIS_LABEL_MARGIN, height / 2, 0, 0 }, "(Y)");
    out.Text({ width - AXIS_LABEL_MARGIN, height / 2, 0, 0 }, "(Y)");
}

// TX row on top, RX row at the bottom, each box followed by its cable to the right.
void AddXRows(OpList& out, const PictureLayout& p, const BoardModel& m, const FrameGeometry& g)
{
    for (int b = 0; b < m.nX; ++b) {
        const int x = g.xBoxLeft[b];
        const int w = m.xBoxWidths[b];
        const PixelRect tx { x, TX_ROW, w, BOX_DEPTH };
        const PixelRect rx { x, g.yRxRow, w, BOX_DEPTH };
        out.Box(tx, p.xBoxes[b], "TX-X" + std::to_string(b), TextFormat::Label);
        out.Box(rx, p.xBoxes[b], "RX-X" + std::to_string(b), TextFormat::Label);
        out.Outline(tx);
        out.Outline(rx);
        out.Cable({ x + w, TX_ROW + CABLE_INSET, CABLE_LENGTH, CABLE_WIDTH }, p.emitterCables[b]);
        out.Cable({ x + w, g.yRxRow + CABLE_INSET, CABLE_LENGTH, CABLE_WIDTH }, p.receiverCables[m.nY + b]);
    }
}

// RX column on the left, TX column on the right, each box below its cable.
void AddYColumns(OpList& out, const PictureLayout& p, const BoardModel& m, const FrameGeometry& g)
{
    for (int b = 0; b < m.nY; ++b) {
        const int y = g.yBoxTop[b];
        const int h = m.yBoxHeights[b];
        if (b > 0) {
            out.Cable(
                { LEFT_COLUMN + CABLE_INSET, y - CABLE_LENGTH, CABLE_WIDTH, CABLE_LENGTH }, p.receiverCables[b - 1]);
            out.Cable(
                { g.xRight + CABLE_INSET, y - CABLE_LENGTH, CABLE_WIDTH, CABLE_LENGTH }, p.emitterCables[m.nX + b - 1]);
        }
        const PixelRect rx { LEFT_COLUMN, y, BOX_DEPTH, h };
        const PixelRect tx { g.xRight, y, BOX_DEPTH, h };
        out.Box(rx, p.yBoxes[b], "RX-Y" + std::to_string(b), TextFormat::Column);
        out.Box(tx, p.yBoxes[b], "TX-Y" + std::to_string(b), TextFormat::Column);
        out.Outline(rx);
        out.Outline(tx);
    }
    out.Cable({ LEFT_COLUMN + CABLE_INSET, g.yEnd, CABLE_WIDTH, LEFT_END_CABLE_LENGTH }, p.receiverCables[m.nY - 1]);
    out.Cable(
        { g.xRight + CABLE_INSET, g.yEnd, CABLE_WIDTH, RIGHT_END_CABLE_LENGTH }, p.emitterCables[m.nX + m.nY - 1]);
}

void AddUsbPort(OpList& out, const FrameGeometry& g)
{
    out.Fill({ g.xRight + USB_MARK.x, g.yEnd + USB_MARK.y, USB_MARK.width, USB_MARK.height }, ARGB_BLACK);
    out.Text({ g.xRight + USB_LABEL_DX, g.yEnd + USB_LABEL_DY, 0, 0 }, "USB Port");
}

// Drawn after the rows so that it covers the end of the last TX cable.
void AddCornerCable(OpList& out, const PictureLayout& p, const BoardModel& m, const FrameGeometry& g)
{
    out.Cable({ g.xRight + CABLE_INSET, TX_ROW + CABLE_INSET, CABLE_WIDTH, FIRST_Y_BOX - TX_ROW - CABLE_INSET },
        p.emitterCables[m.nX - 1]);
}

void AssignMarks(PictureLayout& p, const DiagnosisResult& r)
{
    const BoardModel& m = *r.model;
    const auto sole = FindSoleHalfBadBlock(r);
    const bool bothScattered = r.txChainResult >= CHAIN_X_SCATTERED && r.rxChainResult >= CHAIN_X_SCATTERED;
    // A sole half-bad block explains the failure better than a loose cable.
    const bool orange = (HasCode(r.txChainResult) || HasCode(r.rxChainResult)) && !sole;
    p.xBoxes = BoxMarks(r.x, SCAN_AXIS_X, m.nX, p.mergedX, bothScattered, sole);
    p.yBoxes = BoxMarks(r.y, SCAN_AXIS_Y, m.nY, p.mergedY, bothScattered, sole);
    p.emitterCables = CableMarks(r.txChainResult, m.nX + m.nY, orange);
    p.receiverCables = CableMarks(r.rxChainResult, m.nY + m.nX, orange);
}

} // namespace

std::uint32_t MarkArgb(Mark mark)
{
    return MARK_ARGB[static_cast<std::size_t>(mark)];
}

const char* MarkName(Mark mark)
{
    return MARK_NAMES[static_cast<std::size_t>(mark)];
}

FrameGeometry ComputeFrameGeometry(const BoardModel& model)
{
    FrameGeometry g;
    int x = FIRST_X_BOX;
    for (int b = 0; b < model.nX; ++b) {
        g.xBoxLeft.push_back(x);
        x += model.xBoxWidths[b] + CABLE_LENGTH;
    }
    g.xRight = x - CABLE_LENGTH + RIGHT_COLUMN_OVERHANG;
    int y = FIRST_Y_BOX;
    for (int b = 0; b < model.nY; ++b) {
        g.yBoxTop.push_back(y);
        y += model.yBoxHeights[b] + CABLE_LENGTH;
    }
    g.yEnd = y - CABLE_LENGTH;
    g.yRxRow = g.yEnd + RX_ROW_BELOW_Y_END;
    return g;
}

std::vector<ProblemLed> MergeProblemLeds(
    const std::vector<ProblemLed>& emitter, const std::vector<ProblemLed>& receiver)
{
    if (emitter.size() + receiver.size() < MIN_MERGED_ENTRIES)
        return {};
    std::vector<ProblemLed> merged = emitter;
    merged.insert(merged.end(), receiver.begin(), receiver.end());
    std::sort(merged.begin(), merged.end());
    return merged;
}

std::optional<HalfBadBlock> FindSoleHalfBadBlock(const DiagnosisResult& result)
{
    if (!result.model->soleHalfBadRule)
        return std::nullopt;
    std::optional<HalfBadBlock> found;
    int count = 0;
    const auto scan = [&](const AxisDiagnosis& axis, int axisId, int blocks) {
        for (int b = 0; b < blocks; ++b) {
            if (HalfBad(axis, b)) {
                found = HalfBadBlock { axisId, b };
                ++count;
            }
        }
    };
    scan(result.x, SCAN_AXIS_X, result.model->nX);
    scan(result.y, SCAN_AXIS_Y, result.model->nY);
    return count == 1 ? found : std::nullopt;
}

PictureLayout LayoutPicture(const DiagnosisResult& result, int boardSize, const SerialId& serialId, std::time_t now)
{
    const BoardModel& m = *result.model;
    const FrameGeometry g = ComputeFrameGeometry(m);
    PictureLayout p;
    p.width = m.canvasWidth;
    p.height = m.canvasHeight;
    p.mergedX = MergeProblemLeds(result.x.emitterProblems, result.x.receiverProblems);
    p.mergedY = MergeProblemLeds(result.y.emitterProblems, result.y.receiverProblems);
    AssignMarks(p, result);
    p.problemText = BuildProblemText(boardSize, serialId, p.mergedX, p.mergedY, now);

    OpList out;
    AddAxisLabels(out, p.width, p.height);
    AddXRows(out, p, m, g);
    AddYColumns(out, p, m, g);
    AddUsbPort(out, g);
    AddCornerCable(out, p, m, g);
    out.Text(m.problemTextRect, p.problemText, TextFormat::ProblemText);
    p.ops = std::move(out.ops);
    return p;
}

std::string PictureFileName(const SerialId& serialId)
{
    return SerialIdHex(serialId) + ".png";
}

} // namespace tarnscope
