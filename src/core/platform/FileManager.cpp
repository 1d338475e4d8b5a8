#include "FileManager.h"

#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>

namespace FileManager {

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

bool writeToFileAtomically(const QByteArray &bytes, const QString &path)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failed write must leave it as it was.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace FileManager
