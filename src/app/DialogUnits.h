#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tarnscope {

// Dialog layouts are given in dialog units, which scale with the dialog font.
// The rule is the Windows dialog manager's: the horizontal base unit is the
// average width of the 52 letters "A".."Z", "a".."z" of the dialog font
// (their total width / 52, rounded), the vertical base unit is the font height;
// then x px = du * baseX / 4 and y px = du * baseY / 8, each rounded the way
// MulDiv rounds (to nearest, halves away from zero).
//
// The dialogs are designed for "MS Shell Dlg" at 8 points. That name is a
// Windows alias; fontconfig does not know it, so on Linux the font resolves
// to the default sans-serif face (DejaVu Sans on Debian) at the same point
// size, and the base units come from that face. Layouts therefore keep their
// proportions to the text, as they would with any other dialog font.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};

// The font the dialog resources are designed for.
QFont DialogFont();

DialogBaseUnits BaseUnitsOf(const QFont& font);

// number * numerator / denominator in 64 bits, rounded to nearest with halves
// away from zero; 0 for a zero denominator.
int MulDiv(int number, int numerator, int denominator);

int DialogUnitsToPixelsX(const DialogBaseUnits& units, int du);
int DialogUnitsToPixelsY(const DialogBaseUnits& units, int du);
QSize DialogUnitsToPixels(const DialogBaseUnits& units, int width, int height);
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int width, int height);

} // namespace tarnscope
