// Load benchmark: reads a generated iTunes library with readPropertyList and lists its playlists (every
// "Name" of "Playlists"), against Python's plistlib doing the same with the same file in the same run.
// Every measurement runs in a process of its own, so that peak resident memory (ru_maxrss) is that of one
// reader and no run profits from memory an earlier one left behind. The page cache is warmed first.
//
//   bench_load [--sizes 50000,200000] [--runs 5] [--py-runs 3] [--workdir DIR] [--python python3] [FILE...]
//
// Libraries are generated into the work directory (the build directory by default) by
// bench/generate_library.py when missing.

#include "core/plist/PropertyList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const char *const kPlistlibScript = R"(
import plistlib, resource, sys, time
t = time.perf_counter()
with open(sys.argv[1], 'rb') as f:
    d = plistlib.load(f)
names = [p.get('Name') for p in d.get('Playlists', [])]
t = time.perf_counter() - t
print(f"{t:.6f} {resource.getrusage(resource.RUSAGE_SELF).ru_maxrss} {len(names)} {len(d.get('Tracks', {}))}")
)";

long peakKb()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kilobytes on Linux
}

// One load, as the application does it: read, then walk the playlists and read every name.
int child(const QString &path)
{
    const auto start = std::chrono::steady_clock::now();
    const auto plist = readPropertyList(path);
    if (!plist) {
        std::fprintf(stderr, "unreadable: %s\n", qPrintable(path));
        return 1;
    }
    const PlistValue playlists = plist->root().value(u"Playlists");
    QStringList names;
    for (qsizetype i = 0; i < playlists.count(); ++i)
        names.append(playlists.valueAt(i).value(u"Name").toString());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const qsizetype tracks = plist->root().value(u"Tracks").count();
    std::printf("%.6f %ld %lld %lld\n", seconds, peakKb(), qlonglong(names.size()), qlonglong(tracks));
    return 0;
}

struct Sample
{
    double seconds = 0;
    double peakMb = 0;
    long long playlists = 0;
    long long tracks = 0;
};

bool runOnce(const QString &program, const QStringList &args, Sample *out)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "failed: %s %s\n", qPrintable(program), qPrintable(args.join(u' ')));
        return false;
    }
    const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
    if (f.size() != 4)
        return false;
    out->seconds = f[0].toDouble();
    out->peakMb = f[1].toDouble() / 1024.0;
    out->playlists = f[2].toLongLong();
    out->tracks = f[3].toLongLong();
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Result
{
    double seconds;
    double peakMb;
    Sample last;
};

bool measure(const QString &program, const QStringList &args, int runs, Result *r)
{
    std::vector<double> times, peaks;
    for (int i = 0; i < runs; ++i) {
        if (!runOnce(program, args, &r->last))
            return false;
        times.push_back(r->last.seconds);
        peaks.push_back(r->last.peakMb);
    }
    r->seconds = median(times);
    r->peakMb = *std::max_element(peaks.begin(), peaks.end());
    return true;
}

void warm(const QString &path)
{
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        while (!f.read(1 << 20).isEmpty()) { }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QList<int> sizes { 50'000, 200'000 };
    int runs = 5, pyRuns = 3;
    QString workdir = QStringLiteral(SETLISTRY_BENCH_WORKDIR);
    QString python = u"python3"_s;
    QStringList files;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const QString v = a.startsWith(u"--"_s) && !args.isEmpty() ? args.first() : QString();
        if (a == u"--sizes"_s) {
            sizes.clear();
            for (const QString &s : v.split(u',', Qt::SkipEmptyParts))
                sizes.append(s.toInt());
            args.removeFirst();
        } else if (a == u"--runs"_s) {
            runs = std::max(1, v.toInt());
            args.removeFirst();
        } else if (a == u"--py-runs"_s) {
            pyRuns = std::max(0, v.toInt());
            args.removeFirst();
        } else if (a == u"--workdir"_s) {
            workdir = v;
            args.removeFirst();
        } else if (a == u"--python"_s) {
            python = v;
            args.removeFirst();
        } else if (a.startsWith(u"--"_s)) {
            std::fprintf(stderr,
                "usage: bench_load [--sizes N,...] [--runs N] [--py-runs N] [--workdir DIR] "
                "[--python PY] [FILE...]\n");
            return 2;
        } else {
            files.append(a);
        }
    }
    if (files.isEmpty()) {
        for (const int n : sizes) {
            const QString path = workdir + u"/library-"_s + QString::number(n) + u".xml"_s;
            if (!QFileInfo::exists(path)) {
                std::printf("generating %s ...\n", qPrintable(path));
                std::fflush(stdout);
                const int rc = QProcess::execute(python,
                    { QStringLiteral(SETLISTRY_BENCH_GENERATOR), u"--tracks"_s, QString::number(n), u"--out"_s, path });
                if (rc != 0)
                    return 1;
            }
            files.append(path);
        }
    }

    const QString self = app.applicationFilePath();
    int failures = 0;
    for (const QString &path : files) {
        warm(path);
        const double fileMb = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
        Result ours {}, theirs {};
        if (!measure(self, { u"--child"_s, path }, runs, &ours))
            return 1;
        const bool withPython
            = pyRuns > 0 && measure(python, { u"-c"_s, QString::fromUtf8(kPlistlibScript), path }, pyRuns, &theirs);
        std::printf("\n%s: %.1f MiB, %lld tracks, %lld playlists\n", qPrintable(QFileInfo(path).fileName()), fileMb,
            ours.last.tracks, ours.last.playlists);
        std::printf("  %-22s %10s %6s %12s %10s\n", "reader", "median s", "runs", "peak RSS MiB", "RSS/file");
        std::printf("  %-22s %10.3f %6d %12.1f %10.2f\n", "readPropertyList", ours.seconds, runs, ours.peakMb,
            ours.peakMb / fileMb);
        if (withPython) {
            std::printf("  %-22s %10.3f %6d %12.1f %10.2f\n", "python3 plistlib", theirs.seconds, pyRuns, theirs.peakMb,
                theirs.peakMb / fileMb);
            std::printf("  ratio: readPropertyList is %.1fx faster than plistlib\n", theirs.seconds / ours.seconds);
            if (theirs.last.playlists != ours.last.playlists || theirs.last.tracks != ours.last.tracks) {
                std::printf("  MISMATCH: plistlib saw %lld tracks, %lld playlists\n", theirs.last.tracks,
                    theirs.last.playlists);
                ++failures;
            }
        }
        // The goal: 0.5 s per 50,000 tracks (2 s for 200,000), 1.2x the file in memory, 15x plistlib.
        const double limit = ours.last.tracks > 100'000 ? 2.0 : 0.5;
        const bool met = ours.seconds <= limit && ours.peakMb <= 1.2 * fileMb
            && (!withPython || theirs.seconds >= 15 * ours.seconds);
        std::printf("  goal (<= %.1f s, RSS <= 1.2x file%s): %s\n", limit, withPython ? ", >= 15x plistlib" : "",
            met ? "met" : "NOT met");
    }
    return failures ? 1 : 0;
}
