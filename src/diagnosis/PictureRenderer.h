#pragma once

#include "diagnosis/PictureLayout.h"

#include <QFont>
#include <QImage>
#include <string>

namespace tarnscope {

// Arial, or the generic sans-serif face where Arial is missing.
QFont ArialFont(int points);

// Paints the layout's operations on a white ARGB32 canvas of its size.
QImage RenderPicture(const PictureLayout& layout);

// Whether an image writer for "image/png" is installed.
bool FindPngEncoder();

// Writes `image` as PNG. Without an encoder, or when writing fails, no file
// is left behind and the result is false.
bool SavePicturePng(const QImage& image, const std::string& path);

} // namespace tarnscope
