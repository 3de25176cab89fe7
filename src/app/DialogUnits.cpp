#include "app/DialogUnits.h"

#include <QFontMetrics>
#include <cstdint>
#include <cstdlib>

namespace tarnscope {

namespace {

constexpr char BASE_UNIT_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int BASE_UNIT_LETTER_COUNT = 52;
constexpr int DIALOG_FONT_POINTS = 8;

} // namespace

QFont DialogFont()
{
    QFont font(QStringLiteral("MS Shell Dlg"), DIALOG_FONT_POINTS);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int lettersWidth = metrics.horizontalAdvance(QString::fromLatin1(BASE_UNIT_LETTERS));
    return { (lettersWidth + BASE_UNIT_LETTER_COUNT / 2) / BASE_UNIT_LETTER_COUNT, metrics.height() };
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t half = std::llabs(denominator) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(denominator);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int DialogUnitsToPixelsX(const DialogBaseUnits& units, int du)
{
    return MulDiv(du, units.x, 4);
}

int DialogUnitsToPixelsY(const DialogBaseUnits& units, int du)
{
    return MulDiv(du, units.y, 8);
}

QSize DialogUnitsToPixels(const DialogBaseUnits& units, int width, int height)
{
    return { DialogUnitsToPixelsX(units, width), DialogUnitsToPixelsY(units, height) };
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int width, int height)
{
    return { DialogUnitsToPixelsX(units, x), DialogUnitsToPixelsY(units, y), DialogUnitsToPixelsX(units, width),
        DialogUnitsToPixelsY(units, height) };
}

} // namespace tarnscope
