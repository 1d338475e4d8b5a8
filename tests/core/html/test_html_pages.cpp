#include "HTMLTestSupport.h"
#include "core/html/HTML.h"
#include "core/library/Playlist.h"
#include "core/settings/Preferences.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString fixture(const QString &name)
{
    return QString::fromUtf8(readFileBytes(QStringLiteral(SETLISTRY_FIXTURES_DIR "/html/") + name));
}

SongList numberedSongs(int count)
{
    SongList songs;
    for (int i = 1; i <= count; ++i)
        songs.append(makeSong({ .name = u"Song "_s + QString::number(i), .time = i }));
    return songs;
}

int count(const QString &text, const QString &what)
{
    return static_cast<int>(text.count(what));
}

class HTMLPagesTest : public HTMLTest
{
};

TEST_F(HTMLPagesTest, PageCountRule)
{
    struct Case
    {
        int items, limit, pages;
    };
    const Case cases[] = {
        { 0, 0, 0 },
        { 0, 10, 0 },
        { -1, 0, 0 },
        { 1, 0, 1 },
        { 30, 0, 1 },
        { 30, 10, 3 },
        { 30, 25, 2 },
        { 30, 50, 1 },
        { 30, 30, 1 },
        { 31, 30, 2 },
        { 750, 10, 75 },
        { 760, 10, 76 },
        { 7, 3, 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.items << " items, limit " << c.limit);
        set(Preferences::prHTMLMaxSongsPerFile, c.limit);
        set(Preferences::prHTMLMaxAlbumsPerFile, 0);
        EXPECT_EQ(HTML::filesNeededSongs(c.items), c.pages);
        EXPECT_EQ(HTML::filesNeededAlbums(c.items), c.items > 0 ? 1 : 0);
        set(Preferences::prHTMLMaxAlbumsPerFile, c.limit);
        EXPECT_EQ(HTML::filesNeededAlbums(c.items), c.pages);
    }
}

TEST_F(HTMLPagesTest, TotalsTruncateEachSongBeforeTheSum)
{
    EXPECT_EQ(str(HTML::getTotalTimeForSongsAsString({})), "0 seconds");
    EXPECT_EQ(str(HTML::getTotalFileSizeForSongsAsString({})), "0 K");
    const SongList songs = { makeSong({ .time = 30, .size = 1536 }), makeSong({ .time = 60, .size = 1536 }) };
    EXPECT_EQ(str(HTML::getTotalTimeForSongsAsString(songs)), "1.5 minutes");
    EXPECT_EQ(str(HTML::getTotalFileSizeForSongsAsString(songs)), "2 K");
}

// Whole pages of a small song-based set: rows split 2 + 1, numbers continuing, links, stars, the raw header.
TEST_F(HTMLPagesTest, SongBasedPagesMatchFixtures)
{
    setFields({ u"Name"_s, u"Artist"_s, u"Time"_s, u"Rating"_s, u"Disc Number"_s, u"Size"_s });
    set(Preferences::priTunesOrdering, true);
    set(Preferences::prHTMLMaxSongsPerFile, 2);
    set(Preferences::prHTMLUseStars, true);
    set(Preferences::prHTMLFontSize, u"1"_s);
    set(Preferences::prHTMLHeader, u"<b>Songs &amp; more</b>\n<i>raw</i>"_s);
    set(Preferences::prHTMLAddWebServerLinks, true);
    set(Preferences::prWebServerPath, u"music"_s);
    set(Preferences::prMusicFolderPath, u"/Users/a/Music"_s);
    const Playlist playlist(u"Rock & Roll"_s,
        { makeSong({ .artist = u"A & B"_s,
              .name = u"Intro"_s,
              .location = u"/Users/a/Music/A & B/First/01 Intro.mp3"_s,
              .time = 65,
              .rating = 3,
              .discNumber = 1,
              .discCount = 2,
              .size = 5000000 }),
            makeSong({ .artist = u"Solo"_s,
                .name = u"Second <Take>"_s,
                .location = u"/Volumes/Other/02.mp3"_s,
                .time = 245 }),
            makeSong({ .artist = u"\"Q\""_s,
                .name = u"Third"_s,
                .location = u"/Users/a/Music/Q/03 Third.mp3"_s,
                .rating = 5,
                .discNumber = 2,
                .size = 1023 }) });

    const QString dir = env.path(u"out"_s);
    QDir().mkpath(dir);
    HTML::saveHTMLTo(dir + u"/Mix.html"_s, playlist, false);

    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    EXPECT_EQ(folderEntries(dir), (QStringList { u"Mix.html"_s, u"Mix2.html"_s }));
    EXPECT_EQ(readFileBytes(dir + u"/Mix.html"_s).toStdString(), fixture(u"song_Mix.html"_s).toStdString());
    EXPECT_EQ(readFileBytes(dir + u"/Mix2.html"_s).toStdString(), fixture(u"song_Mix2.html"_s).toStdString());
}

