// The player playlist tab's preview, which shows what the export will write before it runs.
#include "core/flow/PlayerPlaylistPreview.h"
#include "core/library/XMLAccessor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Options = PlayerPlaylistOptions;
using Row = PlayerPlaylistPreview::Row;

SongPtr at(const QString &location)
{
    Song::Values v;
    v.name = u"n"_s;
    v.location = location;
    return makeSong(v);
}

TEST(PlayerPlaylistPreviewTest, EachRowIsTheEntryTheExportWrites)
{
    CoreEnvironment env;
    const Playlist playlist(u"Mix"_s,
        { at(u"/Users/a/Music/A/1.mp3"_s), at(QString()), at(u"http://radio/x"_s), at(u"/Volumes/B/2.mp3"_s),
            at(u"/Users/a/Music/C/3.mp3"_s), at(u"/Users/a/Music/D/4.mp3"_s) });
    Options options;
    options.mappings = { { u"/Users/a/Music"_s, u"E:\\Music"_s } };
    options.lineEnd = Options::LineEnd::CRLF;

    const PlayerPlaylistPreview preview = PlayerPlaylistPreview::of(playlist, options, 5);
    EXPECT_EQ(preview.rows,
        (QList<Row> { { u"/Users/a/Music/A/1.mp3"_s, u"E:\\Music\\A\\1.mp3"_s }, { QString(), QString() },
            { u"http://radio/x"_s, QString() }, { u"/Volumes/B/2.mp3"_s, QString() },
            { u"/Users/a/Music/C/3.mp3"_s, u"E:\\Music\\C\\3.mp3"_s } }));
    // The counts are of the whole playlist, not of the rows shown.
    EXPECT_EQ(preview.report.summary(),
        u"\"Mix\": wrote 3 of 6 songs; skipped 1 without a file, 1 stream, 1 outside the path mappings"_s);

    options.includeStreams = true;
    options.mappings.clear();
    const PlayerPlaylistPreview all = PlayerPlaylistPreview::of(playlist, options, 100);
    ASSERT_EQ(all.rows.size(), 6);
    EXPECT_EQ(all.rows[2].after, u"http://radio/x"_s);
    EXPECT_EQ(all.rows[3].after, u"/Volumes/B/2.mp3"_s);
    EXPECT_TRUE(PlayerPlaylistPreview::of(playlist, options, 0).rows.isEmpty());
}

TEST(PlayerPlaylistPreviewTest, TheLibrarysMusicFolderIsOfferedAsTheFirstMapping)
{
    CoreEnvironment env;
    const XMLAccessor library(sampleLibraryPath());
    EXPECT_EQ(library.musicFolder(), u"/Users/alex/Music/iTunes/iTunes Music/"_s);
    EXPECT_EQ(
        PlayerPlaylistPreview::offeredMappingFrom(library.musicFolder()), u"/Users/alex/Music/iTunes/iTunes Music"_s);
    for (const auto &[folder, offered] : { std::pair { u"C:\\Music\\"_s, u"C:\\Music"_s }, std::pair { u"/"_s, u"/"_s },
             std::pair { QString(), QString() } })
        EXPECT_EQ(PlayerPlaylistPreview::offeredMappingFrom(folder), offered);
}

} // namespace
