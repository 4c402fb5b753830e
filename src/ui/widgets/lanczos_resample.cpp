#include "lanczos_resample.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numbers>
#include <type_traits>
#include <vector>

namespace orvix {

namespace {

constexpr double kSupport = 3.0;
constexpr int kWeightBits = 14;
constexpr int kOne = 1 << kWeightBits;
// Between the passes channels keep this many fraction bits (and their overshoot).
constexpr int kWideFraction = 4;

// Lanczos3 sampled finely, read with linear interpolation: the weights of a whole picture cost
// no more than a few thousand look-ups.
constexpr int kTableSteps = 2048; // per unit
const std::array<float, 3 * kTableSteps + 2> &kernelTable()
{
    static const auto table = [] {
        std::array<float, 3 * kTableSteps + 2> t{};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = float(Lanczos3(double(i) / kTableSteps));
        return t;
    }();
    return table;
}

double kernel(double x)
{
    x = std::abs(x) * kTableSteps;
    if (x >= 3 * kTableSteps)
        return 0.0;
    const auto &t = kernelTable();
    const int i = int(x);
    const double f = x - i;
    return t[i] + (t[i + 1] - t[i]) * f;
}

// The filter for one direction as contiguous windows: output i reads taps source positions from
// start[i]; positions outside the source have weight 0 (the readers give them zero pixels).
// Weights come in pairs packed for one multiply-add, taps is a multiple of four.
struct Windows
{
    int taps = 0;
    int pad = 0; // how far a window may reach beyond either end of the source
    std::vector<int> start;
    std::vector<int32_t> pairs; // (taps / 2) per output
};

Windows windows(int sourceLength, int targetLength)
{
    const double ratio = double(sourceLength) / targetLength;
    const double filterScale = std::min(1.0, 1.0 / ratio);
    const double support = kSupport / filterScale;
    Windows w;
    w.taps = (int(std::ceil(support)) * 2 + 2 + 3) & ~3;
    w.pad = w.taps + 1;
    w.start.resize(targetLength);
    w.pairs.resize(size_t(targetLength) * (w.taps / 2));
    std::vector<double> exact(w.taps);
    std::vector<int> fixed(w.taps);
    for (int i = 0; i < targetLength; ++i) {
        const double center = (i + 0.5) * ratio;
        const int first = int(std::floor(center - support));
        w.start[i] = first;
        double sum = 0;
        for (int k = 0; k < w.taps; ++k) {
            const int j = first + k;
            exact[k] = j >= 0 && j < sourceLength ? kernel((j + 0.5 - center) * filterScale) : 0.0;
            sum += exact[k];
        }
        int total = 0;
        int largest = 0;
        for (int k = 0; k < w.taps; ++k) {
            fixed[k] = int(std::lround(exact[k] / sum * kOne));
            total += fixed[k];
            if (std::abs(fixed[k]) > std::abs(fixed[largest]))
                largest = k;
        }
        // Rounding must not change a flat area's brightness: the weights sum to exactly one.
        fixed[largest] += kOne - total;
        for (int k = 0; k < w.taps; k += 2)
            w.pairs[size_t(i) * (w.taps / 2) + k / 2] =
                int32_t((uint32_t(uint16_t(fixed[k + 1])) << 16) | uint16_t(fixed[k]));
    }
    return w;
}

// Four 32-bit channel sums, aligned for the vector registers.
struct alignas(16) Sums
{
    int32_t c[4] = {0, 0, 0, 0};
};

// Pixel-taps below which a pass is not shared out among threads.
constexpr qint64 kWorkPerPart = 200000;

// Pixels as four channels: bytes in the pictures, signed 16-bit values with kWideFraction
// fraction bits between the passes.
struct Bytes
{
    using Pixel = uint32_t;
    static constexpr int kShift = kWeightBits;
};
struct Wide
{
    using Pixel = uint64_t;
    static constexpr int kShift = kWeightBits + kWideFraction;
};

inline __m128i rounded(__m128i acc, int shift)
{
    return _mm_srai_epi32(_mm_add_epi32(acc, _mm_set1_epi32(1 << (shift - 1))), shift);
}

// Four finished pixels (channel sums of an In source) stored as Out.
template <typename Out, typename In>
inline void store4(typename Out::Pixel *dst, __m128i a0, __m128i a1, __m128i a2, __m128i a3)
{
    if constexpr (std::is_same_v<Out, Wide>) {
        constexpr int shift = In::kShift - kWideFraction;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst),
                         _mm_packs_epi32(rounded(a0, shift), rounded(a1, shift)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 2),
                         _mm_packs_epi32(rounded(a2, shift), rounded(a3, shift)));
    } else {
        constexpr int shift = In::kShift;
        const __m128i lo = _mm_packs_epi32(rounded(a0, shift), rounded(a1, shift));
        const __m128i hi = _mm_packs_epi32(rounded(a2, shift), rounded(a3, shift));
        __m128i v = _mm_packus_epi16(lo, hi);
        // Premultiplied: no channel above its pixel's alpha (the negative lobes overshoot).
        __m128i alpha = _mm_srli_epi32(v, 24);
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
        alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_min_epu8(v, alpha));
    }
}

