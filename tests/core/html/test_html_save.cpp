#include "HTMLTestSupport.h"
#include "core/html/HTML.h"
#include "core/library/Playlist.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

SongList songsNamed(int count, const QString &album = QString())
{
    SongList songs;
    for (int i = 1; i <= count; ++i)
        songs.append(makeSong({ .album = album, .name = u"S"_s + QString::number(i) }));
    return songs;
}

QString loc(const char *key)
{
    return Localization::localizedString(QLatin1StringView(key));
}

class HTMLSaveTest : public HTMLTest
{
protected:
    void SetUp() override
    {
        setFields({ u"Name"_s });
        set(Preferences::priTunesOrdering, true);
        dir = env.path(u"site"_s);
        QDir().mkpath(dir);
    }

    QString file(const QString &name) const { return dir + u'/' + name; }

    QString dir;
};

TEST_F(HTMLSaveTest, PagePathsBesideTheChosenFile)
{
    EXPECT_EQ(HTML::pagePaths(u"/a/Sites/Mix.html"_s, 3),
        (QStringList { u"/a/Sites/Mix.html"_s, u"/a/Sites/Mix2.html"_s, u"/a/Sites/Mix3.html"_s }));
    EXPECT_EQ(HTML::pagePaths(u"/a/My.Mix.html"_s, 2), (QStringList { u"/a/My.Mix.html"_s, u"/a/My.Mix2.html"_s }));
    EXPECT_EQ(HTML::pagePaths(u"/a/Mix"_s, 2), (QStringList { u"/a/Mix"_s, u"/a/Mix2."_s }));
    EXPECT_EQ(HTML::pagePaths(u"/a/Mix.html"_s, 1), (QStringList { u"/a/Mix.html"_s }));
    EXPECT_TRUE(HTML::pagePaths(u"/a/Mix.html"_s, 0).isEmpty());
}

TEST_F(HTMLSaveTest, WritesEveryPageInUtf8)
{
    set(Preferences::prHTMLMaxSongsPerFile, 2);
    const Playlist playlist(u"Caf\u00e9 \u6771\u4eac \U0001F3B5"_s, songsNamed(5));
    HTML::saveHTMLTo(file(u"Mix.html"_s), playlist, false);

    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    ASSERT_EQ(folderEntries(dir), (QStringList { u"Mix.html"_s, u"Mix2.html"_s, u"Mix3.html"_s }));
    const QStringList expected
        = HTML::makeExportStrings(playlist.getSongs(), HTML::pagePaths(file(u"Mix.html"_s), 3), playlist.getName());
    ASSERT_EQ(expected.size(), 3);
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        const QByteArray bytes = readFileBytes(HTML::pagePaths(file(u"Mix.html"_s), 3)[k]);
        EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
        EXPECT_EQ(bytes, expected[k].toUtf8());
    }
}

TEST_F(HTMLSaveTest, ReplacesTheChosenFileWithoutAsking)
{
    writeFileBytes(file(u"Mix.html"_s), "old");
    HTML::saveHTMLTo(file(u"Mix.html"_s), Playlist(u"P"_s, songsNamed(2)), false);
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    EXPECT_TRUE(readFileBytes(file(u"Mix.html"_s)).startsWith("<!DOCTYPE"));
}

TEST_F(HTMLSaveTest, SeventyFivePagesAreWritten)
{
    set(Preferences::prHTMLMaxSongsPerFile, 10);
    HTML::saveHTMLTo(file(u"Mix.html"_s), Playlist(u"P"_s, songsNamed(750)), false);
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    const QStringList entries = folderEntries(dir);
    EXPECT_EQ(entries.size(), 75);
    EXPECT_TRUE(entries.contains(u"Mix75.html"_s));
    EXPECT_FALSE(entries.contains(u"Mix1.html"_s));
}

