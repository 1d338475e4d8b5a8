#include "HTMLTestSupport.h"
#include "core/html/HTML.h"
#include "core/html/HTMLLinks.h"
#include "core/settings/Preferences.h"

#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct LinkCase
{
    const char *label;
    bool linksOn;
    QString webServerPath;
    QString musicFolder;
    QString location;
    QString name;
    QString expected;
};

class HTMLLinkTest : public HTMLTest
{
};

std::vector<LinkCase> linkCases()
{
    const QString album = u"/Users/a/Music/Artist/Album/01 Song.mp3"_s;
    const QString link = u"<a href=\"/music/Artist/Album/01 Song.mp3\">Song</a>"_s;
    return {
        { "links off", false, u"/music"_s, u"/Users/a/Music"_s, album, u"Song"_s, u"Song"_s },
        { "links off still escapes", false, u"/music"_s, u"/Users/a/Music"_s, album, u"A & <B>"_s,
            u"A &amp; &lt;B&gt;"_s },
        { "empty name", true, u"/music"_s, u"/Users/a/Music"_s, album, QString(), QString() },
        { "space stays a space", true, u"/music"_s, u"/Users/a/Music"_s, album, u"Song"_s, link },
        { "server path without slashes", true, u"music"_s, u"/Users/a/Music"_s, album, u"Song"_s, link },
        { "server path with both slashes", true, u"/music/"_s, u"/Users/a/Music"_s, album, u"Song"_s, link },
        { "empty server path", true, QString(), u"/Users/a/Music"_s, album, u"Song"_s,
            u"<a href=\"/Artist/Album/01 Song.mp3\">Song</a>"_s },
        { "doubled slashes folded", true, u"//music//"_s, u"/Users/a/Music"_s, album, u"Song"_s, link },
        { "three slashes become two", true, u"///music"_s, u"/Users/a/Music"_s, album, u"Song"_s,
            u"<a href=\"//music/Artist/Album/01 Song.mp3\">Song</a>"_s },
        { "outside the music folder", true, u"/music"_s, u"/Users/a/Music"_s, u"/Volumes/Disk/x.mp3"_s, u"Song"_s,
            u"Song"_s },
        { "the music folder itself", true, u"/music"_s, u"/Users/a/Music"_s, u"/Users/a/Music"_s, u"Song"_s,
            u"Song"_s },
        { "empty location", true, u"/music"_s, u"/Users/a/Music"_s, QString(), u"Song"_s, u"Song"_s },
        { "empty music folder", true, u"/music"_s, QString(), u"/Users/a/x.mp3"_s, u"Song"_s,
            u"<a href=\"/music/Users/a/x.mp3\">Song</a>"_s },
        { "music folder ending in a slash", true, u"/music"_s, u"/Users/a/Music/"_s, album, u"Song"_s, link },
        { "music folder ending in two slashes", true, u"/music"_s, u"/Users/a/Music//"_s, album, u"Song"_s, link },
        { "music folder as a file URL", true, u"/music"_s, u"file://localhost/Users/a/Mus%C3%AFc/"_s,
            u"/Users/a/Mus\u00efc/x.mp3"_s, u"Song"_s, u"<a href=\"/music/x.mp3\">Song</a>"_s },
        { "composed folder, decomposed location", true, u"/music"_s, u"/Users/a/Caf\u00e9"_s,
            u"/Users/a/Cafe\u0301/x.mp3"_s, u"Song"_s, u"<a href=\"/music/x.mp3\">Song</a>"_s },
        { "decomposed folder, composed location, not plain", true, u"/music"_s, u"/Users/a/Cafe\u0301"_s,
            u"/Users/a/Caf\u00e9//x.mp3"_s, u"Song"_s, u"<a href=\"/music/x.mp3\">Song</a>"_s },
        { "URL delimiters in the file name", true, u"/music"_s, u"/Users/a/Music"_s,
            u"/Users/a/Music/Live #1?/100% & more.mp3"_s, u"Song"_s,
            u"<a href=\"/music/Live %231%3F/100%25 &amp; more.mp3\">Song</a>"_s },
        { "URL delimiters in a location that is not plain", true, u"/music"_s, u"/Users/a/Music"_s,
            u"/Users/a/Music//Live #1?.mp3"_s, u"Song"_s, u"<a href=\"/music/Live %231%3F.mp3\">Song</a>"_s },
        { "controls encoded as UTF-8", true, u"/music"_s, u"/Users/a/Music"_s, u"/Users/a/Music/a\tb\u0085c.mp3"_s,
            u"Song"_s, u"<a href=\"/music/a%09b%C2%85c.mp3\">Song</a>"_s },
        { "other letters stay", true, u"/music"_s, u"/Users/a/Music"_s,
            u"/Users/a/Music/\u00c9t\u00e9 \U0001F3B5.mp3"_s, u"Song"_s,
            u"<a href=\"/music/\u00c9t\u00e9 \U0001F3B5.mp3\">Song</a>"_s },
        { "server path kept as typed", true, u"/m%20usic"_s, u"/Users/a/Music"_s, u"/Users/a/Music/x.mp3"_s, u"Song"_s,
            u"<a href=\"/m%20usic/x.mp3\">Song</a>"_s },
        { "music folder without leading slash", true, u"/music"_s, u"Users/a/Music"_s, album, u"Song"_s, link },
        { "case-sensitive", true, u"/music"_s, u"/users/a/music"_s, album, u"Song"_s, u"Song"_s },
        { "escapes compared as written", true, u"/music"_s, u"/Users/a/Music/Caf%C3%A9"_s,
            u"/Users/a/Music/Caf%C3%A9/x.mp3"_s, u"Song"_s, u"<a href=\"/music/x.mp3\">Song</a>"_s },
        { "unescaped folder misses escaped location", true, u"/music"_s, u"/Users/a/Music/Caf\u00e9"_s,
            u"/Users/a/Music/Caf%C3%A9/x.mp3"_s, u"Song"_s, u"Song"_s },
        { "location without leading slash", true, u"/music"_s, u"/Users/a/Music"_s, u"Users/a/Music/x.mp3"_s, u"Song"_s,
            u"<a href=\"/music/x.mp3\">Song</a>"_s },
        { "doubled slash in the location", true, u"/music"_s, u"/Users/a/Music"_s, u"/Users/a//Music/A//x.mp3"_s,
            u"Song"_s, u"<a href=\"/music/A/x.mp3\">Song</a>"_s },
        { "location ending in a slash", true, u"/music"_s, u"/Users/a/Music"_s, u"/Users/a/Music/A/"_s, u"Song"_s,
            u"<a href=\"/music/A\">Song</a>"_s },
        { "full web address", true, u"http://host/music"_s, u"/Users/a/Music"_s, u"/Users/a/Music/x.mp3"_s, u"Song"_s,
            u"<a href=\"/http:/host/music/x.mp3\">Song</a>"_s },
        { "target and name escaped", true, u"/music"_s, u"/Users/a/Music"_s, u"/Users/a/Music/R&B \"Q\"/<x>.mp3"_s,
            u"A & B"_s, u"<a href=\"/music/R&amp;B &quot;Q&quot;/&lt;x&gt;.mp3\">A &amp; B</a>"_s },
    };
}

