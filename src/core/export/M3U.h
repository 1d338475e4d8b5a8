#pragma once

#include "core/library/Playlist.h"

#include <QString>

class M3U
{
public:
    M3U() = delete;

    // Writes `playlist` to `path` in UTF-8 with the export write steps; a failure shows the write-error alert.
    static void saveM3UTo(const QString &path, const Playlist &playlist);
    // Two lines per song in playlist order: "#EXTINF:" seconds "," name, then the location. Every CR and LF
    // inside a name or location becomes a space, so each entry keeps its two lines.
    static QString makeText(const Playlist &playlist);
};
