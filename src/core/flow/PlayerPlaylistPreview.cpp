#include "PlayerPlaylistPreview.h"

#include <QStringList>

using namespace Qt::StringLiterals;

PlayerPlaylistPreview PlayerPlaylistPreview::of(
    const Playlist &playlist, const PlayerPlaylistOptions &options, int rowCount)
{
    PlayerPlaylistPreview preview;
    PlayerPlaylist::makeText(playlist, options, &preview.report);
    const SongList songs = playlist.getSongs();
    for (qsizetype i = 0; i < songs.size() && i < rowCount; ++i) {
        // The exporter itself decides each row, so the preview can never disagree with the file: a playlist of
        // the one song, whose last line is the song's entry when it was written.
        PlayerPlaylistReport one;
        const QString text = PlayerPlaylist::makeText(Playlist(QString(), { songs[i] }), options, &one);
        Row row { songs[i]->getLocation(), QString() };
        if (one.written == 1) {
            QStringList lines
                = text.split(options.lineEnd == PlayerPlaylistOptions::LineEnd::CRLF ? u"\r\n"_s : u"\n"_s);
            if (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            row.after = lines.value(lines.size() - 1);
        }
        preview.rows.append(row);
    }
    return preview;
}

QString PlayerPlaylistPreview::offeredMappingFrom(const QString &libraryMusicFolder)
{
    QString folder = libraryMusicFolder;
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\')))
        folder.chop(1);
    return folder;
}
