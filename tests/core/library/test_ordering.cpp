#include "core/library/SongSort.h"
#include "support/TestSupport.h"

#include <QRandomGenerator>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QStringList names(const SongList &songs)
{
    QStringList out;
    for (const SongPtr &s : songs)
        out.append(s->getName());
    return out;
}

SongPtr named(const QString &name, Song::Values v = {})
{
    v.name = name;
    return makeSong(v);
}

} // namespace

TEST(Ordering, ContractTitleByTitle)
{
    // For each title: a song that comes first, one that comes after.
    struct Case
    {
        const char *title;
        Song::Values first, second;
    };
    auto text = [](QString Song::Values::*m, const QString &v) {
        Song::Values s;
        s.*m = v;
        return s;
    };
    auto num = [](int Song::Values::*m, int v) {
        Song::Values s;
        s.*m = v;
        return s;
    };
    using V = Song::Values;
    const Case cases[] = {
        { "Name", text(&V::name, u"apple"_s), text(&V::name, u"Banana"_s) },
        { "Kind", text(&V::kind, u""_s), text(&V::kind, u"AAC"_s) },
        { "Artist", text(&V::artist, u"10 Years"_s), text(&V::artist, u"9 Lives"_s) },
        { "Album", text(&V::album, u"abc"_s), text(&V::album, u"ABD"_s) },
        { "Location", text(&V::location, u"/a"_s), text(&V::location, u"/b"_s) },
        { "Genre", text(&V::genre, u"Jazz"_s), text(&V::genre, u"rock"_s) },
        { "Composer", text(&V::composer, u"a"_s), text(&V::composer, u"b"_s) },
        { "Comments", text(&V::comments, u"a"_s), text(&V::comments, u"b"_s) },
        { "SampleRate", num(&V::sampleRate, 22050), num(&V::sampleRate, 44100) },
        { "Time", num(&V::time, 60), num(&V::time, 61) },
        { "BitRate", num(&V::bitRate, 128), num(&V::bitRate, 256) },
        { "Rating", num(&V::rating, 5), num(&V::rating, 0) },
        { "PlayCount", num(&V::playcount, 9), num(&V::playcount, 2) },
        { "BPM", num(&V::bpm, 140), num(&V::bpm, 90) },
        { "Disc Number", num(&V::discNumber, 0), num(&V::discNumber, 1) },
        { "Disc Count", num(&V::discCount, 1), num(&V::discCount, 2) },
        { "Size", num(&V::size, 10), num(&V::size, 20) },
        { "TrackNumber", num(&V::trackNumber, 0), num(&V::trackNumber, 1) },
        { "Year", num(&V::year, 0), num(&V::year, 1999) },
    };
    CoreEnvironment env;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title);
        env.setFields({}, { QString::fromLatin1(c.title) });
        const Song a(c.first), b(c.second);
        EXPECT_EQ(a.mainSort(b), -1);
        EXPECT_EQ(b.mainSort(a), 1);
        EXPECT_EQ(a.mainSort(a), 0);
        EXPECT_TRUE(a.compareField(QString::fromLatin1(c.title), a));
        EXPECT_FALSE(a.compareField(QString::fromLatin1(c.title), b));
    }
}

TEST(Ordering, LaterTitlesDecideOnlyOnExactlyEqualValues)
{
    CoreEnvironment env;
    env.setFields({}, { u"Artist"_s, u"Unknown Title"_s, u"Name"_s });
    Song::Values v;
    v.artist = u"Band"_s;
    const SongPtr b2 = named(u"b"_s, v), b1 = named(u"a"_s, v);
    v.artist = u"BAND"_s;
    const SongPtr upper = named(u"0"_s, v);
    v.artist = u"Abba"_s;
    const SongPtr abba = named(u"z"_s, v);

    EXPECT_EQ(b1->mainSort(*b2), -1); // same artist: by name, the unknown title skipped
    EXPECT_EQ(upper->mainSort(*b2), 0); // artists differ only in case: the same, names never consulted
    EXPECT_EQ(abba->mainSort(*b1), -1);

    env.setFields({}, {});
    EXPECT_EQ(abba->mainSort(*b1), 0);
    EXPECT_FALSE(b1->compareField(u"Unknown Title"_s, *b1));
    EXPECT_FALSE(b1->compareField(u"Artist"_s, *upper));

    EXPECT_EQ(Song::intSort(3, 3, true), 0);
    EXPECT_EQ(Song::intSort(3, 3, false), 0);
    EXPECT_EQ(Song::alphanumericSort(u"Émile"_s, u"émile"_s), 0);
}

