#include "core/platform/UserDefaults.h"
#include "core/settings/Preferences.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
namespace P = Preferences;

TEST(Settings, FirstStartReadsRegisteredDefaults)
{
    CoreEnvironment env;
    UserDefaults &s = env.store();
    EXPECT_TRUE(s.boolForKey(QString(P::prHTMLShouldNumberRows)));
    for (auto key : { P::priTunesOrdering, P::prHTMLRemoveDupes, P::prHTMLAddWebServerLinks, P::prHTMLUseStars,
             P::prHTMLAlbumBased, P::prDTRemoveDupes, P::prDTPadding }) {
        SCOPED_TRACE(QString(key).toStdString());
        EXPECT_FALSE(s.boolForKey(QString(key)));
    }
    for (auto key : { P::prHTMLMaxSongsPerFile, P::prHTMLMaxAlbumsPerFile, P::prHTMLFontSize, P::prDTDelimiter })
        EXPECT_EQ(s.integerForKey(QString(key)), 0);
    EXPECT_EQ(s.stringForKey(QString(P::prDTEncoding)), u"UTF-8"_s);
    EXPECT_EQ(s.stringForKey(QString(P::prLastSaveDir)), u"~"_s);
    EXPECT_EQ(s.stringForKey(QString(P::prMusicDataFolder)), u"~/Music/iTunes"_s);
    EXPECT_EQ(s.stringForKey(QString(P::prHTMLOddColor)), u"e7e7e7"_s);
    EXPECT_EQ(s.objectForKey(QString(P::prFieldOrder)).toStringList(), QStringList());
    EXPECT_EQ(s.objectForKey(QString(P::prSortOrder)).typeId(), QMetaType::QStringList);
    EXPECT_EQ(s.stringListForKey(QString(P::prRecentLibraries)), QStringList());
    // Registered defaults live in memory only.
    EXPECT_TRUE(s.userValues().isEmpty());
    EXPECT_FALSE(QFile::exists(s.filePath()));
    const struct
    {
        QLatin1StringView key;
        QString value;
    } words[] = { { P::prPPPaths, u"absolute"_s }, { P::prPPDir, QString() }, { P::prPPSeparator, u"auto"_s },
        { P::prPPUnicode, u"nfc"_s }, { P::prPPLineEnd, u"lf"_s }, { P::prPPStreams, u"skip"_s },
        { P::prPPExtension, u"m3u8"_s }, { P::prWindowGeometry, QString() }, { P::prLastPlaylist, QString() } };
    for (const auto &w : words)
        EXPECT_EQ(s.stringForKey(QString(w.key)), w.value) << QString(w.key).toStdString();
    EXPECT_EQ(s.objectForKey(QString(P::prPPMappings)).typeId(), QMetaType::QStringList);
    EXPECT_EQ(s.integerForKey(QString(P::prLastTab)), 0);
    EXPECT_EQ(P::keys().size(), 37u);
}

TEST(Settings, TypedReadsConvertBetweenKinds)
{
    struct Case
    {
        QVariant stored;
        bool asBool;
        qint64 asInteger;
        QString asString;
    };
    const Case cases[] = {
        { u"YES"_s, true, 1, u"YES"_s },
        { u"NO"_s, false, 0, u"NO"_s },
        { u"0"_s, false, 0, u"0"_s },
        { u"1"_s, true, 1, u"1"_s },
        { u"-1"_s, true, -1, u"-1"_s },
        { QVariant(true), true, 1, u"1"_s },
        { QVariant(false), false, 0, u"0"_s },
        { QVariant(qint64(50)), true, 50, u"50"_s },
        { QVariant(0), false, 0, u"0"_s },
        { u"abc"_s, false, 0, u"abc"_s },
    };
    CoreEnvironment env;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        env.store().setObject(c.stored, u"k"_s);
        EXPECT_EQ(env.store().boolForKey(u"k"_s), c.asBool);
        EXPECT_EQ(env.store().integerForKey(u"k"_s), c.asInteger);
        EXPECT_EQ(env.store().stringForKey(u"k"_s), c.asString);
    }
    EXPECT_TRUE(env.store().stringForKey(u"never-registered"_s).isNull());
    EXPECT_FALSE(env.store().objectForKey(u"never-registered"_s).isValid());
}

