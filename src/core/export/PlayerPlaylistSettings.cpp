#include "PlayerPlaylistSettings.h"

#include "core/platform/UserDefaults.h"
#include "core/settings/Preferences.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace PlayerPlaylistSettings {

namespace {

using Options = PlayerPlaylistOptions;

// The index of the stored word among the key's choices; 0, the default, for a word that is none of them.
qsizetype storedChoice(const UserDefaults &store, QLatin1StringView key)
{
    const QString stored = store.stringForKey(QString(key));
    const QList<Choice> choices = choicesFor(key);
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (stored == choices[i].word)
            return i;
    }
    return 0;
}

} // namespace

QList<Choice> choicesFor(QLatin1StringView key)
{
    using namespace Preferences;
    // In the order of the options' enumerations, so that an index is the value.
    if (key == prPPPaths)
        return { { "absolute"_L1, "Absolute"_L1 }, { "relative"_L1, "Relative to the playlist folder"_L1 } };
    if (key == prPPSeparator)
        return { { "auto"_L1, "As the path says"_L1 }, { "/"_L1, "/ (slash)"_L1 }, { "\\"_L1, "\\ (backslash)"_L1 } };
    if (key == prPPUnicode)
        return { { "nfc"_L1, "Composed (NFC)"_L1 }, { "nfd"_L1, "Decomposed (NFD)"_L1 },
            { "asis"_L1, "As in the library"_L1 } };
    if (key == prPPLineEnd)
        return { { "lf"_L1, "LF"_L1 }, { "crlf"_L1, "CR LF"_L1 } };
    if (key == prPPStreams)
        return { { "skip"_L1, "Skip"_L1 }, { "include"_L1, "Include"_L1 } };
    if (key == prPPExtension)
        return { { "m3u8"_L1, ".m3u8"_L1 }, { "m3u"_L1, ".m3u"_L1 } };
    return {};
}

QString wordsFor(QLatin1StringView key)
{
    const QList<Choice> choices = choicesFor(key);
    QString words;
    for (qsizetype i = 0; i < choices.size(); ++i) {
        if (i > 0)
            words += i + 1 == choices.size() ? u" or "_s : u", "_s;
        words += choices[i].word;
    }
    return words;
}

bool isChoice(QLatin1StringView key, const QString &word)
{
    const QList<Choice> choices = choicesFor(key);
    return std::any_of(choices.begin(), choices.end(), [&word](const Choice &c) { return word == c.word; });
}

PlayerPlaylistOptions::Mapping mappingOf(const QString &entry)
{
    const qsizetype eq = entry.indexOf(u'=');
    if (eq < 0)
        return { entry, QString() };
    return { entry.left(eq), entry.mid(eq + 1) };
}

QString entryOf(const PlayerPlaylistOptions::Mapping &mapping)
{
    return mapping.from + u'=' + mapping.to;
}

PlayerPlaylistOptions optionsFrom(const UserDefaults &store)
{
    using namespace Preferences;
    Options options;
    for (const QString &entry : store.stringListForKey(QString(prPPMappings)))
        options.mappings.append(mappingOf(entry));
    options.pathForm = Options::PathForm(storedChoice(store, prPPPaths));
    options.playlistDir = store.stringForKey(QString(prPPDir));
    options.separator = Options::Separator(storedChoice(store, prPPSeparator));
    options.normalization = Options::Normalization(storedChoice(store, prPPUnicode));
    options.lineEnd = Options::LineEnd(storedChoice(store, prPPLineEnd));
    options.includeStreams = storedChoice(store, prPPStreams) == 1;
    return options;
}

QString extensionFrom(const UserDefaults &store)
{
    return choicesFor(Preferences::prPPExtension).at(storedChoice(store, Preferences::prPPExtension)).word;
}

} // namespace PlayerPlaylistSettings
