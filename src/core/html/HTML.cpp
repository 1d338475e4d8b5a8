#include "HTML.h"

#include "AlbumPages.h"
#include "HTMLEscape.h"
#include "HTMLLinks.h"
#include "HTMLPage.h"
#include "SongPages.h"
#include "SongRows.h"
#include "core/export/Common.h"
#include "core/library/SongSort.h"
#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxPageFiles = HTML::maxPageFiles;

QString text(QLatin1StringView key)
{
    return Localization::localizedString(key);
}

template<typename Pages> QStringList allPages(Pages &&set)
{
    QStringList result;
    result.reserve(set.pages());
    for (int p = 1; p <= set.pages(); ++p)
        result.append(set.page(p));
    return result;
}

// Each page is made, encoded and written before the next is made, so a page set never sits in memory whole.
template<typename Pages> void writePages(Pages &&set, const QStringList &paths)
{
    for (int p = 1; p <= set.pages() && p <= paths.size(); ++p) {
        const QByteArray bytes = kwStringMethods::convertToUTF8(set.page(p));
        if (!FileManager::writeToFileAtomically(bytes, paths[p - 1])) {
            Common::handleWriteError();
            return;
        }
    }
}

} // namespace

QString HTML::escape(const QString &value)
{
    return HTMLEscape::escaped(value);
}

int HTML::filesNeededSongs(int songs)
{
    return SongPages::pagesNeeded(songs);
}

int HTML::filesNeededAlbums(int albums)
{
    return AlbumPages::pagesNeeded(albums);
}

QString HTML::getTotalTimeForSongsAsString(const SongList &songs)
{
    return HTMLPage::totalTimeText(songs);
}

QString HTML::getTotalFileSizeForSongsAsString(const SongList &songs)
{
    return HTMLPage::totalSizeText(songs);
}

QStringList HTML::getFileCenter(const SongList &songs)
{
    const SongRows maker = SongRows::forCurrentFields();
    QStringList rows;
    rows.reserve(songs.size());
    for (qsizetype i = 0; i < songs.size(); ++i) {
        QString row;
        maker.appendRow(row, *songs[i], i);
        rows.append(std::move(row));
    }
    return rows;
}

QStringList HTML::makeExportStrings(const SongList &songs, const QStringList &filePaths, const QString &playlistName)
{
    return allPages(SongPages(songs, filePaths, playlistName));
}

QStringList HTML::makeAlbumBasedExportStrings(const Playlist &playlist, const QStringList &filePaths)
{
    return allPages(AlbumPages(playlist, filePaths));
}

QString HTML::getSongNameLinkedIfNecessary(const Song &song)
{
    QString out;
    HTMLLinks::read().appendLinkedName(out, song);
    return out;
}

std::optional<QString> HTML::dropPath(const QString &basePath, const QString &fullPath)
{
    return HTMLLinks::dropPath(basePath, fullPath);
}

QString &HTML::ensureStartSlash(QString &path)
{
    return HTMLLinks::ensureStartSlash(path);
}

QString &HTML::ensureEndSlash(QString &path)
{
    return HTMLLinks::ensureEndSlash(path);
}

QStringList HTML::pagePaths(const QString &chosenPath, int pages)
{
    QStringList paths;
    if (pages <= 0)
        return paths;
    paths.reserve(pages);
    paths.append(chosenPath);
    const QString stem = PathUtils::stringByDeletingPathExtension(chosenPath);
    const QString extension = PathUtils::pathExtension(chosenPath);
    for (int k = 2; k <= pages; ++k)
        paths.append(stem % QString::number(k) % u'.' % extension);
    return paths;
}

void HTML::saveHTMLTo(const QString &path, const Playlist &playlist, bool albumBased)
{
    SongList songs = playlist.getSongs();
    if (!albumBased) {
        // Duplicates go before the sort, so of two equal songs the one first in playlist order stays.
        if (Preferences::boolFor(Preferences::prHTMLRemoveDupes))
            Common::removeDuplicateSongsFromList(songs);
        if (!Preferences::boolFor(Preferences::priTunesOrdering))
            SongSort::sortWithMainSort(songs);
    }

    const int pages
        = albumBased ? filesNeededAlbums(int(playlist.getAlbums().size())) : filesNeededSongs(int(songs.size()));
    if (pages == 0)
        return;
    UserInteraction &ui = UserInteraction::current();
    if (pages > kMaxPageFiles) {
        ui.runCriticalAlert(
            text("TooManyFilesErrorTitle"_L1), text("TooManyFilesErrorText"_L1), text("OKButtonText"_L1));
        return;
    }

    const QStringList paths = pagePaths(path, pages);
    // A further page's number makes its name longer than the first one's: a name that does not fit would fail
    // only after the pages before it were written.
    for (const QString &page : paths) {
        if (QFile::encodeName(PathUtils::lastPathComponent(page)).size() > maxFileNameBytes) {
            Common::handleWriteError();
            return;
        }
    }
    // The first page is the file the user chose to replace; a further page must never replace anything.
    // Checked before any page is made or written, so a refusal leaves every file as it was.
    for (int k = 1; k < pages; ++k) {
        // A dangling link is nothing to replace, but writing the page would create a file where it points.
        if (FileManager::fileExistsAtPath(paths[k]) || FileManager::isSymbolicLinkAtPath(paths[k])) {
            ui.runCriticalAlert(text("FileExistsErrorTitle"_L1),
                text("FileExistsErrorText1"_L1) % PathUtils::lastPathComponent(paths[k])
                    % text("FileExistsErrorText2"_L1) % PathUtils::lastPathComponent(paths[0]) % "\"."_L1,
                text("OKButtonText"_L1));
            return;
        }
    }

    if (albumBased)
        writePages(AlbumPages(playlist, paths), paths);
    else
        writePages(SongPages(songs, paths, playlist.getName()), paths);
}
