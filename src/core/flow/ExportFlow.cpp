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

std::optional<ExportFormat::Outcome> finishExport(
    const XMLAccessor &library, const QString &playlistTitle, int tab, bool albumBased, const QString &chosenPath)
{
    const std::optional<Playlist> playlist = library.getPlaylist(playlistTitle);
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
