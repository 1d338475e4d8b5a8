#pragma once

#include "library/Playlist.h"

#include <QString>

class DelimitedText
{
public:
    DelimitedText() = delete;

    // Writes `playlist` to `path` as delimited text with the stored settings and the main controller's lists.
    static void saveDTTo(const QString &path, const Playlist &playlist);
    // The text that saveDTTo() encodes and writes.
    static QString makeText(const Playlist &playlist);
};
