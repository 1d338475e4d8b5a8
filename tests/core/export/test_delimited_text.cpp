#include "ExportTestSupport.h"
#include "core/export/DelimitedText.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

class DelimitedTextTest : public ExportTest
{
protected:
    void setDelimiter(qint64 index, bool padding)
    {
        env.store().setInteger(index, prDTDelimiter);
        env.store().setBool(padding, prDTPadding);
    }
    QString textFor(const SongList &songs) { return DelimitedText::makeText(Playlist(u"P"_s, songs)); }
};

Song::Values intro()
{
    Song::Values v;
    v.name = u"Intro"_s;
    v.artist = u"Band"_s;
    v.time = 245;
    v.discNumber = 1;
    return v;
}

TEST_F(DelimitedTextTest, WritesTheChosenFieldsBetweenDelimiters)
{
    env.setFields({ u"Name"_s, u"Artist"_s, u"Time"_s, u"Disc Number"_s }, { u"Name"_s });
    const Playlist playlist(u"P"_s, { makeSong(intro()) });

    setDelimiter(1, true);
    const QString padded = env.path(u"padded.txt"_s);
    DelimitedText::saveDTTo(padded, playlist);
    EXPECT_EQ(readFileBytes(padded), exportFixture("example-bar-padded.txt"));

    setDelimiter(0, false);
    const QString tab = env.path(u"tab.txt"_s);
    DelimitedText::saveDTTo(tab, playlist);
    EXPECT_EQ(readFileBytes(tab), exportFixture("example-tab.txt"));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

TEST_F(DelimitedTextTest, CellOfEachField)
{
    auto with = [](auto set) {
        Song::Values v;
        set(v);
        return v;
    };
    struct Case
    {
        QString title;
        Song::Values values;
        QString cell;
    };
    const Case cases[] = {
        // No quoting; only the tab, which would start a new column, becomes a space.
        { u"Name"_s, with([](Song::Values &v) { v.name = u"A|B\t\"C\""_s; }), u"A|B \"C\""_s },
        { u"Artist"_s, with([](Song::Values &v) { v.artist = u"Bj\u00f6rk"_s; }), u"Bj\u00f6rk"_s },
        { u"Album"_s, with([](Song::Values &v) { v.album = u"Debut"_s; }), u"Debut"_s },
        { u"Location"_s, with([](Song::Values &v) { v.location = u"/M/a b.mp3"_s; }), u"/M/a b.mp3"_s },
        { u"Genre"_s, with([](Song::Values &v) { v.genre = u"Pop"_s; }), u"Pop"_s },
        { u"Kind"_s, with([](Song::Values &v) { v.kind = u"AAC audio file"_s; }), u"AAC audio file"_s },
        { u"Composer"_s, with([](Song::Values &v) { v.composer = u"Bach"_s; }), u"Bach"_s },
        { u"Comments"_s, with([](Song::Values &v) { v.comments = u" spaced "_s; }), u" spaced "_s },
        { u"Time"_s, with([](Song::Values &v) { v.time = 0; }), QString() },
        { u"Time"_s, with([](Song::Values &v) { v.time = 59; }), u"0:59"_s },
        { u"Time"_s, with([](Song::Values &v) { v.time = 3600; }), u"60:00"_s },
        { u"Disc Number"_s, with([](Song::Values &) {}), u"? of ?"_s },
        { u"Disc Number"_s, with([](Song::Values &v) { v.discNumber = 2; }), u"2 of ?"_s },
        { u"Disc Number"_s, with([](Song::Values &v) { v.discCount = 3; }), u"? of 3"_s },
        { u"Disc Number"_s, with([](Song::Values &v) {
             v.discNumber = -1;
             v.discCount = 12;
         }),
            u"? of 12"_s },
        { u"Size"_s, with([](Song::Values &) {}), u"0 K"_s },
        { u"Size"_s, with([](Song::Values &v) { v.size = 500; }), u"0 K"_s },
        { u"Size"_s, with([](Song::Values &v) { v.size = 5000000; }), u"4.7 MB"_s },
        { u"Size"_s, with([](Song::Values &v) { v.size = 1073741824; }), u"1.0 GB"_s },
        // 2,684,354,560 bytes (2.5 GiB) kept in 32 bits: read as unsigned it still shows its true size.
        { u"Size"_s, with([](Song::Values &v) { v.size = -1610612736; }), u"2.5 GB"_s },
        { u"Rating"_s, with([](Song::Values &) {}), QString() },
        { u"Rating"_s, with([](Song::Values &v) { v.rating = 4; }), u"4"_s },
        { u"Year"_s, with([](Song::Values &) {}), QString() },
        { u"Year"_s, with([](Song::Values &v) { v.year = 1999; }), u"1999"_s },
        { u"PlayCount"_s, with([](Song::Values &v) { v.playcount = -2; }), u"-2"_s },
        { u"PlayCount"_s, with([](Song::Values &) {}), QString() },
        { u"TrackNumber"_s, with([](Song::Values &v) { v.trackNumber = 7; }), u"7"_s },
        { u"BPM"_s, with([](Song::Values &) {}), QString() },
        { u"SampleRate"_s, with([](Song::Values &v) { v.sampleRate = 44100; }), u"44100"_s },
        { u"BitRate"_s, with([](Song::Values &) {}), QString() },
        { u"BitRate"_s, with([](Song::Values &v) { v.bitRate = 320; }), u"320"_s },
        // Titles that name no column: "Disc Count" is shown only inside "Disc Number".
        { u"Disc Count"_s, with([](Song::Values &v) { v.discCount = 3; }), QString() },
        { u"Titel"_s, with([](Song::Values &v) { v.name = u"x"_s; }), QString() },
        { u"name"_s, with([](Song::Values &v) { v.name = u"x"_s; }), QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title.toStdString() + " -> " + c.cell.toStdString());
        env.setFields({ c.title }, { c.title });
        EXPECT_EQ(textFor({ makeSong(c.values) }), c.cell + u"\n"_s);
    }
}

TEST_F(DelimitedTextTest, DelimiterByIndexAndPadding)
{
    env.setFields({ u"Name"_s, u"Artist"_s, u"Album"_s }, {});
    Song::Values v;
    v.name = u"N"_s;
    v.artist = u"A"_s; // album left empty: still its own field
    const struct
    {
        qint64 index;
        bool padding;
        const char *line;
    } cases[] = {
        { 0, false, "N\tA\t\n" },
        { 1, false, "N|A|\n" },
        { 2, false, "N*A*\n" },
        { 3, false, "N,A,\r\n" },
        { 3, true, "N,A,\r\n" }, // CSV is never padded
        { 4, false, "N\tA\t\n" },
        { -1, false, "N\tA\t\n" },
        { 0, true, "N \t A \t \n" },
        { 1, true, "N | A | \n" },
        { 2, true, "N * A * \n" },
        { 99, true, "N \t A \t \n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << " padding " << c.padding);
        setDelimiter(c.index, c.padding);
        EXPECT_EQ(textFor({ makeSong(v) }), QString::fromUtf8(c.line));
    }
}

TEST_F(DelimitedTextTest, LineStructure)
{
    setDelimiter(1, false);
    const SongPtr song = makeSong(intro());

    env.setFields({ u"Name"_s }, { u"Name"_s });
    EXPECT_EQ(textFor({}), QString()); // no header line, zero bytes
    EXPECT_EQ(textFor({ song, song }), u"Intro\nIntro\n"_s);

    env.setFields({}, {});
    EXPECT_EQ(textFor({ song, song }), u"\n\n"_s);

    // A title that names no field keeps its column and its delimiters.
    env.setFields({ u"Name"_s, u"Nom"_s, u"Artist"_s }, { u"Name"_s });
    EXPECT_EQ(textFor({ song }), u"Intro||Band\n"_s);
}

TEST_F(DelimitedTextTest, EncodingSetting)
{
    env.setFields({ u"Name"_s }, {});
    const Playlist playlist(u"P"_s, { makeSong([] {
        Song::Values v;
        v.name = u"Bj\u00f6rk \u20ac"_s;
        return v;
    }()) });
    const struct
    {
        const char *setting;
        QByteArray bytes;
    } cases[] = {
        { "UTF-8", "Bj\xc3\xb6rk \xe2\x82\xac\n" },
        { "Latin-1 (ISO 8859-1)", "Bj\xf6rk ?\n" },
        { "ASCII", "Bj\\366rk \\u20ac\n" },
        { "Western (Mac OS Roman)", "Bj\xc3\xb6rk \xe2\x82\xac\n" }, // a title this version does not offer
        { "ascii", "Bj\xc3\xb6rk \xe2\x82\xac\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.setting);
        env.store().setObject(QString::fromUtf8(c.setting), prDTEncoding);
        const QString path = env.path(u"enc.txt"_s);
        DelimitedText::saveDTTo(path, playlist);
        EXPECT_EQ(readFileBytes(path), c.bytes);
    }
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

Song::Values fullSong(const QString &name, const QString &artist, int rating)
{
    Song::Values v;
    v.name = name;
    v.artist = artist;
    v.rating = rating;
    return v;
}

TEST_F(DelimitedTextTest, SortsByTheSortListThenRemovesDuplicates)
{
    // All eighteen columns, sorted by three keys, duplicates removed, "*" padded.
    const QStringList fields { u"Name"_s, u"Artist"_s, u"Album"_s, u"Location"_s, u"Genre"_s, u"Kind"_s, u"Composer"_s,
        u"Comments"_s, u"SampleRate"_s, u"Time"_s, u"BitRate"_s, u"Rating"_s, u"PlayCount"_s, u"TrackNumber"_s,
        u"Year"_s, u"BPM"_s, u"Disc Number"_s, u"Size"_s };
    env.setFields(fields, { u"Artist"_s, u"Rating"_s, u"Name"_s });
    setDelimiter(2, true);
    env.store().setBool(true, prDTRemoveDupes);

    Song::Values zebra = fullSong(u"Zebra"_s, u"Beta"_s, 3);
    zebra.album = u"Stripes"_s;
    zebra.location = u"/Music/zebra.mp3"_s;
    zebra.genre = u"Rock"_s;
    zebra.kind = u"MPEG audio file"_s;
    zebra.composer = u"Z"_s;
    zebra.sampleRate = 48000;
    zebra.time = 59;
    zebra.bitRate = 128;
    zebra.year = 1999;
    zebra.discNumber = 2;
    zebra.size = 1610612736;

    Song::Values apple = fullSong(u"Apple"_s, u"Beta"_s, 5);
    apple.album = u"Fruit"_s;
    apple.location = u"/Music/apple.m4a"_s;
    apple.genre = u"Pop"_s;
    apple.kind = u"AAC audio file"_s;
    apple.composer = u"Comp A"_s;
    apple.comments = u"crisp"_s;
    apple.sampleRate = 44100;
    apple.time = 200;
    apple.bitRate = 256;
    apple.playcount = 12;
    apple.trackNumber = 1;
    apple.year = 2004;
    apple.bpm = 98;
    apple.discNumber = 1;
    apple.discCount = 3;
    apple.size = 5000000;
    // Agrees with the first apple in every exported field; only its disc count (not compared) differs.
    Song::Values apple2 = apple;
    apple2.discCount = 2;

    Song::Values mango = fullSong(u"Mango"_s, u"Alpha"_s, 0);
    mango.size = 500;

    const Playlist playlist(u"P"_s, { makeSong(zebra), makeSong(apple), makeSong(mango), makeSong(apple2) });
    const QString path = env.path(u"all.txt"_s);
    DelimitedText::saveDTTo(path, playlist);
    // Apple sorts before its duplicate (same keys, playlist order kept), so it stays, with its "1 of 3".
    EXPECT_EQ(readFileBytes(path), exportFixture("all-fields-sorted-deduplicated.txt"));

    // Without removal both apples remain; with the library's order the playlist order stays.
    env.store().setBool(false, prDTRemoveDupes);
    EXPECT_EQ(DelimitedText::makeText(playlist).count(u'\n'), 4);
    env.store().setBool(true, priTunesOrdering);
    env.setFields({ u"Name"_s }, { u"Name"_s });
    EXPECT_EQ(DelimitedText::makeText(playlist), u"Zebra\nApple\nMango\nApple\n"_s);
    env.store().setBool(true, prDTRemoveDupes);
    EXPECT_EQ(DelimitedText::makeText(playlist), u"Zebra\nApple\nMango\n"_s);
}

TEST_F(DelimitedTextTest, LineBreaksInsideValuesBecomeSpaces)
{
    env.setFields({ u"Name"_s, u"Artist"_s, u"Comments"_s }, { u"Name"_s });
    setDelimiter(0, false);
    Song::Values live;
    live.name = u"Live\r\nat the Hall"_s;
    live.artist = u"The Band"_s;
    live.comments = u"first line\nsecond line"_s;
    Song::Values plain;
    plain.name = u"Plain"_s;
    plain.artist = u"A|B \"quoted\""_s;
    plain.comments = u"\nends with a break\r"_s;
    const QString path = env.path(u"breaks.txt"_s);
    DelimitedText::saveDTTo(path, Playlist(u"P"_s, { makeSong(plain), makeSong(live) }));
    EXPECT_EQ(readFileBytes(path), exportFixture("line-breaks.txt"));
}

TEST_F(DelimitedTextTest, TabsInsideValuesBecomeSpacesOnlyBetweenTabs)
{
    env.setFields({ u"Name"_s, u"Artist"_s }, {});
    Song::Values v;
    v.name = u"\ta\tb\t\tc"_s;
    v.artist = u"Bj\u00f6rk\t"_s;
    const Playlist playlist(u"P"_s, { makeSong(v) });
    const struct
    {
        const char *encoding;
        qint64 delimiter;
        QByteArray bytes;
    } cases[] = {
        { "UTF-8", 0, " a b  c\tBj\xc3\xb6rk \n" },
        { "Latin-1 (ISO 8859-1)", 0, " a b  c\tBj\xf6rk \n" },
        { "ASCII", 0, " a b  c\tBj\\366rk \n" },
        // Another delimiter cannot be confused with a tab: the bytes stay as they were.
        { "UTF-8", 1, "\ta\tb\t\tc|Bj\xc3\xb6rk\t\n" },
        { "Latin-1 (ISO 8859-1)", 2, "\ta\tb\t\tc*Bj\xf6rk\t\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.encoding << " delimiter " << c.delimiter);
        env.store().setObject(QString::fromUtf8(c.encoding), prDTEncoding);
        setDelimiter(c.delimiter, false);
        const QString path = env.path(u"tabs.txt"_s);
        DelimitedText::saveDTTo(path, playlist);
        EXPECT_EQ(readFileBytes(path), c.bytes);
    }
}

TEST_F(DelimitedTextTest, HeaderRowHoldsTheTitlesUnderTheSameRules)
{
    env.store().setBool(true, prDTHeaderRow);
    const SongPtr song = makeSong(intro());
    const struct
    {
        qint64 delimiter;
        bool padding;
        QStringList fields;
        const char *text;
    } cases[] = {
        { 0, false, { u"Name"_s, u"Artist"_s, u"Time"_s }, "Name\tArtist\tTime\nIntro\tBand\t4:05\n" },
        // Padding spaces the delimiters; it aligns nothing, so a title longer than its values changes no line.
        { 1, true, { u"Disc Number"_s, u"Name"_s }, "Disc Number | Name\n1 of ? | Intro\n" },
        // A title that names no field heads its empty column, flattened like a value.
        { 0, false, { u"Name"_s, u"Nom\tcourt"_s, u"Artist"_s }, "Name\tNom court\tArtist\nIntro\t\tBand\n" },
        { 2, false, { u"A\nB"_s }, "A B\n\n" },
        { 3, true, { u"Name"_s, u"Nom, pr\u00e9nom"_s, u"Time"_s },
            "Name,\"Nom, pr\u00e9nom\",Time\r\nIntro,,0:04:05\r\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        env.setFields(c.fields, {});
        setDelimiter(c.delimiter, c.padding);
        EXPECT_EQ(textFor({ song }), QString::fromUtf8(c.text));
    }
    // Without songs the header is all there is.
    env.setFields({ u"Name"_s, u"Artist"_s }, {});
    setDelimiter(0, false);
    EXPECT_EQ(textFor({}), u"Name\tArtist\n"_s);
    env.store().setBool(false, prDTHeaderRow);
    EXPECT_EQ(textFor({}), QString());
}

TEST_F(DelimitedTextTest, CSVQuotesAFieldOnlyWhenItMustAndKeepsItsLineBreaks)
{
    env.setFields({ u"Name"_s, u"Comments"_s }, {});
    setDelimiter(3, false);
    const struct
    {
        QString value;
        QString field;
    } cases[] = {
        { u"plain"_s, u"plain"_s },
        { u"a,b"_s, u"\"a,b\""_s },
        { u"say \"hi\""_s, u"\"say \"\"hi\"\"\""_s },
        { u"\""_s, u"\"\"\"\""_s },
        { u"a\rb"_s, u"\"a\rb\""_s },
        { u"a\nb"_s, u"\"a\nb\""_s },
        { u"a\r\nb"_s, u"\"a\r\nb\""_s },
        { u"\n"_s, u"\"\n\""_s },
        { u"  both ends  "_s, u"  both ends  "_s },
        { QString(), QString() },
        { u"tab\there|*;"_s, u"tab\there|*;"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value.toStdString());
        Song::Values v;
        v.name = c.value;
        v.comments = c.value;
        EXPECT_EQ(textFor({ makeSong(v) }), c.field + u',' + c.field + u"\r\n"_s);
    }
}

TEST_F(DelimitedTextTest, CSVWritesTimesAsDurationsAndEveryOtherFieldAsBefore)
{
    env.setFields({ u"Time"_s, u"Disc Number"_s, u"Size"_s, u"Rating"_s, u"Year"_s }, {});
    setDelimiter(3, false);
    const struct
    {
        int seconds;
        const char *time;
    } cases[] = { { 0, "" }, { 59, "0:00:59" }, { 198, "0:03:18" }, { 3600, "1:00:00" }, { 36062, "10:01:02" },
        { 360000, "100:00:00" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seconds);
        Song::Values v;
        v.time = c.seconds;
        v.discNumber = 1;
        v.size = 5000000;
        v.rating = 80;
        EXPECT_EQ(textFor({ makeSong(v) }), QString::fromUtf8(c.time) + u",1 of ?,4.7 MB,80,\r\n"_s);
    }
}

TEST_F(DelimitedTextTest, CSVInEachEncoding)
{
    env.setFields({ u"Name"_s, u"Artist"_s }, {});
    env.store().setBool(true, prDTHeaderRow);
    setDelimiter(3, false);
    Song::Values v;
    v.name = u"Bj\u00f6rk, \u20ac"_s;
    v.artist = u"\u00c9"_s;
    const Playlist playlist(u"P"_s, { makeSong(v) });
    const struct
    {
        const char *encoding;
        QByteArray bytes;
    } cases[] = {
        { "UTF-8", "Name,Artist\r\n\"Bj\xc3\xb6rk, \xe2\x82\xac\",\xc3\x89\r\n" },
        { "Latin-1 (ISO 8859-1)", "Name,Artist\r\n\"Bj\xf6rk, ?\",\xc9\r\n" },
        { "ASCII", "Name,Artist\r\n\"Bj\\366rk, \\u20ac\",\\311\r\n" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.encoding);
        env.store().setObject(QString::fromUtf8(c.encoding), prDTEncoding);
        const QString path = env.path(u"out.csv"_s);
        DelimitedText::saveDTTo(path, playlist);
        EXPECT_EQ(readFileBytes(path), c.bytes);
    }
}

TEST_F(DelimitedTextTest, AnUnwritableTargetShowsTheWriteError)
{
    env.setFields({ u"Name"_s }, {});
    DelimitedText::saveDTTo(env.path(u"missing/target.txt"_s), Playlist(u"P"_s, { makeSong(intro()) }));
    EXPECT_EQ(env.interaction().beeps, 1);
    EXPECT_EQ(env.interaction().alerts.size(), 1);
}

} // namespace
