#include "XMLAccessor.h"

#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"

using namespace Qt::StringLiterals;

namespace {
const QString libraryFileName = u"iTunes Music Library.xml"_s;
}

XMLAccessor::XMLAccessor()
{
    loadData();
}

XMLAccessor::XMLAccessor(const QString &path)
    : m_dataFilePath(path)
{
    readFile(path);
}

QString XMLAccessor::musicCandidate()
{
    return PathUtils::stringByStandardizingPath(u"~/Music/iTunes/"_s + libraryFileName);
}

QString XMLAccessor::documentsCandidate()
{
    return PathUtils::stringByStandardizingPath(u"~/Documents/iTunes/"_s + libraryFileName);
}

void XMLAccessor::loadData()
{
    m_trackIndex.reset();
    m_tracks = PlistValue();
    m_playlists = PlistValue();
    m_data.reset();

    const QString path = getXMLFilePath();
    if (UserInteraction::current().isTerminating())
        return;
    readFile(path);
}

void XMLAccessor::readFile(const QString &path)
{
    // An unreadable file, or one that is no property list, simply gives no document.
    m_data = readPropertyList(path);
    if (!m_data)
        return;
    const PlistValue root = m_data->root();
    m_tracks = root.value("Tracks"_L1);
    m_playlists = root.value("Playlists"_L1);
}

const TrackIndex &XMLAccessor::trackIndex() const
{
    if (!m_trackIndex)
        m_trackIndex = std::make_unique<TrackIndex>(m_tracks);
    return *m_trackIndex;
}

QString XMLAccessor::musicFolder() const
{
    if (!m_data)
        return QString();
    // Written as a "file:" URL, like the songs' locations, so decoded the same way to compare with them.
    return Song::locationFromURL(m_data->root().value("Music Folder"_L1).toString());
}

std::optional<QString> XMLAccessor::findLibraryAutomatically()
{
    // The stored path is taken literally: "~/Music/iTunes" as first registered names no file.
    const QString stored = Preferences::stringFor(Preferences::prMusicDataFolder);
    if (FileManager::fileExistsAtPath(stored))
        return stored;
    if (FileManager::fileExistsAtPath(musicCandidate()))
        return musicCandidate();
    if (FileManager::fileExistsAtPath(documentsCandidate()))
        return documentsCandidate();
    return std::nullopt;
}

QString XMLAccessor::getXMLFilePath()
{
    if (!m_dataFilePath.isEmpty() && FileManager::fileExistsAtPath(m_dataFilePath))
        return m_dataFilePath;

    QString result;
    if (const auto found = findLibraryAutomatically())
        result = *found;
    else
        result = findFolderManually();
    // Ending the application during the search leaves every stored setting as it was.
    if (UserInteraction::current().isTerminating())
        return QString();

    m_dataFilePath = result;
    UserDefaults::standardUserDefaults().setObject(result, QString(Preferences::prMusicDataFolder));
    return result;
}

QString XMLAccessor::findFolderManually()
{
    UserInteraction &ui = UserInteraction::current();
    using L = QLatin1StringView;
    const auto answer = ui.runCriticalAlert(Localization::localizedString(L("DataNotFoundErrorTitle")),
        Localization::localizedString(L("DataNotFoundErrorText1")), Localization::localizedString(L("FindButtonText")),
        Localization::localizedString(L("QuitButtonText")));
    if (answer == UserInteraction::AlertButton::Alternate) {
        ui.terminate();
        return QString();
    }

    // A cancelled chooser leaves no library to work with: it ends the application like Quit does.
    const std::optional<QString> folder = ui.chooseFolder(PathUtils::homeDirectory());
    if (!folder) {
        ui.terminate();
        return QString();
    }

    const QString path = PathUtils::stringByAppendingPathComponent(*folder, libraryFileName);
    if (FileManager::fileExistsAtPath(path)) {
        m_dataFilePath = path;
        return path;
    }

    ui.runCriticalAlert(Localization::localizedString(L("DataNotFoundErrorTitle")),
        Localization::localizedString(L("DataNotFoundErrorText2")), Localization::localizedString(L("QuitButtonText")));
    ui.terminate();
    return QString();
}

QStringList XMLAccessor::getPlaylistNames() const
{
    QStringList names;
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        // An entry without a "Name" has nothing to offer in the selector and could never be chosen by name.
        const PlistValue name = m_playlists.valueAt(i).value("Name"_L1);
        if (name.isString())
            names.append(name.toString());
    }
    return names;
}

std::optional<Playlist> XMLAccessor::getPlaylist(const QString &name) const
{
    if (!m_data)
        return std::nullopt;
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue entry = m_playlists.valueAt(i);
        const PlistValue entryName = entry.value("Name"_L1);
        if (entryName.isString() && entryName.toString() == name)
            return Playlist::initWithDict(entry, trackIndex());
    }
    return std::nullopt;
}

QList<XMLAccessor::PlaylistSummary> XMLAccessor::getPlaylistSummaries() const
{
    QList<PlaylistSummary> summaries;
    const auto text = [](const PlistValue &value) -> std::optional<QString> {
        if (value.isString())
            return value.toString();
        return std::nullopt;
    };
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue entry = m_playlists.valueAt(i);
        const PlistValue name = entry.value("Name"_L1);
        if (!name.isString())
            continue;
        PlaylistSummary summary;
        summary.name = name.toString();
        summary.persistentId = text(entry.value("Playlist Persistent ID"_L1));
        summary.parentPersistentId = text(entry.value("Parent Persistent ID"_L1));
        summary.items = entry.value("Playlist Items"_L1).count();
        summary.folder = entry.value("Folder"_L1).boolValue();
        summary.builtIn = entry.value("Master"_L1).boolValue() || !entry.value("Distinguished Kind"_L1).isNone();
        summary.smart = !entry.value("Smart Info"_L1).isNone() || !entry.value("Smart Criteria"_L1).isNone();
        summaries.append(std::move(summary));
    }
    return summaries;
}

std::optional<Playlist> XMLAccessor::getPlaylistByPersistentId(const QString &persistentId) const
{
    if (!m_data)
        return std::nullopt;
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue entry = m_playlists.valueAt(i);
        const PlistValue id = entry.value("Playlist Persistent ID"_L1);
        if (entry.value("Name"_L1).isString() && id.isString() && id.toString() == persistentId)
            return Playlist::initWithDict(entry, trackIndex());
    }
    return std::nullopt;
}

std::optional<Playlist> XMLAccessor::getPlaylistAt(qsizetype index) const
{
    if (!m_data || index < 0)
        return std::nullopt;
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue entry = m_playlists.valueAt(i);
        if (!entry.value("Name"_L1).isString())
            continue;
        if (index-- == 0)
            return Playlist::initWithDict(entry, trackIndex());
    }
    return std::nullopt;
}

void XMLAccessor::forEachPlaylist(const std::function<void(const Playlist &)> &visit) const
{
    if (!m_data)
        return;
    const qsizetype n = m_playlists.count();
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue entry = m_playlists.valueAt(i);
        if (entry.value("Name"_L1).isString())
            visit(Playlist::initWithDict(entry, trackIndex()));
    }
}