TEST(Settings, EveryWriteIsPersistedAtOnceWithItsKind)
{
    CoreEnvironment env;
    UserDefaults &s = env.store();
    s.setInteger(50, QString(P::prHTMLMaxSongsPerFile));
    s.setBool(true, QString(P::prDTPadding));
    s.setObject(u"-1"_s, QString(P::prHTMLFontSize));
    s.setObject(QStringList { u"Name"_s, u"Artist"_s }, QString(P::prFieldOrder));

    // A second store over the same file, as after a crash and restart.
    UserDefaults again(s.filePath());
    P::registerDefaults(again);
    EXPECT_EQ(again.objectForKey(QString(P::prHTMLMaxSongsPerFile)).typeId(), QMetaType::LongLong);
    EXPECT_EQ(again.integerForKey(QString(P::prHTMLMaxSongsPerFile)), 50);
    EXPECT_EQ(again.stringForKey(QString(P::prHTMLMaxSongsPerFile)), u"50"_s);
    EXPECT_EQ(again.objectForKey(QString(P::prDTPadding)).typeId(), QMetaType::Bool);
    EXPECT_EQ(again.objectForKey(QString(P::prHTMLFontSize)), QVariant(u"-1"_s));
    EXPECT_EQ(again.integerForKey(QString(P::prHTMLFontSize)), -1);
    EXPECT_EQ(again.stringListForKey(QString(P::prFieldOrder)), (QStringList { u"Name"_s, u"Artist"_s }));
    // Only what was written is stored.
    EXPECT_EQ(again.userValues().size(), 4);
}

TEST(Settings, DamagedFileIsKeptAsideAndTheStoreStartsFromDefaults)
{
    for (const QByteArray &damage :
        { QByteArray("{\"HTMLFontSize\": "), QByteArray("[1, 2]"), QByteArray("\xff\xfe") }) {
        SCOPED_TRACE(damage.toStdString());
        CoreEnvironment env;
        const QString file = env.path(u"store/settings.json"_s);
        QDir().mkpath(env.path(u"store"_s));
        writeFileBytes(file, damage);

        UserDefaults store(file);
        P::registerDefaults(store);
        EXPECT_EQ(store.stringForKey(QString(P::prDTEncoding)), u"UTF-8"_s);
        EXPECT_EQ(readFileBytes(file + u".damaged-1"_s), damage);

        store.setBool(true, QString(P::prDTPadding));
        UserDefaults again(file);
        EXPECT_TRUE(again.boolForKey(QString(P::prDTPadding)));
        EXPECT_EQ(readFileBytes(file + u".damaged-1"_s), damage);
    }
}

TEST(Settings, NonPersistentStoreNeverWrites)
{
    CoreEnvironment env;
    const QString file = env.path(u"ro.json"_s);
    writeFileBytes(file, R"({"DelimitedTextPadding": true})");
    UserDefaults store(file);
    store.setPersistent(false);
    store.setBool(false, QString(P::prDTPadding));
    EXPECT_FALSE(store.boolForKey(QString(P::prDTPadding)));
    EXPECT_EQ(readFileBytes(file), QByteArray(R"({"DelimitedTextPadding": true})"));
}

TEST(Settings, JsonTextsBecomeStoredValues)
{
    EXPECT_EQ(UserDefaults::valueFromJsonText(u"1"_s), QVariant(qint64(1)));
    EXPECT_EQ(UserDefaults::valueFromJsonText(u"true"_s), QVariant(true));
    EXPECT_EQ(
        UserDefaults::valueFromJsonText(uR"(["Name","Artist"])"_s), QVariant(QStringList { u"Name"_s, u"Artist"_s }));
    EXPECT_EQ(UserDefaults::valueFromJsonText(uR"("quoted")"_s), QVariant(u"quoted"_s));
    EXPECT_EQ(UserDefaults::valueFromJsonText(u"Latin-1 (ISO 8859-1)"_s), QVariant(u"Latin-1 (ISO 8859-1)"_s));
    EXPECT_EQ(UserDefaults::valueFromJsonText(u""_s), QVariant(u""_s));
}

TEST(SettingsDeathTest, TypedReadsOfAnotherKindStopInDebugBuilds)
{
    CoreEnvironment env;
    EXPECT_EQ(P::integerFor(P::prDTDelimiter), 0);
    EXPECT_DEBUG_DEATH(P::boolFor(P::prDTEncoding), "not a boolean setting");
    EXPECT_DEBUG_DEATH(P::integerFor(P::prHTMLUseStars), "not an integer setting");
    EXPECT_DEBUG_DEATH(P::stringFor(P::prSortOrder), "not a string setting");
    EXPECT_DEBUG_DEATH(P::stringFor("NoSuchSetting"_L1), "not a string setting");
}
