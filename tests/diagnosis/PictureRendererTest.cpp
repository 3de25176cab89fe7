#include "diagnosis/PictureRenderer.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

constexpr std::array MODEL_SIZES { 55, 64, 78, 82, 89, 96, 97, 102 };
constexpr SerialId SERIAL { 0x0A, 0x05, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };

struct Pattern {
    const char* name;
    std::function<void(DiagnosisResult&)> prepare;
};

const std::vector<Pattern>& Patterns()
{
    static const std::vector<Pattern> patterns {
        { "clean", [](DiagnosisResult&) {} },
        { "last TX cable and corner", [](DiagnosisResult& r) { r.txChainResult = r.model->nX - 1; } },
        { "receiver into the USB port", [](DiagnosisResult& r) { r.rxChainResult = r.model->nX + r.model->nY - 1; } },
        { "X scattered", [](DiagnosisResult& r) { r.rxChainResult = CHAIN_X_SCATTERED; } },
        { "scattered with bad boards",
            [](DiagnosisResult& r) {
                r.txChainResult = CHAIN_SCATTERED;
                r.rxChainResult = CHAIN_SCATTERED;
                r.x.emitter[0].result = 64;
                r.y.receiver[1].result = 40;
                for (int i = 0; i < 8; ++i)
                    r.x.receiverProblems.push_back({ 1, 20 + i });
            } },
    };
    return patterns;
}

PictureLayout LayoutFor(int boardSize, const Pattern& pattern)
{
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;
    DiagnosisResult r = AnalyseBadLights(x, y, boardSize).value();
    pattern.prepare(r);
    return LayoutPicture(r, boardSize, SERIAL, 1700000000);
}

bool IsLabelled(const PictureLayout& layout, const PixelRect& rect)
{
    return std::any_of(layout.ops.begin(), layout.ops.end(),
        [&](const DrawOp& op) { return op.kind == DrawKind::Text && op.rect == rect; });
}

// Boxes carry their label in the middle, so they are sampled near a corner.
QPoint SamplePoint(const PictureLayout& layout, const PixelRect& r)
{
    if (IsLabelled(layout, r))
        return { r.x + 3, r.y + 3 };
    return { r.x + r.width / 2, r.y + r.height / 2 };
}

TEST(RenderPicture, EveryBoxAndCableShowsItsColour)
{
    for (const int size : MODEL_SIZES) {
        for (const Pattern& pattern : Patterns()) {
            SCOPED_TRACE(testing::Message() << "size " << size << ", " << pattern.name);
            const PictureLayout layout = LayoutFor(size, pattern);
            const QImage image = RenderPicture(layout);
            ASSERT_EQ(image.size(), QSize(layout.width, layout.height));
            EXPECT_EQ(image.format(), QImage::Format_ARGB32);
            EXPECT_EQ(image.pixel(0, 0), ARGB_WHITE);
            EXPECT_EQ(image.pixel(layout.width - 1, layout.height - 1), ARGB_WHITE);
            for (const DrawOp& op : layout.ops) {
                if (op.kind == DrawKind::FillRect) {
                    const QPoint at = SamplePoint(layout, op.rect);
                    EXPECT_EQ(image.pixel(at), op.argb) << at.x() << "," << at.y();
                }
                // Later fills may cover the far edges where boxes and cables meet, never the near corner.
                if (op.kind == DrawKind::OutlineRect) {
                    EXPECT_EQ(image.pixel(op.rect.x, op.rect.y), ARGB_BLACK) << op.rect.x << "," << op.rect.y;
                }
            }
        }
    }
}

// Extent of the pixels inside `r` (outline excluded) that differ from the fill.
QRect InkInside(const QImage& image, const PixelRect& r, std::uint32_t fill)
{
    QRect ink;
    for (int y = r.y + 1; y < r.y + r.height; ++y) {
        for (int x = r.x + 1; x < r.x + r.width; ++x) {
            if (image.pixel(x, y) != fill)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

TEST(RenderPicture, ColumnLabelsRunDownAndRowLabelsAcross)
{
    const PictureLayout layout = LayoutFor(102, Patterns().front());
    const QImage image = RenderPicture(layout);
    int columns = 0;
    int rows = 0;
    for (const DrawOp& op : layout.ops) {
        if (op.kind != DrawKind::Text || op.rect.width == 0 || op.format == TextFormat::ProblemText)
            continue;
        SCOPED_TRACE(op.text);
        const QRect ink = InkInside(image, op.rect, ARGB_GREEN);
        ASSERT_FALSE(ink.isEmpty());
        if (op.format == TextFormat::Column) {
            EXPECT_GT(ink.height(), ink.width());
            ++columns;
        } else {
            EXPECT_GT(ink.width(), ink.height());
            ++rows;
        }
    }
    EXPECT_EQ(columns, 8);
    EXPECT_EQ(rows, 16);
}

TEST(RenderPicture, ProblemTextStartsAtTheTopLeftOfItsRectangle)
{
    const PictureLayout layout = LayoutFor(82, Patterns().front());
    const QImage image = RenderPicture(layout);
    const PixelRect area = FindBoardModel(82)->problemTextRect;
    const QRect ink = InkInside(image, { area.x - 1, area.y - 1, area.width + 1, area.height + 1 }, ARGB_WHITE);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(ink.left() - area.x, 5);
    EXPECT_LT(ink.top() - area.y, 5);
    // Model, date and serial id with blank lines between take several lines.
    EXPECT_GT(ink.height(), 60);
}

TEST(SavePicturePng, WritesAReadablePng)
{
    ASSERT_TRUE(FindPngEncoder());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage image = RenderPicture(LayoutFor(55, Patterns().back()));
    const QString path = dir.filePath(QString::fromStdString(PictureFileName(SERIAL)));
    ASSERT_TRUE(SavePicturePng(image, path.toStdString()));
    const QImage loaded(path, "png");
    ASSERT_FALSE(loaded.isNull());
    EXPECT_EQ(loaded.convertToFormat(QImage::Format_ARGB32), image);
}

TEST(SavePicturePng, FailureLeavesNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage image = RenderPicture(LayoutFor(55, Patterns().front()));
    const QString missingFolder = dir.filePath("missing/picture.png");
    EXPECT_FALSE(SavePicturePng(image, missingFolder.toStdString()));
    EXPECT_FALSE(QFileInfo::exists(missingFolder));

    const QString nothing = dir.filePath("null.png");
    EXPECT_FALSE(SavePicturePng(QImage(), nothing.toStdString()));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

} // namespace
} // namespace tarnscope