TEST(Ordering, SortIsStableAndUsesTheSortList)
{
    CoreEnvironment env;
    env.setFields({}, { u"Year"_s, u"Time"_s });
    Song::Values v;
    SongList songs;
    for (auto [name, year, ms] : { std::tuple { "late", 2001, 61 }, { "first", 1990, 61 }, { "x61a", 2000, 61 },
             { "none", 0, 500 }, { "x61b", 2000, 61 }, { "x30", 2000, 30 } }) {
        v.year = year;
        v.time = ms;
        songs.append(named(QString::fromLatin1(name), v));
    }
    SongSort::sortWithMainSort(songs);
    EXPECT_EQ(names(songs), (QStringList { u"none"_s, u"first"_s, u"x30"_s, u"x61a"_s, u"x61b"_s, u"late"_s }));
}

TEST(Ordering, MergeSortEndsAndKeepsEveryElementWhateverTheComparisonAnswers)
{
    QRandomGenerator random(42);
    for (int n : { 0, 1, 2, 3, 17, 1000, 4097 }) {
        SCOPED_TRACE(n);
        QList<int> list;
        for (int i = 0; i < n; ++i)
            list.append(i);
        SongSort::mergeSort(list, [&random](int, int) { return int(random.bounded(3)) - 1; });
        QList<int> sorted = list;
        std::sort(sorted.begin(), sorted.end());
        QList<int> expected;
        for (int i = 0; i < n; ++i)
            expected.append(i);
        EXPECT_EQ(sorted, expected);
    }
    // And it sorts, stably.
    QList<std::pair<int, int>> pairs = { { 3, 0 }, { 1, 1 }, { 3, 2 }, { 2, 3 }, { 1, 4 } };
    SongSort::mergeSort(pairs, [](auto a, auto b) { return a.first < b.first ? -1 : (a.first > b.first ? 1 : 0); });
    EXPECT_EQ(pairs, (QList<std::pair<int, int>> { { 1, 1 }, { 1, 4 }, { 2, 3 }, { 3, 0 }, { 3, 2 } }));
}

// A sort list of thousands of entries sorts as the same list with each field kept only where it first appears.
TEST(Ordering, RepeatedSortEntriesChangeNothing)
{
    CoreEnvironment env;
    const QStringList distinct = { u"Artist"_s, u"Year"_s, u"Name"_s, u"Time"_s };
    QStringList repeated;
    for (int i = 0; i < 5000; ++i)
        repeated.append(distinct[(i * 7 + i / 3) % distinct.size()]);
    QStringList firstSeen;
    for (const QString &title : std::as_const(repeated)) {
        if (!firstSeen.contains(title))
            firstSeen.append(title);
    }
    ASSERT_EQ(firstSeen.size(), distinct.size());

    QRandomGenerator random(7);
    SongList songs;
    for (int i = 0; i < 300; ++i) {
        Song::Values v;
        v.artist = u"A"_s + QString::number(random.bounded(5));
        v.year = 2000 + random.bounded(3);
        v.time = random.bounded(4) * 1000;
        songs.append(named(u"s"_s + QString::number(random.bounded(50)), v));
    }
    SongList expected = songs;
    env.setFields({}, firstSeen);
    SongSort::sortWithMainSort(expected);
    env.setFields({}, repeated);
    SongSort::sortWithMainSort(songs);
    EXPECT_EQ(songs, expected);
}