// Whole pages of a small album-based set: two albums, then one; a song without album only in the footer.
TEST_F(HTMLPagesTest, AlbumBasedPagesMatchFixtures)
{
    setFields({ u"Artist"_s });
    set(Preferences::prHTMLMaxAlbumsPerFile, 2);
    set(Preferences::prHTMLMaxSongsPerFile, 1); // plays no part in this mode
    set(Preferences::prHTMLRemoveDupes, true); // neither does this
    set(Preferences::prHTMLFontSize, u"-1"_s);
    set(Preferences::prHTMLBGColor, u"112233"_s);
    set(Preferences::prHTMLTextColor, u"aabbcc"_s);
    set(Preferences::prHTMLOddColor, u"ABCDEF"_s);
    set(Preferences::prHTMLEvenColor, u"fedcba"_s);
    const Playlist playlist(u"Albums <Best>"_s,
        { makeSong({ .artist = u"Bee & Co"_s,
              .album = u"Beta"_s,
              .name = u"Track B2 & more"_s,
              .genre = u"Rock"_s,
              .time = 125,
              .trackNumber = 2,
              .year = 1999,
              .size = 2048000 }),
            makeSong({ .artist = u"Ann"_s,
                .album = u"Alpha"_s,
                .name = u"Track A1"_s,
                .time = 59,
                .trackNumber = 1,
                .size = 1024 }),
            makeSong({ .artist = u"X"_s, .name = u"Loose"_s, .time = 100, .size = 10240 }),
            makeSong({ .artist = u"Other"_s,
                .album = u"Beta"_s,
                .name = u"Track B1"_s,
                .genre = u"Pop"_s,
                .time = 60,
                .trackNumber = 1,
                .year = 2001 }),
            makeSong({ .artist = u"G"_s, .album = u"Gamma & Delta"_s, .name = u"Gamma <1>"_s, .genre = u"Jazz"_s }) });

    const QString dir = env.path(u"out"_s);
    QDir().mkpath(dir);
    HTML::saveHTMLTo(dir + u"/Albums.html"_s, playlist, true);

    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    EXPECT_EQ(folderEntries(dir), (QStringList { u"Albums.html"_s, u"Albums2.html"_s }));
    EXPECT_EQ(readFileBytes(dir + u"/Albums.html"_s).toStdString(), fixture(u"album_Albums.html"_s).toStdString());
    EXPECT_EQ(readFileBytes(dir + u"/Albums2.html"_s).toStdString(), fixture(u"album_Albums2.html"_s).toStdString());
}

