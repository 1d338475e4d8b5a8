// Times the player playlist of a large master playlist, with two path mappings and NFC, against the plain M3U
// export of the same playlist in the same run: both the text alone and the save with its write.
//
//     bench_player_playlist [--library FILE | --tracks N] [--repeat R]
//
// Without --library a library of N tracks (default 50000) is generated with bench/generate_library.py. The
// digest of the written text is printed too, so a faster build can be checked to write the same bytes.

#include "BenchSupport.h"
#include "core/export/M3U.h"
#include "core/export/PlayerPlaylist.h"
#include "core/library/XMLAccessor.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The median of `repeat` runs, in seconds: on a shared machine one disturbed run moves it less than a mean.
double medianTime(int repeat, const std::function<void()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    const size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

void row(const char *what, double seconds, double baseline)
{
    std::printf("  %-46s %9.4f s   %6.3f x M3U\n", what, seconds, seconds / baseline);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString libraryPath;
    int tracks = 50000;
    int repeat = 7;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--library"_L1 && hasValue)
            libraryPath = args[++i];
        else if (args[i] == "--tracks"_L1 && hasValue)
            tracks = args[++i].toInt();
        else if (args[i] == "--repeat"_L1 && hasValue)
            repeat = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: bench_player_playlist [--library FILE | --tracks N] [--repeat R]\n");
            return 2;
        }
    }

    QTemporaryDir dir;
    if (libraryPath.isEmpty()) {
        libraryPath = dir.filePath(u"iTunes Music Library.xml"_s);
        if (!BenchSupport::generateLibrary(libraryPath, tracks))
            return 1;
    }
    BenchSupport::CoreGlobals globals(dir.filePath(u"settings.json"_s));

    const XMLAccessor accessor(libraryPath);
    const QStringList names = accessor.getPlaylistNames();
    if (names.isEmpty()) {
        std::fprintf(stderr, "the library has no playlists\n");
        return 1;
    }
    // The master playlist is the library's first entry and holds every track.
    const std::optional<Playlist> playlist = accessor.getPlaylist(names.first());
    std::printf("Library: %s (%.1f MB), master playlist: %lld songs\n", qPrintable(libraryPath),
        double(QFileInfo(libraryPath).size()) / 1e6, qlonglong(playlist->getSongs().size()));

    // Two rules that overlap, so every song is matched against both and the longer one wins.
    PlayerPlaylistOptions options;
    options.mappings = { { u"file://localhost/Users/alex/Music/iTunes/iTunes%20Media/"_s, u"/srv/media"_s },
        { u"/Users/alex/Music/iTunes/iTunes Media/Music"_s, u"/srv/music"_s } };
    options.normalization = PlayerPlaylistOptions::Normalization::NFC;

    const QString m3uPath = dir.filePath(u"export.m3u"_s);
    const QString m3u8Path = dir.filePath(u"export.m3u8"_s);
    const double m3uText = medianTime(repeat, [&] { M3U::makeText(*playlist); });
    const double m3u8Text = medianTime(repeat, [&] { PlayerPlaylist::makeText(*playlist, options, nullptr); });
    const double m3uSave = medianTime(repeat, [&] { M3U::saveM3UTo(m3uPath, *playlist); });
    PlayerPlaylistReport report;
    const double m3u8Save
        = medianTime(repeat, [&] { PlayerPlaylist::savePlayerPlaylistTo(m3u8Path, *playlist, options, &report); });

    std::printf(
        "Median of %d runs; baseline: the plain M3U export of the same playlist (goal: at most 1.2 x)\n", repeat);
    row("M3U: makeText (baseline)", m3uText, m3uText);
    row("m3u8, 2 mappings, NFC: makeText", m3u8Text, m3uText);
    row("M3U: saveM3UTo (baseline)", m3uSave, m3uSave);
    row("m3u8, 2 mappings, NFC: savePlayerPlaylistTo", m3u8Save, m3uSave);
    const QByteArray written = QCryptographicHash::hash(
        PlayerPlaylist::makeText(*playlist, options, nullptr).toUtf8(), QCryptographicHash::Sha256);
    std::printf("  %s\n  written: %.1f MB M3U, %.1f MB m3u8; sha256 of the m3u8 text %s; alerts: %lld\n",
        qPrintable(report.summary()), double(QFileInfo(m3uPath).size()) / 1e6, double(QFileInfo(m3u8Path).size()) / 1e6,
        written.toHex().constData(), qlonglong(globals.interaction.alerts.size()));
    return 0;
}
