#include "ExportFlow.h"

#include "ExportFormat.h"
#include "core/export/DelimitedTextItems.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <QHash>
#include <functional>
#include <limits>

using namespace Qt::StringLiterals;

namespace ExportFlow {

QString extensionForTab(int tab)
{
    const ExportFormat *format = ExportFormat::forTab(tab);
    return format ? format->fileExtension() : QString();
}

bool needsFieldSelection(int tab, bool albumBased)
{
    const ExportFormat *format = ExportFormat::forTab(tab);
    return format && format->needsFieldSelection(albumBased);
}

QString proposedFileName(const QString &playlistTitle, int tab)
{
    // A "/" in the name would make the proposed name a path.
    QString name = playlistTitle;
    kwStringMethods::replaceString(u"/"_s, name, u"-"_s);
    return name + u'.' + extensionForTab(tab);
}

QString saveStartFolder()
{
    const QString folder = PathUtils::stringByStandardizingPath(Preferences::stringFor(Preferences::prLastSaveDir));
    if (folder.isEmpty() || !FileManager::fileExistsAtPath(folder))
        return PathUtils::homeDirectory();
    return folder;
}

UserInteraction::SavePanelRequest savePanelRequest(const QString &playlistTitle, int tab)
{
    return { saveStartFolder(), proposedFileName(playlistTitle, tab), extensionForTab(tab) };
}

namespace {

std::optional<ExportFormat::Outcome> exportBuilt(
    const std::optional<Playlist> &playlist, int tab, bool albumBased, const QString &chosenPath)
{
    // The folder is remembered even when the playlist has gone, so the next panel starts there.
    UserDefaults::standardUserDefaults().setObject(
        PathUtils::stringByDeletingLastPathComponent(chosenPath), QString(Preferences::prLastSaveDir));
    if (!playlist)
        return std::nullopt;

    const ExportFormat *format = ExportFormat::forTab(tab);
    if (!format)
        return std::nullopt;
    return format->save(PathUtils::stringByStandardizingPath(chosenPath), *playlist, albumBased);
}

} // namespace

std::optional<ExportFormat::Outcome> finishExport(
    const XMLAccessor &library, const QString &playlistTitle, int tab, bool albumBased, const QString &chosenPath)
{
    return exportBuilt(library.getPlaylist(playlistTitle), tab, albumBased, chosenPath);
}

std::optional<ExportFormat::Outcome> finishExport(
    const XMLAccessor &library, qsizetype playlistIndex, int tab, bool albumBased, const QString &chosenPath)
{
    return exportBuilt(library.getPlaylistAt(playlistIndex), tab, albumBased, chosenPath);
}

QList<PlaylistItem> playlistItems(const QList<XMLAccessor::PlaylistSummary> &summaries)
{
    const qsizetype n = summaries.size();
    QHash<QString, qsizetype> byId;
    for (qsizetype i = 0; i < n; ++i) {
        if (summaries[i].persistentId && !byId.contains(*summaries[i].persistentId))
            byId.insert(*summaries[i].persistentId, i);
    }
    // The parent of each entry, when it names a folder of the library.
    QList<qsizetype> parentOf(n, -1);
    for (qsizetype i = 0; i < n; ++i) {
        const auto &parentId = summaries[i].parentPersistentId;
        if (parentId && byId.contains(*parentId) && summaries[byId.value(*parentId)].folder)
            parentOf[i] = byId.value(*parentId);
    }
    // A loop of parents would hide its members from the tree: the entry that closes it goes to the top.
    for (qsizetype i = 0; i < n; ++i) {
        qsizetype steps = 0;
        for (qsizetype p = parentOf[i]; p >= 0 && steps <= n; p = parentOf[p], ++steps) {
            if (p == i) {
                parentOf[i] = -1;
                break;
            }
        }
    }
    QList<QList<qsizetype>> children(n);
    QList<qsizetype> roots;
    for (qsizetype i = 0; i < n; ++i)
        (parentOf[i] < 0 ? roots : children[parentOf[i]]).append(i);

    QHash<QString, int> seen;
    QList<PlaylistItem> items;
    items.reserve(n);
    const std::function<void(qsizetype, int)> visit = [&](qsizetype i, int depth) {
        const QString &name = summaries[i].name;
        const int count = ++seen[name];
        items.append(
            { count == 1 ? name : name + u" ("_s + QString::number(count) + u')', i, depth, summaries[i].folder });
        for (qsizetype child : children[i])
            visit(child, depth + 1);
    };
    for (qsizetype root : roots)
        visit(root, 0);
    return items;
}

QString playlistItemText(const PlaylistItem &item)
{
    return QString(item.depth * 4, u' ') + item.title;
}

QStringList popUpTitles(const QStringList &titles)
{
    QStringList items;
    for (const QString &title : titles) {
        items.removeAll(title);
        items.append(title);
    }
    return items;
}

QStringList fontSizeTitles()
{
    return { Localization::localizedString("Smaller"_L1), Localization::localizedString("Normal"_L1),
        Localization::localizedString("Larger"_L1) };
}

QString fontSizeTitle(qint64 storedValue)
{
    if (storedValue == 1)
        return Localization::localizedString("Larger"_L1);
    if (storedValue == -1)
        return Localization::localizedString("Smaller"_L1);
    return Localization::localizedString("Normal"_L1);
}

QString fontSizeValue(const QString &selectedTitle)
{
    if (selectedTitle == Localization::localizedString("Larger"_L1))
        return u"1"_s;
    if (selectedTitle == Localization::localizedString("Smaller"_L1))
        return u"-1"_s;
    return u"0"_s;
}

QList<PageSizeItem> pageSizeItems()
{
    QList<PageSizeItem> items { { Localization::localizedString("Unlimited"_L1), 0 } };
    for (const int size : { 10, 25, 50, 100, 200, 250, 500, 1000 })
        items.append({ QString::number(size), size });
    return items;
}

QList<PageSizeItem> pageSizeItemsFor(qint64 integerRead, const QString &stringRead)
{
    QList<PageSizeItem> items = pageSizeItems();
    if (integerRead <= 0 || integerRead > std::numeric_limits<int>::max())
        return items;
    const int value = int(integerRead);
    for (const PageSizeItem &item : std::as_const(items)) {
        if (item.title == stringRead || item.tag == value)
            return items;
    }
    qsizetype at = 1;
    while (at < items.size() && items.at(at).tag < value)
        ++at;
    items.insert(at, { QString::number(value), value });
    return items;
}

qsizetype pageSizeIndex(const QList<PageSizeItem> &items, qint64 integerRead, const QString &stringRead)
{
    if (integerRead == 0)
        return 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).title == stringRead)
            return i;
    }
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (items.at(i).tag == integerRead)
            return i;
    }
    return 0;
}

