// The preferences window: one instance, fields filled once from the settings, every keystroke stored, and the
// folder chooser, the library's own folder offered and the count of songs that get a link.
#include "GuiTestSupport.h"
#include "core/settings/Preferences.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

SongPtr songAt(const QString &name, const QString &location)
{
    Song::Values values;
    values.name = name;
    values.location = location;
    return makeSong(values);
}

} // namespace

class PrefsTest : public GuiTest
{
protected:
    void TearDown() override
    {
        PrefsPanel::destroySharedInstance();
        GuiTest::TearDown();
    }
};

TEST_F(PrefsTest, TheWindowIsMadeOnceAndFilledOnceFromTheSettings)
{
    store().setObject(u"/srv/music"_s, QString(prMusicFolderPath));
    EXPECT_FALSE(PrefsPanel::hasSharedInstance());
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    EXPECT_EQ(prefs.window(), nullptr) << "nothing is loaded before the first showing";

    prefs.showPanel();
    QDialog *window = prefs.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    // The platform adds " — Setlistry" (the application's display name) to what the window shows.
    EXPECT_EQ(window->windowTitle(), u"Preferences"_s);
    EXPECT_FALSE(prefs.mainTabView()->tabBar()->isVisible()) << "no tab bar for a single tab";
    EXPECT_EQ(prefs.musicPathField()->text(), u"/srv/music"_s);
    EXPECT_TRUE(prefs.serverPathField()->text().isEmpty());
    EXPECT_EQ(prefs.musicPathField(), window->findChild<QLineEdit *>(u"musicPathField"_s));
    EXPECT_FALSE(store().hasUserValue(QString(prWebServerPath))) << "filling the fields stores nothing";

    // Shown again, the same window comes to the front without being filled again.
    store().setObject(u"/elsewhere"_s, QString(prMusicFolderPath));
    window->hide();
    PrefsPanel::sharedInstance().showLinksPanel();
    EXPECT_EQ(&PrefsPanel::sharedInstance(), &prefs);
    EXPECT_EQ(prefs.window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(prefs.mainTabView()->currentIndex(), 0);
    EXPECT_EQ(prefs.musicPathField()->text(), u"/srv/music"_s);
}

TEST_F(PrefsTest, EveryKeystrokeIsStoredAsTyped)
{
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    prefs.showPanel();
    const QString typed = u" /home/me/Mü sic/"_s;
    QString soFar;
    for (const QChar c : typed) {
        // keyClicks() takes ASCII only.
        QTest::sendKeyEvent(QTest::Click, prefs.musicPathField(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        soFar += c;
        ASSERT_EQ(store().stringForKey(QString(prMusicFolderPath)), soFar);
        // A store read afresh from disk has it too, as after a crash right now.
        ASSERT_EQ(UserDefaults(store().filePath()).stringForKey(QString(prMusicFolderPath)), soFar);
    }
    QTest::keyClicks(prefs.serverPathField(), u"/music"_s);
    EXPECT_EQ(store().stringForKey(QString(prWebServerPath)), u"/music"_s);
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), typed);

    prefs.serverPathField()->selectAll();
    QTest::keyClick(prefs.serverPathField(), Qt::Key_Backspace);
    EXPECT_EQ(store().objectForKey(QString(prWebServerPath)), QVariant(QString()));

    // Text set by the program is not an edit.
    prefs.musicPathField()->setText(u"/not/typed"_s);
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), typed);
}

TEST_F(PrefsTest, TheChooseButtonStoresTheFolderFollowingLinks)
{
    const QString real = env().path(u"Real Music"_s);
    const QString link = env().path(u"Link to Music"_s);
    ASSERT_TRUE(QDir().mkpath(real));
    ASSERT_TRUE(QFile::link(real, link));
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    prefs.showPanel();
    auto *chooseButton = prefs.window()->findChild<QPushButton *>(u"findMusicFolderButton"_s);
    ASSERT_NE(chooseButton, nullptr);

    interaction().folderAnswers.push_back(link);
    chooseButton->click();
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), QFileInfo(real).canonicalFilePath());
    EXPECT_EQ(prefs.musicPathField()->text(), QFileInfo(real).canonicalFilePath());

    // A cancel changes nothing.
    chooseButton->click();
    EXPECT_EQ(interaction().folderRequests.size(), 2);
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), QFileInfo(real).canonicalFilePath());
}

