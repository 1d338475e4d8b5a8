// libFuzzer target over everything an export runs: the bytes are written to a file and read the way the
// programs read a library (XMLAccessor on the file), then every playlist goes through every exporter into
// memory, under two contrasting sets of settings. "No crash, no sanitizer report, no hang" is the check. The
// same entry point replays the reader's fixtures and the sample library in the unit tests
// (tests/core/flow/test_fuzz_library_replay.cpp).

#include "core/export/Common.h"
#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/export/PlayerPlaylist.h"
#include "core/export/PlayerPlaylistSettings.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
#include "core/library/SongSort.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/settings/ScopedCoreGlobals.h"
#include "support/ScriptedInteraction.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// Past this many songs a fuzzed library only makes the run slow, not the search better.
constexpr qsizetype kMaxSongsExported = 2000;

// The song pages as saveHTMLTo() builds them, without writing them.
void buildPages(const Playlist &playlist, bool albumBased)
{
    const QString first = QDir::tempPath() + u"/fuzz-page.html"_s;
    if (albumBased) {
        const int pages = HTML::filesNeededAlbums(int(playlist.getAlbums().size()));
        if (pages > 0 && pages <= HTML::maxPageFiles)
            (void)HTML::makeAlbumBasedExportStrings(playlist, HTML::pagePaths(first, pages));
        return;
    }
    SongList songs = playlist.getSongs();
    if (Preferences::boolFor(Preferences::prHTMLRemoveDupes))
        Common::removeDuplicateSongsFromList(songs);
    if (!Preferences::boolFor(Preferences::priTunesOrdering))
        SongSort::sortWithMainSort(songs);
    const int pages = HTML::filesNeededSongs(int(songs.size()));
    if (pages > 0 && pages <= HTML::maxPageFiles)
        (void)HTML::makeExportStrings(songs, HTML::pagePaths(first, pages), playlist.getName());
}

void exportEverything(const XMLAccessor &library, UserDefaults &store)
{
    const PlayerPlaylistOptions options = PlayerPlaylistSettings::optionsFrom(store);
    const bool albumBased = store.boolForKey(QString(Preferences::prHTMLAlbumBased));
    (void)library.getPlaylistNames();
    (void)library.getPlaylistSummaries();
    (void)library.musicFolder();
    library.forEachPlaylist([&](const Playlist &playlist) {
        if (playlist.getSongs().size() > kMaxSongsExported)
            return;
        (void)DelimitedText::makeText(playlist);
        (void)M3U::makeText(playlist);
        (void)QTSS::makeText(playlist);
        PlayerPlaylistReport report;
        (void)PlayerPlaylist::makeText(playlist, options, &report);
        buildPages(playlist, false);
        if (albumBased)
            buildPages(playlist, true);
    });
}

// Defaults; then every field, sorted by three keys, duplicates removed, padding, CSV with a header row, links,
// album blocks, one song and one album a page, relative player paths below a mapping.
void setContrasting(UserDefaults &store, ExportChoices &choices)
{
    const QStringList allFields { u"Name"_s, u"Artist"_s, u"Album"_s, u"Genre"_s, u"Location"_s, u"SampleRate"_s,
        u"Time"_s, u"BitRate"_s, u"Rating"_s, u"PlayCount"_s, u"TrackNumber"_s, u"Composer"_s, u"Comments"_s, u"Year"_s,
        u"Kind"_s, u"BPM"_s, u"Disc Number"_s, u"Size"_s };
    store.setObject(allFields, QString(Preferences::prFieldOrder));
    store.setObject(QStringList { u"Artist"_s, u"Year"_s, u"Name"_s }, QString(Preferences::prSortOrder));
    store.setBool(true, QString(Preferences::prDTRemoveDupes));
    store.setBool(true, QString(Preferences::prDTPadding));
    store.setInteger(3, QString(Preferences::prDTDelimiter)); // CSV
    store.setBool(true, QString(Preferences::prDTHeaderRow));
    store.setBool(true, QString(Preferences::prHTMLRemoveDupes));
    store.setBool(true, QString(Preferences::prHTMLAddWebServerLinks));
    store.setObject(u"/Users"_s, QString(Preferences::prMusicFolderPath));
    store.setObject(u"http://example.com/music"_s, QString(Preferences::prWebServerPath));
    store.setBool(true, QString(Preferences::prHTMLUseStars));
    store.setBool(true, QString(Preferences::prHTMLAlbumBased));
    store.setInteger(1, QString(Preferences::prHTMLMaxSongsPerFile));
    store.setInteger(1, QString(Preferences::prHTMLMaxAlbumsPerFile));
    store.setObject(u"<b>Header & \"more\"</b>"_s, QString(Preferences::prHTMLHeader));
    store.setObject(QStringList { u"/Users=smb://nas/music"_s }, QString(Preferences::prPPMappings));
    store.setObject(u"relative"_s, QString(Preferences::prPPPaths));
    store.setObject(u"/music/lists"_s, QString(Preferences::prPPDir));
    store.setObject(u"nfd"_s, QString(Preferences::prPPUnicode));
    store.setObject(u"crlf"_s, QString(Preferences::prPPLineEnd));
    store.setObject(u"include"_s, QString(Preferences::prPPStreams));
    choices.fillFromSettings(store);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString path = dir.filePath(u"iTunes Music Library.xml"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    const XMLAccessor library(path);
    for (int set = 0; set < 2; ++set) {
        UserDefaults store;
        store.setPersistent(false);
        Preferences::registerDefaults(store);
        ScriptedInteraction interaction;
        ExportChoices choices;
        if (set == 0)
            choices.fillFromSettings(store);
        else
            setContrasting(store, choices);
        const ScopedCoreGlobals globals(store, interaction, &choices);
        exportEverything(library, store);
    }
    return 0;
}
