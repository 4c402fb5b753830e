#include "lanczos_resample.h"

#include <QCoreApplication>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <latch>
#include <memory>
#include <numbers>
#include <type_traits>
#include <vector>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#endif

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

// Lanczos3 at x table steps from the centre.
inline float kernelAt(const float *table, float x)
{
    x = std::abs(x);
    if (x >= 3 * kTableSteps)
        return 0.0f;
    const int i = int(x);
    return table[i] + (table[i + 1] - table[i]) * (x - float(i));
}

inline int roundToInt(float v)
{
    return int(v + (v < 0 ? -0.5f : 0.5f));
}

// A pair of 16-bit weights in each 32-bit lane, ready for a multiply-add.
struct Broadcast
{
    __m128i v;
};

// The filter for one direction as contiguous windows: output i reads taps source positions from
// start[i]; positions outside the source have weight 0, so a reader may give any pixel there.
// Weights come in pairs packed for one multiply-add, taps is even. Computed once per picture
// and direction, and shared by every row or column.
struct Windows
{
    int taps = 0;
    int pad = 0; // how far a window may reach beyond either end of the source
    std::vector<int> start;
    std::vector<Broadcast> pairs; // (taps / 2) per output
};

Windows windows(int sourceLength, int targetLength)
{
    const double ratio = double(sourceLength) / targetLength;
    const double filterScale = std::min(1.0, 1.0 / ratio);
    const double support = kSupport / filterScale;
    Windows w;
    // The source pixels whose centres lie strictly within the support of an output's centre:
    // no more than ceil(2 * support) of them.
    w.taps = (int(std::ceil(2 * support)) + 1) & ~1;
    w.pad = w.taps + 2;
    const int half = w.taps / 2;
    w.start.resize(targetLength);
    w.pairs.resize(size_t(targetLength) * half);
    const int taps = w.taps;
    std::vector<float> exact(taps);
    std::vector<int> fixed(taps);
    const float *table = kernelTable().data();
    const float step = float(filterScale * kTableSteps);
    for (int i = 0; i < targetLength; ++i) {
        const double center = (i + 0.5) * ratio;
        const int first = int(std::floor(center - support - 0.5)) + 1;
        w.start[i] = first;
        const float x0 = float((first + 0.5 - center) * filterScale * kTableSteps);
        // Only the taps inside the source count.
        const int from = std::max(0, -first);
        const int to = std::min(taps, sourceLength - first);
        float sum = 0;
        for (int k = 0; k < taps; ++k) {
            const float v = k >= from && k < to ? kernelAt(table, x0 + float(k) * step) : 0.0f;
            exact[k] = v;
            sum += v;
        }
        const float scale = kOne / sum;
        int total = 0;
        int largest = 0;
        int largestSize = -1;
        for (int k = 0; k < taps; ++k) {
            const int f = roundToInt(exact[k] * scale);
            fixed[k] = f;
            total += f;
            if (std::abs(f) > largestSize) {
                largestSize = std::abs(f);
                largest = k;
            }
        }
        // Rounding must not change a flat area's brightness: the weights sum to exactly one.
        fixed[largest] += kOne - total;
        for (int k = 0; k < w.taps; k += 2)
            w.pairs[size_t(i) * half + k / 2].v =
                _mm_set1_epi32(int32_t((uint32_t(uint16_t(fixed[k + 1])) << 16) | uint16_t(fixed[k])));
    }
    return w;
}

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

// Two pixels' channels as 16-bit values, a0 a1 a2 a3 b0 b1 b2 b3, interleaved to a0 b0 a1 b1
// a2 b2 a3 b3 so one multiply-add applies a pair of weights.
inline __m128i interleaved(__m128i ab)
{
    return _mm_unpacklo_epi16(ab, _mm_srli_si128(ab, 8));
}

