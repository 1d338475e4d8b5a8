#include "StatusTexts.h"

#include "core/html/HTML.h"
#include "core/library/Playlist.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace StatusTexts {

namespace {

// The exporter refuses more pages than this, so no further page lies beyond it.
constexpr int maxPages = 75;

QString text(QLatin1StringView key)
{
    return Localization::localizedString(key);
}

// Counts read the same whatever the user's locale, like the exports themselves.
QString count(qint64 n)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

QString fromHome(const QString &path)
{
    const QString home = PathUtils::homeDirectory();
    if (!home.isEmpty() && home != "/"_L1 && path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

FileStamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return { path, false, {}, -1 };
    return { path, true, info.lastModified(), info.size() };
}

} // namespace

QString duration(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    if (seconds < 60)
        return text("DurationSeconds"_L1).arg(seconds);
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    if (hours == 0)
        return text("DurationMinutes"_L1).arg(minutes);
    if (minutes == 0)
        return text("DurationHours"_L1).arg(count(hours));
    return text("DurationHoursMinutes"_L1).arg(count(hours)).arg(minutes);
}

QString playlistSummary(const Playlist &playlist)
{
    const SongList songs = playlist.getSongs();
    if (songs.isEmpty())
        return text("NoSongs"_L1);
    qint64 seconds = 0;
    for (const SongPtr &song : songs)
        seconds += song->getTime();
    const QString number = songs.size() == 1 ? text("OneSong"_L1) : text("ManySongs"_L1).arg(count(songs.size()));
    return number + u", "_s + duration(seconds);
}

QString libraryStatus(const QString &path, qsizetype songs)
{
    const QString number = songs == 1 ? text("OneSong"_L1) : text("ManySongs"_L1).arg(count(songs));
    return fromHome(path) + u" \u2014 "_s + number;
}

QString wroteMessage(const QStringList &paths, bool pageSet)
{
    QStringList names;
    for (const QString &path : paths)
        names.append(PathUtils::lastPathComponent(path));
    if (names.isEmpty())
        return QString();
    if (!pageSet || names.size() == 1)
        return text("WroteFiles"_L1).arg(names.join(u", "_s));
    return text("WrotePages"_L1).arg(names.size()).arg(names.join(u", "_s));
}

QList<FileStamp> stampExportTargets(const QString &chosenPath, bool pageSet)
{
    const QString path = PathUtils::stringByStandardizingPath(chosenPath);
    QList<FileStamp> stamps;
    for (const QString &page : pageSet ? HTML::pagePaths(path, maxPages) : QStringList { path })
        stamps.append(stampOf(page));
    return stamps;
}

QStringList writtenSince(const QList<FileStamp> &before)
{
    QStringList written;
    for (const FileStamp &stamp : before) {
        const FileStamp now = stampOf(stamp.path);
        if (now.exists && now != stamp)
            written.append(stamp.path);
    }
    return written;
}

} // namespace StatusTexts
