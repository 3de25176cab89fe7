#include "diagnosis/CShowResultDialog.h"

#include "app/DialogUnits.h"
#include "diagnosis/PictureRenderer.h"

#include <QCloseEvent>
#include <QPainter>
#include <array>

namespace tarnscope {

namespace {

struct LegendRow {
    QRgb colour;
    const char* text;
};

constexpr QRgb LEGEND_HEADING_COLOUR = 0xFF000000;
constexpr char LEGEND_HEADING[] = "Note:";
constexpr std::array<LegendRow, 3> LEGEND_ROWS { {
    { 0xFF00FF00, "Pass" },
    { 0xFFFF7F27, "The flat cable connection problem" },
    { 0xFFFF0000, "Problem on PCB board-LED or Flat Cable connection failure" },
} };

constexpr int LEGEND_FONT_POINTS = 13;
constexpr int LEGEND_SQUARE = 18;
constexpr int LEGEND_ROW_PITCH = 25;
constexpr int LEGEND_TEXT_OFFSET = 25;
constexpr int LEGEND_RAISE = 35; // "Note:" sits this far above the picture's bottom edge

constexpr int TEXT_MARGIN = 50;
constexpr int TEXT_FONT_POINTS = 11;

constexpr int DESIGN_WIDTH_DU = 316;
constexpr int DESIGN_HEIGHT_DU = 183;

// A line break is CR LF, LF or a lone CR.
QString WithLineFeeds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

CShowResultDialog::CShowResultDialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Result"));
    setFont(DialogFont());
    resize(DialogUnitsToPixels(BaseUnitsOf(font()), DESIGN_WIDTH_DU, DESIGN_HEIGHT_DU));
}

void CShowResultDialog::SetPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void CShowResultDialog::DropPicture()
{
    m_picture.reset();
    update();
}

void CShowResultDialog::SetText(const QString& text)
{
    m_text = text;
    update();
}

void CShowResultDialog::paintEvent(QPaintEvent*)
{
    if (m_picture)
        PaintPicture(*m_picture);
    else
        PaintText();
}

void CShowResultDialog::PaintPicture(const QImage& picture)
{
    const int w = picture.width();
    const int h = picture.height();
    // The client rectangle's right and bottom edges are exclusive: width and height.
    const int x = width() / 2 - w / 2;
    const int y = height() / 2 - h / 2;

    QPainter painter(this);
    painter.drawImage(QPoint(x, y), picture);

    painter.setFont(ArialFont(LEGEND_FONT_POINTS));
    const QFontMetrics metrics(painter.font());
    // Legend texts are placed by their top-left corner, on one line.
    const auto drawLegendText = [&](qreal left, qreal top, QRgb colour, const char* text) {
        painter.setPen(QColor::fromRgba(colour));
        painter.drawText(QPointF(left, top + metrics.ascent()), QString::fromLatin1(text));
    };

    const qreal y0 = static_cast<qreal>(y) + h - LEGEND_RAISE;
    drawLegendText(x, y0, LEGEND_HEADING_COLOUR, LEGEND_HEADING);
    for (std::size_t i = 0; i < LEGEND_ROWS.size(); ++i) {
        const qreal rowTop = y0 + LEGEND_ROW_PITCH * static_cast<qreal>(i + 1);
        painter.fillRect(QRectF(x, rowTop, LEGEND_SQUARE, LEGEND_SQUARE), QColor::fromRgba(LEGEND_ROWS[i].colour));
        drawLegendText(x + LEGEND_TEXT_OFFSET, rowTop, LEGEND_ROWS[i].colour, LEGEND_ROWS[i].text);
    }
}

void CShowResultDialog::PaintText()
{
    const QRect area(QPoint(TEXT_MARGIN, TEXT_MARGIN), QPoint(width() - TEXT_MARGIN - 1, height() - TEXT_MARGIN - 1));
    if (m_text.isEmpty() || area.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(ArialFont(TEXT_FONT_POINTS));
    painter.setPen(Qt::black);
    painter.setClipRect(area);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, WithLineFeeds(m_text));
}

void CShowResultDialog::closeEvent(QCloseEvent* event)
{
    hide();
    DropPicture();
    event->accept();
}

} // namespace tarnscope
