#pragma once

#include "HTMLLinks.h"
#include "HTMLPage.h"
#include "core/library/Playlist.h"

#include <QString>
#include <QStringList>

// The album-based page set: a block for each album, its heading beside its tracks.
class AlbumPages
{
public:
    AlbumPages(const Playlist &playlist, const QStringList &filePaths);

    static int pagesNeeded(qsizetype albums);

    int pages() const { return m_page.pages(); }
    QString page(int p);

private:
    void appendBlock(QString &out, const SongList &album) const;

    const AlbumList m_albums;
    const HTMLLinks m_links;
    const QString m_totalTimeLabel;
    const QString m_totalSizeLabel;
    HTMLPage m_page;
};