// The refusals: nothing is written, and every file that was there stays as it was.
TEST_F(HTMLSaveTest, RefusalsWriteNothing)
{
    struct Case
    {
        const char *label;
        Playlist playlist;
        bool albumBased;
        int perFile; // songs or albums per file
        QStringList existingFiles;
        bool existingFolder; // Mix2.html as a folder
        QString alertTitle; // empty: no alert at all
        QString alertMessage;
    };
    SongList seventySixAlbums;
    for (int i = 0; i < 76; ++i)
        seventySixAlbums.append(makeSong({ .album = u"A"_s + QString::number(i) }));
    const QString tooMany = loc("TooManyFilesErrorTitle");
    const QString exists = loc("FileExistsErrorTitle");
    const auto existsText = [](const QString &page) -> QString {
        return loc("FileExistsErrorText1") + page + loc("FileExistsErrorText2") + u"Mix.html\"."_s;
    };
    const Case cases[] = {
        { "no songs", Playlist(u"P"_s, {}), false, 0, {}, false, QString(), QString() },
        { "no album titles", Playlist(u"P"_s, songsNamed(3)), true, 0, {}, false, QString(), QString() },
        { "76 pages", Playlist(u"P"_s, songsNamed(760)), false, 10, {}, false, tooMany, loc("TooManyFilesErrorText") },
        { "76 album pages", Playlist(u"P"_s, seventySixAlbums), true, 1, {}, false, tooMany,
            loc("TooManyFilesErrorText") },
        { "a further page exists", Playlist(u"P"_s, songsNamed(3)), false, 1, { u"Mix3.html"_s }, false, exists,
            existsText(u"Mix3.html"_s) },
        { "the chosen file and a further page exist", Playlist(u"P"_s, songsNamed(3)), false, 1,
            { u"Mix.html"_s, u"Mix2.html"_s, u"Mix3.html"_s }, false, exists, existsText(u"Mix2.html"_s) },
        { "a folder in place of a further page", Playlist(u"P"_s, songsNamed(3)), false, 1, {}, true, exists,
            existsText(u"Mix2.html"_s) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        env.interaction().alerts.clear();
        set(Preferences::prHTMLMaxSongsPerFile, c.albumBased ? 0 : c.perFile);
        set(Preferences::prHTMLMaxAlbumsPerFile, c.albumBased ? c.perFile : 0);
        for (const QString &name : c.existingFiles)
            writeFileBytes(file(name), "keep");
        if (c.existingFolder)
            QDir().mkpath(file(u"Mix2.html"_s));
        const QStringList before = folderEntries(dir);

        HTML::saveHTMLTo(file(u"Mix.html"_s), c.playlist, c.albumBased);

        EXPECT_EQ(folderEntries(dir), before);
        for (const QString &name : c.existingFiles)
            EXPECT_EQ(readFileBytes(file(name)), "keep");
        EXPECT_EQ(env.interaction().beeps, 0);
        if (c.alertTitle.isEmpty()) {
            EXPECT_TRUE(env.interaction().alerts.isEmpty());
            continue;
        }
        ASSERT_EQ(env.interaction().alerts.size(), 1);
        const ScriptedInteraction::Alert &alert = env.interaction().alerts.first();
        EXPECT_EQ(str(alert.title), str(c.alertTitle));
        EXPECT_EQ(str(alert.message), str(c.alertMessage));
        EXPECT_EQ(str(alert.defaultButton), str(loc("OKButtonText")));
        EXPECT_TRUE(alert.alternateButton.isEmpty());
    }
}

TEST_F(HTMLSaveTest, WriteFailureShowsTheWriteError)
{
    HTML::saveHTMLTo(file(u"missing folder/Mix.html"_s), Playlist(u"P"_s, songsNamed(2)), false);
    EXPECT_EQ(env.interaction().beeps, 1);
    ASSERT_EQ(env.interaction().alerts.size(), 1);
    EXPECT_EQ(str(env.interaction().alerts.first().title), str(loc("WriteErrorTitle")));
    EXPECT_TRUE(folderEntries(dir).isEmpty());
}

// A further page's number lengthens its name; a name past the file system's limit is found before page 1 is
// written, so the set is never left half written.
TEST_F(HTMLSaveTest, APageNameThatDoesNotFitWritesNothing)
{
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    const struct
    {
        QString stem;
        int songs;
        bool written;
    } cases[] = {
        { QString(250, u'x'), 1, true }, // one page: exactly 255 bytes
        { QString(249, u'x'), 9, true }, // Name9.html is 255 bytes
        { QString(249, u'x'), 10, false }, // Name10.html is 256
        { QString(125, u'\u00e9'), 2, false }, // 250 bytes of UTF-8, 125 characters
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stem.size() * 100 + c.songs);
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        env.interaction().alerts.clear();
        HTML::saveHTMLTo(file(c.stem + u".html"_s), Playlist(u"P"_s, songsNamed(c.songs)), false);
        if (c.written) {
            EXPECT_TRUE(env.interaction().alerts.isEmpty());
            EXPECT_EQ(folderEntries(dir).size(), c.songs);
            continue;
        }
        EXPECT_TRUE(folderEntries(dir).isEmpty());
        ASSERT_EQ(env.interaction().alerts.size(), 1);
        EXPECT_EQ(str(env.interaction().alerts.first().title), str(loc("WriteErrorTitle")));
    }
}

