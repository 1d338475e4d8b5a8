#include "ExportTestSupport.h"
#include "core/export/PlayerPlaylist.h"
#include "core/library/XMLAccessor.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

namespace {

using Options = PlayerPlaylistOptions;
using Mappings = QList<Options::Mapping>;

SongPtr track(const QString &name, const QString &artist, int time, const QString &location)
{
    Song::Values v;
    v.name = name;
    v.artist = artist;
    v.time = time;
    v.location = location;
    return makeSong(v);
}

Options with(const Mappings &mappings, Options::PathForm form = Options::PathForm::Absolute,
    const QString &playlistDir = {}, Options::Separator separator = Options::Separator::Automatic)
{
    Options options;
    options.mappings = mappings;
    options.pathForm = form;
    options.playlistDir = playlistDir;
    options.separator = separator;
    return options;
}

// The path line written for one song at `location`, or how it was skipped.
QString pathFor(const QString &location, const Options &options)
{
    PlayerPlaylistReport report;
    const QString text
        = PlayerPlaylist::makeText(Playlist(u"P"_s, { track(u"n"_s, {}, 1, location) }), options, &report);
    if (report.skippedWithoutFile)
        return u"<no file>"_s;
    if (report.skippedStreams)
        return u"<stream>"_s;
    if (report.skippedOutsideMappings)
        return u"<outside>"_s;
    const QStringList lines = text.split(u'\n');
    EXPECT_EQ(lines.size(), 5);
    return lines.value(3);
}

using PlayerPlaylistTest = ExportTest;

constexpr auto Relative = Options::PathForm::Relative;
constexpr auto Absolute = Options::PathForm::Absolute;
constexpr auto Slash = Options::Separator::Slash;
constexpr auto Backslash = Options::Separator::Backslash;

TEST_F(PlayerPlaylistTest, PathOfEachSong)
{
    const Mappings nested
        = { { u"/Users/alex/Music"_s, u"/mnt/a"_s }, { u"/Users/alex/Music/iTunes/"_s, u"/mnt/b"_s } };
    const Mappings reversed = { nested[1], nested[0] };
    const Mappings music = { { u"/Users/alex/Music"_s, u"/mnt/m"_s } };
    const struct
    {
        const char *what;
        QString location;
        Options options;
        QString expected;
    } cases[] = {
        // Location forms, without rules: the location itself, in the separator its kind of path uses.
        { "posix path", u"/Users/alex/Music/a b.m4a"_s, {}, u"/Users/alex/Music/a b.m4a"_s },
        { "drive path", u"C:/Users/alex/a.m4a"_s, {}, u"C:\\Users\\alex\\a.m4a"_s },
        { "UNC path", u"//nas/music/a.m4a"_s, {}, u"\\\\nas\\music\\a.m4a"_s },
        { "a backslash in a posix name is no separator", u"/M/AC\\DC.m4a"_s, {}, u"/M/AC\\DC.m4a"_s },
        { "no location", QString(), {}, u"<no file>"_s },
        { "stream", u"http://radio.example.org/live"_s, {}, u"<stream>"_s },
        { "https stream", u"https://radio.example.org/a.aac"_s, with(music), u"<stream>"_s },
        { "a colon in a name is no scheme", u"/M/Live: 1999.m4a"_s, {}, u"/M/Live: 1999.m4a"_s },

        // Mappings.
        { "longest OLD wins", u"/Users/alex/Music/iTunes/x.m4a"_s, with(nested), u"/mnt/b/x.m4a"_s },
        { "longest OLD wins whatever the order", u"/Users/alex/Music/iTunes/x.m4a"_s, with(reversed),
            u"/mnt/b/x.m4a"_s },
        { "the shorter OLD for the rest", u"/Users/alex/Music/Other/x.m4a"_s, with(reversed), u"/mnt/a/Other/x.m4a"_s },
        { "OLD ends at a component boundary", u"/Users/alex/Musical/x.m4a"_s, with(music), u"<outside>"_s },
        { "no rule matches", u"/Volumes/Ext/x.m4a"_s, with(music), u"<outside>"_s },
        { "trailing separators in OLD and NEW", u"/Users/alex/Music/x.m4a"_s,
            with({ { u"/Users/alex/Music///"_s, u"/mnt/m/"_s } }), u"/mnt/m/x.m4a"_s },
        { "posix OLD keeps letter case", u"/Users/alex/Music/x.m4a"_s, with({ { u"/users/alex/music"_s, u"/m"_s } }),
            u"<outside>"_s },
        { "drive OLD ignores letter case and separator kind", u"C:/Users/Alex/x.m4a"_s,
            with({ { u"c:\\users\\alex\\"_s, u"/m"_s } }), u"/m/x.m4a"_s },
        { "UNC OLD ignores letter case", u"//nas/music/A/x.m4a"_s, with({ { u"\\\\NAS\\Music"_s, u"/srv"_s } }),
            u"/srv/A/x.m4a"_s },
        { "drive OLD does not match a posix path", u"/Users/alex/x.m4a"_s, with({ { u"C:/Users/alex"_s, u"/m"_s } }),
            u"<outside>"_s },
        { "OLD typed as a file URL", u"/Users/alex/iTunes Music/x.m4a"_s,
            with({ { u"file:///Users/alex/iTunes%20Music/"_s, u"/m"_s } }), u"/m/x.m4a"_s },
        { "decomposed location, composed OLD", u"/M/O\u0308ga/x.m4a"_s, with({ { u"/M/\u00d6ga"_s, u"/m"_s } }),
            u"/m/x.m4a"_s },
        { "empty NEW: relative to the music root", u"/Users/alex/Music/A/x.m4a"_s,
            with({ { u"/Users/alex/Music"_s, QString() } }), u"A/x.m4a"_s },
        { "URL NEW joined with /", u"/Users/alex/Music/A/x y.m4a"_s,
            with({ { u"/Users/alex/Music"_s, u"smb://nas/music/"_s } }, Absolute, {}, Backslash),
            u"smb://nas/music/A/x y.m4a"_s },
        { "drive NEW", u"/Users/alex/Music/A/x.m4a"_s, with({ { u"/Users/alex/Music"_s, u"D:/Media"_s } }),
            u"D:\\Media\\A\\x.m4a"_s },

        // Relative paths.
        { "below the folder", u"/Users/alex/Music/A/x.m4a"_s, with(music, Relative, u"/mnt/m"_s), u"A/x.m4a"_s },
        { "beside the track tree", u"/Users/alex/Music/A/x.m4a"_s, with(music, Relative, u"/mnt/m/Lists/"_s),
            u"../A/x.m4a"_s },
        { "outside the track tree", u"/Users/alex/Music/A/x.m4a"_s, with(music, Relative, u"/home/u/lists"_s),
            u"../../../mnt/m/A/x.m4a"_s },
        { "folder typed as a file URL", u"/Users/alex/Music/A/x.m4a"_s,
            with(music, Relative, u"file:///mnt/m/My%20Lists"_s), u"../A/x.m4a"_s },
        { "another drive stays absolute", u"C:/M/x.m4a"_s, with({}, Relative, u"D:/Lists"_s), u"C:\\M\\x.m4a"_s },
        { "same drive in another case", u"C:/M/A/x.m4a"_s, with({}, Relative, u"c:\\m\\Lists"_s), u"..\\A\\x.m4a"_s },
        { "another share stays absolute", u"//nas/music/x.m4a"_s, with({}, Relative, u"//nas/lists"_s),
            u"\\\\nas\\music\\x.m4a"_s },
        { "same share", u"//nas/music/A/x.m4a"_s, with({}, Relative, u"//NAS/Music/Lists"_s), u"..\\A\\x.m4a"_s },
        { "posix path, drive folder", u"/M/x.m4a"_s, with({}, Relative, u"C:/Lists"_s), u"/M/x.m4a"_s },
        { "a URL stays absolute", u"/Users/alex/Music/x.m4a"_s,
            with({ { u"/Users/alex/Music"_s, u"smb://nas/m"_s } }, Relative, u"/mnt"_s), u"smb://nas/m/x.m4a"_s },
        { "relative without a folder: absolute", u"/M/x.m4a"_s, with({}, Relative), u"/M/x.m4a"_s },

        // Chosen separators.
        { "slash on a drive path", u"C:\\M\\x.m4a"_s, with({}, Absolute, {}, Slash), u"C:/M/x.m4a"_s },
        { "backslash on a posix path", u"/M/x.m4a"_s, with({}, Absolute, {}, Backslash), u"\\M\\x.m4a"_s },
        { "backslash on a relative path", u"/Users/alex/Music/A/x.m4a"_s,
            with(music, Relative, u"/mnt/m/L"_s, Backslash), u"..\\A\\x.m4a"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(pathFor(c.location, c.options), c.expected);
    }
}

TEST_F(PlayerPlaylistTest, StreamsIncludedAsTheyStand)
{
    Options options = with({ { u"/M"_s, u"/N"_s } }, Relative, u"/N"_s, Backslash);
    options.includeStreams = true;
    const QString url = u"https://radio.example.org/a%20b.aac?x=O\u0308"_s;
    EXPECT_EQ(pathFor(url, options), url);
}

TEST_F(PlayerPlaylistTest, TextsInEachNormalisationAndLineEnd)
{
    const Playlist playlist(u"Bj\u00f6rk\nmix"_s,
        { track(u"O\u0308ga"_s, u"Bj\u00f6rk"_s, 201, u"/M/O\u0308ga.m4a"_s),
            track(u"Solo\r"_s, {}, 0, u"/M/s.m4a"_s) });
    const struct
    {
        Options::Normalization form;
        Options::LineEnd lineEnd;
        QString expected;
    } cases[] = {
        { Options::Normalization::NFC, Options::LineEnd::LF,
            u"#EXTM3U\n#PLAYLIST:Bj\u00f6rk mix\n#EXTINF:201,Bj\u00f6rk - \u00d6ga\n/M/\u00d6ga.m4a\n"
            "#EXTINF:0,Solo \n/M/s.m4a\n"_s },
        { Options::Normalization::NFD, Options::LineEnd::LF,
            u"#EXTM3U\n#PLAYLIST:Bjo\u0308rk mix\n#EXTINF:201,Bjo\u0308rk - O\u0308ga\n/M/O\u0308ga.m4a\n"
            "#EXTINF:0,Solo \n/M/s.m4a\n"_s },
        { Options::Normalization::AsIs, Options::LineEnd::CRLF,
            u"#EXTM3U\r\n#PLAYLIST:Bj\u00f6rk mix\r\n#EXTINF:201,Bj\u00f6rk - O\u0308ga\r\n/M/O\u0308ga.m4a\r\n"
            "#EXTINF:0,Solo \r\n/M/s.m4a\r\n"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.form));
        Options options;
        options.normalization = c.form;
        options.lineEnd = c.lineEnd;
        EXPECT_EQ(PlayerPlaylist::makeText(playlist, options, nullptr), c.expected);
    }
}

TEST_F(PlayerPlaylistTest, KeepsOrderAndDuplicatesAndCountsEverySkip)
{
    const SongPtr twice = track(u"Twice"_s, u"A"_s, 3, u"/Users/alex/Music/t.m4a"_s);
    const Playlist playlist(u"Road Trip"_s,
        { twice, track(u"Cloud"_s, {}, 1, {}), track(u"Radio"_s, {}, 0, u"http://r.example.org"_s),
            track(u"Elsewhere"_s, {}, 2, u"/Volumes/x.m4a"_s), twice, track(u"Memo"_s, {}, 1, {}) });
    PlayerPlaylistReport report;
    EXPECT_EQ(PlayerPlaylist::makeText(playlist, with({ { u"/Users/alex/Music"_s, u"/m"_s } }), &report),
        u"#EXTM3U\n#PLAYLIST:Road Trip\n#EXTINF:3,A - Twice\n/m/t.m4a\n#EXTINF:3,A - Twice\n/m/t.m4a\n"_s);
    EXPECT_EQ(report.songs, 6);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.skippedWithoutFile, 2);
    EXPECT_EQ(report.skippedStreams, 1);
    EXPECT_EQ(report.skippedOutsideMappings, 1);
    EXPECT_EQ(report.summary(),
        u"\"Road Trip\": wrote 2 of 6 songs; skipped 2 without a file, 1 stream, 1 outside the path mappings"_s);
}

