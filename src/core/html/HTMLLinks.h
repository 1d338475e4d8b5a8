#pragma once

#include "core/library/Song.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where the links of a page set point: the music files below the web server path, and the other pages of the
// set. The link settings are read once for a whole page set: they cannot change while it is made.
class HTMLLinks
{
public:
    // No links: every name as plain text.
    HTMLLinks() = default;
    static HTMLLinks read();

    // The song's escaped name, inside a link to its music file when links are on and the file lies in the
    // music folder.
    void appendLinkedName(QString &out, const Song &song) const;
    // Whether appendLinkedName puts the song's name inside a link.
    bool getsLink(const Song &song) const;
    // How many of `songs` would get a link with links on and `musicFolder`, typed as in the preferences, as the
    // music folder; the web server path does not change which songs get one.
    static qsizetype countLinked(const SongList &songs, const QString &musicFolder);

    // The escaped link target of the page stored at `filePath`, relative to the pages beside it.
    static QString pageHref(const QString &filePath);

    // What remains of `fullPath` below the folder `basePath`, component by component; none when it does not
    // lie below it.
    static std::optional<QString> dropPath(const QString &basePath, const QString &fullPath);
    static QString &ensureStartSlash(QString &path);
    static QString &ensureEndSlash(QString &path);

private:
    bool m_on = false;
    QString m_prefix; // the web server path with a "/" at both ends
    QString m_foldedPrefix; // the same with its "//" folded, escaped: the start of every plain link
    QStringList m_musicFolder; // its components, without a leading "/"
};
