// Opening a library by every way the window offers, what it says about an unreadable or empty one, the
// summary under the playlist selector and the status bar.
#include "GuiTestSupport.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "gui/FieldSelectionSheet.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

QStringList itemsOf(const QComboBox *popUp)
{
    QStringList items;
    for (int i = 0; i < popUp->count(); ++i)
        items.append(popUp->itemText(i));
    return items;
}

// Two playlists of the library are named "Mix": each is its own item.
const QStringList standardPlaylists = { u"Library"_s, u"Rock/Pop"_s, u"Mix"_s, u"Empty"_s, u"Mix (2)"_s };

QByteArray otherLibraryXml()
{
    return libraryXml({ { 1, u"Only"_s, u"One"_s, u"Album"_s, 1, 150 } }, { { u"Elsewhere"_s, { 1 } } });
}

} // namespace

class LibraryWindowTest : public GuiTest
{
protected:
    // A second library of another name, outside the places the search looks.
    QString writeOther(const QString &name = u"Library.xml"_s)
    {
        const QString path = env().path(u"exports/"_s + name);
        QDir().mkpath(env().path(u"exports"_s));
        writeFileBytes(path, otherLibraryXml());
        return path;
    }
    QString damagedFixture() const { return QStringLiteral(SETLISTRY_FIXTURES_DIR "/library/damaged.xml"); }

    // `chosen`: opened by the user rather than found by the search, and so the first of the recent ones.
    void expectOpened(const QString &path, const QStringList &playlists, bool chosen = true)
    {
        EXPECT_EQ(itemsOf(find<QComboBox>("playlistPopUp")), playlists);
        EXPECT_EQ(m_controller->library()->dataFilePath(), path);
        EXPECT_EQ(store().stringForKey(QString(prMusicDataFolder)), path) << "the next start opens it";
        if (chosen) {
            EXPECT_EQ(XMLAccessor::recentLibraries().value(0), path);
        }
        EXPECT_TRUE(find<QPushButton>("exportButton")->isEnabled());
        EXPECT_TRUE(find<QLabel>("libraryStatusLabel")->text().contains(QDir(path).dirName()));
    }

    QMenu *recentMenu() { return find<QMenu>("openRecentMenu"); }
};

TEST_F(LibraryWindowTest, OpenLibraryTakesAChosenFileOfAnyName)
{
    start();
    const QString other = writeOther(u"exported library.plist"_s);
    interaction().openFileAnswers = { std::nullopt, other };

    QAction *open = find<QAction>("openAction");
    EXPECT_EQ(open->shortcut(), QKeySequence(QKeySequence::Open));
    open->trigger(); // cancelled: nothing changes
    EXPECT_EQ(itemsOf(find<QComboBox>("playlistPopUp")), standardPlaylists);
    open->trigger();

    ASSERT_EQ(interaction().openFileRequests.size(), 2);
    const auto &request = interaction().openFileRequests.first();
    EXPECT_EQ(request.startFolder, QFileInfo(libraryPath()).path()) << "starts beside the library open now";
    ASSERT_EQ(request.nameFilters.size(), 2);
    EXPECT_TRUE(request.nameFilters[0].contains(u"*.xml"_s));
    EXPECT_TRUE(request.nameFilters[1].contains(u"(*)"_s));
    expectOpened(other, { u"Elsewhere"_s });
    EXPECT_TRUE(interaction().alerts.isEmpty());

    // Reload reads the opened file, not the one the search would find.
    writeFileBytes(other, libraryXml({}, { { u"Renamed"_s, {} } }));
    find<QAction>("reloadAction")->trigger();
    EXPECT_EQ(itemsOf(find<QComboBox>("playlistPopUp")), QStringList { u"Renamed"_s });

    // And so does the next start.
    restart();
    EXPECT_EQ(m_controller->library()->dataFilePath(), other);
}

TEST_F(LibraryWindowTest, OpenRecentListsTheLastLibrariesAndOpensThem)
{
    start();
    EXPECT_TRUE(recentMenu()->actions().isEmpty());
    EXPECT_FALSE(recentMenu()->isEnabled());

    const QString other = writeOther();
    ASSERT_TRUE(m_controller->openLibrary(other));
    // The library it replaced comes along, so that the way back is in the menu.
    const QList<QAction *> items = recentMenu()->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), other);
    EXPECT_EQ(items[1]->text(), libraryPath());

    items[1]->trigger();
    expectOpened(libraryPath(), standardPlaylists);
    EXPECT_EQ(recentMenu()->actions().first()->text(), libraryPath());

    // Kept across a restart.
    restart();
    EXPECT_EQ(recentMenu()->actions().size(), 2);
}

