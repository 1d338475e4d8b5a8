#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>
#include <utility>

struct ExportFormat;

// One command line of the exporter, checked as far as the arguments alone can be.
struct ExportOptions
{
    enum class Command { List, Playlist, All };

    Command command = Command::List;
    const ExportFormat *format = nullptr; // set unless the command is List
    QString playlistName; // Playlist only, unless playlistId is set
    std::optional<QString> playlistId; // Playlist: the persistent ID given instead of a name
    bool json = false; // List: as a JSON array
    QString output; // the file for Playlist, the folder for All
    std::optional<QString> libraryPath; // none: searched for where the application looks
    QString settingsFile; // the user's settings unless --settings named another (which then exists)
    bool flat = false; // All: every playlist straight in the folder, folder playlists as files of their own
    bool albumBased = false; // --album-based; the stored setting can turn it on too
    QList<std::pair<QString, QVariant>> overrides; // --set in the order given, each value of its key's kind
};
