#include "SongSort.h"

#include "core/settings/ExportChoices.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace SongSort {

namespace {

// One sort entry, prepared for a whole sort. Text values are replaced by two integers per song: the identity
// of the exact value and its rank in case-insensitive order, so a comparison gives the same answer as
// comparing the texts (exactly equal: next entry; else the case-insensitive order, 0 included, decides)
// without touching a string.
struct PreparedEntry
{
    bool text = false;
    bool reversed = false;
    std::vector<int> identity; // text: id of the exact value; number: the value itself
    std::vector<int> rank; // text only
};

PreparedEntry prepare(Field field, const SongList &songs)
{
    PreparedEntry entry;
    const qsizetype n = songs.size();
    entry.text = FieldVocabulary::info(field).isText;
    entry.reversed = field == Field::Rating || field == Field::PlayCount || field == Field::BPM;
    entry.identity.resize(size_t(n));
    if (!entry.text) {
        for (qsizetype i = 0; i < n; ++i)
            entry.identity[size_t(i)] = FieldVocabulary::numberValue(*songs[i], field);
        return entry;
    }
    QHash<QString, int> ids;
    QList<QString> distinct;
    for (qsizetype i = 0; i < n; ++i) {
        const QString &value = FieldVocabulary::textValue(*songs[i], field);
        auto it = ids.constFind(value);
        if (it == ids.cend()) {
            it = ids.insert(value, int(distinct.size()));
            distinct.append(value);
        }
        entry.identity[size_t(i)] = *it;
    }
    std::vector<int> order(size_t(distinct.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    // Case-insensitive comparison is a consistent total preorder, so a plain sort may rank the values.
    std::sort(order.begin(), order.end(),
        [&distinct](int a, int b) { return QString::compare(distinct[a], distinct[b], Qt::CaseInsensitive) < 0; });
    std::vector<int> rankOfId(order.size());
    int rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && QString::compare(distinct[order[i - 1]], distinct[order[i]], Qt::CaseInsensitive) != 0)
            ++rank;
        rankOfId[size_t(order[i])] = rank;
    }
    entry.rank.resize(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        entry.rank[size_t(i)] = rankOfId[size_t(entry.identity[size_t(i)])];
    return entry;
}

} // namespace

void sortWithMainSort(SongList &songs)
{
    const ExportChoices *choices = ExportChoices::getMain();
    if (!choices || songs.size() < 2)
        return;
    // The titles and their localised texts cannot change during one sort, so each entry's field is worked
    // out once here instead of at every comparison.
    // A field met again later in the sort list can never decide: the comparison reaches it only when the same
    // field already compared equal. Each field is prepared once, so a list of thousands of entries costs no
    // more than the fields it names.
    std::vector<PreparedEntry> entries;
    std::vector<Field> seen;
    for (const auto &field : FieldVocabulary::resolveTitles(choices->getSortOrder(), FieldVocabulary::sortOrder())) {
        if (!field || std::find(seen.begin(), seen.end(), *field) != seen.end())
            continue;
        seen.push_back(*field);
        entries.push_back(prepare(*field, songs));
    }
    QList<int> order(songs.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        order[i] = int(i);
    mergeSort(order, [&entries](int a, int b) {
        for (const PreparedEntry &e : entries) {
            const int x = e.identity[size_t(a)];
            const int y = e.identity[size_t(b)];
            if (x == y)
                continue;
            if (e.text) {
                const int rx = e.rank[size_t(a)], ry = e.rank[size_t(b)];
                return rx < ry ? -1 : (rx > ry ? 1 : 0);
            }
            return Song::intSort(x, y, e.reversed);
        }
        return 0;
    });
    SongList sorted;
    sorted.reserve(songs.size());
    for (int i : std::as_const(order))
        sorted.append(std::move(songs[i]));
    songs = std::move(sorted);
}

void sortByTrackNumber(SongList &songs)
{
    mergeSort(songs, [](const SongPtr &a, const SongPtr &b) { return a->trackNumberSort(*b); });
}

} // namespace SongSort
