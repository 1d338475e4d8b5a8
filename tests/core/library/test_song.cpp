#include "core/library/Song.h"
#include "core/plist/PropertyList.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// One track dictionary as the library writes it.
PlistValue trackFrom(std::shared_ptr<const PropertyList> &holder, const QByteArray &entries)
{
    holder = readPropertyListFromData("<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                                      "<key>t</key><dict>"
        + entries + "</dict></dict></plist>");
    EXPECT_TRUE(holder);
    return holder ? holder->root().value(u"t"_s) : PlistValue();
}

} // namespace

TEST(Song, MissingTrackAndMissingKeysGiveTheEmptyRecord)
{
    const Song none = Song::initWithDict(PlistValue());
    std::shared_ptr<const PropertyList> doc;
    const Song bare = Song::initWithDict(trackFrom(doc, "<key>Track ID</key><integer>5</integer>"));
    for (const Song *s : { &none, &bare }) {
        for (const QString &text : { s->getName(), s->getArtist(), s->getAlbum(), s->getGenre(), s->getLocation(),
                 s->getComposer(), s->getComments(), s->getKind() }) {
            EXPECT_TRUE(text.isEmpty());
        }
        for (int n :
            { s->getSampleRate(), s->getTime(), s->getBitRate(), s->getRating(), s->getPlaycount(), s->getTrackNumber(),
                s->getYear(), s->getBPM(), s->getDiscNumber(), s->getDiscCount(), s->getSize() }) {
            EXPECT_EQ(n, 0);
        }
    }
}