TEST_F(HTMLPagesTest, CellOfEachField)
{
    struct Case
    {
        QString title;
        Song::Values song;
        bool stars;
        QString cell;
    };
    const Case cases[] = {
        { u"Rating"_s, { .rating = 3 }, true, u"***"_s },
        { u"Rating"_s, { .rating = 3 }, false, u"3"_s },
        { u"Rating"_s, { .rating = 0 }, true, QString() },
        { u"Rating"_s, { .rating = 0 }, false, QString() },
        { u"Rating"_s, { .rating = 1000000 }, true, u"*****"_s },
        { u"Disc Number"_s, { .discNumber = 1, .discCount = 2 }, false, u"1 of 2"_s },
        { u"Disc Number"_s, {}, false, u"? of ?"_s },
        { u"Disc Number"_s, { .discNumber = 2 }, false, u"2 of ?"_s },
        { u"Disc Number"_s, { .discNumber = -1, .discCount = 3 }, false, u"? of 3"_s },
        { u"Size"_s, { .size = 5000000 }, false, u"4.7 MB"_s },
        { u"Size"_s, { .size = 1023 }, false, u"0 K"_s },
        { u"Time"_s, { .time = 0 }, false, QString() },
        { u"Time"_s, { .time = 245 }, false, u"4:05"_s },
        { u"Year"_s, { .year = 0 }, false, QString() },
        { u"Year"_s, { .year = 1999 }, false, u"1999"_s },
        { u"BPM"_s, { .bpm = -3 }, false, u"-3"_s },
        { u"SampleRate"_s, { .sampleRate = 44100 }, false, u"44100"_s },
        { u"BitRate"_s, { .bitRate = 0 }, false, QString() },
        { u"PlayCount"_s, { .playcount = 7 }, false, u"7"_s },
        { u"TrackNumber"_s, { .trackNumber = 12 }, false, u"12"_s },
        { u"Location"_s, { .location = u"/Users/a/Music/x & y.mp3"_s }, false, u"/Users/a/Music/x &amp; y.mp3"_s },
        { u"Comments"_s, { .comments = u"&amp;"_s }, false, u"&amp;amp;"_s },
        { u"Kind"_s, { .kind = u"MPEG <audio>"_s }, false, u"MPEG &lt;audio&gt;"_s },
        { u"Composer"_s, { .composer = u"\"C\""_s }, false, u"&quot;C&quot;"_s },
        { u"Genre"_s, { .genre = u"R&B"_s }, false, u"R&amp;B"_s },
        { u"Album"_s, { .album = u"Al"_s }, false, u"Al"_s },
        { u"K\u00fcnstler"_s, { .artist = u"A"_s }, false, QString() },
        { u"name"_s, { .name = u"N"_s }, false, QString() },
    };
    set(Preferences::prHTMLShouldNumberRows, false);
    set(Preferences::prHTMLAddWebServerLinks, true); // Location is never a link
    set(Preferences::prMusicFolderPath, u"/Users/a/Music"_s);
    for (const Case &c : cases) {
        SCOPED_TRACE(str(c.title));
        setFields({ c.title });
        set(Preferences::prHTMLUseStars, c.stars);
        const QStringList rows = HTML::getFileCenter({ makeSong(c.song) });
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(str(rows[0]), str(u"<tr class=\"alt\"><td>"_s + c.cell + u"</td></tr>\n"_s));
    }
}

TEST_F(HTMLPagesTest, RowWithNumberAndEscapedArtist)
{
    setFields({ u"Name"_s, u"Artist"_s, u"Time"_s });
    const QStringList rows = HTML::getFileCenter(
        { makeSong({ .artist = u"A & B"_s, .name = u"Intro"_s, .time = 65 }), makeSong({ .name = u"Two"_s }) });
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(str(rows[0]), "<tr class=\"alt\"><td>1.</td><td>Intro</td><td>A &amp; B</td><td>1:05</td></tr>\n");
    EXPECT_EQ(str(rows[1]), "<tr class=\"nonalt\"><td>2.</td><td>Two</td><td></td><td></td></tr>\n");
}

