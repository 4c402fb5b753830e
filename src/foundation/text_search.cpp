#include "text_search.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orvix {

qsizetype FindText(QStringView hay, QStringView needle, qsizetype from)
{
    const qsizetype n = needle.size();
    const qsizetype h = hay.size();
    if (from < 0)
        from = 0;
    if (n == 0 || n > h - from)
        return -1;
    if (n == 1)
        return hay.indexOf(needle.front(), from);

    const char16_t *p = hay.utf16();
    const char16_t *q = needle.utf16();
    const char16_t first = q[0];
    const char16_t last = q[n - 1];
    const size_t middleBytes = size_t(n - 2) * sizeof(char16_t);
    const qsizetype lastStart = h - n;
    qsizetype i = from;

#ifdef __SSE2__
    const __m128i vFirst = _mm_set1_epi16(short(first));
    const __m128i vLast = _mm_set1_epi16(short(last));
    // Eight candidate starts per step; both loads stay inside hay while i + 7 <= lastStart.
    for (; i + 7 <= lastStart; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + n - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(a, vFirst), _mm_cmpeq_epi16(b, vLast))));
        while (mask) {
            const int bit = __builtin_ctz(mask); // two mask bits per character
            const qsizetype start = i + bit / 2;
            if (std::memcmp(p + start + 1, q + 1, middleBytes) == 0)
                return start;
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (p[i] == first && p[i + n - 1] == last
            && std::memcmp(p + i + 1, q + 1, middleBytes) == 0)
            return i;
    }
    return -1;
}

} // namespace orvix
