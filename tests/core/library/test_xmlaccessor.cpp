#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString libraryName = u"iTunes Music Library.xml"_s;

QString placeLibrary(const QString &folder, const QByteArray &bytes = readFileBytes(sampleLibraryPath()))
{
    QDir().mkpath(folder);
    const QString path = folder + u'/' + libraryName;
    writeFileBytes(path, bytes);
    return path;
}

QString storedLibraryPath(CoreEnvironment &env)
{
    return env.store().stringForKey(QString(Preferences::prMusicDataFolder));
}

const QStringList sampleNames = { u"Library"_s, u"Road Trip"_s, u"Jazz Favourites"_s, u"Downloaded"_s, u"Tango Night"_s,
    u"Rock/Pop"_s, u"Chansons & Cafés"_s, u"Downloaded"_s, u"Empty Playlist"_s, u"90s"_s, u"Paths"_s };

} // namespace

TEST(LibrarySearch, FixedPlacesMusicFirstAndTheFoundPathIsStored)
{
    CoreEnvironment env;
    const QString music = placeLibrary(env.home() + u"/Music/iTunes"_s);
    placeLibrary(env.home() + u"/Documents/iTunes"_s, "not a library");

    XMLAccessor library;
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    EXPECT_EQ(library.dataFilePath(), music);
    EXPECT_EQ(storedLibraryPath(env), music);
    EXPECT_EQ(library.getPlaylistNames(), sampleNames);
}

TEST(LibrarySearch, StoredPathWinsAndIsTakenLiterally)
{
    CoreEnvironment env;
    placeLibrary(env.home() + u"/Music/iTunes"_s, "<plist><dict></dict>");
    const QString elsewhere = placeLibrary(env.path(u"elsewhere"_s));
    env.store().setObject(elsewhere, QString(Preferences::prMusicDataFolder));
    EXPECT_EQ(XMLAccessor().dataFilePath(), elsewhere);

    // Something that exists but is no library: no playlists, no message, the fixed places not tried.
    env.store().setObject(env.home(), QString(Preferences::prMusicDataFolder));
    XMLAccessor folder;
    EXPECT_EQ(folder.dataFilePath(), env.home());
    EXPECT_TRUE(folder.getPlaylistNames().isEmpty());
    EXPECT_FALSE(folder.getPlaylist(u"Library"_s));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());

    // "~" is not expanded: the registered default leads on to the fixed places.
    env.store().setObject(u"~/elsewhere/iTunes Music Library.xml"_s, QString(Preferences::prMusicDataFolder));
    EXPECT_EQ(XMLAccessor().dataFilePath(), XMLAccessor::musicCandidate());
}

TEST(LibrarySearch, ManualSearchFindsTheChosenFolder)
{
    CoreEnvironment env;
    const QString chosen = placeLibrary(env.path(u"chosen"_s));
    env.interaction().folderAnswers.push_back(env.path(u"chosen"_s));

    XMLAccessor library;
    ASSERT_EQ(env.interaction().alerts.size(), 1);
    const auto &alert = env.interaction().alerts.first();
    EXPECT_EQ(alert.title, Localization::localizedString(u"DataNotFoundErrorTitle"_s));
    EXPECT_EQ(alert.alternateButton, Localization::localizedString(u"QuitButtonText"_s));
    EXPECT_EQ(env.interaction().folderRequests, QStringList { env.home() });
    EXPECT_FALSE(env.interaction().terminated);
    EXPECT_EQ(library.dataFilePath(), chosen);
    EXPECT_EQ(storedLibraryPath(env), chosen);
    EXPECT_EQ(library.getPlaylistNames().size(), sampleNames.size());
}

TEST(LibrarySearch, EveryWayOutEndsTheApplicationAndLeavesTheSettingsAlone)
{
    enum class Way { Quit, CancelChooser, FolderWithoutLibrary };
    for (Way way : { Way::Quit, Way::CancelChooser, Way::FolderWithoutLibrary }) {
        SCOPED_TRACE(int(way));
        CoreEnvironment env;
        auto &ui = env.interaction();
        if (way == Way::Quit)
            ui.alertAnswers.push_back(UserInteraction::AlertButton::Alternate);
        if (way == Way::FolderWithoutLibrary)
            ui.folderAnswers.push_back(env.home());

        XMLAccessor library;
        EXPECT_TRUE(ui.terminated);
        EXPECT_FALSE(library.hasDocument());
        EXPECT_TRUE(env.store().userValues().isEmpty());
        EXPECT_EQ(ui.folderRequests.size(), way == Way::Quit ? 0 : 1);
        if (way == Way::FolderWithoutLibrary) {
            ASSERT_EQ(ui.alerts.size(), 2);
            EXPECT_EQ(ui.alerts[1].message, Localization::localizedString(u"DataNotFoundErrorText2"_s));
            EXPECT_TRUE(ui.alerts[1].alternateButton.isEmpty());
        }
    }
}

TEST(LibrarySearch, ReloadKeepsThePathAndSearchesAgainWhenTheFileIsGone)
{
    CoreEnvironment env;
    const QString music = placeLibrary(env.home() + u"/Music/iTunes"_s);
    XMLAccessor library;
    env.store().setObject(u"changed"_s, QString(Preferences::prMusicDataFolder));

    library.loadData();
    EXPECT_EQ(library.dataFilePath(), music);
    EXPECT_EQ(storedLibraryPath(env), u"changed"_s); // the kept path is used without a new search

    QFile::remove(music);
    env.interaction().alertAnswers.push_back(UserInteraction::AlertButton::Alternate);
    library.loadData();
    EXPECT_EQ(env.interaction().alerts.size(), 1);
    EXPECT_TRUE(env.interaction().terminated);
    EXPECT_TRUE(library.getPlaylistNames().isEmpty());
}

TEST(LibraryNames, EntriesWithoutANameContributeNothing)
{
    CoreEnvironment env;
    const QString path = placeLibrary(env.path(u"lib"_s), R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>Tracks</key><dict/>
<key>Playlists</key><array>
  <dict><key>Name</key><string>One</string></dict>
  <dict><key>Playlist ID</key><integer>2</integer></dict>
  <dict><key>Name</key><integer>3</integer></dict>
  <dict><key>Name</key><string></string></dict>
</array></dict></plist>)");
    const XMLAccessor library(path);
    EXPECT_EQ(library.getPlaylistNames(), (QStringList { u"One"_s, u""_s }));
    EXPECT_TRUE(env.store().userValues().isEmpty());

    // Without "Tracks" and "Playlists" there is simply nothing.
    const XMLAccessor bare(placeLibrary(env.path(u"bare"_s), "<plist version=\"1.0\"><dict/></plist>"));
    EXPECT_TRUE(bare.hasDocument());
    EXPECT_TRUE(bare.getPlaylistNames().isEmpty());
}