TEST_F(HTMLPagesTest, RowsSplitOverPagesKeepNumbersAndClasses)
{
    setFields({ u"Name"_s });
    set(Preferences::prHTMLMaxSongsPerFile, 25);
    const QStringList pages
        = HTML::makeExportStrings(numberedSongs(30), { u"/s/Mix.html"_s, u"/s/Mix2.html"_s }, u"P"_s);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(count(pages[0], u"<tr class="_s), 25);
    EXPECT_EQ(count(pages[1], u"<tr class="_s), 5);
    EXPECT_TRUE(pages[1].contains(u"<td><b><i>Name</i></b></td></tr>\n<tr class=\"nonalt\"><td>26.</td>"_s));
    EXPECT_TRUE(pages[1].contains(u"Page: 2/2</td></tr>"_s));
    // The footer counts the whole list on every page.
    for (const QString &page : pages)
        EXPECT_TRUE(page.contains(u"P: 30 songs, 7.7 minutes, 0 K</font>"_s));
    EXPECT_TRUE(HTML::makeExportStrings({}, { u"/s/Mix.html"_s }, u"P"_s).isEmpty());
}

TEST_F(HTMLPagesTest, NavigationOfTheMiddlePage)
{
    setFields({ u"Name"_s });
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    const QStringList pages
        = HTML::makeExportStrings(numberedSongs(3), { u"/s/Mix.html"_s, u"/s/Mix2.html"_s, u"/s/Mix3.html"_s }, u"P"_s);
    ASSERT_EQ(pages.size(), 3);
    const QString nav = u"<tr><td><p align=\"center\">Page: <a href=\"Mix.html\">1</a> | 2 | "
                        "<a href=\"Mix3.html\">3</a></p></td></tr>\n"_s;
    EXPECT_EQ(count(pages[1], nav), 2);
    EXPECT_TRUE(pages[1].contains(u"Page: 2/3</td></tr>"_s));

    set(Preferences::prHTMLMaxSongsPerFile, 0);
    const QStringList single = HTML::makeExportStrings(numberedSongs(3), { u"/s/Mix.html"_s }, u"P"_s);
    ASSERT_EQ(single.size(), 1);
    EXPECT_FALSE(single[0].contains(u"<p align=\"center\">Page"_s));
    EXPECT_TRUE(single[0].contains(u"Page: 1/1</td></tr>"_s));
}

TEST_F(HTMLPagesTest, ColumnSpansAndHeaderRow)
{
    struct Case
    {
        const char *label;
        QStringList fields;
        bool numbers;
        QString header;
        QString titleStart, headerRow, navStart;
    };
    const Case cases[] = {
        { "one field with numbers", { u"Name"_s }, true, u" "_s, u"<tr><td>\n<strong"_s, u"<tr><td> </td></tr>\n"_s,
            u"<tr><td><p align"_s },
        { "two fields without numbers", { u"Name"_s, u"Time"_s }, false, u"H"_s, u"<tr><td colspan=\"1\">\n<strong"_s,
            u"<tr><td colspan=\"2\">H</td></tr>\n"_s, u"<tr><td colspan=\"2\"><p align"_s },
        { "three fields with numbers", { u"Name"_s, u"Time"_s, u"Year"_s }, true, u"H"_s,
            u"<tr><td colspan=\"3\">\n<strong"_s, u"<tr><td colspan=\"4\">H</td></tr>\n"_s,
            u"<tr><td colspan=\"4\"><p align"_s },
    };
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        setFields(c.fields);
        set(Preferences::prHTMLShouldNumberRows, c.numbers);
        set(Preferences::prHTMLHeader, c.header);
        const QStringList pages = HTML::makeExportStrings(numberedSongs(2), { u"/a.html"_s, u"/a2.html"_s }, u"P"_s);
        ASSERT_EQ(pages.size(), 2);
        EXPECT_TRUE(pages[0].contains(c.titleStart));
        EXPECT_TRUE(pages[0].contains(u"</td></tr>"_s + c.headerRow));
        EXPECT_EQ(count(pages[0], c.navStart), 2);
    }
    set(Preferences::prHTMLHeader, QString());
    const QStringList pages = HTML::makeExportStrings(numberedSongs(1), { u"/a.html"_s }, u"P"_s);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(u"Page: 1/1</td></tr><tr><td><b><i>#"_s));
}

