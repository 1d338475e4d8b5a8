#pragma once

#include "ExportFormat.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserInteraction.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The steps of an export from the main window that need no widget, and the mappings between the window's
// pop-ups and the stored settings. The window keeps only the wiring, so these are tested without a display.
namespace ExportFlow {

// The tabs of the main window, by index; ExportFormat::all() says which format each tab exports.
enum Tab { HTMLTab = 0, DelimitedTextTab = 1, M3UTab = 2, QTSSTab = 3, PlayerPlaylistTab = 4 };

// The file type of the tab's format as it is written now: "html", "txt" (or "csv" while CSV is the stored
// delimiter), "m3u", "playlist", or "m3u8" (or "m3u" when the setting says so); empty for an index that names
// no tab.
QString extensionForTab(int tab);
// Only the song-based pages and the delimited text use the field and sort lists, so only they ask for them.
bool needsFieldSelection(int tab, bool albumBased);
// The playlist title with every "/" replaced by "-", then "." and the tab's extension.
QString proposedFileName(const QString &playlistTitle, int tab);
// The stored last save folder, standardised; the home folder when nothing exists there any more.
QString saveStartFolder();
UserInteraction::SavePanelRequest savePanelRequest(const QString &playlistTitle, int tab);

// What happens once the save panel was confirmed with `chosenPath`: the folder of the path is stored as the
// last save folder, then the playlist titled `playlistTitle` is built afresh and handed to the exporter of
// `tab` with the standardised path. Answers what the exporter told (nothing when no playlist has that title).
std::optional<ExportFormat::Outcome> finishExport(
    const XMLAccessor &library, const QString &playlistTitle, int tab, bool albumBased, const QString &chosenPath);

// One item of the playlist pop-up: a playlist entry of the library, shown under the folder it is in.
struct PlaylistItem
{
    QString title; // the name; a repeated name gets " (2)", " (3)", ... in the order shown
    qsizetype index = 0; // its index in XMLAccessor::getPlaylistSummaries(), by which it is exported
    int depth = 0; // how many folders it is in
    bool folder = false;
    friend bool operator==(const PlaylistItem &, const PlaylistItem &) = default;
};
// Every playlist, each folder followed by what it holds (in library order within it). A parent that is not
// in the library, or a loop of parents, leaves the playlist at the top.
QList<PlaylistItem> playlistItems(const QList<XMLAccessor::PlaylistSummary> &summaries);
// The text of the item in the pop-up: the title indented by its depth.
QString playlistItemText(const PlaylistItem &item);

// The same as finishExport() above for the playlist at `playlistIndex` of XMLAccessor::getPlaylistSummaries().
std::optional<ExportFormat::Outcome> finishExport(
    const XMLAccessor &library, qsizetype playlistIndex, int tab, bool albumBased, const QString &chosenPath);

// The item titles of a pop-up after adding `titles` one by one, where adding a title already present removes
// the earlier item first (so repeated playlist names appear once, at the place of the last of them).
QStringList popUpTitles(const QStringList &titles);

// Font size pop-up: the localised "Smaller", "Normal" and "Larger", in that order.
QStringList fontSizeTitles();
// The title shown for a stored size: 1 "Larger", -1 "Smaller", anything else "Normal".
QString fontSizeTitle(qint64 storedValue);
// What is stored for a selected title: "1", "-1" or "0".
QString fontSizeValue(const QString &selectedTitle);

// One item of the songs-per-page and albums-per-page pop-ups: the tag is what gets stored.
struct PageSizeItem
{
    QString title;
    int tag = 0;
    friend bool operator==(const PageSizeItem &, const PageSizeItem &) = default;
};
// "Unlimited" (tag 0), then the offered sizes ascending, each titled with the decimal text of its tag.
QList<PageSizeItem> pageSizeItems();
// The items to show for a stored limit: pageSizeItems(), plus an item for a positive stored value that is not
// offered (written by hand or by an older version), so that storing the controls again keeps it.
QList<PageSizeItem> pageSizeItemsFor(qint64 integerRead, const QString &stringRead);
// The index within `items` to select: "Unlimited" for an integer read of 0, otherwise the item titled with the
// string read, falling back to the item of the integer read and then to "Unlimited".
qsizetype pageSizeIndex(const QList<PageSizeItem> &items, qint64 integerRead, const QString &stringRead);

// The titles of DelimitedTextItems, which the delimited text export reads too. Encoding titles are stored as
// they are and never localised.
QStringList encodingTitles();
// Only the index is stored (0 tab, 1 "|", 2 "*", 3 comma as CSV).
QStringList delimiterTitles();
// Padding is offered for every delimiter but CSV's comma, whose readers would keep the spaces.
bool paddingApplies(int delimiterIndex);
// The index to select for a stored delimiter: an index beyond the items shows the tab, which is what the
// export writes for it.
int delimiterIndex(qint64 storedValue);
// The index to select for a stored encoding title: an unknown title shows UTF-8, which is what the export
// writes for it.
int encodingIndex(const QString &storedTitle);

// The controls that the album-based check box enables and disables.
struct AlbumBasedStates
{
    bool rowNumbersEnabled;
    bool removeDupesEnabled;
    bool maxSongsEnabled;
    bool maxAlbumsEnabled;
};
AlbumBasedStates albumBasedStates(bool albumBased);

// The four HTML colour keys with their defaults, in the order odd rows, even rows, background, text.
struct ColorDefault
{
    QLatin1StringView key;
    QLatin1StringView value;
};
QList<ColorDefault> colorDefaults();

} // namespace ExportFlow
