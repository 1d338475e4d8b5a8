#include "ExportTestSupport.h"
#include "core/export/QTSS.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

namespace {

const QString header = u"*PLAY-LIST*\n#\n# Created by Setlistry\n#\n\"*PLAY-LIST*\" 10\n"_s;

SongPtr track(const QString &location, int rating)
{
    Song::Values v;
    v.location = location;
    v.rating = rating;
    return makeSong(v);
}

using QTSSTest = ExportTest;

TEST_F(QTSSTest, WritesTheHeaderAndOneLinePerSong)
{
    const Playlist playlist(u"Set"_s, { track(u"/Music/a.mp3"_s, 3), track(u"/Music/b.mp3"_s, 0) });
    EXPECT_EQ(kwStringMethods::convertToUTF8(QTSS::makeText(playlist)), exportFixture("example.playlist"));

    const QString path = env.path(u"Set.playlist"_s);
    QTSS::saveQTSSTo(path, playlist);
    EXPECT_EQ(readFileBytes(path), exportFixture("example.playlist"));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

TEST_F(QTSSTest, EmptyPlaylistIsTheHeaderAndAnEmptyLine)
{
    EXPECT_EQ(QTSS::makeText(Playlist(u"P"_s, {})), header + u"\n"_s);
}

TEST_F(QTSSTest, WeightIsTheStarRatingOrFiveWhenUnrated)
{
    const struct
    {
        int rating;
        const char *weight;
    } cases[] = { { 0, "5" }, { 1, "1" }, { 2, "2" }, { 3, "3" }, { 4, "4" }, { 5, "5" }, { 6, "5" }, { -1, "5" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.rating);
        EXPECT_EQ(QTSS::makeText(Playlist(u"P"_s, { track(u"/a"_s, c.rating) })),
            header + u"\"/a\" "_s + QString::fromUtf8(c.weight) + u"\n\n"_s);
    }
}

TEST_F(QTSSTest, PathsAreWrittenUnchanged)
{
    const SongPtr odd = track(u"/Music/My \"Best\" Caf\u00e9.mp3"_s, 2);
    const SongPtr none = track(QString(), 0);
    EXPECT_EQ(QTSS::makeText(Playlist(u"P"_s, { odd, none, odd })),
        header + u"\"/Music/My \"Best\" Caf\u00e9.mp3\" 2\n\"\" 5\n\"/Music/My \"Best\" Caf\u00e9.mp3\" 2\n\n"_s);
}

TEST_F(QTSSTest, LineBreaksInsideLocationsBecomeSpaces)
{
    const Playlist playlist(u"P"_s, { track(u"/Music/Live\r\nHall.mp3"_s, 4), track(u"/Music/say \"hi\"\r.mp3"_s, 0) });
    QTSS::saveQTSSTo(env.path(u"P.playlist"_s), playlist);
    EXPECT_EQ(readFileBytes(env.path(u"P.playlist"_s)), exportFixture("line-breaks.playlist"));
}

TEST_F(QTSSTest, AFailedWriteShowsTheWriteError)
{
    QTSS::saveQTSSTo(env.path(u"missing/P.playlist"_s), Playlist(u"P"_s, {}));
    EXPECT_EQ(env.interaction().beeps, 1);
    EXPECT_EQ(env.interaction().alerts.size(), 1);
}

} // namespace
