// Times the text exports of a large master playlist against loading the library in the same run, and the
// duplicate removal at growing list sizes against the pairwise loop.
//
//     bench_export [--library FILE | --tracks N] [--repeat R] [--dedupe-only]
//
// Without --library a library of N tracks (default 50000) is generated with bench/generate_library.py.
// --dedupe-only skips the library and runs the duplicate removal figures alone.

#include "BenchSupport.h"
#include "core/export/Common.h"
#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/fields/FieldVocabulary.h"
#include "core/library/SongSort.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "support/ScriptedInteraction.h"

#include <QCoreApplication>
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

// The best of `repeat` runs, in seconds: the machine is shared, and the fastest run is the one least
// disturbed by others.
double timeIt(int repeat, const std::function<void()> &run)
{
    double best = 0;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        const double t = double(timer.nsecsElapsed()) / 1e9;
        if (i == 0 || t < best)
            best = t;
    }
    return best;
}

void row(const char *what, double seconds, double baseline, const char *baselineName)
{
    std::printf("  %-50s %9.4f s   %6.3f x %s\n", what, seconds, seconds / baseline, baselineName);
}

// n songs in which every tenth is a copy (in the exported fields) of an earlier one; the other fields vary.
SongList generatedSongs(int n)
{
    const int distinct = n - n / 10;
    SongList songs;
    songs.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int k = i % distinct;
        Song::Values v;
        v.name = u"Song %1"_s.arg(k);
        v.artist = u"Artist %1"_s.arg(k % 997);
        v.album = u"Album %1"_s.arg(k % 4999);
        v.genre = u"Genre %1"_s.arg(k % 23);
        v.time = 120 + k % 300;
        v.year = 1960 + k % 60;
        v.size = 3000000 + k;
        v.discNumber = 1 + k % 2;
        v.playcount = i; // not exported: the copies differ here
        songs.append(std::make_shared<const Song>(v));
    }
    return songs;
}

bool exportFigures(
    const QString &libraryPath, int repeat, const QTemporaryDir &dir, const ScriptedInteraction &interaction);
void dedupeFigures(const ExportChoices &choices, int repeat);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString libraryPath;
    int tracks = 50000;
    int repeat = 5;
    bool dedupeOnly = false;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--dedupe-only"_L1)
            dedupeOnly = true;
        else if (args[i] == "--library"_L1 && hasValue)
            libraryPath = args[++i];
        else if (args[i] == "--tracks"_L1 && hasValue)
            tracks = args[++i].toInt();
        else if (args[i] == "--repeat"_L1 && hasValue)
            repeat = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_export [--library FILE | --tracks N] [--repeat R] [--dedupe-only]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    if (libraryPath.isEmpty() && !dedupeOnly) {
        libraryPath = dir.filePath(u"iTunes Music Library.xml"_s);
        if (!BenchSupport::generateLibrary(libraryPath, tracks))
            return 1;
    }

    // The core's globals, as the front ends set them, over a throw-away settings file.
    BenchSupport::CoreGlobals globals(dir.filePath(u"settings.json"_s));
    UserDefaults &store = globals.store;
    ExportChoices &choices = globals.choices;
    ScriptedInteraction &interaction = globals.interaction;
    choices.getFieldOrder()
        = { u"Name"_s, u"Artist"_s, u"Album"_s, u"Time"_s, u"Genre"_s, u"Year"_s, u"Size"_s, u"Disc Number"_s };
    choices.getSortOrder() = { u"Artist"_s, u"Album"_s, u"Name"_s };
    store.setBool(false, Preferences::priTunesOrdering);
    store.setBool(true, Preferences::prDTRemoveDupes);
    store.setBool(true, Preferences::prDTPadding);

    std::printf("Best of %d runs.\n\n", repeat);
    if (!dedupeOnly && !exportFigures(libraryPath, repeat, dir, interaction))
        return 1;
    dedupeFigures(choices, repeat);
    return 0;
}

