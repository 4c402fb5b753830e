#pragma once

// Picture scaling for every preview of the program: a Lanczos-3 filter applied separately to the
// rows and the columns of 32-bit premultiplied pixels, with fixed-point weights.

#include <QImage>
#include <QSize>

#include <vector>

namespace orvix {

// The filter's weights for one direction: output pixel i reads the source pixels
// index[i * taps + k] with weight[i * taps + k] (k < taps). Taps that fall outside the source are
// left out and the rest renormalised, so edges keep their brightness.
struct LanczosTaps
{
    int taps = 0;
    std::vector<int> index;
    std::vector<double> weight;
};
LanczosTaps Lanczos3Taps(int sourceLength, int targetLength);

// Lanczos-3 kernel sinc(x) * sinc(x / 3) for |x| < 3, else 0.
double Lanczos3(double x);

// src scaled to size (both sides at least 1); the result is Format_ARGB32_Premultiplied.
// A null src or an empty size gives a null image.
QImage ResampleLanczos3(const QImage &src, QSize size);

} // namespace orvix