TEST_F(PlayerPlaylistTest, SummaryNamesOnlyTheSkipsThatHappened)
{
    const struct
    {
        PlayerPlaylistReport report;
        QString expected;
    } cases[] = {
        { { u"Road Trip"_s, 45, 45, 0, 0, 0 }, u"\"Road Trip\": wrote 45 of 45 songs"_s },
        { { u"Road Trip"_s, 45, 41, 3, 0, 1 },
            u"\"Road Trip\": wrote 41 of 45 songs; skipped 3 without a file, 1 outside the path mappings"_s },
        { { u"Jazz"_s, 4, 2, 0, 2, 0 }, u"\"Jazz\": wrote 2 of 4 songs; skipped 2 streams"_s },
        { { u"One"_s, 1, 1, 0, 0, 0 }, u"\"One\": wrote 1 of 1 song"_s },
        { { u"Empty"_s, 0, 0, 0, 0, 0 }, u"\"Empty\": wrote 0 of 0 songs"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.report.summary(), c.expected);
}

TEST_F(PlayerPlaylistTest, RelativeToTheOutputFolderPassedThroughTheMappings)
{
    const Playlist playlist(u"P"_s, { track(u"x"_s, {}, 1, u"/Users/alex/Music/A/x.m4a"_s) });
    const QString out = env.path(u"P.m3u"_s);
    const struct
    {
        const char *what;
        Mappings mappings;
        QString expected;
    } cases[] = {
        { "the output folder is on the target", { { u"/Users/alex/Music"_s, env.path(u"music"_s) } },
            u"music/A/x.m4a"_s },
        { "the output folder is mapped too",
            { { u"/Users/alex/Music"_s, u"/media/box"_s }, { env.path(QString()), u"/media/box/Lists"_s } },
            u"../A/x.m4a"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PlayerPlaylistReport report;
        PlayerPlaylist::savePlayerPlaylistTo(out, playlist, with(c.mappings, Relative), &report);
        EXPECT_EQ(readFileBytes(out), "#EXTM3U\n#PLAYLIST:P\n#EXTINF:1,x\n" + c.expected.toUtf8() + "\n");
        EXPECT_EQ(report.written, 1);
    }
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

TEST_F(PlayerPlaylistTest, SamplePathsPlaylistWholeFile)
{
    const XMLAccessor accessor(sampleLibraryPath());
    const std::optional<Playlist> playlist = accessor.getPlaylist(u"Paths"_s);
    ASSERT_TRUE(playlist.has_value());
    Options options = with({ { u"file://localhost/Users/alex/Music/iTunes/iTunes%20Music/"_s, u"/media/music"_s },
        { u"C:\\Users\\alex\\Music\\iTunes\\iTunes Music"_s, u"/media/music"_s },
        { u"//nas/music"_s, u"smb://nas/music"_s } });
    options.includeStreams = true;
    PlayerPlaylistReport report;
    const QString path = env.path(u"Paths.m3u"_s);
    PlayerPlaylist::savePlayerPlaylistTo(path, *playlist, options, &report);
    EXPECT_EQ(readFileBytes(path), exportFixture("sample-paths-player.m3u"));
    EXPECT_EQ(report.summary(), u"\"Paths\": wrote 7 of 8 songs; skipped 1 without a file"_s);
}

TEST_F(PlayerPlaylistTest, AFailedWriteShowsTheWriteError)
{
    PlayerPlaylistReport report;
    PlayerPlaylist::savePlayerPlaylistTo(
        env.path(u"missing/P.m3u"_s), Playlist(u"P"_s, { track(u"a"_s, {}, 1, u"/a"_s) }), {}, &report);
    EXPECT_EQ(env.interaction().alerts.size(), 1);
    EXPECT_EQ(report.written, 1);
}

} // namespace
