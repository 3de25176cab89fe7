#include "diagnosis/CShowResultDialog.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace tarnscope {
namespace {

constexpr QRgb PICTURE_BLUE = 0xFF0000FF;
constexpr QRgb LEGEND_COLOURS[] = { 0xFF00FF00, 0xFFFF7F27, 0xFFFF0000 };

QImage SolidPicture(int width, int height, QRgb colour)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(colour);
    return picture;
}

QRgb PixelAt(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

bool HasInkIn(const QImage& image, const QRect& area, QRgb background)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (PixelAt(image, x, y) != background)
                return true;
        }
    }
    return false;
}

class ShowResultDialogTest : public ::testing::Test {
protected:
    QImage Grab() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRgb Background() const { return view.palette().color(QPalette::Window).rgb(); }

    CShowResultDialog view;
};

TEST_F(ShowResultDialogTest, StartsHiddenWithoutPicture)
{
    EXPECT_EQ(view.windowTitle(), "Result");
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(view.HasPicture());
    EXPECT_TRUE(view.Text().isEmpty());
}

// The picture's corner is (width / 2 - w / 2, height / 2 - h / 2); the legend
// squares are 18 x 18 at x and at y + h - 35 + 25 * row.
TEST_F(ShowResultDialogTest, CentresThePictureAndDrawsTheLegendBelowItsLeftCorner)
{
    struct Case {
        QSize client;
        QSize picture;
        QPoint corner;
    };
    const Case cases[] = {
        { { 500, 400 }, { 120, 80 }, { 190, 160 } },
        { { 501, 401 }, { 121, 81 }, { 190, 160 } },
        { { 600, 500 }, { 300, 100 }, { 150, 200 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture.width());
        view.resize(c.client);
        view.SetPicture(SolidPicture(c.picture.width(), c.picture.height(), PICTURE_BLUE));
        const QImage shot = Grab();
        const QRect picture(c.corner, c.picture);

        EXPECT_EQ(PixelAt(shot, picture.left(), picture.top()), PICTURE_BLUE);
        EXPECT_EQ(PixelAt(shot, picture.right(), picture.top()), PICTURE_BLUE);
        EXPECT_EQ(PixelAt(shot, picture.left() - 1, picture.top()), Background());
        EXPECT_EQ(PixelAt(shot, picture.right() + 1, picture.top()), Background());
        EXPECT_EQ(PixelAt(shot, picture.left(), picture.top() - 1), Background());

        for (int row = 1; row <= 3; ++row) {
            SCOPED_TRACE(row);
            const QRect square(picture.left(), picture.bottom() + 1 - 35 + 25 * row, 18, 18);
            EXPECT_EQ(PixelAt(shot, square.left(), square.top()), LEGEND_COLOURS[row - 1]);
            EXPECT_EQ(PixelAt(shot, square.right(), square.bottom()), LEGEND_COLOURS[row - 1]);
            EXPECT_NE(PixelAt(shot, square.right() + 1, square.center().y()), LEGEND_COLOURS[row - 1]);
            EXPECT_NE(PixelAt(shot, square.left(), square.bottom() + 1), LEGEND_COLOURS[row - 1]);
        }
        // The last row lies below the picture; its text starts 25 pixels right of the square.
        const int lastRowTop = picture.bottom() + 1 - 35 + 75;
        EXPECT_FALSE(HasInkIn(shot, QRect(picture.left() + 18, lastRowTop, 7, 18), Background()));
        EXPECT_TRUE(HasInkIn(shot, QRect(picture.left() + 25, lastRowTop, 30, 18), Background()));
    }
}

TEST_F(ShowResultDialogTest, PictureLargerThanTheWindowIsClippedAtItsEdges)
{
    view.resize(300, 200);
    view.SetPicture(SolidPicture(400, 300, PICTURE_BLUE)); // corner at (-50, -50)
    const QImage shot = Grab();
    EXPECT_EQ(PixelAt(shot, 0, 0), PICTURE_BLUE);
    EXPECT_EQ(PixelAt(shot, 299, 199), PICTURE_BLUE);
}

TEST_F(ShowResultDialogTest, SetPictureReplacesTheHeldPicture)
{
    view.resize(400, 300);
    view.SetPicture(SolidPicture(200, 200, 0xFFFF0000));
    view.SetPicture(SolidPicture(20, 20, PICTURE_BLUE));
    const QImage shot = Grab();
    EXPECT_EQ(PixelAt(shot, 209, 159), PICTURE_BLUE); // lower-right corner, clear of the legend
    EXPECT_EQ(PixelAt(shot, 150, 110), Background());
}

TEST_F(ShowResultDialogTest, CloseHidesAndDropsThePictureSoTheTextShows)
{
    view.resize(400, 300);
    view.SetText("Model: 89 ");
    view.SetPicture(SolidPicture(300, 200, PICTURE_BLUE));
    view.show();
    EXPECT_TRUE(view.close());
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(view.HasPicture());

    const QImage shot = Grab();
    EXPECT_FALSE(HasInkIn(shot, QRect(150, 150, 50, 50), Background()));
    EXPECT_TRUE(HasInkIn(shot, QRect(50, 50, 100, 30), Background()));
}

TEST_F(ShowResultDialogTest, TextBreaksOnlyAtLineBreaksAndIsClippedToTheInsetRectangle)
{
    view.resize(400, 300);
    view.SetText(QString(200, QLatin1Char('W')) + "\r\nsecond\nthird");
    const QImage shot = Grab();
    const QRect inset(50, 50, 300, 200);
    EXPECT_TRUE(HasInkIn(shot, QRect(inset.right() - 20, inset.top(), 20, 15), Background()));
    EXPECT_FALSE(HasInkIn(shot, QRect(inset.right() + 1, 0, 49, 300), Background()));
    EXPECT_FALSE(HasInkIn(shot, QRect(0, 0, 400, 50), Background()));
    EXPECT_FALSE(HasInkIn(shot, QRect(0, 0, 50, 300), Background()));
    // Three lines, no wrapping of the long one: nothing below the third line.
    const int lineHeight = QFontMetrics(QFont("Arial", 11)).height();
    EXPECT_TRUE(HasInkIn(shot, QRect(50, 50 + 2 * lineHeight, 100, lineHeight), Background()));
    EXPECT_FALSE(HasInkIn(shot, QRect(50, 50 + 3 * lineHeight + 2, 300, 100), Background()));
}

TEST_F(ShowResultDialogTest, EmptyTextWithoutPicturePaintsOnlyTheBackground)
{
    view.resize(200, 150);
    EXPECT_FALSE(HasInkIn(Grab(), QRect(0, 0, 200, 150), Background()));
}

} // namespace
} // namespace tarnscope
