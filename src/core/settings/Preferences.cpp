#include "Preferences.h"

#include "core/platform/UserDefaults.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace Preferences {

namespace {

Key key(QLatin1StringView identifier, QLatin1StringView stored, Kind kind, const QVariant &def)
{
    return Key { identifier, stored, kind, def };
}

} // namespace

const std::array<Key, 24> &keys()
{
    // Booleans and numbers are registered as the strings "YES", "NO" and "0": the typed reads turn them into
    // values, and the controls store real booleans and integers later on.
    static const std::array<Key, 24> table = {
        key("prLastSaveDir"_L1, prLastSaveDir, Kind::String, u"~"_s),
        key("prMusicDataFolder"_L1, prMusicDataFolder, Kind::String, u"~/Music/iTunes"_s),
        key("prMusicFolderPath"_L1, prMusicFolderPath, Kind::String, u""_s),
        key("prWebServerPath"_L1, prWebServerPath, Kind::String, u""_s),
        key("prSortOrder"_L1, prSortOrder, Kind::StringArray, QStringList()),
        key("prFieldOrder"_L1, prFieldOrder, Kind::StringArray, QStringList()),
        key("priTunesOrdering"_L1, priTunesOrdering, Kind::Boolean, u"NO"_s),
        key("prHTMLRemoveDupes"_L1, prHTMLRemoveDupes, Kind::Boolean, u"NO"_s),
        key("prHTMLOddColor"_L1, prHTMLOddColor, Kind::String, u"e7e7e7"_s),
        key("prHTMLEvenColor"_L1, prHTMLEvenColor, Kind::String, u"FFFFFF"_s),
        key("prHTMLBGColor"_L1, prHTMLBGColor, Kind::String, u"FFFFFF"_s),
        key("prHTMLTextColor"_L1, prHTMLTextColor, Kind::String, u"000000"_s),
        key("prHTMLAddWebServerLinks"_L1, prHTMLAddWebServerLinks, Kind::Boolean, u"NO"_s),
        key("prHTMLHeader"_L1, prHTMLHeader, Kind::String, u""_s),
        key("prHTMLUseStars"_L1, prHTMLUseStars, Kind::Boolean, u"NO"_s),
        key("prHTMLMaxSongsPerFile"_L1, prHTMLMaxSongsPerFile, Kind::Integer, u"0"_s),
        key("prHTMLMaxAlbumsPerFile"_L1, prHTMLMaxAlbumsPerFile, Kind::Integer, u"0"_s),
        key("prHTMLFontSize"_L1, prHTMLFontSize, Kind::Integer, u"0"_s),
        key("prHTMLShouldNumberRows"_L1, prHTMLShouldNumberRows, Kind::Boolean, u"YES"_s),
        key("prHTMLAlbumBased"_L1, prHTMLAlbumBased, Kind::Boolean, u"NO"_s),
        key("prDTEncoding"_L1, prDTEncoding, Kind::String, u"UTF-8"_s),
        key("prDTRemoveDupes"_L1, prDTRemoveDupes, Kind::Boolean, u"NO"_s),
        key("prDTPadding"_L1, prDTPadding, Kind::Boolean, u"NO"_s),
        key("prDTDelimiter"_L1, prDTDelimiter, Kind::Integer, u"0"_s),
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

QString stringFor(QLatin1StringView key)
{
    return UserDefaults::standardUserDefaults().stringForKey(QString(key));
}

bool boolFor(QLatin1StringView key)
{
    return UserDefaults::standardUserDefaults().boolForKey(QString(key));
}

qint64 integerFor(QLatin1StringView key)
{
    return UserDefaults::standardUserDefaults().integerForKey(QString(key));
}

} // namespace Preferences
