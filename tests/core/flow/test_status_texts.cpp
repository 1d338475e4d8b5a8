// The window's lines about the open library, the selected playlist and the last export.
#include "core/flow/StatusTexts.h"
#include "core/library/Playlist.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(StatusTexts, DurationsInWholeUnits)
{
    const struct
    {
        qint64 seconds;
        QString text;
    } cases[] = {
        { 0, u"0 s"_s },
        { 59, u"59 s"_s },
        { 60, u"1 min"_s },
        { 3599, u"59 min"_s },
        { 3600, u"1 h"_s },
        { 5640 + 59, u"1 h 34 min"_s },
        { 100 * 3600 + 60, u"100 h 1 min"_s },
        { 2000 * 3600, u"2,000 h"_s },
        { -5, u"0 s"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(StatusTexts::duration(c.seconds), c.text) << c.seconds;
}

TEST(StatusTexts, PlaylistSummaryCountsSongsAndAddsTheirTimes)
{
    CoreEnvironment env;
    SongList songs;
    for (int i = 0; i < 23; ++i) {
        Song::Values values;
        values.time = 245 + (i == 0 ? 5 : 0); // 23 × 245 s + 5 s = 1 h 34 min
        songs.append(makeSong(values));
    }
    EXPECT_EQ(StatusTexts::playlistSummary(Playlist(u"Mix"_s, songs)), u"23 songs, 1 h 34 min"_s);
    EXPECT_EQ(StatusTexts::playlistSummary(Playlist(u"One"_s, songs.first(1))), u"1 song, 4 min"_s);
    EXPECT_EQ(StatusTexts::playlistSummary(Playlist(u"None"_s, {})), u"No songs"_s);
}

TEST(StatusTexts, LibraryStatusShowsThePathFromHome)
{
    CoreEnvironment env;
    EXPECT_EQ(StatusTexts::libraryStatus(env.home() + u"/Music/Library.xml"_s, 1234),
        u"~/Music/Library.xml \u2014 1,234 songs"_s);
    EXPECT_EQ(StatusTexts::libraryStatus(u"/srv/lib.xml"_s, 1), u"/srv/lib.xml \u2014 1 song"_s);
    // A folder that merely starts like the home folder is not inside it.
    EXPECT_EQ(StatusTexts::libraryStatus(env.home() + u"x/l.xml"_s, 0), env.home() + u"x/l.xml \u2014 0 songs"_s);
}

TEST(StatusTexts, WrittenFilesAreThoseThatChanged)
{
    CoreEnvironment env;
    const QString dir = env.path(u"out"_s);
    QDir().mkpath(dir);
    writeFileBytes(dir + u"/Mix.html"_s, "old");
    writeFileBytes(dir + u"/Mix3.html"_s, "someone else's");

    const auto before = StatusTexts::stampExportTargets(dir + u"/Mix.html"_s, true);
    EXPECT_TRUE(StatusTexts::writtenSince(before).isEmpty());
    writeFileBytes(dir + u"/Mix.html"_s, "new page one");
    writeFileBytes(dir + u"/Mix2.html"_s, "page two");
    const QStringList written = StatusTexts::writtenSince(before);
    EXPECT_EQ(written, QStringList({ dir + u"/Mix.html"_s, dir + u"/Mix2.html"_s }));
    EXPECT_EQ(StatusTexts::wroteMessage(written, true), u"Wrote 2 pages: Mix.html, Mix2.html"_s);
    EXPECT_EQ(StatusTexts::wroteMessage(written.first(1), true), u"Wrote Mix.html"_s);

    // A single file looks only at itself.
    const auto single = StatusTexts::stampExportTargets(dir + u"/Mix.txt"_s, false);
    ASSERT_EQ(single.size(), 1);
    writeFileBytes(dir + u"/Mix.txt"_s, "a\tb");
    EXPECT_EQ(StatusTexts::wroteMessage(StatusTexts::writtenSince(single), false), u"Wrote Mix.txt"_s);
    EXPECT_TRUE(StatusTexts::wroteMessage({}, false).isEmpty());
}
