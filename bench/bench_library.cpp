// Builds the master playlist of a generated library with its albums and sorts it by "Artist", "Album",
// "TrackNumber"; then does the same the straightforward way (albums found by a linear scan over the albums so
// far, the sort entries' fields looked up at every comparison) and prints both with the ratio.
//
//     bench_library [--tracks N] [--library FILE] [--runs R]

#include "BenchSupport.h"
#include "core/library/SongSort.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "support/ScriptedInteraction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString generate(int tracks)
{
    const QString path = u"/tmp/setlistry-bench-%1.xml"_s.arg(tracks);
    if (!QFile::exists(path)) {
        std::printf("generating %d tracks into %s\n", tracks, qPrintable(path));
        BenchSupport::generateLibrary(path, tracks);
    }
    return path;
}

// The straightforward forms, kept here as the baseline.
AlbumList groupByLinearScan(const SongList &songs)
{
    AlbumList albums;
    for (const SongPtr &song : songs) {
        if (song->getAlbum().isEmpty())
            continue;
        auto it = std::find_if(
            albums.begin(), albums.end(), [&](const SongList &a) { return a.first()->getAlbum() == song->getAlbum(); });
        if (it == albums.end())
            albums.append(SongList { song });
        else
            it->append(song);
    }
    for (SongList &album : albums)
        SongSort::sortByTrackNumber(album);
    return albums;
}

void sortLookingUpTitlesEveryTime(SongList &songs)
{
    SongSort::mergeSort(songs, [](const SongPtr &a, const SongPtr &b) { return a->mainSort(*b); });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int tracks = 200000;
    int runs = 5;
    QString library;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--tracks"_s)
            tracks = args[i + 1].toInt();
        else if (args[i] == u"--library"_s)
            library = args[i + 1];
        else if (args[i] == u"--runs"_s)
            runs = args[i + 1].toInt();
    }
    if (library.isEmpty())
        library = generate(tracks);

    BenchSupport::CoreGlobals globals;
    globals.choices.getSortOrder() = { u"Artist"_s, u"Album"_s, u"TrackNumber"_s };

    QElapsedTimer timer;
    timer.start();
    const XMLAccessor accessor(library);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    const QString master = accessor.getPlaylistNames().value(0);
    if (!accessor.getPlaylist(master)) {
        std::fprintf(stderr, "no playlist in %s\n", qPrintable(library));
        return 1;
    }

    std::vector<double> build, sort, baseBuild, baseSort;
    qsizetype songCount = 0, albumCount = 0;
    for (int r = 0; r < runs; ++r) {
        timer.restart();
        const auto playlist = accessor.getPlaylist(master);
        build.push_back(double(timer.nsecsElapsed()) / 1e6);
        SongList songs = playlist->getSongs();
        songCount = songs.size();
        albumCount = playlist->getAlbums().size();
        timer.restart();
        SongSort::sortWithMainSort(songs);
        sort.push_back(double(timer.nsecsElapsed()) / 1e6);

        // Baseline: the same songs, grouped and sorted the straightforward way.
        const SongList original = playlist->getSongs();
        timer.restart();
        const AlbumList albums = groupByLinearScan(original);
        baseBuild.push_back(build.back() + double(timer.nsecsElapsed()) / 1e6);
        SongList copy = original;
        timer.restart();
        sortLookingUpTitlesEveryTime(copy);
        baseSort.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (albums.size() != albumCount || copy != songs)
            std::printf("MISMATCH between the two forms\n");
    }

    std::printf("library: %s (%lld songs in the master playlist, %lld albums), loaded in %.0f ms\n",
        qPrintable(library), qlonglong(songCount), qlonglong(albumCount), loadMs);
    std::printf("%-44s %10s %10s %10s\n", "median of runs (ms)", "build", "sort", "total");
    const double b = median(build), s = median(sort), bb = median(baseBuild), bs = median(baseSort);
    std::printf("%-44s %10.1f %10.1f %10.1f\n", "setlistry (hashed albums, fields resolved)", b, s, b + s);
    std::printf("%-44s %10.1f %10.1f %10.1f\n", "baseline (linear album scan, titles per cmp)", bb, bs, bb + bs);
    std::printf(
        "ratio baseline/setlistry: build %.1fx, sort %.1fx, total %.1fx\n", bb / b, bs / s, (bb + bs) / (b + s));
    return 0;
}
