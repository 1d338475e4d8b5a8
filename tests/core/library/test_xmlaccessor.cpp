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

TEST(LibrarySearch, ExportedLibraryXmlIsFoundAfterTheiTunesNameInEachPlace)
{
    CoreEnvironment env;
    const QString documents = env.home() + u"/Documents/iTunes/"_s;
    QDir().mkpath(documents);
    writeFileBytes(documents + u"Library.xml"_s, readFileBytes(sampleLibraryPath()));
    EXPECT_EQ(XMLAccessor::findLibraryAutomatically(), documents + u"Library.xml"_s);
    // The older name wins in the same folder, and the Music folder over the Documents folder.
    const QString itunes = placeLibrary(env.home() + u"/Documents/iTunes"_s);
    EXPECT_EQ(XMLAccessor::findLibraryAutomatically(), itunes);
    const QString music = env.home() + u"/Music/iTunes/Library.xml"_s;
    QDir().mkpath(env.home() + u"/Music/iTunes"_s);
    writeFileBytes(music, readFileBytes(sampleLibraryPath()));
    XMLAccessor library;
    EXPECT_EQ(library.dataFilePath(), music);
    EXPECT_EQ(library.getPlaylistNames(), sampleNames);
}

TEST(LibrarySearch, ManualSearchTakesAFileOfAnyNameOrAFolderHoldingALibrary)
{
    CoreEnvironment env;
    QDir().mkpath(env.path(u"exported"_s));
    const QString exported = env.path(u"exported/Library.xml"_s);
    writeFileBytes(exported, readFileBytes(sampleLibraryPath()));
    const QString anyName = env.path(u"my music.plist"_s);
    writeFileBytes(anyName, readFileBytes(sampleLibraryPath()));
    const QString inFolder = placeLibrary(env.path(u"chosen"_s));

    const struct
    {
        QString answer;
        QString found;
    } cases[] = {
        { env.path(u"chosen"_s), inFolder },
        { env.path(u"exported"_s), exported },
        { anyName, anyName },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        env.store().setObject(u"nowhere"_s, QString(Preferences::prMusicDataFolder));
        auto &ui = env.interaction();
        ui.alerts.clear();
        ui.openFileRequests.clear();
        ui.openFileAnswers.push_back(c.answer);

        XMLAccessor library;
        ASSERT_EQ(ui.alerts.size(), 1);
        EXPECT_EQ(ui.alerts.first().title, Localization::localizedString(u"DataNotFoundErrorTitle"_s));
        EXPECT_EQ(ui.alerts.first().defaultButton, u"Choose Library\u2026"_s);
        EXPECT_EQ(ui.alerts.first().alternateButton, Localization::localizedString(u"QuitButtonText"_s));
        ASSERT_EQ(ui.openFileRequests.size(), 1);
        EXPECT_EQ(ui.openFileRequests.first().startFolder, env.home());
        EXPECT_EQ(ui.openFileRequests.first().folderMarkers, XMLAccessor::libraryFileNames());
        EXPECT_FALSE(ui.terminated);
        EXPECT_EQ(library.dataFilePath(), c.found);
        EXPECT_EQ(storedLibraryPath(env), c.found);
        EXPECT_EQ(library.getPlaylistNames().size(), sampleNames.size());
    }
}