namespace {

bool exportFigures(
    const QString &libraryPath, int repeat, const QTemporaryDir &dir, const ScriptedInteraction &interaction)
{
    std::printf("Library: %s (%.1f MB)\n", qPrintable(libraryPath), double(QFileInfo(libraryPath).size()) / 1e6);

    // Baseline: reading the library file, as the application does at start.
    std::unique_ptr<XMLAccessor> accessor;
    const double load = timeIt(repeat, [&] { accessor = std::make_unique<XMLAccessor>(libraryPath); });
    const QStringList names = accessor->getPlaylistNames();
    if (names.isEmpty()) {
        std::fprintf(stderr, "the library has no playlists\n");
        return false;
    }
    // The master playlist is the library's first entry and holds every track.
    const QString master = names.first();
    std::optional<Playlist> playlist;
    const double build = timeIt(repeat, [&] { playlist = accessor->getPlaylist(master); });
    const SongList songs = playlist->getSongs();

    std::printf("Master playlist \"%s\": %lld songs\n", qPrintable(master), qlonglong(songs.size()));
    std::printf("Baseline: loading the library                %9.4f s\n\n", load);

    const QString dtPath = dir.filePath(u"export.txt"_s);
    const QString m3uPath = dir.filePath(u"export.m3u"_s);
    const double sort = timeIt(repeat, [&] {
        SongList copy = songs;
        SongSort::sortWithMainSort(copy);
    });
    SongList sorted = songs;
    SongSort::sortWithMainSort(sorted);
    const double dedupe = timeIt(repeat, [&] {
        SongList copy = sorted;
        Common::removeDuplicateSongsFromList(copy);
    });
    const double dtText = timeIt(repeat, [&] { DelimitedText::makeText(*playlist); });
    const double dt = timeIt(repeat, [&] { DelimitedText::saveDTTo(dtPath, *playlist); });
    const double m3uText = timeIt(repeat, [&] { M3U::makeText(*playlist); });
    const double m3u = timeIt(repeat, [&] { M3U::saveM3UTo(m3uPath, *playlist); });

    std::printf("Export of the master playlist (goal: at most 0.3 s beyond loading)\n");
    row("getPlaylist (new Song records)", build, load, "load");
    row("  delimited text: sort by 3 keys", sort, load, "load");
    row("  delimited text: duplicate removal (8 fields)", dedupe, load, "load");
    row("  delimited text: whole text (sort+dedupe+cells)", dtText, load, "load");
    row("delimited text: saveDTTo (text+UTF-8+write)", dt, load, "load");
    row("  M3U: whole text", m3uText, load, "load");
    row("M3U: saveM3UTo (text+UTF-8+write)", m3u, load, "load");
    row("getPlaylist + saveDTTo", build + dt, load, "load");
    row("getPlaylist + saveM3UTo", build + m3u, load, "load");
    std::printf("  written: %.1f MB delimited text, %.1f MB M3U; alerts: %lld\n\n",
        double(QFileInfo(dtPath).size()) / 1e6, double(QFileInfo(m3uPath).size()) / 1e6,
        qlonglong(interaction.alerts.size()));
    return true;
}

void dedupeFigures(const ExportChoices &choices, int repeat)
{
    // Duplicate removal: hashing against the pairwise loop, same fields, same lists.
    std::printf("Duplicate removal over %lld fields (every tenth song a duplicate)\n",
        qlonglong(choices.getFieldOrder().size()));
    const SongList list10k = generatedSongs(10000);
    SongList pairwiseResult = list10k;
    QElapsedTimer timer;
    timer.start();
    Common::removeDuplicateSongsPairwise(pairwiseResult);
    const double pairwise10k = double(timer.nsecsElapsed()) / 1e9;
    SongList hashedResult = list10k;
    Common::removeDuplicateSongsFromList(hashedResult);
    std::printf("  %-50s %9.4f s   (%lld kept; same result as hashing: %s)\n", "pairwise, 10k songs (baseline)",
        pairwise10k, qlonglong(pairwiseResult.size()), pairwiseResult == hashedResult ? "yes" : "NO");
    for (int n : { 2500, 5000 }) {
        const SongList list = generatedSongs(n);
        timer.restart();
        SongList copy = list;
        Common::removeDuplicateSongsPairwise(copy);
        const double t = double(timer.nsecsElapsed()) / 1e9;
        std::printf("  pairwise, %6d songs %37.4f s   %6.3f x pairwise 10k\n", n, t, t / pairwise10k);
    }
    // Per size, a second baseline: one pass that only reads the compared values of every song, the least any
    // removal must do. Past the processor's caches both grow alike; their ratio staying flat is linearity.
    std::printf("  %-25s %12s %12s %10s %10s %12s\n", "hashed removal", "time", "x pairwise", "ns/song", "read pass",
        "x read pass");
    const QList<std::optional<Field>> fields
        = FieldVocabulary::resolveTitles(choices.getFieldOrder(), FieldVocabulary::compareOrder());
    for (int n : { 10000, 50000, 100000, 200000 }) {
        const SongList list = generatedSongs(n);
        // Small sizes take a millisecond: run them more often, so that the best run is a quiet one.
        const int runs = std::max(repeat, 2000000 / n);
        const double t = timeIt(runs, [&] {
            SongList copy = list;
            Common::removeDuplicateSongsFromList(copy);
        });
        qint64 sink = 0;
        const double read = timeIt(runs, [&] {
            for (const SongPtr &song : list) {
                for (const std::optional<Field> &field : fields) {
                    if (!FieldVocabulary::info(*field).isText) {
                        sink += FieldVocabulary::numberValue(*song, *field);
                        continue;
                    }
                    for (const QChar ch : FieldVocabulary::textValue(*song, *field))
                        sink += ch.unicode();
                }
            }
        });
        std::printf("  %6d songs %24.4f s %12.5f %10.1f %8.4f s %12.2f%s\n", n, t, t / pairwise10k, t / n * 1e9, read,
            t / read, sink == 0 ? " " : "");
    }
}

} // namespace
