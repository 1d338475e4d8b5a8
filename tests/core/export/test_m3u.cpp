#include "ExportTestSupport.h"
#include "core/export/M3U.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

namespace {

SongPtr track(const QString &name, int time, const QString &location)
{
    Song::Values v;
    v.name = name;
    v.time = time;
    v.location = location;
    return makeSong(v);
}

using M3UTest = ExportTest;

TEST_F(M3UTest, WritesTwoLinesPerSong)
{
    const Playlist playlist(
        u"Set"_s, { track(u"Intro"_s, 245, u"/Music/a.mp3"_s), track(u"Outro"_s, 62, u"/Music/b.mp3"_s) });
    EXPECT_EQ(kwStringMethods::convertToUTF8(M3U::makeText(playlist)), exportFixture("example.m3u"));

    const QString path = env.path(u"Set.m3u"_s);
    M3U::saveM3UTo(path, playlist);
    EXPECT_EQ(readFileBytes(path), exportFixture("example.m3u"));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

TEST_F(M3UTest, EdgeCases)
{
    const SongPtr same = track(u"Again"_s, 10, u"/M/again.mp3"_s);
    struct Case
    {
        const char *what;
        SongList songs;
        QString expected;
    };
    const Case cases[] = {
        { "empty playlist: empty file, no header", {}, QString() },
        { "no name, no time, no location", { makeSong({}) }, u"#EXTINF:0,\n\n"_s },
        { "commas, spaces and accents unchanged",
            { track(u"Caf\u00e9, Live"_s, 59, u"/Music/My Songs/caf\u00e9.mp3"_s) },
            u"#EXTINF:59,Caf\u00e9, Live\n/Music/My Songs/caf\u00e9.mp3\n"_s },
        { "a song listed twice is written twice", { same, same },
            u"#EXTINF:10,Again\n/M/again.mp3\n#EXTINF:10,Again\n/M/again.mp3\n"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(M3U::makeText(Playlist(u"P"_s, c.songs)), c.expected);
    }
    EXPECT_EQ(kwStringMethods::convertToUTF8(M3U::makeText(Playlist(u"P"_s, { track(u"\u00f6"_s, 1, u"/x"_s) }))),
        QByteArray("#EXTINF:1,\xc3\xb6\n/x\n")); // UTF-8, no byte order mark
}

TEST_F(M3UTest, KeepsThePlaylistOrderWhateverTheSettings)
{
    env.setFields({ u"Name"_s }, { u"Name"_s });
    env.store().setBool(false, Preferences::priTunesOrdering);
    env.store().setBool(true, Preferences::prDTRemoveDupes);
    env.store().setBool(true, Preferences::prHTMLRemoveDupes);
    const SongPtr z = track(u"Zed"_s, 1, u"/z"_s);
    const SongPtr a = track(u"Abe"_s, 2, u"/a"_s);
    EXPECT_EQ(
        M3U::makeText(Playlist(u"P"_s, { z, a, z })), u"#EXTINF:1,Zed\n/z\n#EXTINF:2,Abe\n/a\n#EXTINF:1,Zed\n/z\n"_s);
}

TEST_F(M3UTest, LineBreaksInsideValuesBecomeSpaces)
{
    const Playlist playlist(u"P"_s,
        { track(u"Live\r\nat the Hall"_s, 200, u"/Music/Live\n\rHall.mp3"_s),
            track(u"Plain, with comma"_s, 61, u"/Music/plain.mp3"_s) });
    M3U::saveM3UTo(env.path(u"P.m3u"_s), playlist);
    EXPECT_EQ(readFileBytes(env.path(u"P.m3u"_s)), exportFixture("line-breaks.m3u"));
}

TEST_F(M3UTest, AFailedWriteShowsTheWriteError)
{
    M3U::saveM3UTo(env.path(u"missing/P.m3u"_s), Playlist(u"P"_s, { track(u"a"_s, 1, u"/a"_s) }));
    EXPECT_EQ(env.interaction().beeps, 1);
    EXPECT_EQ(env.interaction().alerts.size(), 1);
}

} // namespace