TEST_F(HTMLSaveTest, ADanglingLinkInPlaceOfAFurtherPageIsRefused)
{
    set(Preferences::prHTMLMaxSongsPerFile, 1);
    ASSERT_TRUE(QFile::link(env.path(u"ghost.html"_s), file(u"Mix2.html"_s)));
    HTML::saveHTMLTo(file(u"Mix.html"_s), Playlist(u"P"_s, songsNamed(2)), false);
    ASSERT_EQ(env.interaction().alerts.size(), 1);
    EXPECT_EQ(str(env.interaction().alerts.first().title), str(loc("FileExistsErrorTitle")));
    EXPECT_FALSE(QFileInfo::exists(env.path(u"ghost.html"_s)));
    EXPECT_FALSE(QFileInfo::exists(file(u"Mix.html"_s)));
    EXPECT_TRUE(QFileInfo(file(u"Mix2.html"_s)).isSymLink());
}

// Song-based pages remove duplicates before the sort; album-based pages take the playlist as it is.
TEST_F(HTMLSaveTest, DuplicatesAndOrderOfTheSongList)
{
    const SongPtr b = makeSong({ .album = u"X"_s, .name = u"B"_s, .time = 1 });
    const SongPtr a = makeSong({ .album = u"X"_s, .name = u"A"_s, .time = 2 });
    const SongPtr bAgain = makeSong({ .album = u"X"_s, .name = u"B"_s, .time = 3 }); // differs in a field not shown
    const Playlist playlist(u"P"_s, { b, a, bAgain });
    set(Preferences::prHTMLShouldNumberRows, false);
    set(Preferences::prHTMLRemoveDupes, true);
    const auto rowsOf = [&](bool albumBased) {
        HTML::saveHTMLTo(file(u"Mix.html"_s), playlist, albumBased);
        const QString page = QString::fromUtf8(readFileBytes(file(u"Mix.html"_s)));
        QStringList names;
        const QString open = albumBased ? u"width=\"100%\">"_s : u"\"><td>"_s;
        for (qsizetype at = page.indexOf(open); at >= 0; at = page.indexOf(open, at + 1))
            names.append(page.mid(at + open.size(), 1));
        return names;
    };

    set(Preferences::priTunesOrdering, true);
    EXPECT_EQ(rowsOf(false), (QStringList { u"B"_s, u"A"_s }));
    set(Preferences::priTunesOrdering, false);
    env.setFields({ u"Name"_s }, { u"Name"_s });
    EXPECT_EQ(rowsOf(false), (QStringList { u"A"_s, u"B"_s }));
    set(Preferences::prHTMLRemoveDupes, false);
    EXPECT_EQ(rowsOf(false), (QStringList { u"A"_s, u"B"_s, u"B"_s }));
    set(Preferences::prHTMLRemoveDupes, true);
    EXPECT_EQ(rowsOf(true), (QStringList { u"B"_s, u"A"_s, u"B"_s }));
}

} // namespace