TEST_F(PrefsTest, TheLinkCountFollowsTheMusicFolderAndTheLibraryFolderIsOffered)
{
    const Playlist playlist(u"Road Trip"_s,
        { songAt(u"A"_s, u"/Users/a/Music/A/1.mp3"_s), songAt(u"B"_s, u"/Users/a/Music/B/2.mp3"_s),
            songAt(u"C"_s, u"/Volumes/Disk/3.mp3"_s), songAt(u"D"_s, QString()) });
    store().setObject(u"/Users/a/Music/B"_s, QString(prMusicFolderPath));
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    prefs.setCurrentPlaylist(playlist, u"/Users/a/Music/"_s); // before the window exists
    prefs.showPanel();
    auto *useLibrary = prefs.window()->findChild<QPushButton *>(u"useLibraryMusicFolderButton"_s);
    ASSERT_NE(useLibrary, nullptr);
    ASSERT_NE(prefs.linkCountLabel(), nullptr);
    EXPECT_TRUE(useLibrary->isEnabled());
    EXPECT_EQ(prefs.musicPathField()->placeholderText(), u"/Users/a/Music"_s);
    EXPECT_EQ(prefs.linkCountLabel()->text(), u"\u201cRoad Trip\u201d: 1 of 4 songs gets a link"_s);

    // Typed: the count follows each keystroke.
    prefs.musicPathField()->selectAll();
    QTest::keyClicks(prefs.musicPathField(), u"/Volumes"_s);
    EXPECT_EQ(prefs.linkCountLabel()->text(), u"\u201cRoad Trip\u201d: 1 of 4 songs gets a link"_s);
    QTest::keyClick(prefs.musicPathField(), Qt::Key_Backspace);
    EXPECT_EQ(prefs.linkCountLabel()->text(), u"\u201cRoad Trip\u201d: 0 of 4 songs get a link"_s);

    // Offered: the library's folder, stored as if typed, without its trailing "/".
    useLibrary->click();
    EXPECT_EQ(prefs.musicPathField()->text(), u"/Users/a/Music"_s);
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), u"/Users/a/Music"_s);
    EXPECT_EQ(prefs.linkCountLabel()->text(), u"\u201cRoad Trip\u201d: 2 of 4 songs get a link"_s);

    // Another playlist, from a library without a music folder: nothing is offered.
    prefs.setCurrentPlaylist(Playlist(u"One"_s, { songAt(u"A"_s, u"/x/1.mp3"_s) }), QString());
    EXPECT_FALSE(useLibrary->isEnabled());
    EXPECT_EQ(prefs.musicPathField()->placeholderText(), u"/home/you/Music"_s);
    EXPECT_EQ(prefs.linkCountLabel()->text(), u"\u201cOne\u201d: 0 of 1 song gets a link"_s);
    prefs.setCurrentPlaylist(std::nullopt, QString());
    EXPECT_TRUE(prefs.linkCountLabel()->text().isEmpty());
}

TEST_F(PrefsTest, TheLinkButtonHandsOverTheChosenPlaylistAndTheLibrarysFolder)
{
    writeLibrary(readFileBytes(sampleLibraryPath()));
    start();
    auto *popUp = find<QComboBox>("playlistPopUp");
    ASSERT_NE(popUp, nullptr);
    popUp->setCurrentIndex(popUp->findText(u"Road Trip"_s));
    ASSERT_EQ(popUp->currentText(), u"Road Trip"_s);
    find<QPushButton>("htmlSetUpLinkingButton")->click();

    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    ASSERT_NE(prefs.window(), nullptr);
    EXPECT_TRUE(prefs.window()->isVisible());
    prefs.window()->findChild<QPushButton *>(u"useLibraryMusicFolderButton"_s)->click();
    EXPECT_EQ(prefs.musicPathField()->text(), u"/Users/alex/Music/iTunes/iTunes Music"_s);
    const QString count = prefs.linkCountLabel()->text();
    EXPECT_TRUE(count.startsWith(u"\u201cRoad Trip\u201d: "_s)) << count.toStdString();
    EXPECT_FALSE(count.startsWith(u"\u201cRoad Trip\u201d: 0 "_s)) << count.toStdString();
}
