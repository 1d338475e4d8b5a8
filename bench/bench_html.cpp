// Times the HTML page sets of a large master playlist against loading the library in the same run: song-based
// pages at 1,000 songs per page with every field and links on, and album-based pages.
//
//     bench_html [--library FILE | --tracks N] [--repeat R]
//
// Without --library a library of N tracks (default 50000) is generated with bench/generate_library.py.

#include "BenchSupport.h"
#include "core/fields/FieldVocabulary.h"
#include "core/html/HTML.h"
#include "core/library/SongSort.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "support/ScriptedInteraction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The median of `repeat` runs, in seconds.
double timeIt(int repeat, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void row(const char *what, double seconds, double baseline, const char *baselineName)
{
    std::printf("  %-50s %9.4f s   %6.3f x %s\n", what, seconds, seconds / baseline, baselineName);
}

struct Written
{
    int files = 0;
    double megabytes = 0;
};

Written written(const QString &folder)
{
    Written w;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        ++w.files;
        w.megabytes += double(info.size()) / 1e6;
    }
    return w;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString libraryPath;
    int tracks = 50000;
    int repeat = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--library"_L1)
            libraryPath = args[i + 1];
        else if (args[i] == "--tracks"_L1)
            tracks = args[i + 1].toInt();
        else if (args[i] == "--repeat"_L1)
            repeat = std::max(1, args[i + 1].toInt());
    }

    QTemporaryDir dir;
    if (libraryPath.isEmpty()) {
        libraryPath = dir.filePath(u"iTunes Music Library.xml"_s);
        if (!BenchSupport::generateLibrary(libraryPath, tracks))
            return 1;
    }

    // The core's globals, as the front ends set them, over a throw-away settings file.
    BenchSupport::CoreGlobals globals(dir.filePath(u"settings.json"_s));
    UserDefaults &store = globals.store;
    ExportChoices &choices = globals.choices;
    ScriptedInteraction &interaction = globals.interaction;
    choices.getFieldOrder() = FieldVocabulary::offeredTitles(); // every field
    choices.getSortOrder() = { u"Artist"_s, u"Album"_s, u"Name"_s };
    store.setBool(false, Preferences::priTunesOrdering);
    store.setInteger(1000, Preferences::prHTMLMaxSongsPerFile);
    store.setInteger(0, Preferences::prHTMLMaxAlbumsPerFile);
    store.setBool(true, Preferences::prHTMLUseStars);
    store.setBool(true, Preferences::prHTMLAddWebServerLinks);
    store.setObject(u"/music"_s, Preferences::prWebServerPath);
    store.setObject(u"/Users/alex/Music/iTunes/iTunes Media"_s, Preferences::prMusicFolderPath);
    store.setObject(u"<p>Our collection &amp; more</p>"_s, Preferences::prHTMLHeader);

    std::printf("Library: %s (%.1f MB)\n", qPrintable(libraryPath), double(QFileInfo(libraryPath).size()) / 1e6);
    std::printf("Median of %d runs.\n\n", repeat);

    // Baseline: reading the library file, as the application does at start.
    std::unique_ptr<XMLAccessor> accessor;
    const double load = timeIt(repeat, [&] { accessor = std::make_unique<XMLAccessor>(libraryPath); });
    const QStringList names = accessor->getPlaylistNames();
    if (names.isEmpty()) {
        std::fprintf(stderr, "the library has no playlists\n");
        return 1;
    }
    // The master playlist is the library's first entry and holds every track.
    const QString master = names.first();
    std::optional<Playlist> playlist;
    const double build = timeIt(repeat, [&] { playlist = accessor->getPlaylist(master); });
    SongList sorted = playlist->getSongs();
    SongSort::sortWithMainSort(sorted);
    const int songPages = HTML::filesNeededSongs(int(sorted.size()));
    const int albumPages = HTML::filesNeededAlbums(int(playlist->getAlbums().size()));

    std::printf("Master playlist \"%s\": %lld songs, %lld albums; %lld fields, links on\n", qPrintable(master),
        qlonglong(sorted.size()), qlonglong(playlist->getAlbums().size()), qlonglong(choices.getFieldOrder().size()));
    std::printf("Baseline: loading the library            %9.4f s\n\n", load);

    int run = 0;
    const auto freshFolder = [&] {
        const QString folder = dir.filePath(u"run%1"_s.arg(++run));
        QDir().mkpath(folder);
        return folder;
    };

    const double sort = timeIt(repeat, [&] {
        SongList copy = playlist->getSongs();
        SongSort::sortWithMainSort(copy);
    });
    const QStringList songPaths = HTML::pagePaths(dir.filePath(u"Master.html"_s), songPages);
    const double rows = timeIt(repeat, [&] { HTML::getFileCenter(sorted); });
    const double songText = timeIt(repeat, [&] { HTML::makeExportStrings(sorted, songPaths, master); });
    QString lastSongFolder;
    const double songSave = timeIt(repeat, [&] {
        lastSongFolder = freshFolder();
        HTML::saveHTMLTo(lastSongFolder + u"/Master.html"_s, *playlist, false);
    });
    const Written songWritten = written(lastSongFolder);

    const QStringList albumPaths = HTML::pagePaths(dir.filePath(u"Albums.html"_s), albumPages);
    const double albumText = timeIt(repeat, [&] { HTML::makeAlbumBasedExportStrings(*playlist, albumPaths); });
    QString lastAlbumFolder;
    const double albumSave = timeIt(repeat, [&] {
        lastAlbumFolder = freshFolder();
        HTML::saveHTMLTo(lastAlbumFolder + u"/Albums.html"_s, *playlist, true);
    });
    const Written albumWritten = written(lastAlbumFolder);

    std::printf("HTML export of the master playlist (goal: at most 0.5 s beyond loading)\n");
    row("getPlaylist (new Song records)", build, load, "load");
    std::printf("  song-based, 1,000 songs per page: %d pages\n", songPages);
    row("  getFileCenter (every row, sorted list)", rows, load, "load");
    row("  makeExportStrings (rows + pages)", songText, load, "load");
    row("  sort by 3 keys (part of saveHTMLTo)", sort, load, "load");
    row("saveHTMLTo song-based (sort+pages+UTF-8+write)", songSave, load, "load");
    std::printf("  album-based: %d page(s)\n", albumPages);
    row("  makeAlbumBasedExportStrings", albumText, load, "load");
    row("saveHTMLTo album-based (pages+UTF-8+write)", albumSave, load, "load");
    row("getPlaylist + saveHTMLTo song-based", build + songSave, load, "load");
    row("getPlaylist + saveHTMLTo album-based", build + albumSave, load, "load");
    std::printf("  written: %d files, %.1f MB song-based; %d files, %.1f MB album-based; alerts: %lld\n",
        songWritten.files, songWritten.megabytes, albumWritten.files, albumWritten.megabytes,
        qlonglong(interaction.alerts.size()));
    return interaction.alerts.isEmpty() ? 0 : 1;
}