TEST_F(HTMLLinkTest, NameCellForEachPathCombination)
{
    for (const LinkCase &c : linkCases()) {
        SCOPED_TRACE(c.label);
        set(Preferences::prHTMLAddWebServerLinks, c.linksOn);
        set(Preferences::prWebServerPath, c.webServerPath);
        set(Preferences::prMusicFolderPath, c.musicFolder);
        const SongPtr song = makeSong({ .name = c.name, .location = c.location });
        EXPECT_EQ(str(HTML::getSongNameLinkedIfNecessary(*song)), str(c.expected));
    }
}

// The count the preferences show must be the links the pages get: both are asked of every case above.
TEST_F(HTMLLinkTest, CountingAgreesWithTheNameCells)
{
    for (const LinkCase &c : linkCases()) {
        SCOPED_TRACE(c.label);
        set(Preferences::prHTMLAddWebServerLinks, c.linksOn);
        set(Preferences::prWebServerPath, c.webServerPath);
        set(Preferences::prMusicFolderPath, c.musicFolder);
        const SongPtr song = makeSong({ .name = c.name, .location = c.location });
        const bool linked = c.expected.startsWith("<a href="_L1);
        EXPECT_EQ(HTMLLinks::read().getsLink(*song), linked);
        // Counting assumes links on, whatever the setting and the server path.
        const bool linkedWhenOn = c.linksOn ? linked : c.location.startsWith(c.musicFolder + u'/');
        EXPECT_EQ(HTMLLinks::countLinked({ song }, c.musicFolder), linkedWhenOn ? 1 : 0);
    }
}

