#pragma once

#include "PlayerPlaylist.h"

#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>

class UserDefaults;

// The player playlist's options as the settings store them. The command line and the window both read them
// from here, so the file one writes is the file the other writes for the same settings.
namespace PlayerPlaylistSettings {

// One choice of a setting stored as a word: the word is what is stored and what the command line takes, the
// title what the window shows.
struct Choice
{
    QLatin1StringView word;
    QLatin1StringView title;
};

// The choices of a setting stored as a word, the registered default first; empty for any other key.
QList<Choice> choicesFor(QLatin1StringView key);
// The stored words of choicesFor(key), for messages: "absolute or relative".
QString wordsFor(QLatin1StringView key);
bool isChoice(QLatin1StringView key, const QString &word);

// "OLD=NEW" split at the first "=": an entry without one maps OLD to nothing.
PlayerPlaylistOptions::Mapping mappingOf(const QString &entry);
QString entryOf(const PlayerPlaylistOptions::Mapping &mapping);

// The options as stored in `store`; a stored word that is no choice reads as the default.
PlayerPlaylistOptions optionsFrom(const UserDefaults &store);
// The file type written: "m3u8" or "m3u".
QString extensionFrom(const UserDefaults &store);

} // namespace PlayerPlaylistSettings
