#pragma once

#include <QString>
#include <QStringList>

// Path operations on texts with "/" as separator, with the semantics the rest of the system relies on.
namespace PathUtils {

// The user's home folder, without a trailing "/".
QString homeDirectory();

// Expands a leading "~" (alone or before "/") to the home folder, removes "." components and doubled and
// trailing separators, and resolves ".." against the preceding component of an absolute path.
QString stringByStandardizingPath(const QString &path);

// `path`, "/" (only when needed) and `component`.
QString stringByAppendingPathComponent(const QString &path, const QString &component);
// The path without its last component ("/a/b" gives "/a", "/a" gives "/", "a" gives "").
QString stringByDeletingLastPathComponent(const QString &path);
// The text after the last "/" (trailing separators ignored); "/" for the root.
QString lastPathComponent(const QString &path);
// The text after the last "." of the last component; empty when there is none.
QString pathExtension(const QString &path);
// The path without the extension of its last component; unchanged when that has no ".".
QString stringByDeletingPathExtension(const QString &path);

// Cut at every "/": a leading "/" is a first component "/", a trailing "/" a last component "/", empty pieces
// are dropped; the empty path has no components.
QStringList pathComponents(const QString &path);
// The components joined with single "/" between them (a first "/" component gives an absolute path).
QString pathWithComponents(const QStringList &components);

} // namespace PathUtils