// The channel sums of one output pixel from taps neighbouring source pixels.
template <typename In>
inline __m128i filterPixel(const typename In::Pixel *src, const Broadcast *pairs, int taps)
{
    __m128i acc = _mm_setzero_si128();
    int k = 0;
    for (; k + 4 <= taps; k += 4) {
        __m128i p01, p23;
        if constexpr (std::is_same_v<In, Bytes>) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
            p01 = _mm_unpacklo_epi8(v, _mm_setzero_si128());
            p23 = _mm_unpackhi_epi8(v, _mm_setzero_si128());
        } else {
            p01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
            p23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k + 2));
        }
        acc = _mm_add_epi32(acc, _mm_madd_epi16(interleaved(p01), pairs[k / 2].v));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(interleaved(p23), pairs[k / 2 + 1].v));
    }
    if (k < taps) {
        __m128i p01;
        if constexpr (std::is_same_v<In, Bytes>)
            p01 = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(src + k)), _mm_setzero_si128());
        else
            p01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + k));
        acc = _mm_add_epi32(acc, _mm_madd_epi16(interleaved(p01), pairs[k / 2].v));
    }
    return acc;
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

// One row filtered along its length, four outputs at a time.
template <typename Out, typename In>
void horizontalRow(const PaddedRow<In> &row, const Windows &w, typename Out::Pixel *dst, int width)
{
    const int half = w.taps / 2;
    const Broadcast *pairs = w.pairs.data();
    const int *start = w.start.data();
    int x = 0;
    for (; x + 4 <= width; x += 4, pairs += 4 * half) {
        const __m128i a0 = filterPixel<In>(row.at(start[x]), pairs, w.taps);
        const __m128i a1 = filterPixel<In>(row.at(start[x + 1]), pairs + half, w.taps);
        const __m128i a2 = filterPixel<In>(row.at(start[x + 2]), pairs + 2 * half, w.taps);
        const __m128i a3 = filterPixel<In>(row.at(start[x + 3]), pairs + 3 * half, w.taps);
        store4<Out, In>(dst + x, a0, a1, a2, a3);
    }
    for (; x < width; ++x, pairs += half)
        store1<Out, In>(dst + x, filterPixel<In>(row.at(start[x]), pairs, w.taps));
}

// A plane of pixels of one kind, rows of width pixels; every pixel is written before it is read.
template <typename Kind>
struct Plane
{
    Plane(int w, int h) : width(w), pixels(new typename Kind::Pixel[size_t(w) * h]) {}
    int width;
    std::unique_ptr<typename Kind::Pixel[]> pixels;
    typename Kind::Pixel *row(int y) const { return pixels.get() + size_t(y) * width; }
};

// A part of the rows for the thread pool. The pool hands a task to its thread under Qt's own
// lock, which the thread sanitizer cannot see (Qt is not built for it), so in that build the
// hand-over is announced to it: released once the task is built, acquired before it runs.
class PoolTask : public QRunnable
{
public:
    explicit PoolTask(std::function<void()> work) : m_work(std::move(work))
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_release(this);
#endif
    }
    void run() override
    {
#if defined(__SANITIZE_THREAD__)
        __tsan_acquire(this);
#endif
        m_work();
    }

private:
    std::function<void()> m_work;
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
    // A standard latch rather than QSemaphore: the thread sanitizer sees its hand-over.
    std::latch done(parts - 1);
    for (int p = 1; p < parts; ++p)
        pool->start(new PoolTask([&, p] {
            work(int(qint64(count) * p / parts), int(qint64(count) * (p + 1) / parts));
            done.count_down();
        }));
    work(0, int(count / parts));
    done.wait();
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

// Two source rows' pixels interleaved channel by channel, so one multiply-add applies both
// rows' weights: pixels 0 to 3 in p0 to p3, or pixel 0 alone in p0 when one.
template <typename In, bool one>
inline void rowPair(const typename In::Pixel *a, const typename In::Pixel *b, __m128i &p0, __m128i &p1, __m128i &p2, __m128i &p3)
{
    if constexpr (one) {
        __m128i pa, pb;
        if constexpr (std::is_same_v<In, Bytes>) {
            pa = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(*a)), _mm_setzero_si128());
            pb = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(*b)), _mm_setzero_si128());
        } else {
            pa = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(a));
            pb = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(b));
        }
        p0 = _mm_unpacklo_epi16(pa, pb);
    } else if constexpr (std::is_same_v<In, Bytes>) {
        // Bytes of a and b interleaved, then widened: a0 b0 a1 b1 ... as 16-bit values.
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b));
        const __m128i lo = _mm_unpacklo_epi8(va, vb);
        const __m128i hi = _mm_unpackhi_epi8(va, vb);
        p0 = _mm_unpacklo_epi8(lo, _mm_setzero_si128());
        p1 = _mm_unpackhi_epi8(lo, _mm_setzero_si128());
        p2 = _mm_unpacklo_epi8(hi, _mm_setzero_si128());
        p3 = _mm_unpackhi_epi8(hi, _mm_setzero_si128());
    } else {
        const __m128i a01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a));
        const __m128i b01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b));
        const __m128i a23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + 2));
        const __m128i b23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + 2));
        p0 = _mm_unpacklo_epi16(a01, b01);
        p1 = _mm_unpackhi_epi16(a01, b01);
        p2 = _mm_unpacklo_epi16(a23, b23);
        p3 = _mm_unpackhi_epi16(a23, b23);
    }
}

