// The preferences window: one instance, fields filled once from the settings, every keystroke stored, and the
// folder chooser.
#include "GuiTestSupport.h"
#include "core/settings/Preferences.h"
#include "gui/PrefsPanel.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Preferences;

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
