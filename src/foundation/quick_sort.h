#pragma once

// Quicksort with the middle element as pivot, as the lists have always sorted: the order of
// equal items follows from it. Recurses into the smaller part only, so the depth stays bounded.

#include <utility>

namespace orvix {

template<typename Seq, typename Less>
void QuickSortMiddlePivot(Seq &a, int lo, int hi, const Less &less)
{
    while (lo < hi) {
        int i = lo, j = hi;
        const auto pivot = a[lo + (hi - lo) / 2];
        while (i <= j) {
            while (less(a[i], pivot))
                ++i;
            while (less(pivot, a[j]))
                --j;
            if (i <= j) {
                using std::swap;
                swap(a[i], a[j]);
                ++i;
                --j;
            }
        }
        if (j - lo < hi - i) {
            QuickSortMiddlePivot(a, lo, j, less);
            lo = i;
        } else {
            QuickSortMiddlePivot(a, i, hi, less);
            hi = j;
        }
    }
}

} // namespace orvix
