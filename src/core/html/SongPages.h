#pragma once

#include "HTMLPage.h"
#include "SongRows.h"
#include "core/library/Song.h"

#include <QString>
#include <QStringList>

// The song-based page set: a table of the songs with a column for each exported field.
class SongPages
{
public:
    SongPages(const SongList &songs, const QStringList &filePaths, const QString &playlistName);

    static int pagesNeeded(qsizetype songs);

    int pages() const { return m_page.pages(); }
    QString page(int p);

private:
    const SongList &m_songs;
    const SongRows m_rows;
    HTMLPage m_page;
};