TEST(LibrarySearch, OnlyQuitEndsTheSearchAndItLeavesTheSettingsAlone)
{
    using B = UserInteraction::AlertButton;
    enum class Way { Quit, CancelChooserThenQuit, FolderWithoutLibraryThenQuit };
    for (Way way : { Way::Quit, Way::CancelChooserThenQuit, Way::FolderWithoutLibraryThenQuit }) {
        SCOPED_TRACE(int(way));
        CoreEnvironment env;
        auto &ui = env.interaction();
        if (way == Way::Quit)
            ui.alertAnswers = { B::Alternate };
        if (way == Way::CancelChooserThenQuit)
            ui.alertAnswers = { B::Default, B::Alternate };
        if (way == Way::FolderWithoutLibraryThenQuit) {
            ui.alertAnswers = { B::Default, B::Default, B::Alternate };
            ui.openFileAnswers.push_back(env.home());
        }

        XMLAccessor library;
        EXPECT_TRUE(ui.terminated);
        EXPECT_FALSE(library.hasDocument());
        EXPECT_TRUE(env.store().userValues().isEmpty());
        EXPECT_EQ(ui.openFileRequests.size(), way == Way::Quit ? 0 : 1);
        // Every way out but Quit comes back to the first alert.
        EXPECT_EQ(ui.alerts.last().message, Localization::localizedString(u"DataNotFoundErrorText1"_s));
        if (way == Way::FolderWithoutLibraryThenQuit) {
            ASSERT_EQ(ui.alerts.size(), 3);
            EXPECT_EQ(ui.alerts[1].message, Localization::localizedString(u"DataNotFoundErrorText2"_s));
            EXPECT_TRUE(ui.alerts[1].alternateButton.isEmpty());
        }
    }
}

TEST(LibraryOpen, AReadableFileBecomesTheLibraryAndLeadsTheRecentOnes)
{
    CoreEnvironment env;
    const QString first = placeLibrary(env.home() + u"/Music/iTunes"_s);
    XMLAccessor library;
    EXPECT_TRUE(XMLAccessor::recentLibraries().isEmpty()) << "a library the search found is no choice";

    QStringList opened { first };
    for (int i = 0; i < 7; ++i) {
        const QString folder = env.path(u"lib"_s + QString::number(i));
        placeLibrary(folder);
        // A folder opens the library file in it.
        ASSERT_TRUE(library.open(folder));
        opened.prepend(folder + u'/' + libraryName);
    }
    EXPECT_EQ(library.dataFilePath(), opened.first());
    EXPECT_EQ(storedLibraryPath(env), opened.first());
    EXPECT_EQ(XMLAccessor::recentLibraries(), opened.first(XMLAccessor::maxRecentLibraries));
    // Opening one again moves it to the front without a second entry.
    ASSERT_TRUE(library.open(opened[2]));
    EXPECT_EQ(XMLAccessor::recentLibraries().first(), opened[2]);
    EXPECT_EQ(XMLAccessor::recentLibraries().count(opened[2]), 1);
    EXPECT_EQ(XMLAccessor::recentLibraries().size(), XMLAccessor::maxRecentLibraries);
}

TEST(LibraryOpen, AnUnreadableFileSaysWhyAndKeepsTheLibraryHeld)
{
    CoreEnvironment env;
    const QString good = placeLibrary(env.home() + u"/Music/iTunes"_s);
    XMLAccessor library;
    const QString damaged = env.path(u"damaged.xml"_s);
    writeFileBytes(damaged, readFileBytes(QStringLiteral(SETLISTRY_FIXTURES_DIR "/library/damaged.xml")));

    const struct
    {
        QString path;
        QString reason;
    } cases[] = {
        { damaged, u"line 12: a key without its value"_s },
        { env.path(u"missing.xml"_s), u"no such file"_s },
        { env.home(), u"no \u201CiTunes Music Library.xml\u201D or \u201CLibrary.xml\u201D in the folder"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_FALSE(library.open(c.path));
        EXPECT_EQ(library.readError(), c.reason);
        EXPECT_EQ(library.dataFilePath(), good);
        EXPECT_EQ(library.getPlaylistNames(), sampleNames);
        EXPECT_EQ(storedLibraryPath(env), good);
        EXPECT_TRUE(XMLAccessor::recentLibraries().isEmpty());
    }
    // The same reason when the damaged file is the one read from the start.
    const XMLAccessor direct(damaged);
    EXPECT_FALSE(direct.hasDocument());
    EXPECT_EQ(direct.readError(), u"line 12: a key without its value"_s);
    EXPECT_EQ(library.songCount(), 44);
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
