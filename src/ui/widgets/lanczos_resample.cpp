#include "lanczos_resample.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

namespace orvix {

namespace {

constexpr double kSupport = 3.0;
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;

// Fixed-point taps, padded to an even count so that two taps go through one multiply-add.
struct FixedTaps
{
    int taps = 0; // even
    std::vector<int> index;
    std::vector<int16_t> weight;
};

FixedTaps fixedTaps(int sourceLength, int targetLength)
{
    const LanczosTaps exact = Lanczos3Taps(sourceLength, targetLength);
    FixedTaps f;
    f.taps = (exact.taps + 1) & ~1;
    f.index.assign(size_t(targetLength) * f.taps, 0);
    f.weight.assign(size_t(targetLength) * f.taps, 0);
    for (int i = 0; i < targetLength; ++i) {
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < exact.taps; ++k) {
            const size_t e = size_t(i) * exact.taps + k;
            const size_t o = size_t(i) * f.taps + k;
            f.index[o] = exact.index[e];
            f.weight[o] = int16_t(std::lround(exact.weight[e] * kOne));
            sum += f.weight[o];
            if (std::abs(f.weight[o]) > std::abs(f.weight[size_t(i) * f.taps + largest]))
                largest = k;
        }
        // Rounding must not change a flat area's brightness: the weights sum to exactly one.
        f.weight[size_t(i) * f.taps + largest] += int16_t(kOne - sum);
        for (int k = exact.taps; k < f.taps; ++k)
            f.index[size_t(i) * f.taps + k] = exact.index[size_t(i) * exact.taps];
    }
    return f;
}

// Pixels travel as four channels: bytes in the images, signed 16-bit values between the two
// passes, so that the first pass's overshoot is not clipped before the second pass sees it.
struct Bytes
{
    using Pixel = uint32_t;
    // Two pixels' channels interleaved as 16-bit values: a0 b0 a1 b1 a2 b2 a3 b3.
    static __m128i pair(Pixel a, Pixel b)
    {
        const __m128i bytes = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(a)), _mm_cvtsi32_si128(int(b)));
        return _mm_unpacklo_epi8(bytes, _mm_setzero_si128());
    }
    // Rounded back to 0..255 and, being premultiplied, to the pixel's alpha (the filter's
    // negative lobes can overshoot both).
    static Pixel store(__m128i acc)
    {
        acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(kOne / 2)), kWeightBits);
        const __m128i w16 = _mm_packs_epi32(acc, acc);
        const uint32_t p = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(w16, w16)));
        const uint32_t a = p >> 24;
        const uint32_t b = std::min(p & 0xff, a);
        const uint32_t g = std::min((p >> 8) & 0xff, a);
        const uint32_t r = std::min((p >> 16) & 0xff, a);
        return (a << 24) | (r << 16) | (g << 8) | b;
    }
};

struct Wide
{
    using Pixel = uint64_t;
    static __m128i pair(Pixel a, Pixel b)
    {
        return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(&a)),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i *>(&b)));
    }
    static Pixel store(__m128i acc)
    {
        acc = _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(kOne / 2)), kWeightBits);
        Pixel p;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(&p), _mm_packs_epi32(acc, acc));
        return p;
    }
};

inline int32_t packedPair(int16_t w0, int16_t w1)
{
    return int32_t((uint32_t(uint16_t(w1)) << 16) | uint16_t(w0));
}

// A picture as rows of one kind of pixel.
template <typename Kind>
struct Plane
{
    int width = 0;
    int height = 0;
    std::vector<typename Kind::Pixel> pixels;
    typename Kind::Pixel *row(int y) { return pixels.data() + size_t(y) * width; }
    const typename Kind::Pixel *row(int y) const { return pixels.data() + size_t(y) * width; }
};

