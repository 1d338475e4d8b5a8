#pragma once

#include <QByteArray>
#include <QString>

// File checks and writes.
namespace FileManager {

// Whether a file or folder exists at `path`, symbolic links followed (a dangling link does not exist).
bool fileExistsAtPath(const QString &path);
// Whether the current user may write the file or folder at `path` (false when nothing is there).
bool isWritableFileAtPath(const QString &path);
// Whether `path` is a symbolic link, dangling or not.
bool isSymbolicLinkAtPath(const QString &path);
// Writes `bytes` to `path` through a temporary file in the same folder that replaces the target only when
// complete and synced to the disk; on failure (a failed sync included) the target is left as it was. Answers
// whether it succeeded. A symbolic link at `path` is written through; a dangling one is refused.
bool writeToFileAtomically(const QByteArray &bytes, const QString &path);

// The call writeToFileAtomically() syncs a written file with: fdatasync, unless a test puts in one that fails
// or counts. nullptr puts fdatasync back. Answers the one it replaces.
using SyncFunction = int (*)(int fileDescriptor);
SyncFunction setSyncFunction(SyncFunction sync);

} // namespace FileManager
