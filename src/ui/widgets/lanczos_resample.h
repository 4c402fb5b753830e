#pragma once

// Picture scaling for every preview of the program: a Lanczos-3 filter applied separately to the
// rows and the columns of 32-bit premultiplied pixels, with fixed-point weights.

#include <QImage>
#include <QSize>

namespace orvix {

// Lanczos-3 kernel sinc(x) * sinc(x / 3) for |x| < 3, else 0.
double Lanczos3(double x);

// src scaled to size; the result is Format_ARGB32_Premultiplied. Shrinking widens the filter so
// that every source pixel counts; near the edges the taps that fall outside the picture are left
// out and the rest renormalised. A null src or an empty size gives a null image.
QImage ResampleLanczos3(const QImage &src, QSize size);

} // namespace orvix
