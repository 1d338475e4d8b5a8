#pragma once

#include <QLatin1StringView>
#include <QVariant>
#include <array>

class UserDefaults;

// The stored keys of every setting, with their kinds and registered defaults. keys() is the one place that says
// which settings exist, what they hold and what they start as; everything else reads it from there.
namespace Preferences {

enum class Kind { String, Boolean, Integer, StringArray };

struct Key
{
    QLatin1StringView storedKey; // the key it is stored under, one of the constants below
    Kind kind;
    QVariant registeredDefault;
    // The registered default as written in the table: the text of a string, "YES"/"NO" for a boolean, the
    // decimal text of an integer; empty for an array. For callers that need the default as a constant.
    QLatin1StringView defaultText;
};

inline constexpr QLatin1StringView prLastSaveDir { "LastSaveDir" };
inline constexpr QLatin1StringView prMusicDataFolder { "iTunes Data Folder" };
inline constexpr QLatin1StringView prMusicFolderPath { "Music Folder Path" };
inline constexpr QLatin1StringView prWebServerPath { "Web Server Path" };
inline constexpr QLatin1StringView prSortOrder { "SortOrder" };
inline constexpr QLatin1StringView prFieldOrder { "FieldOrder" };
inline constexpr QLatin1StringView priTunesOrdering { "iTunesOrdering" };
inline constexpr QLatin1StringView prHTMLRemoveDupes { "HTMLRemoveDupes" };
inline constexpr QLatin1StringView prHTMLOddColor { "HTMLOddColor" };
inline constexpr QLatin1StringView prHTMLEvenColor { "HTMLEvenColor" };
inline constexpr QLatin1StringView prHTMLBGColor { "HTMLBGColor" };
inline constexpr QLatin1StringView prHTMLTextColor { "HTMLTextColor" };
inline constexpr QLatin1StringView prHTMLAddWebServerLinks { "HTMLAddWebServerLinks" };
inline constexpr QLatin1StringView prHTMLHeader { "HTMLHeader" };
inline constexpr QLatin1StringView prHTMLUseStars { "HTMLUseStars" };
inline constexpr QLatin1StringView prHTMLMaxSongsPerFile { "HTMLMaxSongsPerFile" };
inline constexpr QLatin1StringView prHTMLMaxAlbumsPerFile { "HTMLMaxAlbumsPerFile" };
inline constexpr QLatin1StringView prHTMLFontSize { "HTMLFontSize" };
inline constexpr QLatin1StringView prHTMLShouldNumberRows { "HTMLShouldNumberRows" };
inline constexpr QLatin1StringView prHTMLAlbumBased { "HTMLAlbumBased" };
inline constexpr QLatin1StringView prDTEncoding { "DelimitedTextEncoding" };
inline constexpr QLatin1StringView prDTRemoveDupes { "DelimitedTextRemoveDupes" };
inline constexpr QLatin1StringView prDTPadding { "DelimitedTextPadding" };
inline constexpr QLatin1StringView prDTDelimiter { "DelimitedTextDelimiter" };
inline constexpr QLatin1StringView prDTHeaderRow { "DelimitedTextHeaderRow" };

// The player playlist: the mappings are "OLD=NEW" texts split at the first "="; the other choices are stored
// as the words the command line takes for them.
inline constexpr QLatin1StringView prPPMappings { "PlayerPlaylistMappings" };
inline constexpr QLatin1StringView prPPPaths { "PlayerPlaylistPaths" };
inline constexpr QLatin1StringView prPPDir { "PlayerPlaylistDir" };
inline constexpr QLatin1StringView prPPSeparator { "PlayerPlaylistSeparator" };
inline constexpr QLatin1StringView prPPUnicode { "PlayerPlaylistUnicode" };
inline constexpr QLatin1StringView prPPLineEnd { "PlayerPlaylistLineEnd" };
inline constexpr QLatin1StringView prPPStreams { "PlayerPlaylistStreams" };
inline constexpr QLatin1StringView prPPExtension { "PlayerPlaylistExtension" };

inline constexpr QLatin1StringView prRecentLibraries { "RecentLibraries" };

// Where the user left the window: its geometry as QWidget::saveGeometry() gives it, in base64 (empty: the
// window's own size), the index of the format tab, and the title of the playlist selected.
inline constexpr QLatin1StringView prWindowGeometry { "WindowGeometry" };
inline constexpr QLatin1StringView prLastTab { "LastTab" };
inline constexpr QLatin1StringView prLastPlaylist { "LastPlaylist" };

// The 37 keys in declaration order.
const std::array<Key, 37> &keys();
const Key *findKey(QLatin1StringView storedKey);
const Key *findKey(const QString &storedKey);

// Registers the 36 defaults with `store`. Both front ends call it once at start, before anything reads a
// setting.
void registerDefaults(UserDefaults &store);

// Shorthands over the standard store. A debug build stops when `key` is not a setting of the kind read.
QString stringFor(QLatin1StringView key);
bool boolFor(QLatin1StringView key);
qint64 integerFor(QLatin1StringView key);

} // namespace Preferences
