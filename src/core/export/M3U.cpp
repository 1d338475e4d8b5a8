#include "M3U.h"

#include "Common.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

void M3U::saveM3UTo(const QString &path, const Playlist &playlist)
{
    Common::writeExport(makeText(playlist), path, Common::Encoding::UTF8);
}

QString M3U::makeText(const Playlist &playlist)
{
    const SongList songs = playlist.getSongs();
    // Sized once up front: growing a text of megabytes step by step copies it over and over.
    qsizetype size = 0;
    for (const SongPtr &song : songs)
        size += song->getName().size() + song->getLocation().size() + 22;
    QString text;
    text.reserve(size);
    for (const SongPtr &song : songs) {
        // Two lines per song, always: a player pairs each "#EXTINF" line with the line after it.
        text += "#EXTINF:"_L1 % kwStringMethods::intAsString(song->getTime()) % u','
            % kwStringMethods::withoutLineBreaks(song->getName()) % u'\n'
            % kwStringMethods::withoutLineBreaks(song->getLocation()) % u'\n';
    }
    return text;
}
