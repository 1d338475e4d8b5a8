#pragma once

#include "Playlist.h"
#include "core/plist/PropertyList.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The one library accessor: finds the library file, reads it whole and lists its playlists.
class XMLAccessor
{
public:
    // Searches for the library and reads it (may ask the user, and may end the application: check
    // UserInteraction::current().isTerminating() afterwards).
    XMLAccessor();
    // Reads the library at `path` without any search; nothing is written to the settings (the command-line
    // exporter's --library).
    explicit XMLAccessor(const QString &path);

    // Drops the document held, locates the library file and reads it again.
    void loadData();
    // Opens the library file `fileOrFolder` names (a folder: the library file in it). Answers whether it was
    // read; then it is the library from now on, stored for the next start and first of the recent libraries.
    // Otherwise the library held stays and readError() says why.
    bool open(const QString &fileOrFolder);
    // The location search; the path of the library file (empty only when the application is ending).
    QString getXMLFilePath();
    // The manual search: an alert offering a chooser for a file or a folder, again until a library is chosen
    // or the user quits; empty when the application is ending.
    QString findFolderManually();
    // The automatic part of the search only (stored path, then the two fixed places); nothing when no
    // library was found. Writes nothing.
    static std::optional<QString> findLibraryAutomatically();
    // The names a library file goes by, the older first: "iTunes Music Library.xml", "Library.xml".
    static QStringList libraryFileNames();
    // `fileOrFolder` itself when it is a file; for a folder the first library file name in it; else nothing.
    static std::optional<QString> libraryFileIn(const QString &fileOrFolder);
    // The libraries last opened with open() (and the ones they replaced), most recent first, existing or not.
    static QStringList recentLibraries();
    static constexpr qsizetype maxRecentLibraries = 5;

    // The "Name" of every playlist entry, in library order. Entries without a "Name" contribute nothing.
    QStringList getPlaylistNames() const;
    // A new playlist built from the first entry whose "Name" equals `name` exactly; nothing when none does.
    std::optional<Playlist> getPlaylist(const QString &name) const;
    // What the library says of one playlist entry that has a "Name", for scripts choosing among them.
    struct PlaylistSummary
    {
        QString name;
        std::optional<QString> persistentId; // "Playlist Persistent ID"
        std::optional<QString> parentPersistentId; // "Parent Persistent ID": the folder it is in
        qsizetype items = 0; // entries of "Playlist Items"
        bool folder = false; // "Folder"
        bool builtIn = false; // "Master", or a "Distinguished Kind" (Music, Movies, Podcasts, ...)
        bool smart = false; // has "Smart Info" or "Smart Criteria"
    };
    // The entries getPlaylistNames() lists, in the same order.
    QList<PlaylistSummary> getPlaylistSummaries() const;
    // A new playlist built from the first entry whose "Playlist Persistent ID" equals `persistentId` exactly
    // and that has a "Name"; nothing when none does.
    std::optional<Playlist> getPlaylistByPersistentId(const QString &persistentId) const;

    // A new playlist built from the entry at `index` of getPlaylistSummaries(); nothing when there is none. The
    // one way to reach each of several playlists of the same name and without a persistent ID.
    std::optional<Playlist> getPlaylistAt(qsizetype index) const;

    // Builds every playlist entry that has a "Name", each itself (not the first of its name), in library order,
    // one at a time (the command-line exporter's --all).
    void forEachPlaylist(const std::function<void(const Playlist &)> &visit) const;

    // The library's own top-level "Music Folder" as a path; empty when it names none.
    QString musicFolder() const;

    QString dataFilePath() const { return m_dataFilePath; }
    bool hasDocument() const { return m_data != nullptr; }
    // The number of entries in "Tracks".
    qsizetype songCount() const { return m_tracks.count(); }
    // Why the last read gave no document, such as "line 12: a key without its value"; empty after a good one.
    QString readError() const { return m_readError; }

    static QString musicCandidate();
    static QString documentsCandidate();

private:
    bool readFile(const QString &path);
    // The index of "Tracks", made when a playlist is first built: listing the playlists needs none, and in a
    // large library it takes as long as a good part of the reading.
    const TrackIndex &trackIndex() const;
    void clear();
    static void noteRecentLibrary(const QString &path);

    std::shared_ptr<const PropertyList> m_data;
    PlistValue m_tracks;
    PlistValue m_playlists;
    mutable std::unique_ptr<TrackIndex> m_trackIndex;
    QString m_dataFilePath;
    QString m_readError;
};