QStringList encodingTitles()
{
    QStringList titles;
    for (const DelimitedTextItems::Encoding &item : DelimitedTextItems::encodings())
        titles.append(item.title);
    return titles;
}

QStringList delimiterTitles()
{
    QStringList titles;
    for (const DelimitedTextItems::Delimiter &item : DelimitedTextItems::delimiters())
        titles.append(item.title);
    return titles;
}

bool paddingApplies(int delimiterIndex)
{
    return !DelimitedTextItems::delimiterFor(delimiterIndex).csv;
}

int delimiterIndex(qint64 storedValue)
{
    return DelimitedTextItems::delimiterIndex(storedValue);
}

int encodingIndex(const QString &storedTitle)
{
    return DelimitedTextItems::encodingIndex(storedTitle);
}

AlbumBasedStates albumBasedStates(bool albumBased)
{
    return { !albumBased, !albumBased, !albumBased, albumBased };
}

QList<ColorDefault> colorDefaults()
{
    QList<ColorDefault> defaults;
    for (const QLatin1StringView key : { Preferences::prHTMLOddColor, Preferences::prHTMLEvenColor,
             Preferences::prHTMLBGColor, Preferences::prHTMLTextColor })
        defaults.append({ key, Preferences::findKey(key)->defaultText });
    return defaults;
}

} // namespace ExportFlow
