#pragma once

#include "Song.h"

#include <QList>
#include <functional>

namespace SongSort {

// Stable merge sort driven only by a three-valued comparison (-1, 0, 1). It never assumes the comparison is
// transitive or consistent, so it ends and keeps every element whatever the comparison answers.
template<typename T, typename Compare> void mergeSort(QList<T> &list, Compare compare);

// Sorts `songs` with Song::mainSort over the main controller's sort list, the field of each sort entry
// worked out once for the whole sort. Songs that compare as the same keep their order.
void sortWithMainSort(SongList &songs);

// Sorts an album with Song::trackNumberSort; songs that compare as the same keep their order.
void sortByTrackNumber(SongList &songs);

} // namespace SongSort

#include "SongSort_impl.h"