// Whatever the library holds is shown as text: markup in any value never becomes markup on a page. The
// header text is the user's own markup and stays as it is.
TEST_F(HTMLPagesTest, LibraryTextsAreEscapedOnBothPageKinds)
{
    const QString evil = u"<script>alert(\"x\")</script> & co"_s;
    const QString shown = u"&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; co"_s;
    setFields({ u"Name"_s, u"Artist"_s, u"Album"_s, u"Genre"_s, u"Comments"_s, u"Location"_s, evil });
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    set(Preferences::prHTMLMaxAlbumsPerFile, 1);
    set(Preferences::prHTMLHeader, u"<em>mine</em>"_s);
    set(Preferences::prHTMLAddWebServerLinks, true);
    set(Preferences::prMusicFolderPath, u"/M"_s);
    const SongPtr song = makeSong({ .artist = evil,
        .album = evil,
        .name = evil,
        .genre = evil,
        .location = u"/M/"_s + evil,
        .comments = evil,
        .year = 1999 });
    const Playlist playlist(evil, { song, song });
    const QStringList paths = { u"/s/R&B \"1\".html"_s, u"/s/R&B \"1\"2.html"_s };

    const QStringList songPages = HTML::makeExportStrings(playlist.getSongs(), paths, playlist.getName());
    const QStringList albumPages = HTML::makeAlbumBasedExportStrings(playlist, paths);
    ASSERT_EQ(songPages.size(), 2);
    ASSERT_EQ(albumPages.size(), 1);
    for (const QString &page : songPages + albumPages) {
        EXPECT_FALSE(page.contains(u"<script"_s));
        EXPECT_TRUE(page.contains(u"<em>mine</em>"_s));
        EXPECT_TRUE(page.contains(u"<title>"_s + shown + u"</title>"_s));
        EXPECT_TRUE(page.contains(u"<strong class=\"header\">Playlist: "_s + shown + u"</strong>"_s));
        EXPECT_TRUE(page.contains(u"<font size=\"-1\">"_s + shown + u": 2 songs"_s));
        EXPECT_TRUE(page.contains(u"<a href=\"/"_s + shown + u"\">"_s + shown + u"</a>"_s));
    }
    EXPECT_TRUE(songPages[0].contains(u"<td><b><i>"_s + shown + u"</i></b></td>"_s));
    EXPECT_EQ(count(songPages[0], u"<td>"_s + shown + u"</td>"_s), 4); // artist, album, genre, comments
    EXPECT_TRUE(songPages[0].contains(u"<td>/M/"_s + shown + u"</td>"_s));
    EXPECT_TRUE(songPages[0].contains(u"<a href=\"R&amp;B &quot;1&quot;2.html\">2</a>"_s));
    EXPECT_TRUE(songPages[1].contains(u"<a href=\"R&amp;B &quot;1&quot;.html\">1</a>"_s));
    const QString &album = albumPages[0];
    EXPECT_TRUE(album.contains(u"<b><font size=\"+1\">"_s + shown + u"</font></b>\n<br><b>"_s + shown
        + u"</b>\n<br><i>1999, "_s + shown + u"</i>"_s));
}

// A file name can hold characters that a relative link would take for a scheme, a query or a fragment; the
// links encode exactly those, so that every page still reaches the others.
TEST_F(HTMLPagesTest, NavigationLinksEncodeUrlDelimitersInFileNames)
{
    setFields({ u"Name"_s });
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    const QStringList paths = { u"/s/ Live: #1 100%?\\.html"_s, u"/s/ Live: #1 100%?\\2.html"_s, u"/s/My Mix3.html"_s };
    const QStringList pages = HTML::makeExportStrings(numberedSongs(3), paths, u"P"_s);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_TRUE(pages[2].contains(u"<a href=\"%20Live%3A %231 100%25%3F%5C.html\">1</a>"_s));
    EXPECT_TRUE(pages[2].contains(u"<a href=\"%20Live%3A %231 100%25%3F%5C2.html\">2</a>"_s));
    EXPECT_TRUE(pages[0].contains(u"<a href=\"My Mix3.html\">3</a>"_s));
}