Plane<Bytes> planeOf(const QImage &image)
{
    Plane<Bytes> p{image.width(), image.height(), {}};
    p.pixels.resize(size_t(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
        std::memcpy(p.row(y), image.constScanLine(y), size_t(p.width) * 4);
    return p;
}

template <typename Out, typename In>
Plane<Out> horizontal(const Plane<In> &src, int width)
{
    const FixedTaps t = fixedTaps(src.width, width);
    Plane<Out> out{width, src.height, {}};
    out.pixels.resize(size_t(width) * src.height);
    for (int y = 0; y < src.height; ++y) {
        const auto *in = src.row(y);
        auto *dst = out.row(y);
        const int *idx = t.index.data();
        const int16_t *w = t.weight.data();
        for (int x = 0; x < width; ++x, idx += t.taps, w += t.taps) {
            __m128i acc = _mm_setzero_si128();
            for (int k = 0; k < t.taps; k += 2)
                acc = _mm_add_epi32(acc, _mm_madd_epi16(In::pair(in[idx[k]], in[idx[k + 1]]),
                                                        _mm_set1_epi32(packedPair(w[k], w[k + 1]))));
            dst[x] = Out::store(acc);
        }
    }
    return out;
}

template <typename Out, typename In>
Plane<Out> vertical(const Plane<In> &src, int height)
{
    const FixedTaps t = fixedTaps(src.height, height);
    const int width = src.width;
    Plane<Out> out{width, height, {}};
    out.pixels.resize(size_t(width) * height);
    std::vector<const typename In::Pixel *> rows(t.taps);
    std::vector<int32_t> weights(t.taps / 2);
    for (int y = 0; y < height; ++y) {
        for (int k = 0; k < t.taps; ++k)
            rows[k] = src.row(t.index[size_t(y) * t.taps + k]);
        for (int k = 0; k < t.taps; k += 2)
            weights[k / 2] = packedPair(t.weight[size_t(y) * t.taps + k], t.weight[size_t(y) * t.taps + k + 1]);
        auto *dst = out.row(y);
        for (int x = 0; x < width; ++x) {
            __m128i acc = _mm_setzero_si128();
            for (int k = 0; k < t.taps; k += 2)
                acc = _mm_add_epi32(acc, _mm_madd_epi16(In::pair(rows[k][x], rows[k + 1][x]),
                                                        _mm_set1_epi32(weights[k / 2])));
            dst[x] = Out::store(acc);
        }
    }
    return out;
}

QImage imageOf(const Plane<Bytes> &p)
{
    QImage image(p.width, p.height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < p.height; ++y)
        std::memcpy(image.scanLine(y), p.row(y), size_t(p.width) * 4);
    return image;
}

} // namespace

double Lanczos3(double x)
{
    x = std::abs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= kSupport)
        return 0.0;
    const double px = std::numbers::pi * x;
    return kSupport * std::sin(px) * std::sin(px / kSupport) / (px * px);
}

LanczosTaps Lanczos3Taps(int sourceLength, int targetLength)
{
    const double ratio = double(sourceLength) / targetLength;
    // Shrinking widens the filter so that every source pixel contributes.
    const double filterScale = std::min(1.0, 1.0 / ratio);
    const double support = kSupport / filterScale;
    LanczosTaps t;
    t.taps = int(std::ceil(support)) * 2 + 1;
    t.index.assign(size_t(targetLength) * t.taps, 0);
    t.weight.assign(size_t(targetLength) * t.taps, 0.0);
    for (int i = 0; i < targetLength; ++i) {
        const double center = (i + 0.5) * ratio;
        const int first = std::max(0, int(std::floor(center - support)));
        const int last = std::min(sourceLength - 1, int(std::ceil(center + support)));
        double sum = 0;
        int n = 0;
        for (int j = first; j <= last && n < t.taps; ++j) {
            const double w = Lanczos3((j + 0.5 - center) * filterScale);
            if (w == 0.0)
                continue;
            t.index[size_t(i) * t.taps + n] = j;
            t.weight[size_t(i) * t.taps + n] = w;
            sum += w;
            ++n;
        }
        if (n == 0) { // cannot happen for a sane size, but a pixel must read something
            t.index[size_t(i) * t.taps] = std::clamp(int(center), 0, sourceLength - 1);
            t.weight[size_t(i) * t.taps] = 1.0;
            continue;
        }
        for (int k = 0; k < n; ++k)
            t.weight[size_t(i) * t.taps + k] /= sum;
        for (int k = n; k < t.taps; ++k)
            t.index[size_t(i) * t.taps + k] = t.index[size_t(i) * t.taps];
    }
    return t;
}

QImage ResampleLanczos3(const QImage &src, QSize size)
{
    if (src.isNull() || size.width() < 1 || size.height() < 1)
        return {};
    QImage image = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool scaleX = size.width() != image.width();
    const bool scaleY = size.height() != image.height();
    // Taps per output pixel grow with the shrink factor; start with the pass that leaves less
    // work for the other.
    const double tapsX = 6.0 * std::max(1.0, double(image.width()) / size.width());
    const double tapsY = 6.0 * std::max(1.0, double(image.height()) / size.height());
    const double rowsFirst = double(image.height()) * size.width() * tapsX + double(size.height()) * size.width() * tapsY;
    const double columnsFirst = double(size.height()) * image.width() * tapsY + double(size.height()) * size.width() * tapsX;
    if (!scaleX && !scaleY)
        return image;
    const Plane<Bytes> in = planeOf(image);
    if (!scaleY)
        return imageOf(horizontal<Bytes>(in, size.width()));
    if (!scaleX)
        return imageOf(vertical<Bytes>(in, size.height()));
    if (rowsFirst <= columnsFirst)
        return imageOf(vertical<Bytes>(horizontal<Wide>(in, size.width()), size.height()));
    return imageOf(horizontal<Bytes>(vertical<Wide>(in, size.height()), size.width()));
}

} // namespace orvix
