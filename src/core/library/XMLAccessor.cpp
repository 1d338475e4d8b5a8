#include "XMLAccessor.h"

#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {
// The iTunes application's own name first; "Library.xml" is what the Music application exports.
const QString itunesFileName = u"iTunes Music Library.xml"_s;
const QString exportedFileName = u"Library.xml"_s;

bool isFolder(const QString &path)
{
    return QFileInfo(path).isDir();
}

QStringList placesNamed(const QString &folder)
{
    return { PathUtils::stringByStandardizingPath(folder + itunesFileName),
        PathUtils::stringByStandardizingPath(folder + exportedFileName) };
}
} // namespace

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
    return placesNamed(u"~/Music/iTunes/"_s).first();
}

QString XMLAccessor::documentsCandidate()
{
    return placesNamed(u"~/Documents/iTunes/"_s).first();
}

QStringList XMLAccessor::libraryFileNames()
{
    return { itunesFileName, exportedFileName };
}

std::optional<QString> XMLAccessor::libraryFileIn(const QString &fileOrFolder)
{
    if (fileOrFolder.isEmpty())
        return std::nullopt;
    if (!isFolder(fileOrFolder))
        return FileManager::fileExistsAtPath(fileOrFolder) ? std::optional(fileOrFolder) : std::nullopt;
    for (const QString &name : libraryFileNames()) {
        const QString path = PathUtils::stringByAppendingPathComponent(fileOrFolder, name);
        if (FileManager::fileExistsAtPath(path) && !isFolder(path))
            return path;
    }
    return std::nullopt;
}

QStringList XMLAccessor::recentLibraries()
{
    return UserDefaults::standardUserDefaults().stringListForKey(QString(Preferences::prRecentLibraries));
}

void XMLAccessor::noteRecentLibrary(const QString &path)
{
    QStringList recent = recentLibraries();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > maxRecentLibraries)
        recent.removeLast();
    UserDefaults::standardUserDefaults().setObject(recent, QString(Preferences::prRecentLibraries));
}

void XMLAccessor::clear()
{
    m_trackIndex.reset();
    m_tracks = PlistValue();
    m_playlists = PlistValue();
    m_data.reset();
}

void XMLAccessor::loadData()
{
    clear();
    const QString path = getXMLFilePath();
    if (UserInteraction::current().isTerminating())
        return;
    readFile(path);
}

bool XMLAccessor::open(const QString &fileOrFolder)
{
    const std::optional<QString> path = libraryFileIn(fileOrFolder);
    if (!path) {
        m_readError = isFolder(fileOrFolder)
            ? u"no \u201C"_s + itunesFileName + u"\u201D or \u201C"_s + exportedFileName + u"\u201D in the folder"_s
            : u"no such file"_s;
        return false;
    }
    const QString previous = m_data ? m_dataFilePath : QString();
    if (!readFile(*path))
        return false;
    // Only what the user opened is remembered, and with it the library it replaced, so that the way back is
    // in the menu too; a start that merely found the usual library writes nothing but its path.
    if (!previous.isEmpty())
        noteRecentLibrary(previous);
    m_dataFilePath = *path;
    UserDefaults::standardUserDefaults().setObject(*path, QString(Preferences::prMusicDataFolder));
    noteRecentLibrary(*path);
    return true;
}

bool XMLAccessor::readFile(const QString &path)
{
    // A file that cannot be read leaves the library held as it was; the reason is kept for the message.
    PropertyListError error;
    std::shared_ptr<const PropertyList> data = readPropertyList(path, &error);
    if (!data) {
        m_readError = error.toString();
        return false;
    }
    clear();
    m_readError.clear();
    m_data = std::move(data);
    const PlistValue root = m_data->root();
    m_tracks = root.value("Tracks"_L1);
    m_playlists = root.value("Playlists"_L1);
    return true;
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
    for (const QString &folder : { u"~/Music/iTunes/"_s, u"~/Documents/iTunes/"_s }) {
        for (const QString &candidate : placesNamed(folder)) {
            if (FileManager::fileExistsAtPath(candidate))
                return candidate;
        }
    }
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
    const QString title = Localization::localizedString(L("DataNotFoundErrorTitle"));
    UserInteraction::OpenFileRequest request;
    request.title = Localization::localizedString(L("ChooseLibraryTitle"));
    request.startFolder = PathUtils::homeDirectory();
    request.nameFilters
        = { Localization::localizedString(L("LibraryFileFilter")), Localization::localizedString(L("AllFilesFilter")) };
    request.folderMarkers = libraryFileNames();
    // Without a library there is nothing to work with: the alert comes back until one is chosen or the user
    // quits.
    for (;;) {
        const auto answer = ui.runCriticalAlert(title, Localization::localizedString(L("DataNotFoundErrorText1")),
            Localization::localizedString(L("FindButtonText")), Localization::localizedString(L("QuitButtonText")));
        if (answer == UserInteraction::AlertButton::Alternate) {
            ui.terminate();
            return QString();
        }
        const std::optional<QString> chosen = ui.chooseFileToOpen(request);
        if (!chosen)
            continue;
        if (const auto path = libraryFileIn(*chosen)) {
            m_dataFilePath = *path;
            return *path;
        }
        ui.runCriticalAlert(title, Localization::localizedString(L("DataNotFoundErrorText2")),
            Localization::localizedString(L("OKButtonText")));
    }
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
