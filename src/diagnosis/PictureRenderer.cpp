#include "diagnosis/PictureRenderer.h"

#include <QFont>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace tarnscope {

namespace {

// 96 dpi, so that a 10-point font is 13 1/3 pixels high whatever the screen.
constexpr int DOTS_PER_METRE = 3780;
// PNG quality 80 selects the fastest deflate level: a third less time than the
// default for a file a few per cent larger, as the picture is mostly flat colour.
constexpr int PNG_QUALITY = 80;

QFont PictureFont()
{
    QFont font = ArialFont(10);
    font.setBold(true);
    return font;
}

QRectF ToRect(const PixelRect& r)
{
    return QRectF(r.x, r.y, r.width, r.height);
}

// Column text reads top to bottom: turned a quarter clockwise about the
// rectangle's centre.
void DrawColumnText(QPainter& painter, const QRectF& rect, const QString& text)
{
    painter.save();
    painter.translate(rect.center());
    painter.rotate(90);
    const QRectF turned(-rect.height() / 2, -rect.width() / 2, rect.height(), rect.width());
    painter.drawText(turned, Qt::AlignCenter | Qt::TextDontClip, text);
    painter.restore();
}

void DrawText(QPainter& painter, const DrawOp& op)
{
    painter.setPen(QColor::fromRgba(op.argb));
    // The text uses "\r\n" line ends; the painter breaks lines on '\n' alone.
    const QString text = QString::fromStdString(op.text).remove(QLatin1Char('\r'));
    const QRectF rect = ToRect(op.rect);
    switch (op.format) {
    case TextFormat::Label:
        painter.drawText(rect, Qt::AlignCenter | Qt::TextDontClip, text);
        break;
    case TextFormat::Column:
        DrawColumnText(painter, rect, text);
        break;
    case TextFormat::ProblemText:
        painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        break;
    }
}

void Draw(QPainter& painter, const DrawOp& op)
{
    switch (op.kind) {
    case DrawKind::FillRect:
        painter.fillRect(QRect(op.rect.x, op.rect.y, op.rect.width, op.rect.height), QColor::fromRgba(op.argb));
        break;
    case DrawKind::OutlineRect:
        painter.setPen(QPen(QColor::fromRgba(op.argb), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(op.rect.x, op.rect.y, op.rect.width, op.rect.height));
        break;
    case DrawKind::Text:
        DrawText(painter, op);
        break;
    }
}

} // namespace

QFont ArialFont(int points)
{
    QFont font(QStringLiteral("Arial"), points);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QImage RenderPicture(const PictureLayout& layout)
{
    QImage image(layout.width, layout.height, QImage::Format_ARGB32);
    image.setDotsPerMeterX(DOTS_PER_METRE);
    image.setDotsPerMeterY(DOTS_PER_METRE);
    image.fill(QColor::fromRgba(ARGB_WHITE));
    QPainter painter(&image);
    painter.setFont(PictureFont());
    for (const DrawOp& op : layout.ops)
        Draw(painter, op);
    return image;
}

bool FindPngEncoder()
{
    return QImageWriter::supportedMimeTypes().contains("image/png");
}

bool SavePicturePng(const QImage& image, const std::string& path)
{
    if (!FindPngEncoder())
        return false;
    // QSaveFile drops the file unless the whole image was written.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "png");
    writer.setQuality(PNG_QUALITY);
    if (!writer.write(image))
        return false;
    return file.commit();
}

} // namespace tarnscope