TEST_F(HTMLLinkTest, CountingAPlaylist)
{
    set(Preferences::prHTMLAddWebServerLinks, false);
    const SongList songs = {
        makeSong({ .name = u"A"_s, .location = u"/Users/a/Music/A/1.mp3"_s }),
        makeSong({ .name = u"B"_s, .location = u"/Users/a/Music/B/2.mp3"_s }),
        makeSong({ .name = u"B"_s, .location = u"/Users/a/Music/B/2.mp3"_s }), // listed twice, counted twice
        makeSong({ .name = u"C"_s, .location = u"/Users/a/Movies/3.m4v"_s }), makeSong({ .name = u"D"_s }), // no file
        makeSong({ .name = u"E"_s, .location = u"http://radio.example/live"_s }),
        makeSong({ .location = u"/Users/a/Music/nameless.mp3"_s }), // no name to link
    };
    const struct
    {
        QString musicFolder;
        qsizetype linked;
    } cases[] = {
        { u"/Users/a/Music"_s, 3 }, { u"file://localhost/Users/a/Music/"_s, 3 }, { u"/Users/a"_s, 4 },
        { u"/Users/a/Music/B"_s, 2 }, { u"/Elsewhere"_s, 0 },
        { QString(), 5 }, // every path lies below the root; the stream's name too, as a relative path
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.musicFolder.toStdString());
        EXPECT_EQ(HTMLLinks::countLinked(songs, c.musicFolder), c.linked);
    }
    EXPECT_EQ(HTMLLinks::countLinked({}, u"/Users/a/Music"_s), 0);
}

TEST(HTMLPathTest, DropPath)
{
    struct Case
    {
        QString base, full;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        { u"/Users/a/Music"_s, u"/Users/a/Music/A/b.mp3"_s, u"A/b.mp3"_s },
        { u"Users/a"_s, u"/Users/a/b"_s, u"b"_s },
        { u"/Users/a"_s, u"Users/a/b"_s, u"b"_s },
        { QString(), u"/a/b"_s, u"a/b"_s },
        { u"/a//b"_s, u"/a/b/c"_s, u"c"_s },
        { u"/a"_s, u"/a"_s, std::nullopt },
        { u"/a/b"_s, u"/a"_s, std::nullopt },
        { u"/a/"_s, u"/a/b"_s, std::nullopt },
        { u"/a/b"_s, u"/a/c/d"_s, std::nullopt },
        { u"/a"_s, QString(), std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(str(c.base + u" | "_s + c.full));
        const std::optional<QString> rest = HTML::dropPath(c.base, c.full);
        ASSERT_EQ(rest.has_value(), c.expected.has_value());
        if (rest) {
            EXPECT_EQ(str(*rest), str(*c.expected));
        }
    }
}

TEST(HTMLPathTest, EnsureSlashesEditTheTextGiven)
{
    struct Case
    {
        QString text, start, end;
    };
    const Case cases[] = {
        { QString(), u"/"_s, u"/"_s },
        { u"music"_s, u"/music"_s, u"music/"_s },
        { u"/music/"_s, u"/music/"_s, u"/music/"_s },
        { u"/"_s, u"/"_s, u"/"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(str(c.text));
        QString start = c.text;
        QString end = c.text;
        EXPECT_EQ(&HTML::ensureStartSlash(start), &start);
        EXPECT_EQ(&HTML::ensureEndSlash(end), &end);
        EXPECT_EQ(str(start), str(c.start));
        EXPECT_EQ(str(end), str(c.end));
    }
    QString empty;
    EXPECT_EQ(str(HTML::ensureStartSlash(HTML::ensureEndSlash(empty))), "/");
}

TEST(HTMLPathTest, EscapeReplacesTheFourCharactersOnce)
{
    EXPECT_EQ(str(HTML::escape(u"plain \u00e9"_s)), "plain \u00e9");
    EXPECT_EQ(str(HTML::escape(u"A & B"_s)), "A &amp; B");
    EXPECT_EQ(str(HTML::escape(u"&amp;"_s)), "&amp;amp;");
    EXPECT_EQ(str(HTML::escape(u"<a href=\"x\">'</a>"_s)), "&lt;a href=&quot;x&quot;&gt;'&lt;/a&gt;");
}

} // namespace