TEST(Song, EveryKeyFillsItsField)
{
    std::shared_ptr<const PropertyList> doc;
    const Song s = Song::initWithDict(trackFrom(doc, R"(
        <key>Name</key><string>Jóga &amp; more</string><key>Artist</key><string>Björk</string>
        <key>Album</key><string>Homogenic</string><key>Genre</key><string>Electronic</string>
        <key>Composer</key><string>B</string><key>Comments</key><string>c</string><key>Kind</key><string>AAC</string>
        <key>Location</key><string>file://localhost/Music/J%C3%B3ga%20x.m4a</string>
        <key>Sample Rate</key><integer>44100</integer><key>Total Time</key><integer>305123</integer>
        <key>Bit Rate</key><integer>256</integer><key>Rating</key><integer>80</integer>
        <key>Play Count</key><integer>7</integer><key>Track Number</key><integer>3</integer>
        <key>Year</key><integer>1997</integer><key>BPM</key><integer>96</integer>
        <key>Disc Number</key><integer>1</integer><key>Disc Count</key><integer>2</integer>
        <key>Size</key><integer>3000000000</integer>)"));
    EXPECT_EQ(s.getName(), u"Jóga & more"_s);
    EXPECT_EQ(s.getArtist(), u"Björk"_s);
    EXPECT_EQ(s.getLocation(), u"/Music/J\u00f3ga x.m4a"_s);
    EXPECT_EQ(s.getTime(), 305);
    EXPECT_EQ(s.getRating(), 4);
    EXPECT_EQ(s.getSampleRate(), 44100);
    EXPECT_EQ(s.getBPM(), 96);
    EXPECT_EQ(s.getDiscCount(), 2);
    // A file of 3 GB saturates instead of turning negative.
    EXPECT_EQ(s.getSize(), std::numeric_limits<int>::max());
}

TEST(Song, TimeAndRatingTruncate)
{
    const struct
    {
        int totalTime, time, rating, stars;
    } cases[]
        = { { 1999, 1, 100, 5 }, { 2000, 2, 99, 4 }, { 59900, 59, 50, 2 }, { 0, 0, 10, 0 }, { -1500, -1, -30, -1 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.totalTime);
        std::shared_ptr<const PropertyList> doc;
        const Song s = Song::initWithDict(trackFrom(doc,
            "<key>Total Time</key><integer>" + QByteArray::number(c.totalTime) + "</integer><key>Rating</key><integer>"
                + QByteArray::number(c.rating) + "</integer>"));
        EXPECT_EQ(s.getTime(), c.time);
        EXPECT_EQ(s.getRating(), c.stars);
    }
}

TEST(Song, LocationForms)
{
    const struct
    {
        QString url;
        QString path;
    } cases[] = {
        { u"file://localhost/Users/me/Music/a%20b.mp3"_s, u"/Users/me/Music/a b.mp3"_s },
        // Later libraries leave the host out; the path keeps its leading "/".
        { u"file:///Users/me/Music/a%20b.mp3"_s, u"/Users/me/Music/a b.mp3"_s },
        { u"file:///a.mp3"_s, u"/a.mp3"_s },
        { u"file://localhost/"_s, u"/"_s },
        { u"FILE://LocalHost/a.mp3"_s, u"/a.mp3"_s },
        { u"file:/a/b.mp3"_s, u"/a/b.mp3"_s },
        // A drive letter is the start of the path, not a folder below "/".
        { u"file://localhost/C:/Music/a.mp3"_s, u"C:/Music/a.mp3"_s },
        { u"file:///C:/Music/a.mp3"_s, u"C:/Music/a.mp3"_s },
        { u"file:///d:"_s, u"d:"_s },
        { u"file:///C:x/a.mp3"_s, u"/C:x/a.mp3"_s },
        // Files on another machine: its UNC path.
        { u"file://server/share/a.mp3"_s, u"//server/share/a.mp3"_s },
        { u"file://localhost//server/share/a%20b.mp3"_s, u"//server/share/a b.mp3"_s },
        { u"file:////server/share/a.mp3"_s, u"//server/share/a.mp3"_s },
        // Every escape of a valid UTF-8 sequence is decoded, one to four bytes, either case of hex digit.
        { u"file:///M/%C3%A9t%c3%a9.mp3"_s, u"/M/\u00e9t\u00e9.mp3"_s },
        { u"file:///M/%23%25%3F%2B.mp3"_s, u"/M/#%?+.mp3"_s },
        { u"file:///M/%E2%82%AC%F0%9F%8E%B5"_s, u"/M/\u20ac\U0001F3B5"_s },
        { u"file:///M/a+b.mp3"_s, u"/M/a+b.mp3"_s },
        { u"file:///M/%2520"_s, u"/M/%20"_s }, // decoded once only
        // No normalisation: a decomposed name stays decomposed.
        { u"file:///M/O%CC%88.mp3"_s, u"/M/O\u0308.mp3"_s },
        { u"file:///M/Ö.mp3"_s, u"/M/Ö.mp3"_s },
        // Escapes that are no valid UTF-8 stay as written, and so do the valid ones beside them.
        { u"file:///M/%FF%fe.mp3"_s, u"/M/%FF%fe.mp3"_s },
        { u"file:///M/%C3.mp3"_s, u"/M/%C3.mp3"_s },
        { u"file:///M/%C3%20"_s, u"/M/%C3 "_s },
        { u"file:///M/%C0%AF%ED%A0%80%F4%90%80%80"_s, u"/M/%C0%AF%ED%A0%80%F4%90%80%80"_s },
        { u"file:///M/%E2%82.%zz%4"_s, u"/M/%E2%82.%zz%4"_s },
        { u"file:///M/100%"_s, u"/M/100%"_s },
        { u"file:///M/%%41"_s, u"/M/%A"_s },
        // Anything but a "file:" URL is the library's own text, escapes and all.
        { u"http://stream.example.org/jazz%20radio"_s, u"http://stream.example.org/jazz%20radio"_s },
        { u"https://x.org/a?b=%C3%A9+c"_s, u"https://x.org/a?b=%C3%A9+c"_s },
        { u"%20%20x"_s, u"%20%20x"_s },
        { u"123456789012345678"_s, u"123456789012345678"_s },
        { QString(), QString() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        EXPECT_EQ(Song::locationFromURL(c.url), c.path);
    }
}
