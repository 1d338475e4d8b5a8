#pragma once

#include "library/Playlist.h"

#include <QString>

class M3U
{
public:
    M3U() = delete;

    static void saveM3UTo(const QString &path, const Playlist &playlist);
    static QString makeText(const Playlist &playlist);
};