template <typename Out, typename In>
inline void store1(typename Out::Pixel *dst, __m128i acc)
{
    typename Out::Pixel tmp[4];
    const __m128i z = _mm_setzero_si128();
    store4<Out, In>(tmp, acc, z, z, z);
    *dst = tmp[0];
}

// A source row with zero pixels on both sides, so windows need no bounds checks.
template <typename In>
struct PaddedRow
{
    std::vector<typename In::Pixel> pixels;
    int pad = 0;
    void fill(const typename In::Pixel *row, int width)
    {
        std::memcpy(pixels.data() + pad, row, size_t(width) * sizeof(typename In::Pixel));
    }
    const typename In::Pixel *at(int index) const { return pixels.data() + pad + index; }
};

// One row filtered along its length.
template <typename Out, typename In>
void horizontalRow(const PaddedRow<In> &row, const Windows &w, typename Out::Pixel *dst, int width)
{
    const int32_t *pairs = w.pairs.data();
    for (int x = 0; x < width; ++x, pairs += w.taps / 2) {
        const typename In::Pixel *src = row.at(w.start[x]);
        __m128i acc = _mm_setzero_si128();
        for (int k = 0; k < w.taps; k += 4) {
            __m128i p01, p23;
            if constexpr (std::is_same_v<In, Bytes>) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
                p01 = _mm_unpacklo_epi8(v, _mm_setzero_si128());
                p23 = _mm_unpackhi_epi8(v, _mm_setzero_si128());
            } else {
                p01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
                p23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k + 2));
            }
            // a0 a1 a2 a3 b0 b1 b2 b3 -> a0 b0 a1 b1 a2 b2 a3 b3: two taps per multiply-add.
            p01 = _mm_unpacklo_epi16(p01, _mm_srli_si128(p01, 8));
            p23 = _mm_unpacklo_epi16(p23, _mm_srli_si128(p23, 8));
            acc = _mm_add_epi32(acc, _mm_madd_epi16(p01, _mm_set1_epi32(pairs[k / 2])));
            acc = _mm_add_epi32(acc, _mm_madd_epi16(p23, _mm_set1_epi32(pairs[k / 2 + 1])));
        }
        store1<Out, In>(dst + x, acc);
    }
}

// A plane of pixels of one kind, rows of width pixels.
template <typename Kind>
struct Plane
{
    int width = 0;
    int height = 0;
    std::vector<typename Kind::Pixel> pixels;
    typename Kind::Pixel *row(int y) { return pixels.data() + size_t(y) * width; }
    const typename Kind::Pixel *row(int y) const { return pixels.data() + size_t(y) * width; }
};

