#pragma once

#include "core/library/Playlist.h"

#include <QString>

class DelimitedText
{
public:
    DelimitedText() = delete;

    // Writes `playlist` to `path` as delimited text with the stored settings and the main controller's lists.
    static void saveDTTo(const QString &path, const Playlist &playlist);
    // The text that saveDTTo() encodes and writes: one line per song, sorted unless the library's order is
    // kept, duplicates removed after sorting if asked. Every CR and LF inside a value becomes a space, so each
    // song keeps its one line; nothing else in a value is quoted or escaped.
    static QString makeText(const Playlist &playlist);
};
