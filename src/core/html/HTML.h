#pragma once

#include "core/library/Playlist.h"

#include <QString>
#include <QStringList>
#include <optional>

// The HTML exporter: song-based and album-based page sets.
class HTML
{
public:
    HTML() = delete;

    // More page files than this in one folder is almost certainly a mistaken per-file limit.
    static constexpr int maxPageFiles = 75;
    // The most bytes one file name may have (the common limit of the file systems in use).
    static constexpr qsizetype maxFileNameBytes = 255;

    // Writes the page set of `playlist` in UTF-8: page 1 at `path`, the further pages beside it. Refuses (with
    // an alert, writing nothing) more than 75 pages, a page whose file name would be longer than the file
    // system allows (the write-error alert) and a further page that would replace an existing file or a symbolic
    // link.
    static void saveHTMLTo(const QString &path, const Playlist &playlist, bool albumBased);
    // The page files of a set of `pages` pages whose first page is `chosenPath`: Mix.html, Mix2.html, ...
    static QStringList pagePaths(const QString &chosenPath, int pages);

    static int filesNeededSongs(int songs);
    static int filesNeededAlbums(int albums);
    static QString getTotalTimeForSongsAsString(const SongList &songs);
    static QString getTotalFileSizeForSongsAsString(const SongList &songs);
    static QStringList getFileCenter(const SongList &songs);
    static QStringList makeExportStrings(
        const SongList &songs, const QStringList &filePaths, const QString &playlistName);
    static QStringList makeAlbumBasedExportStrings(const Playlist &playlist, const QStringList &filePaths);

    // The name cell as page text: the escaped name, inside a link to the music file (its target escaped too)
    // when links are on and the file lies in the music folder.
    static QString getSongNameLinkedIfNecessary(const Song &song);
    static std::optional<QString> dropPath(const QString &basePath, const QString &fullPath);
    static QString &ensureStartSlash(QString &text);
    static QString &ensureEndSlash(QString &text);

    // "&", "<", ">" and the double quote as character entities.
    static QString escape(const QString &text);
};
