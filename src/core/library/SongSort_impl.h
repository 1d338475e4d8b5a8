#pragma once

#include <QList>
#include <utility>
#include <vector>

namespace SongSort {

template<typename T, typename Compare> void mergeSort(QList<T> &list, Compare compare)
{
    const qsizetype n = list.size();
    if (n < 2)
        return;
    // Bottom-up: runs of width 1, 2, 4, ... merged between two buffers. Only `compare(a, b) > 0` takes the
    // right element first, so equal (or inconsistent) answers keep the left one: stable, and bounded.
    std::vector<T> a(std::make_move_iterator(list.begin()), std::make_move_iterator(list.end()));
    std::vector<T> b(a.size());
    for (qsizetype width = 1; width < n; width *= 2) {
        for (qsizetype lo = 0; lo < n; lo += 2 * width) {
            const qsizetype mid = std::min(lo + width, n);
            const qsizetype hi = std::min(lo + 2 * width, n);
            qsizetype i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                if (compare(a[i], a[j]) > 0)
                    b[k++] = std::move(a[j++]);
                else
                    b[k++] = std::move(a[i++]);
            }
            while (i < mid)
                b[k++] = std::move(a[i++]);
            while (j < hi)
                b[k++] = std::move(a[j++]);
        }
        a.swap(b);
    }
    for (qsizetype i = 0; i < n; ++i)
        list[i] = std::move(a[i]);
}

} // namespace SongSort