TEST_F(HTMLPagesTest, AlbumBlocksPerPageAndYearGenre)
{
    struct Case
    {
        int year;
        QString genre;
        QString shown;
    };
    const Case cases[] = {
        { 1999, u"Rock"_s, u"1999, Rock"_s },
        { 1999, QString(), u"1999"_s },
        { 0, u"Rock"_s, u"Rock"_s },
        { 0, QString(), QString() },
    };
    SongList songs;
    for (int i = 0; i < 4; ++i) {
        songs.append(
            makeSong({ .album = u"Album "_s + QString::number(i), .genre = cases[i].genre, .year = cases[i].year }));
    }
    // Three songs of one album, then another album: the classes start again with every album.
    for (int t = 1; t <= 3; ++t)
        songs.append(makeSong({ .album = u"Trio"_s, .name = u"T"_s + QString::number(t), .trackNumber = t }));
    songs.append(makeSong({ .album = u"Solo"_s, .name = u"S"_s, .trackNumber = 7 }));
    songs.append(makeSong({ .album = u"Seventh"_s }));
    const Playlist playlist(u"P"_s, songs);
    ASSERT_EQ(playlist.getAlbums().size(), 7);

    set(Preferences::prHTMLMaxAlbumsPerFile, 3);
    const QStringList paths = HTML::pagePaths(u"/s/A.html"_s, 3);
    const QStringList pages = HTML::makeAlbumBasedExportStrings(playlist, paths);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(count(pages[0], u"border=\"1\""_s), 3);
    EXPECT_EQ(count(pages[1], u"border=\"1\""_s), 3);
    EXPECT_EQ(count(pages[2], u"border=\"1\""_s), 1);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(pages[0].contains(
            u"<br><b>Album "_s + QString::number(i) + u"</b>\n<br><i>"_s + cases[i].shown + u"</i>\n"_s));
    }
    EXPECT_TRUE(pages[1].contains(u"<br><b>Album 3</b>\n<br><i></i>\n"_s));
    const QString trio = u"<td class=\"alt\">1.</td>\n<td class=\"alt\" width=\"100%\">T1</td>"
                         "\n<td class=\"alt\"></td>\n</tr>\n<tr>\n"
                         "<td class=\"nonalt\">2.</td>\n<td class=\"nonalt\" width=\"100%\">T2</td>"
                         "\n<td class=\"nonalt\"></td>\n</tr>\n<tr>\n"
                         "<td class=\"alt\">3.</td>\n<td class=\"alt\" width=\"100%\">T3</td>"_s;
    EXPECT_TRUE(pages[1].contains(trio));
    EXPECT_TRUE(pages[1].contains(u"<td class=\"alt\">7.</td>\n<td class=\"alt\" width=\"100%\">S</td>"_s));
    EXPECT_TRUE(pages[2].contains(u"<td class=\"alt\"></td>\n<td class=\"alt\" width=\"100%\"></td>"_s));

    set(Preferences::prHTMLMaxAlbumsPerFile, 0);
    const QStringList one = HTML::makeAlbumBasedExportStrings(playlist, paths);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(count(one[0], u"border=\"1\""_s), 7);
    EXPECT_TRUE(one[0].contains(u"<td align=\"right\">Page: 1/1</td></tr>"_s));
    EXPECT_FALSE(one[0].contains(u"<p align=\"center\">Page"_s));

    const Playlist noAlbums(u"P"_s, { makeSong({ .name = u"x"_s }) });
    EXPECT_TRUE(HTML::makeAlbumBasedExportStrings(noAlbums, paths).isEmpty());
}

} // namespace
