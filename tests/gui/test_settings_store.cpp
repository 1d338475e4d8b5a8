// The window and its settings file: one write at quit, a failed save told once, and the changes another
// instance makes to the same file.
#include "GuiTestSupport.h"
#include "core/platform/FileManager.h"
#include "core/settings/Preferences.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <cerrno>

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

int s_syncs = 0;
bool s_syncFails = false;

int testSync(int)
{
    ++s_syncs;
    if (s_syncFails) {
        errno = EIO;
        return -1;
    }
    return 0;
}

} // namespace

class SettingsStoreTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        m_previousSync = FileManager::setSyncFunction(testSync);
        s_syncs = 0;
        s_syncFails = false;
    }
    void TearDown() override
    {
        FileManager::setSyncFunction(m_previousSync);
        GuiTest::TearDown();
    }

    FileManager::SyncFunction m_previousSync = nullptr;
};

TEST_F(SettingsStoreTest, QuittingWritesTheFileOnce)
{
    start();
    find<QCheckBox>("htmlUseStarsButton")->setChecked(true);
    find<QLineEdit>("ppPlaylistDirField")->setText(u"/players/box"_s);
    s_syncs = 0;
    m_controller->applicationWillTerminate();
    EXPECT_EQ(s_syncs, 1);
    const UserDefaults onDisk(store().filePath());
    EXPECT_TRUE(onDisk.boolForKey(QString(prHTMLUseStars)));
    EXPECT_EQ(onDisk.stringForKey(QString(prPPDir)), u"/players/box"_s);
    EXPECT_TRUE(onDisk.hasUserValue(QString(prFieldOrder)));

    // Nothing changed since: nothing to write.
    restart();
    s_syncs = 0;
    m_controller->applicationWillTerminate();
    EXPECT_EQ(s_syncs, 0);
}

TEST_F(SettingsStoreTest, AFailedSaveIsToldOnceAndLeavesTheFile)
{
    start();
    m_controller->saveControlStates();
    const QByteArray before = readFileBytes(store().filePath());
    ASSERT_FALSE(before.isEmpty());

    s_syncFails = true;
    auto *stars = find<QCheckBox>("htmlUseStarsButton");
    stars->setChecked(!stars->isChecked());
    m_controller->saveControlStates();
    ASSERT_EQ(interaction().alerts.size(), 1);
    EXPECT_EQ(interaction().alerts[0].title, u"Settings Not Saved"_s);
    EXPECT_TRUE(interaction().alerts[0].message.contains(QDir::toNativeSeparators(store().filePath())));
    find<QLineEdit>("ppPlaylistDirField")->setText(u"/players/box"_s);
    m_controller->applicationWillTerminate();
    EXPECT_EQ(interaction().alerts.size(), 1);
    EXPECT_EQ(readFileBytes(store().filePath()), before);
}

TEST_F(SettingsStoreTest, AnotherInstancesChangesShowUpAndSurviveTheQuit)
{
    start();
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    prefs.showPanel();
    m_controller->saveControlStates();

    UserDefaults other(store().filePath());
    ASSERT_TRUE(other.setObject(u"/other/music"_s, QString(prMusicFolderPath)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return prefs.musicPathField()->text() == u"/other/music"_s; }, 5000));
    EXPECT_EQ(store().stringForKey(QString(prMusicFolderPath)), u"/other/music"_s);

    find<QCheckBox>("htmlUseStarsButton")->setChecked(true);
    m_controller->applicationWillTerminate();
    const UserDefaults onDisk(store().filePath());
    EXPECT_EQ(onDisk.stringForKey(QString(prMusicFolderPath)), u"/other/music"_s);
    EXPECT_TRUE(onDisk.boolForKey(QString(prHTMLUseStars)));
}
