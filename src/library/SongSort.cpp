#include "SongSort.h"

#include "SongCompare.h"
#include "app/ExportChoices.h"

namespace SongSort {

void sortWithMainSort(SongList &songs)
{
    const ExportChoices *choices = ExportChoices::getMain();
    if (!choices)
        return;
    // The titles and their localised texts cannot change during one sort, so each entry's field is worked
    // out once here instead of at every comparison.
    const auto fields = FieldVocabulary::resolveTitles(choices->getSortOrder(), FieldVocabulary::sortOrder());
    mergeSort(songs, [&fields](const SongPtr &a, const SongPtr &b) {
        return SongCompare::compareResolved(fields, *a, *b);
    });
}

void sortByTrackNumber(SongList &songs)
{
    mergeSort(songs, [](const SongPtr &a, const SongPtr &b) { return a->trackNumberSort(*b); });
}

} // namespace SongSort