// Runs work(begin, end) over the rows [0, count) in a few parts on the thread pool when there
// is enough to share, like Qt's own smooth scaling.
void parallelRows(int count, qint64 workPerRow, const std::function<void(int, int)> &work)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    const int parts = int(std::min<qint64>({qint64(pool->maxThreadCount()), qint64(count),
                                            qint64(count) * workPerRow / kWorkPerPart}));
    if (parts < 2 || QThread::currentThread() != qApp->thread()) {
        work(0, count);
        return;
    }
    QSemaphore done;
    for (int p = 1; p < parts; ++p)
        pool->start([&, p] {
            work(int(qint64(count) * p / parts), int(qint64(count) * (p + 1) / parts));
            done.release();
        });
    work(0, int(count / parts));
    done.acquire(parts - 1);
}

template <typename Out, typename In, typename Rows, typename Dst>
void horizontal(const Rows &rows, int sourceWidth, int height, int width, Dst &&dstRow)
{
    const Windows w = windows(sourceWidth, width);
    parallelRows(height, qint64(width) * w.taps, [&](int begin, int end) {
        PaddedRow<In> padded;
        padded.pad = w.pad;
        padded.pixels.assign(size_t(sourceWidth) + 2 * w.pad + 4, 0);
        for (int y = begin; y < end; ++y) {
            padded.fill(rows(y), sourceWidth);
            horizontalRow<Out, In>(padded, w, dstRow(y), width);
        }
    });
}

// Output row y from taps source rows, added up row pair by row pair into one row of channel
// sums: two source rows are read front to back at a time, which the memory keeps up with.
template <typename In>
inline void addRowPair(const typename In::Pixel *a, const typename In::Pixel *b, int32_t pair, __m128i *acc, int width)
{
    const __m128i wp = _mm_set1_epi32(pair);
    int x = 0;
    for (; x + 4 <= width; x += 4, acc += 4) {
        __m128i p0, p1, p2, p3;
        if constexpr (std::is_same_v<In, Bytes>) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + x));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + x));
            const __m128i alo = _mm_unpacklo_epi8(va, _mm_setzero_si128());
            const __m128i blo = _mm_unpacklo_epi8(vb, _mm_setzero_si128());
            const __m128i ahi = _mm_unpackhi_epi8(va, _mm_setzero_si128());
            const __m128i bhi = _mm_unpackhi_epi8(vb, _mm_setzero_si128());
            p0 = _mm_unpacklo_epi16(alo, blo);
            p1 = _mm_unpackhi_epi16(alo, blo);
            p2 = _mm_unpacklo_epi16(ahi, bhi);
            p3 = _mm_unpackhi_epi16(ahi, bhi);
        } else {
            const __m128i a01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + x));
            const __m128i b01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + x));
            const __m128i a23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + x + 2));
            const __m128i b23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + x + 2));
            p0 = _mm_unpacklo_epi16(a01, b01);
            p1 = _mm_unpackhi_epi16(a01, b01);
            p2 = _mm_unpacklo_epi16(a23, b23);
            p3 = _mm_unpackhi_epi16(a23, b23);
        }
        acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(p0, wp));
        acc[1] = _mm_add_epi32(acc[1], _mm_madd_epi16(p1, wp));
        acc[2] = _mm_add_epi32(acc[2], _mm_madd_epi16(p2, wp));
        acc[3] = _mm_add_epi32(acc[3], _mm_madd_epi16(p3, wp));
    }
    for (; x < width; ++x, ++acc) {
        __m128i pa, pb;
        if constexpr (std::is_same_v<In, Bytes>) {
            pa = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(a[x])), _mm_setzero_si128());
            pb = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(b[x])), _mm_setzero_si128());
        } else {
            pa = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(a + x));
            pb = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(b + x));
        }
        acc[0] = _mm_add_epi32(acc[0], _mm_madd_epi16(_mm_unpacklo_epi16(pa, pb), wp));
    }
}

