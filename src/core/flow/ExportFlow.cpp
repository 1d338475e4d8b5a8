#include "ExportFlow.h"

#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
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
    switch (tab) {
    case HTMLTab:
        return u"html"_s;
    case DelimitedTextTab:
        return u"txt"_s;
    case M3UTab:
        return u"m3u"_s;
    case QTSSTab:
        return u"playlist"_s;
    default:
        return QString();
    }
}

bool needsFieldSelection(int tab, bool albumBased)
{
    return (tab == HTMLTab && !albumBased) || tab == DelimitedTextTab;
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

bool finishExport(
    const XMLAccessor &library, const QString &playlistTitle, int tab, bool albumBased, const QString &chosenPath)
{
    const std::optional<Playlist> playlist = library.getPlaylist(playlistTitle);
    // The folder is remembered even when the playlist has gone, so the next panel starts there.
    UserDefaults::standardUserDefaults().setObject(
        PathUtils::stringByDeletingLastPathComponent(chosenPath), QString(Preferences::prLastSaveDir));
    if (!playlist)
        return false;

    const QString path = PathUtils::stringByStandardizingPath(chosenPath);
    switch (tab) {
    case HTMLTab:
        HTML::saveHTMLTo(path, *playlist, albumBased);
        return true;
    case DelimitedTextTab:
        DelimitedText::saveDTTo(path, *playlist);
        return true;
    case M3UTab:
        M3U::saveM3UTo(path, *playlist);
        return true;
    case QTSSTab:
        QTSS::saveQTSSTo(path, *playlist);
        return true;
    default:
        return false;
    }
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
    return { u"UTF-8"_s, u"Latin-1 (ISO 8859-1)"_s, u"ASCII"_s };
}

QStringList delimiterTitles()
{
    return { u"Tab"_s, u"Vertical bar ( | )"_s, u"Asterisk ( * )"_s };
}

int delimiterIndex(qint64 storedValue)
{
    return storedValue == 1 || storedValue == 2 ? int(storedValue) : 0;
}

int encodingIndex(const QString &storedTitle)
{
    const qsizetype i = encodingTitles().indexOf(storedTitle);
    return i < 0 ? 0 : int(i);
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
