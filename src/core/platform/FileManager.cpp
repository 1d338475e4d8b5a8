#include "FileManager.h"

#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>
#include <utility>

namespace FileManager {

namespace {
SyncFunction s_sync = ::fdatasync;
}

bool fileExistsAtPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    // QFileInfo::exists follows symbolic links: a dangling link is not there.
    return QFileInfo::exists(path);
}

bool isWritableFileAtPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool isSymbolicLinkAtPath(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isSymLink();
}

bool writeToFileAtomically(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        return false;
    // QSaveFile writes through a symbolic link, which is what a user who chose a link wants; but through a
    // dangling one it would create a file wherever the link points.
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return false;
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failed write must leave it as it was.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile::commit() syncs the temporary file but ignores the answer (Qt 6.4), while a disk or a network
    // share may report a lost write only there; synced here, such a failure leaves the target as it was.
    if (file.write(bytes) != bytes.size() || !file.flush() || s_sync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

SyncFunction setSyncFunction(SyncFunction sync)
{
    return std::exchange(s_sync, sync ? sync : ::fdatasync);
}

} // namespace FileManager
