#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Playlist;

// The main window's lines about what is open and what was done: the summary under the playlist selector and
// the status bar's texts. Widget-free, so they are tested without a display.
namespace StatusTexts {

// "1 h 34 min", "34 min", "45 s"; whole units, the seconds dropped from a minute on.
QString duration(qint64 seconds);
// What an export of `playlist` holds: "23 songs, 1 h 34 min", "1 song, 3 min", "No songs".
QString playlistSummary(const Playlist &playlist);
// "~/Music/iTunes/iTunes Music Library.xml — 1,234 songs": the file shown from the home folder on.
QString libraryStatus(const QString &path, qsizetype songs);
// "Wrote Library.txt", "Wrote 2 pages: Library.html, Library2.html"; empty when nothing was written.
QString wroteMessage(const QStringList &paths, bool pageSet);

// How the files an export to `chosenPath` may write stood before it, so that afterwards the ones it wrote
// are known without asking the exporter.
struct FileStamp
{
    QString path;
    bool exists = false;
    QDateTime modified;
    qint64 size = -1;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};
// The chosen file and, for a page set, every further page it could have.
QList<FileStamp> stampExportTargets(const QString &chosenPath, bool pageSet);
// Those of `before` that now exist and differ from how they stood, in page order.
QStringList writtenSince(const QList<FileStamp> &before);

} // namespace StatusTexts
