#include "QTSS.h"

#include "Common.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

namespace {

// The weight a streaming server gives a song: its stars, or the full 5 when it has none.
int weightForRating(int rating)
{
    return rating >= 1 && rating <= 5 ? rating : 5;
}

} // namespace

void QTSS::saveQTSSTo(const QString &path, const Playlist &playlist)
{
    Common::writeExport(makeText(playlist), path, Common::Encoding::UTF8);
}

QString QTSS::makeText(const Playlist &playlist)
{
    const SongList songs = playlist.getSongs();
    QString text = u"*PLAY-LIST*\n#\n# Created by Setlistry\n#\n\"*PLAY-LIST*\" 10\n"_s;
    // Sized once up front: growing a text of megabytes step by step copies it over and over.
    qsizetype size = text.size() + 1;
    for (const SongPtr &song : songs)
        size += song->getLocation().size() + 5;
    text.reserve(size);
    for (const SongPtr &song : songs) {
        text += u'"' % kwStringMethods::withoutLineBreaks(song->getLocation()) % "\" "_L1
            % kwStringMethods::intAsString(weightForRating(song->getRating())) % u'\n';
    }
    text += u'\n';
    return text;
}