template <typename Out, typename In, typename Rows, typename Dst>
void vertical(const Rows &rows, int sourceHeight, int width, int height, Dst &&dstRow)
{
    const Windows w = windows(sourceHeight, height);
    const std::vector<typename In::Pixel> zero(size_t(width) + 4, 0);
    const auto row = [&](int j) { return j >= 0 && j < sourceHeight ? rows(j) : zero.data(); };
    parallelRows(height, qint64(width) * w.taps, [&](int begin, int end) {
        std::vector<Sums> sums(size_t(width) + 4);
        __m128i *acc = reinterpret_cast<__m128i *>(sums.data());
        for (int y = begin; y < end; ++y) {
            std::fill(sums.begin(), sums.end(), Sums{});
            const int32_t *pairs = w.pairs.data() + size_t(y) * (w.taps / 2);
            for (int k = 0; k < w.taps; k += 2)
                if (pairs[k / 2] != 0) // not both rows outside the picture or the filter
                    addRowPair<In>(row(w.start[y] + k), row(w.start[y] + k + 1), pairs[k / 2], acc, width);
            typename Out::Pixel *dst = dstRow(y);
            int x = 0;
            for (; x + 4 <= width; x += 4)
                store4<Out, In>(dst + x, acc[x], acc[x + 1], acc[x + 2], acc[x + 3]);
            for (; x < width; ++x)
                store1<Out, In>(dst + x, acc[x]);
        }
    });
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

QImage ResampleLanczos3(const QImage &src, QSize size)
{
    if (src.isNull() || size.width() < 1 || size.height() < 1)
        return {};
    // RGB32 is premultiplied already (its alpha is always 255).
    const QImage image = src.format() == QImage::Format_RGB32 || src.format() == QImage::Format_ARGB32_Premultiplied
                             ? src
                             : src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int sw = image.width();
    const int sh = image.height();
    const int dw = size.width();
    const int dh = size.height();
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    const auto imageRow = [&image](int y) { return reinterpret_cast<const uint32_t *>(image.constScanLine(y)); };
    const auto outRow = [&out](int y) { return reinterpret_cast<uint32_t *>(out.scanLine(y)); };
    if (dw == sw && dh == sh) {
        for (int y = 0; y < dh; ++y)
            std::memcpy(outRow(y), imageRow(y), size_t(dw) * 4);
        return out;
    }
    if (dh == sh) {
        horizontal<Bytes, Bytes>(imageRow, sw, sh, dw, outRow);
        return out;
    }
    if (dw == sw) {
        vertical<Bytes, Bytes>(imageRow, sh, sw, dh, outRow);
        return out;
    }
    // Taps per output pixel grow with the shrink factor; the pass across rows costs a little
    // more per tap than the one down the columns. Start with the order that does less work.
    const double tapsX = 6.0 * std::max(1.0, double(sw) / dw);
    const double tapsY = 6.0 * std::max(1.0, double(sh) / dh);
    const double rowsFirst = 1.4 * sh * dw * tapsX + double(dh) * dw * tapsY;
    const double columnsFirst = double(dh) * sw * tapsY + 1.4 * dh * dw * tapsX;
    Plane<Wide> mid;
    if (rowsFirst < columnsFirst) {
        mid = {dw, sh, std::vector<uint64_t>(size_t(dw) * sh + 4)};
        horizontal<Wide, Bytes>(imageRow, sw, sh, dw, [&mid](int y) { return mid.row(y); });
        vertical<Bytes, Wide>([&mid](int y) { return mid.row(y); }, sh, dw, dh, outRow);
    } else {
        mid = {sw, dh, std::vector<uint64_t>(size_t(sw) * dh + 4)};
        vertical<Wide, Bytes>(imageRow, sh, sw, dh, [&mid](int y) { return mid.row(y); });
        horizontal<Bytes, Wide>([&mid](int y) { return mid.row(y); }, sw, dh, dw, outRow);
    }
    return out;
}

} // namespace orvix
