#pragma once

#include "core/library/Playlist.h"

#include <QList>
#include <QString>

// How a player playlist is written. The defaults give absolute paths as the library names them, NFC, LF.
struct PlayerPlaylistOptions
{
    enum class PathForm { Absolute, Relative };
    enum class Separator { Automatic, Slash, Backslash };
    enum class Normalization { NFC, NFD, AsIs };
    enum class LineEnd { LF, CRLF };

    // Rewrites the leading components `from` of a song's path to `to`. Both are plain paths (a "file:" URL is
    // read as the path it names); `to` may also be a URL such as "smb://nas/music", or empty for paths
    // relative to the music root. A rule with an empty `from` is ignored.
    struct Mapping
    {
        QString from;
        QString to;
    };

    // Ordered; the longest matching `from` wins. With at least one rule, a song that none matches is skipped.
    QList<Mapping> mappings;
    PathForm pathForm = PathForm::Absolute;
    // The folder the playlist will live in on the target, for relative paths. When empty, saving uses the
    // output file's folder passed through the mappings; `makeText` alone then writes absolute paths.
    QString playlistDir;
    // Automatic: a backslash for a drive-letter or UNC path (also when written relative), else "/".
    Separator separator = Separator::Automatic;
    Normalization normalization = Normalization::NFC;
    LineEnd lineEnd = LineEnd::LF;
    // Streams (locations with a URL scheme, such as "http://...") are written as they stand instead of skipped.
    bool includeStreams = false;
};

// What writing one player playlist did with its songs.
struct PlayerPlaylistReport
{
    QString playlistName;
    int songs = 0; // in the playlist, a song listed twice counting twice
    int written = 0;
    int skippedWithoutFile = 0;
    int skippedStreams = 0;
    int skippedOutsideMappings = 0;

    // One line: "\"Road Trip\": wrote 41 of 45 songs; skipped 3 without a file, 1 outside the path mappings",
    // naming only the kinds of skip that happened.
    QString summary() const;
};

// The player playlist: an extended M3U in UTF-8 whose entries are paths a player on the target machine opens.
class PlayerPlaylist
{
public:
    PlayerPlaylist() = delete;

    // Writes `playlist` to `path` in UTF-8 with the export write steps; a failure shows the write-error alert.
    // `report`, when given, is filled even when the write fails.
    static void savePlayerPlaylistTo(const QString &path, const Playlist &playlist,
        const PlayerPlaylistOptions &options, PlayerPlaylistReport *report);
    // "#EXTM3U", "#PLAYLIST:" name, then for each song in playlist order that has a path to write:
    // "#EXTINF:" seconds "," [artist " - "] name, and its path. CR and LF inside a value become spaces.
    static QString makeText(
        const Playlist &playlist, const PlayerPlaylistOptions &options, PlayerPlaylistReport *report);
};
