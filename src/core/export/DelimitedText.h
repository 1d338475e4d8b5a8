#pragma once

#include "core/library/Playlist.h"

#include <QString>

class DelimitedText
{
public:
    DelimitedText() = delete;

    // Writes `playlist` to `path` as delimited text with the stored settings and the main controller's lists.
    static void saveDTTo(const QString &path, const Playlist &playlist);
    // The text that saveDTTo() encodes and writes: the titles first if the header row is on, then one line per
    // song, sorted unless the library's order is kept, duplicates removed after sorting if asked. With CSV the
    // values are quoted as RFC 4180 says and lines end with CR LF. Otherwise every CR and LF inside a value, and
    // every tab when tabs delimit, becomes a space, so each song keeps its one line and its columns; nothing else
    // in a value is quoted or escaped.
    static QString makeText(const Playlist &playlist);
};