// Output row y from the source rows of its window: four pixels at a time, their sums kept in
// registers while the window's rows are read side by side. So many rows at once outrun the
// hardware's prefetching on wide pictures; each row's next cache line is asked for ahead.
template <typename Out, typename In, typename Rows, typename Dst>
void vertical(const Rows &rows, int sourceHeight, int width, int height, Dst &&dstRow)
{
    const Windows w = windows(sourceHeight, height);
    const int half = w.taps / 2;
    constexpr int kAhead = 64; // pixels
    parallelRows(height, qint64(width) * w.taps, [&](int begin, int end) {
        std::vector<const typename In::Pixel *> first(half), second(half);
        std::vector<Broadcast> weights(half);
        for (int y = begin; y < end; ++y) {
            // Only the pairs with a weight: none wholly outside the picture.
            int n = 0;
            for (int k = 0; k < w.taps; k += 2) {
                const Broadcast &pair = w.pairs[size_t(y) * half + k / 2];
                const int j = w.start[y] + k;
                if (_mm_cvtsi128_si32(pair.v) == 0)
                    continue;
                // A row outside the picture has weight 0 here; read its partner instead.
                first[n] = rows(std::clamp(j, 0, sourceHeight - 1));
                second[n] = rows(std::clamp(j + 1, 0, sourceHeight - 1));
                weights[n++] = pair;
            }
            typename Out::Pixel *dst = dstRow(y);
            int x = 0;
            for (; x + 4 <= width; x += 4) {
                __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
                const bool lineStart = (x & 15) == 0;
                for (int p = 0; p < n; ++p) {
                    if (lineStart) {
                        _mm_prefetch(reinterpret_cast<const char *>(first[p] + x + kAhead), _MM_HINT_T0);
                        _mm_prefetch(reinterpret_cast<const char *>(second[p] + x + kAhead), _MM_HINT_T0);
                    }
                    __m128i p0, p1, p2, p3;
                    rowPair<In, false>(first[p] + x, second[p] + x, p0, p1, p2, p3);
                    const __m128i wp = weights[p].v;
                    a0 = _mm_add_epi32(a0, _mm_madd_epi16(p0, wp));
                    a1 = _mm_add_epi32(a1, _mm_madd_epi16(p1, wp));
                    a2 = _mm_add_epi32(a2, _mm_madd_epi16(p2, wp));
                    a3 = _mm_add_epi32(a3, _mm_madd_epi16(p3, wp));
                }
                store4<Out, In>(dst + x, a0, a1, a2, a3);
            }
            for (; x < width; ++x) {
                __m128i acc = _mm_setzero_si128();
                for (int p = 0; p < n; ++p) {
                    __m128i p0, unused;
                    rowPair<In, true>(first[p] + x, second[p] + x, p0, unused, unused, unused);
                    acc = _mm_add_epi32(acc, _mm_madd_epi16(p0, weights[p].v));
                }
                store1<Out, In>(dst + x, acc);
            }
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
    if (rowsFirst < columnsFirst) {
        const Plane<Wide> mid(dw, sh);
        horizontal<Wide, Bytes>(imageRow, sw, sh, dw, [&mid](int y) { return mid.row(y); });
        vertical<Bytes, Wide>([&mid](int y) { return mid.row(y); }, sh, dw, dh, outRow);
    } else {
        const Plane<Wide> mid(sw, dh);
        vertical<Wide, Bytes>(imageRow, sh, sw, dh, [&mid](int y) { return mid.row(y); });
        horizontal<Bytes, Wide>([&mid](int y) { return mid.row(y); }, sw, dh, dw, outRow);
    }
    return out;
}

} // namespace orvix
