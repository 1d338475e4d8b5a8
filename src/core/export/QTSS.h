#pragma once

#include "core/library/Playlist.h"

#include <QString>

class QTSS
{
public:
    QTSS() = delete;

    // Writes `playlist` to `path` in UTF-8 with the export write steps; a failure shows the write-error alert.
    static void saveQTSSTo(const QString &path, const Playlist &playlist);
    // The fixed header, one line per song (quoted location and weight), then an empty line. Every CR and LF
    // inside a location becomes a space, so each song keeps its one line.
    static QString makeText(const Playlist &playlist);
};
