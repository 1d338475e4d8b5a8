#pragma once

#include "library/Playlist.h"

#include <QString>

class QTSS
{
public:
    QTSS() = delete;

    static void saveQTSSTo(const QString &path, const Playlist &playlist);
    static QString makeText(const Playlist &playlist);
};