TEST_F(LibraryWindowTest, ALibraryFileDroppedOnTheWindowIsOpened)
{
    start();
    const QString other = writeOther();
    QMimeData data;
    data.setUrls({ QUrl::fromLocalFile(other) });

    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_controller.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_controller.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    expectOpened(other, { u"Elsewhere"_s });

    // Anything but one local file is refused at the door.
    QMimeData web;
    web.setUrls({ QUrl(u"https://example.com/Library.xml"_s) });
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QCoreApplication::sendEvent(m_controller.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(LibraryWindowTest, TheCommandLineFileIsOpenedWithoutASearch)
{
    QFile::remove(libraryPath()); // the search would find nothing and ask
    const QString other = writeOther();
    SLController::initialize();
    m_controller = std::make_unique<SLController>(nullptr, other);
    EXPECT_TRUE(interaction().alerts.isEmpty());
    EXPECT_TRUE(m_controller->isVisible());
    expectOpened(other, { u"Elsewhere"_s });
}

TEST_F(LibraryWindowTest, TheSearchFindsAnExportedLibraryXml)
{
    const QString exported = QFileInfo(libraryPath()).path() + u"/Library.xml"_s;
    QFile::rename(libraryPath(), exported);
    start();
    EXPECT_TRUE(interaction().alerts.isEmpty());
    expectOpened(exported, standardPlaylists, false);
}

TEST_F(LibraryWindowTest, AnUnreadableLibrarySaysWhyAndLeavesTheWindowOpen)
{
    writeFileBytes(libraryPath(), readFileBytes(damagedFixture()));
    start();
    ASSERT_EQ(interaction().alerts.size(), 1);
    const auto alert = interaction().alerts.first();
    EXPECT_EQ(alert.title, Localization::localizedString(u"UnreadableLibraryTitle"_s));
    EXPECT_TRUE(alert.message.contains(u"line 12: a key without its value"_s)) << alert.message.toStdString();
    EXPECT_TRUE(alert.message.contains(libraryPath())) << alert.message.toStdString();
    EXPECT_FALSE(interaction().terminated);
    EXPECT_TRUE(m_controller->isVisible());
    EXPECT_TRUE(find<QAction>("openAction")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("exportButton")->isEnabled());
    EXPECT_FALSE(find<QAction>("exportAction")->isEnabled());
    EXPECT_EQ(find<QComboBox>("playlistPopUp")->placeholderText(), u"No library open"_s);

    // Opening a good one from here works; a damaged one opened later keeps the good one.
    const QString other = writeOther();
    interaction().openFileAnswers = { other, damagedFixture() };
    find<QAction>("openAction")->trigger();
    expectOpened(other, { u"Elsewhere"_s });
    find<QAction>("openAction")->trigger();
    ASSERT_EQ(interaction().alerts.size(), 2);
    EXPECT_TRUE(interaction().alerts[1].message.contains(u"a key without its value"_s));
    expectOpened(other, { u"Elsewhere"_s });
}

TEST_F(LibraryWindowTest, ALibraryWithoutPlaylistsSaysSoAndCannotExport)
{
    writeLibrary(libraryXml({ { 1, u"Lone"_s, u"A"_s, u"B"_s } }, {}));
    start();
    const auto *popUp = find<QComboBox>("playlistPopUp");
    EXPECT_EQ(popUp->count(), 0);
    EXPECT_EQ(popUp->placeholderText(), u"This library has no playlists"_s);
    EXPECT_FALSE(find<QPushButton>("exportButton")->isEnabled());
    EXPECT_FALSE(find<QAction>("exportAction")->isEnabled());
    EXPECT_TRUE(find<QLabel>("playlistSummaryLabel")->text().isEmpty());
    EXPECT_TRUE(interaction().alerts.isEmpty());

    // Reloading once the library has playlists enables the export again.
    writeLibrary(standardLibraryXml());
    find<QAction>("reloadAction")->trigger();
    EXPECT_TRUE(find<QPushButton>("exportButton")->isEnabled());
    EXPECT_TRUE(find<QAction>("exportAction")->isEnabled());
}

TEST_F(LibraryWindowTest, TheSummaryFollowsTheSelectedPlaylistAndTheStatusBarTheLibrary)
{
    start();
    auto *popUp = find<QComboBox>("playlistPopUp");
    const auto *summary = find<QLabel>("playlistSummaryLabel");
    const struct
    {
        QString playlist;
        QString summary;
    } cases[] = {
        { u"Library"_s, u"5 songs, 1 h 13 min"_s }, { u"Rock/Pop"_s, u"3 songs, 1 h 7 min"_s },
        { u"Empty"_s, u"No songs"_s },
        { u"Mix"_s, u"1 song, 3 min"_s }, // the first of the two, which is the one exported
    };
    for (const auto &c : cases) {
        popUp->setCurrentText(c.playlist);
        EXPECT_EQ(summary->text(), c.summary) << c.playlist.toStdString();
    }
    EXPECT_EQ(find<QLabel>("libraryStatusLabel")->text(), u"~/Music/iTunes/iTunes Music Library.xml \u2014 5 songs"_s);
}

TEST_F(LibraryWindowTest, AfterAnExportTheStatusBarSaysWhatWasWritten)
{
    start();
    const auto *status = find<QLabel>("exportStatusLabel");
    const auto *showInFolder = find<QPushButton>("showInFolderButton");
    EXPECT_FALSE(status->isVisible());
    EXPECT_FALSE(showInFolder->isVisible());

    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    const QString target = env().path(u"Library.m3u"_s);
    interaction().savePanelAnswers.push_back(target);
    find<QPushButton>("exportButton")->click();
    ASSERT_TRUE(QFile::exists(target));
    EXPECT_EQ(status->text(), u"Wrote Library.m3u"_s);
    EXPECT_TRUE(status->isVisible());
    EXPECT_TRUE(showInFolder->isVisible());
    EXPECT_EQ(showInFolder->text(), u"Show in Folder"_s);

    // A failed export keeps its alert and claims nothing.
    interaction().savePanelAnswers.push_back(env().path(u"no such folder/Library.m3u"_s));
    find<QPushButton>("exportButton")->click();
    EXPECT_EQ(interaction().alerts.size(), 1);
    EXPECT_FALSE(status->isVisible());
    EXPECT_FALSE(showInFolder->isVisible());
}
