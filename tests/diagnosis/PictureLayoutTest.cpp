#include "diagnosis/PictureLayout.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <tuple>

namespace tarnscope {

void PrintTo(const PixelRect& r, std::ostream* os)
{
    *os << "(" << r.x << ", " << r.y << ", " << r.width << ", " << r.height << ")";
}

namespace {

constexpr std::array MODEL_SIZES { 55, 64, 78, 82, 89, 96, 97, 102 };
constexpr SerialId SERIAL { 0x0A, 0x05, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };

// A result as the analysis hands it over for a clean frame, with chosen chain results.
DiagnosisResult CleanResult(int boardSize, std::int32_t tx = CHAIN_NONE, std::int32_t rx = CHAIN_NONE)
{
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;
    DiagnosisResult r = AnalyseBadLights(x, y, boardSize).value();
    r.txChainResult = tx;
    r.rxChainResult = rx;
    return r;
}

PictureLayout Layout(const DiagnosisResult& r, int boardSize)
{
    return LayoutPicture(r, boardSize, SERIAL, 0);
}

std::vector<ProblemLed> LedsOfBlock(int block, int count)
{
    std::vector<ProblemLed> leds;
    for (int i = 0; i < count; ++i)
        leds.push_back({ block, i });
    return leds;
}

using RectKey = std::tuple<int, int, int, int>;

RectKey Key(const PixelRect& r)
{
    return { r.x, r.y, r.width, r.height };
}

std::vector<RectKey> Sorted(std::vector<RectKey> keys)
{
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<RectKey> FillsIn(const PictureLayout& p, std::uint32_t argb)
{
    std::vector<RectKey> keys;
    for (const DrawOp& op : p.ops) {
        if (op.kind == DrawKind::FillRect && op.argb == argb)
            keys.push_back(Key(op.rect));
    }
    return Sorted(keys);
}

// "G", "O", "R" per element.
std::string Letters(const std::vector<Mark>& marks)
{
    std::string letters;
    for (const Mark m : marks)
        letters += "GOR"[static_cast<int>(m)];
    return letters;
}

struct GeometryCase {
    int boardSize;
    int width;
    int height;
    std::vector<int> xBoxLeft;
    std::vector<int> yBoxTop;
    int xRight;
    int yRxRow;
    PixelRect problemText;
};

TEST(FrameGeometry, EveryModelMatchesItsTable)
{
    const std::vector<int> yTops { 100, 175, 285, 395 };
    const std::vector<GeometryCase> cases {
        { 55, 540, 480, { 50, 160, 270, 380 }, { 100, 210, 320 }, 470, 415, { 140, 140, 260, 200 } },
        { 64, 540, 480, { 50, 160, 270, 380 }, { 100, 210, 320 }, 470, 415, { 140, 140, 260, 200 } },
        { 78, 650, 590, { 50, 160, 270, 380, 490 }, yTops, 580, 490, { 140, 140, 370, 310 } },
        { 82, 760, 590, { 50, 160, 270, 380, 490, 565 }, yTops, 620, 490, { 140, 140, 480, 310 } },
        { 89, 760, 590, { 50, 160, 270, 380, 490, 600 }, yTops, 690, 490, { 140, 140, 480, 310 } },
        { 96, 870, 590, { 50, 160, 270, 380, 490, 600, 710 }, yTops, 800, 490, { 140, 140, 590, 310 } },
        { 97, 870, 590, { 50, 160, 270, 380, 490, 600, 710 }, yTops, 800, 490, { 140, 140, 590, 310 } },
        { 102, 980, 590, { 50, 160, 270, 380, 490, 600, 710, 820 }, yTops, 910, 490, { 140, 140, 700, 310 } },
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(c.boardSize);
        const FrameGeometry g = ComputeFrameGeometry(*FindBoardModel(c.boardSize));
        EXPECT_EQ(g.xBoxLeft, c.xBoxLeft);
        EXPECT_EQ(g.yBoxTop, c.yBoxTop);
        EXPECT_EQ(g.xRight, c.xRight);
        EXPECT_EQ(g.yRxRow, c.yRxRow);
        EXPECT_EQ(g.yEnd, c.yRxRow - 25);

        const PictureLayout p = Layout(CleanResult(c.boardSize), c.boardSize);
        EXPECT_EQ(p.width, c.width);
        EXPECT_EQ(p.height, c.height);
        ASSERT_FALSE(p.ops.empty());
        EXPECT_EQ(p.ops.back().kind, DrawKind::Text);
        EXPECT_EQ(p.ops.back().format, TextFormat::ProblemText);
        EXPECT_EQ(p.ops.back().rect, c.problemText);
        EXPECT_EQ(p.ops.back().text, p.problemText);
    }
}

TEST(PictureLayout, Board82HasNarrowBoxesAtTheEndOfTheRows)
{
    const PictureLayout p = Layout(CleanResult(82), 82);
    const auto green = FillsIn(p, ARGB_GREEN);
    for (const PixelRect box : { PixelRect { 490, 50, 35, 30 }, PixelRect { 565, 50, 35, 30 },
             PixelRect { 490, 490, 35, 30 }, PixelRect { 565, 490, 35, 30 } })
        EXPECT_TRUE(std::binary_search(green.begin(), green.end(), Key(box))) << testing::PrintToString(box);
}

struct PlacedText {
    PixelRect rect;
    std::string text;
    TextFormat format;
};

// Texts of the frame other than the problem text, and every fill that is no box or cable.
TEST(PictureLayout, LabelsUsbMarkAndOutlinesOfEveryModel)
{
    for (const int size : MODEL_SIZES) {
        SCOPED_TRACE(size);
        const BoardModel& m = *FindBoardModel(size);
        const FrameGeometry g = ComputeFrameGeometry(m);
        const PictureLayout p = Layout(CleanResult(size), size);
        const int w = m.canvasWidth;
        const int h = m.canvasHeight;

        std::vector<PlacedText> expected { { { w / 2, 20, 0, 0 }, "(X)", TextFormat::Label },
            { { w / 2, h - 20, 0, 0 }, "(X)", TextFormat::Label }, { { 20, h / 2, 0, 0 }, "(Y)", TextFormat::Label },
            { { w - 20, h / 2, 0, 0 }, "(Y)", TextFormat::Label },
            { { g.xRight + 15, g.yEnd + 75, 0, 0 }, "USB Port", TextFormat::Label } };
        for (int b = 0; b < m.nX; ++b) {
            const int bw = m.xBoxWidths[b];
            expected.push_back({ { g.xBoxLeft[b], 50, bw, 30 }, "TX-X" + std::to_string(b), TextFormat::Label });
            expected.push_back({ { g.xBoxLeft[b], g.yRxRow, bw, 30 }, "RX-X" + std::to_string(b), TextFormat::Label });
        }
        for (int b = 0; b < m.nY; ++b) {
            const int bh = m.yBoxHeights[b];
            expected.push_back({ { 50, g.yBoxTop[b], 30, bh }, "RX-Y" + std::to_string(b), TextFormat::Column });
            expected.push_back({ { g.xRight, g.yBoxTop[b], 30, bh }, "TX-Y" + std::to_string(b), TextFormat::Column });
        }
        std::vector<PlacedText> texts;
        for (const DrawOp& op : p.ops) {
            if (op.kind == DrawKind::Text && op.format != TextFormat::ProblemText)
                texts.push_back({ op.rect, op.text, op.format });
            if (op.kind == DrawKind::Text) {
                EXPECT_EQ(op.argb, ARGB_BLACK);
            }
        }
        ASSERT_EQ(texts.size(), expected.size());
        for (const PlacedText& e : expected) {
            const bool found = std::any_of(texts.begin(), texts.end(),
                [&](const PlacedText& t) { return t.rect == e.rect && t.text == e.text && t.format == e.format; });
            EXPECT_TRUE(found) << e.text << " at " << testing::PrintToString(e.rect);
        }
        // The first four operations are the axis labels.
        EXPECT_EQ(p.ops[0].text, "(X)");
        EXPECT_EQ(p.ops[3].text, "(Y)");

        EXPECT_EQ(FillsIn(p, ARGB_BLACK), (std::vector<RectKey> { Key({ g.xRight + 11, g.yEnd + 55, 8, 10 }) }));
        // Boxes, cables, the corner cable and the USB mark; all but the mark outlined.
        const int fills = 2 * m.nX + 2 * m.nY + (2 * m.nX + 2 * (m.nY - 1) + 2 + 1) + 1;
        int fillCount = 0;
        for (const DrawOp& op : p.ops) {
            if (op.kind != DrawKind::FillRect)
                continue;
            ++fillCount;
            const bool outlined = std::any_of(p.ops.begin(), p.ops.end(), [&](const DrawOp& o) {
                return o.kind == DrawKind::OutlineRect && o.rect == op.rect && o.argb == ARGB_BLACK;
            });
            EXPECT_EQ(outlined, op.argb != ARGB_BLACK) << testing::PrintToString(op.rect);
        }
        EXPECT_EQ(fillCount, fills);
    }
}

// The cables of chain index k, read off the frame drawing.
std::vector<RectKey> EmitterCables(const BoardModel& m, const FrameGeometry& g, int k)
{
    if (k < m.nX) {
        std::vector<RectKey> cables { Key({ g.xBoxLeft[k] + m.xBoxWidths[k], 57, 40, 16 }) };
        if (k == m.nX - 1)
            cables.push_back(Key({ g.xRight + 7, 57, 16, 43 }));
        return Sorted(cables);
    }
    if (k < m.nX + m.nY - 1)
        return { Key({ g.xRight + 7, g.yBoxTop[k - m.nX + 1] - 40, 16, 40 }) };
    return { Key({ g.xRight + 7, g.yEnd, 16, 60 }) };
}

std::vector<RectKey> ReceiverCables(const BoardModel& m, const FrameGeometry& g, int k)
{
    if (k < m.nY - 1)
        return { Key({ 57, g.yBoxTop[k + 1] - 40, 16, 40 }) };
    if (k == m.nY - 1)
        return { Key({ 57, g.yEnd, 16, 25 }) };
    const int b = k - m.nY;
    return { Key({ g.xBoxLeft[b] + m.xBoxWidths[b], g.yRxRow + 7, 40, 16 }) };
}

TEST(PictureLayout, ChainResultReddensTheCableLeavingThatElement)
{
    for (const int size : MODEL_SIZES) {
        const BoardModel& m = *FindBoardModel(size);
        const FrameGeometry g = ComputeFrameGeometry(m);
        for (int k = 0; k < m.nX + m.nY; ++k) {
            SCOPED_TRACE(testing::Message() << "size " << size << " index " << k);
            const PictureLayout tx = Layout(CleanResult(size, k, CHAIN_NONE), size);
            EXPECT_EQ(FillsIn(tx, ARGB_RED), EmitterCables(m, g, k));
            EXPECT_EQ(Letters(tx.emitterCables), std::string(k, 'G') + "R" + std::string(m.nX + m.nY - k - 1, 'G'));
            const PictureLayout rx = Layout(CleanResult(size, CHAIN_NONE, k), size);
            EXPECT_EQ(FillsIn(rx, ARGB_RED), ReceiverCables(m, g, k));
            EXPECT_EQ(Letters(rx.receiverCables), std::string(k, 'G') + "R" + std::string(m.nX + m.nY - k - 1, 'G'));
            EXPECT_TRUE(FillsIn(rx, ARGB_ORANGE).empty());
        }
    }
}

TEST(PictureLayout, ListedLedsReddenBothBoxesOfTheirBlock)
{
    for (const int size : MODEL_SIZES) {
        const BoardModel& m = *FindBoardModel(size);
        const FrameGeometry g = ComputeFrameGeometry(m);
        for (int b = 0; b < m.nX; ++b) {
            SCOPED_TRACE(testing::Message() << "size " << size << " X block " << b);
            DiagnosisResult r = CleanResult(size);
            r.x.receiverProblems = LedsOfBlock(b, 8);
            const PictureLayout p = Layout(r, size);
            const int w = m.xBoxWidths[b];
            EXPECT_EQ(FillsIn(p, ARGB_RED),
                Sorted({ Key({ g.xBoxLeft[b], 50, w, 30 }), Key({ g.xBoxLeft[b], g.yRxRow, w, 30 }) }));
        }
        for (int b = 0; b < m.nY; ++b) {
            SCOPED_TRACE(testing::Message() << "size " << size << " Y block " << b);
            DiagnosisResult r = CleanResult(size);
            r.y.emitterProblems = LedsOfBlock(b, 8);
            const PictureLayout p = Layout(r, size);
            const int h = m.yBoxHeights[b];
            EXPECT_EQ(FillsIn(p, ARGB_RED),
                Sorted({ Key({ 50, g.yBoxTop[b], 30, h }), Key({ g.xRight, g.yBoxTop[b], 30, h }) }));
        }
    }
}

struct ColourCase {
    const char* name;
    int boardSize;
    std::int32_t tx;
    std::int32_t rx;
    std::function<void(DiagnosisResult&)> prepare;
    const char* xBoxes;
    const char* yBoxes;
    const char* emitter;
    const char* receiver;
};

TEST(PictureLayout, BoxAndCableColours)
{
    const auto none = [](DiagnosisResult&) {};
    const auto halfBadX1 = [](DiagnosisResult& r) { r.x.emitter[1].result = 32; };
    const auto almostHalfBadX1 = [](DiagnosisResult& r) { r.x.emitter[1].result = 31; };
    const auto halfBad82 = [](DiagnosisResult& r) {
        r.x.emitter[1].result = 32;
        r.y.receiver[0].result = 20; // block length 40
        r.x.emitterProblems = LedsOfBlock(4, 8);
    };
    const auto halfBadX2 = [](DiagnosisResult& r) { r.x.receiver[2].result = 32; };
    const auto halfBadX2Y3 = [](DiagnosisResult& r) {
        r.x.receiver[2].result = 32;
        r.y.emitter[3].result = 28; // block length 56
    };
    const std::vector<ColourCase> cases {
        { "clean", 55, CHAIN_NONE, CHAIN_NONE, none, "GGGG", "GGG", "GGGGGGG", "GGGGGGG" },
        { "tx 2", 55, 2, CHAIN_NONE, none, "GGGG", "GGG", "GGRGGGG", "GGGGGGG" },
        { "tx 3 with the corner", 55, 3, CHAIN_NONE, none, "GGGG", "GGG", "GGGRGGG", "GGGGGGG" },
        { "tx 6 into the USB port", 55, 6, CHAIN_NONE, none, "GGGG", "GGG", "GGGGGGR", "GGGGGGG" },
        { "rx 2 left end", 55, CHAIN_NONE, 2, none, "GGGG", "GGG", "GGGGGGG", "GGRGGGG" },
        { "rx 3 after RX-X0", 55, CHAIN_NONE, 3, none, "GGGG", "GGG", "GGGGGGG", "GGGRGGG" },
        { "rx X scattered", 55, CHAIN_NONE, CHAIN_X_SCATTERED, halfBadX1, "GGGG", "GGG", "OOOOOOO", "OOOOOOO" },
        { "tx scattered, rx index", 55, CHAIN_SCATTERED, 1, none, "GGGG", "GGG", "OOOOOOO", "OROOOOO" },
        { "both scattered", 82, CHAIN_SCATTERED, CHAIN_SCATTERED, halfBad82, "GRGGRG", "RGGG", "OOOOOOOOOO",
            "OOOOOOOOOO" },
        { "both scattered, under half", 82, CHAIN_SCATTERED, CHAIN_X_SCATTERED, almostHalfBadX1, "GGGGGG", "GGGG",
            "OOOOOOOOOO", "OOOOOOOOOO" },
        { "half-bad, one chain scattered", 82, CHAIN_SCATTERED, CHAIN_NONE, halfBadX1, "GGGGGG", "GGGG", "OOOOOOOOOO",
            "OOOOOOOOOO" },
        { "78 sole half-bad", 78, CHAIN_NONE, CHAIN_NONE, halfBadX2, "GGRGG", "GGGG", "GGGGGGGGG", "GGGGGGGGG" },
        { "78 two half-bad", 78, CHAIN_NONE, CHAIN_NONE, halfBadX2Y3, "GGGGG", "GGGG", "GGGGGGGGG", "GGGGGGGGG" },
        { "78 scattered, sole half-bad", 78, CHAIN_SCATTERED, CHAIN_SCATTERED, halfBadX2, "GGRGG", "GGGG", "GGGGGGGGG",
            "GGGGGGGGG" },
        { "78 scattered, two half-bad", 78, CHAIN_SCATTERED, CHAIN_SCATTERED, halfBadX2Y3, "GGRGG", "GGGR", "OOOOOOOOO",
            "OOOOOOOOO" },
        { "82 has no sole rule", 82, CHAIN_NONE, CHAIN_NONE, halfBadX2, "GGGGGG", "GGGG", "GGGGGGGGGG", "GGGGGGGGGG" },
        { "102 tx 11", 102, 11, CHAIN_NONE, none, "GGGGGGGG", "GGGG", "GGGGGGGGGGGR", "GGGGGGGGGGGG" },
        { "102 tx 11, rx 3", 102, 11, 3, none, "GGGGGGGG", "GGGG", "GGGGGGGGGGGR", "GGGRGGGGGGGG" },
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosisResult r = CleanResult(c.boardSize, c.tx, c.rx);
        c.prepare(r);
        const PictureLayout p = Layout(r, c.boardSize);
        EXPECT_EQ(Letters(p.xBoxes), c.xBoxes);
        EXPECT_EQ(Letters(p.yBoxes), c.yBoxes);
        EXPECT_EQ(Letters(p.emitterCables), c.emitter);
        EXPECT_EQ(Letters(p.receiverCables), c.receiver);
    }
}

TEST(FindSoleHalfBadBlock, CountsHalfBadBlocksOverBothAxes)
{
    DiagnosisResult r = CleanResult(78);
    EXPECT_EQ(FindSoleHalfBadBlock(r), std::nullopt);
    r.y.emitter[0].result = 20; // length 40
    EXPECT_EQ(FindSoleHalfBadBlock(r), (HalfBadBlock { SCAN_AXIS_Y, 0 }));
    r.y.receiver[0].result = 20; // same block: still one
    EXPECT_EQ(FindSoleHalfBadBlock(r), (HalfBadBlock { SCAN_AXIS_Y, 0 }));
    r.x.receiver[4].result = 40;
    EXPECT_EQ(FindSoleHalfBadBlock(r), std::nullopt);

    DiagnosisResult other = CleanResult(97);
    other.x.emitter[0].result = 64;
    EXPECT_EQ(FindSoleHalfBadBlock(other), std::nullopt);
}

TEST(MergeProblemLeds, NeedsEightEntriesAndSortsByBlockThenIndex)
{
    EXPECT_TRUE(MergeProblemLeds(LedsOfBlock(0, 4), LedsOfBlock(1, 3)).empty());
    EXPECT_EQ(MergeProblemLeds(LedsOfBlock(0, 4), LedsOfBlock(1, 4)).size(), 8u);

    const std::vector<ProblemLed> emitter { { 1, 2 }, { 0, 9 }, { 0, 1 } };
    const std::vector<ProblemLed> receiver { { 2, 5 }, { 2, 1 }, { 0, 9 }, { 2, 0 }, { 2, 4 } };
    const std::vector<ProblemLed> merged { { 0, 1 }, { 0, 9 }, { 0, 9 }, { 1, 2 }, { 2, 0 }, { 2, 1 }, { 2, 4 },
        { 2, 5 } };
    EXPECT_EQ(MergeProblemLeds(emitter, receiver), merged);
}

TEST(PictureLayout, ProblemTextListsOnlyMergedListsOfEightOrMore)
{
    DiagnosisResult r = CleanResult(55, CHAIN_SCATTERED, CHAIN_SCATTERED);
    r.x.emitterProblems = LedsOfBlock(1, 4);
    r.x.receiverProblems = LedsOfBlock(2, 3);
    r.y.emitterProblems = { { 2, 9 }, { 1, 4 }, { 1, 3 }, { 0, 7 } };
    r.y.receiverProblems = { { 1, 3 }, { 2, 1 }, { 0, 2 }, { 0, 1 } };
    const PictureLayout p = Layout(r, 55);
    EXPECT_TRUE(p.mergedX.empty());
    EXPECT_EQ(Letters(p.xBoxes), "GGGG");
    EXPECT_EQ(p.problemText.find("X LED"), std::string::npos);
    EXPECT_EQ(p.mergedY.size(), 8u);
    EXPECT_EQ(Letters(p.yBoxes), "RRR");
    const std::string yPart = "\r\n\r\nY LED:\r\n    Y0:LED Pos=>1,2,7,\r\n    Y1:LED Pos=>3,3,4,\r\n"
                              "    Y2:LED Pos=>1,9\r\n";
    ASSERT_GE(p.problemText.size(), yPart.size());
    EXPECT_EQ(p.problemText.substr(p.problemText.size() - yPart.size()), yPart);
    EXPECT_NE(p.problemText.find("SID: 0A05030405060708090A0B0C"), std::string::npos);
}

TEST(Mark, ColoursAndNames)
{
    EXPECT_EQ(MarkArgb(Mark::Green), 0xFF14C814u);
    EXPECT_EQ(MarkArgb(Mark::Orange), 0xFFFF7F27u);
    EXPECT_EQ(MarkArgb(Mark::Red), 0xFFFF0000u);
    EXPECT_STREQ(MarkName(Mark::Green), "green");
    EXPECT_STREQ(MarkName(Mark::Orange), "orange");
    EXPECT_STREQ(MarkName(Mark::Red), "red");
}

} // namespace
} // namespace tarnscope
