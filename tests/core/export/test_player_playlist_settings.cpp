// The player playlist's options as the settings store them, which the command line and the window both read.
#include "ExportTestSupport.h"
#include "core/export/PlayerPlaylistSettings.h"
#include "core/settings/Preferences.h"

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

using Options = PlayerPlaylistOptions;

TEST(PlayerPlaylistSettingsTest, TheRegisteredDefaultsAreTheOptionsDefaults)
{
    CoreEnvironment env;
    const Options read = PlayerPlaylistSettings::optionsFrom(env.store());
    const Options plain;
    EXPECT_TRUE(read.mappings.isEmpty());
    EXPECT_EQ(read.pathForm, plain.pathForm);
    EXPECT_EQ(read.playlistDir, plain.playlistDir);
    EXPECT_EQ(read.separator, plain.separator);
    EXPECT_EQ(read.normalization, plain.normalization);
    EXPECT_EQ(read.lineEnd, plain.lineEnd);
    EXPECT_EQ(read.includeStreams, plain.includeStreams);
    EXPECT_EQ(PlayerPlaylistSettings::extensionFrom(env.store()), u"m3u8"_s);
    // Each word setting's first choice is its registered default, so an unknown word reads as the default.
    for (const QLatin1StringView key :
        { prPPPaths, prPPSeparator, prPPUnicode, prPPLineEnd, prPPStreams, prPPExtension }) {
        SCOPED_TRACE(QString(key).toStdString());
        ASSERT_FALSE(PlayerPlaylistSettings::choicesFor(key).isEmpty());
        EXPECT_EQ(PlayerPlaylistSettings::choicesFor(key).first().word, findKey(key)->defaultText);
    }
}

TEST(PlayerPlaylistSettingsTest, EveryStoredWordReachesItsOption)
{
    CoreEnvironment env;
    UserDefaults &store = env.store();
    store.setObject(
        QStringList { u"/Users/a/Music=/mnt/music"_s, u"C:\\Music=smb://nas/a=b"_s, u"/x"_s }, QString(prPPMappings));
    store.setObject(u"relative"_s, QString(prPPPaths));
    store.setObject(u"/mnt/lists"_s, QString(prPPDir));
    store.setObject(u"\\"_s, QString(prPPSeparator));
    store.setObject(u"nfd"_s, QString(prPPUnicode));
    store.setObject(u"crlf"_s, QString(prPPLineEnd));
    store.setObject(u"include"_s, QString(prPPStreams));
    store.setObject(u"m3u"_s, QString(prPPExtension));

    const Options read = PlayerPlaylistSettings::optionsFrom(store);
    ASSERT_EQ(read.mappings.size(), 3);
    // Split at the first "=" only: a URL may hold one.
    EXPECT_EQ(read.mappings[0].from, u"/Users/a/Music"_s);
    EXPECT_EQ(read.mappings[0].to, u"/mnt/music"_s);
    EXPECT_EQ(read.mappings[1].from, u"C:\\Music"_s);
    EXPECT_EQ(read.mappings[1].to, u"smb://nas/a=b"_s);
    EXPECT_EQ(read.mappings[2].from, u"/x"_s);
    EXPECT_EQ(read.mappings[2].to, QString());
    EXPECT_EQ(read.pathForm, Options::PathForm::Relative);
    EXPECT_EQ(read.playlistDir, u"/mnt/lists"_s);
    EXPECT_EQ(read.separator, Options::Separator::Backslash);
    EXPECT_EQ(read.normalization, Options::Normalization::NFD);
    EXPECT_EQ(read.lineEnd, Options::LineEnd::CRLF);
    EXPECT_TRUE(read.includeStreams);
    EXPECT_EQ(PlayerPlaylistSettings::extensionFrom(store), u"m3u"_s);

    const struct
    {
        QLatin1StringView key;
        const char *word;
        bool isChoice; // otherwise it reads as the default
        bool (*holds)(const Options &);
    } words[] = {
        { prPPSeparator, "/", true, [](const Options &o) { return o.separator == Options::Separator::Slash; } },
        { prPPSeparator, "auto", true, [](const Options &o) { return o.separator == Options::Separator::Automatic; } },
        { prPPUnicode, "asis", true, [](const Options &o) { return o.normalization == Options::Normalization::AsIs; } },
        { prPPUnicode, "NFD", false, [](const Options &o) { return o.normalization == Options::Normalization::NFC; } },
        { prPPPaths, "", false, [](const Options &o) { return o.pathForm == Options::PathForm::Absolute; } },
        { prPPStreams, "yes", false, [](const Options &o) { return !o.includeStreams; } },
    };
    for (const auto &w : words) {
        SCOPED_TRACE(QString(w.key).toStdString() + " = " + w.word);
        store.setObject(QString::fromLatin1(w.word), QString(w.key));
        EXPECT_TRUE(w.holds(PlayerPlaylistSettings::optionsFrom(store)));
        EXPECT_EQ(PlayerPlaylistSettings::isChoice(w.key, QString::fromLatin1(w.word)), w.isChoice);
    }
    EXPECT_EQ(PlayerPlaylistSettings::wordsFor(prPPSeparator), u"auto, / or \\"_s);
}

TEST(PlayerPlaylistSettingsTest, AnEntryIsTheMappingWrittenBack)
{
    for (const QString &entry : { u"/a=/b"_s, u"/a="_s, u"/a=x=y"_s, u"=/b"_s }) {
        SCOPED_TRACE(entry.toStdString());
        EXPECT_EQ(PlayerPlaylistSettings::entryOf(PlayerPlaylistSettings::mappingOf(entry)), entry);
    }
}

} // namespace
