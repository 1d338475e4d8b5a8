#pragma once

#include "core/export/PlayerPlaylist.h"

#include <QList>
#include <QString>

// What the player playlist tab shows before an export: the first songs of the playlist with the path each has
// in the library and the one the file would give it, and what the whole playlist would leave out.
struct PlayerPlaylistPreview
{
    struct Row
    {
        QString before; // the song's location; empty for a song without a file
        QString after; // the entry written for it; empty when the song is skipped
        friend bool operator==(const Row &, const Row &) = default;
    };

    QList<Row> rows;
    PlayerPlaylistReport report; // of the whole playlist

    // The first `rowCount` songs of `playlist` written with `options`. Relative paths without a playlist folder
    // show as absolute, since the folder comes from the file not chosen yet.
    static PlayerPlaylistPreview of(const Playlist &playlist, const PlayerPlaylistOptions &options, int rowCount);
    // The OLD offered for a first mapping: the library's music folder, without a trailing separator.
    static QString offeredMappingFrom(const QString &libraryMusicFolder);
};
