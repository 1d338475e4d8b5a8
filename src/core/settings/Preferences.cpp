#include "Preferences.h"

#include "core/platform/UserDefaults.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace Preferences {

namespace {

Key key(QLatin1StringView stored, Kind kind, QLatin1StringView defaultText)
{
    const QVariant registered = kind == Kind::StringArray ? QVariant(QStringList()) : QVariant(QString(defaultText));
    return Key { stored, kind, registered, defaultText };
}

} // namespace

const std::array<Key, 37> &keys()
{
    // Booleans and numbers are registered as the strings "YES", "NO" and "0": the typed reads turn them into
    // values, and the controls store real booleans and integers later on.
    static const std::array<Key, 37> table = {
        key(prLastSaveDir, Kind::String, "~"_L1),
        key(prMusicDataFolder, Kind::String, "~/Music/iTunes"_L1),
        key(prMusicFolderPath, Kind::String, ""_L1),
        key(prWebServerPath, Kind::String, ""_L1),
        key(prSortOrder, Kind::StringArray, ""_L1),
        key(prFieldOrder, Kind::StringArray, ""_L1),
        key(priTunesOrdering, Kind::Boolean, "NO"_L1),
        key(prHTMLRemoveDupes, Kind::Boolean, "NO"_L1),
        key(prHTMLOddColor, Kind::String, "e7e7e7"_L1),
        key(prHTMLEvenColor, Kind::String, "FFFFFF"_L1),
        key(prHTMLBGColor, Kind::String, "FFFFFF"_L1),
        key(prHTMLTextColor, Kind::String, "000000"_L1),
        key(prHTMLAddWebServerLinks, Kind::Boolean, "NO"_L1),
        key(prHTMLHeader, Kind::String, ""_L1),
        key(prHTMLUseStars, Kind::Boolean, "NO"_L1),
        key(prHTMLMaxSongsPerFile, Kind::Integer, "0"_L1),
        key(prHTMLMaxAlbumsPerFile, Kind::Integer, "0"_L1),
        key(prHTMLFontSize, Kind::Integer, "0"_L1),
        key(prHTMLShouldNumberRows, Kind::Boolean, "YES"_L1),
        key(prHTMLAlbumBased, Kind::Boolean, "NO"_L1),
        key(prDTEncoding, Kind::String, "UTF-8"_L1),
        key(prDTRemoveDupes, Kind::Boolean, "NO"_L1),
        key(prDTPadding, Kind::Boolean, "NO"_L1),
        key(prDTDelimiter, Kind::Integer, "0"_L1),
        key(prDTHeaderRow, Kind::Boolean, "NO"_L1),
        key(prPPMappings, Kind::StringArray, ""_L1),
        key(prPPPaths, Kind::String, "absolute"_L1),
        key(prPPDir, Kind::String, ""_L1),
        key(prPPSeparator, Kind::String, "auto"_L1),
        key(prPPUnicode, Kind::String, "nfc"_L1),
        key(prPPLineEnd, Kind::String, "lf"_L1),
        key(prPPStreams, Kind::String, "skip"_L1),
        key(prPPExtension, Kind::String, "m3u8"_L1),
        key(prRecentLibraries, Kind::StringArray, ""_L1),
        key(prWindowGeometry, Kind::String, ""_L1),
        key(prLastTab, Kind::Integer, "0"_L1),
        key(prLastPlaylist, Kind::String, ""_L1),
    };
    return table;
}

const Key *findKey(QLatin1StringView storedKey)
{
    for (const Key &k : keys()) {
        if (k.storedKey == storedKey)
            return &k;
    }
    return nullptr;
}

const Key *findKey(const QString &storedKey)
{
    for (const Key &k : keys()) {
        if (storedKey == k.storedKey)
            return &k;
    }
    return nullptr;
}

void registerDefaults(UserDefaults &store)
{
    QVariantMap defaults;
    for (const Key &k : keys())
        defaults.insert(QString(k.storedKey), k.registeredDefault);
    store.registerDefaults(defaults);
}

namespace {

// A read of the wrong kind still gives a value (the store converts), so the mistake would go unseen.
[[maybe_unused]] bool isSettingOfKind(QLatin1StringView storedKey, Kind kind)
{
    const Key *const k = findKey(storedKey);
    return k && k->kind == kind;
}

} // namespace

QString stringFor(QLatin1StringView key)
{
    Q_ASSERT_X(isSettingOfKind(key, Kind::String), "Preferences::stringFor", "not a string setting");
    return UserDefaults::standardUserDefaults().stringForKey(QString(key));
}

bool boolFor(QLatin1StringView key)
{
    Q_ASSERT_X(isSettingOfKind(key, Kind::Boolean), "Preferences::boolFor", "not a boolean setting");
    return UserDefaults::standardUserDefaults().boolForKey(QString(key));
}

qint64 integerFor(QLatin1StringView key)
{
    Q_ASSERT_X(isSettingOfKind(key, Kind::Integer), "Preferences::integerFor", "not an integer setting");
    return UserDefaults::standardUserDefaults().integerForKey(QString(key));
}

} // namespace Preferences
