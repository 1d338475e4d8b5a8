#include "core/library/Playlist.h"
#include "core/library/XMLAccessor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

SongPtr song(const QString &name, const QString &album, int track = 0, const QString &artist = QString())
{
    Song::Values v;
    v.name = name;
    v.album = album;
    v.trackNumber = track;
    v.artist = artist;
    return makeSong(v);
}

QStringList names(const SongList &songs)
{
    QStringList out;
    for (const SongPtr &s : songs)
        out.append(s->getName());
    return out;
}

} // namespace

TEST(Albums, GroupedByExactTitleInOrderOfFirstAppearance)
{
    const SongList songs = { song(u"A1"_s, u"A"_s, 1), song(u"B1"_s, u"B"_s, 1), song(u"loose"_s, QString()),
        song(u"A2"_s, u"A"_s, 2), song(u"a1"_s, u"a"_s, 1), song(u"X"_s, u"B"_s, 2, u"Other Artist"_s) };
    const AlbumList albums = Playlist(u"p"_s, songs).getAlbums();
    ASSERT_EQ(albums.size(), 3);
    EXPECT_EQ(names(albums[0]), (QStringList { u"A1"_s, u"A2"_s }));
    EXPECT_EQ(names(albums[1]), (QStringList { u"B1"_s, u"X"_s }));
    EXPECT_EQ(names(albums[2]), (QStringList { u"a1"_s }));
}

TEST(Albums, TrackNumberOrderPutsUnnumberedLastAndKeepsTies)
{
    const SongList songs = { song(u"three"_s, u"A"_s, 3), song(u"none"_s, u"A"_s, 0), song(u"one"_s, u"A"_s, 1),
        song(u"d2t1"_s, u"A"_s, 1), song(u"d1t2"_s, u"A"_s, 2), song(u"none2"_s, u"A"_s, 0) };
    EXPECT_EQ(names(Playlist(u"p"_s, songs).getAlbums().value(0)),
        (QStringList { u"one"_s, u"d2t1"_s, u"d1t2"_s, u"three"_s, u"none"_s, u"none2"_s }));
}

TEST(Playlists, BuiltFromTheLibraryOneRecordPerEntry)
{
    CoreEnvironment env;
    const XMLAccessor library(sampleLibraryPath());
    ASSERT_TRUE(library.hasDocument());

    // Two playlists share the name "Downloaded": the first in library order is meant.
    const auto downloaded = library.getPlaylist(u"Downloaded"_s);
    ASSERT_TRUE(downloaded);
    EXPECT_EQ(names(downloaded->getSongs()), (QStringList { u"Energy Flow"_s, u"Untitled Demo"_s, u"Voice Memo"_s }));

    EXPECT_FALSE(library.getPlaylist(u"downloaded"_s));
    EXPECT_FALSE(library.getPlaylist(u"No Such Playlist"_s));

    const auto empty = library.getPlaylist(u"Empty Playlist"_s);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->getSongs().isEmpty());
    EXPECT_TRUE(empty->getAlbums().isEmpty());

    // A track listed twice gives two records; a missing track an empty record, in no album.
    const auto road = library.getPlaylist(u"Road Trip"_s);
    ASSERT_TRUE(road);
    EXPECT_EQ(road->getSongs().size(), 8);
    EXPECT_EQ(road->getSongs().first()->getName(), road->getSongs().last()->getName());
    const auto rockPop = library.getPlaylist(u"Rock/Pop"_s);
    ASSERT_TRUE(rockPop);
    const SongPtr missing = rockPop->getSongs().last();
    EXPECT_TRUE(missing->getName().isEmpty());
    EXPECT_EQ(missing->getTime(), 0);
    for (const SongList &album : rockPop->getAlbums())
        EXPECT_FALSE(album.contains(missing));

    // The two discs interleave by track number.
    const auto tango = library.getPlaylist(u"Tango Night"_s);
    ASSERT_TRUE(tango);
    const AlbumList tangoAlbums = tango->getAlbums();
    ASSERT_EQ(tangoAlbums.size(), 1);
    QList<int> numbers;
    for (const SongPtr &s : tangoAlbums.first())
        numbers.append(s->getTrackNumber());
    EXPECT_EQ(numbers, (QList<int> { 1, 1, 2, 2, 3, 3 }));
}
