#pragma once

#include "gui/SLController.h"
#include "support/TestSupport.h"

#include <QStringList>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable texts in the messages of failed expectations.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

class FieldSelectionSheet;
class QListView;

// One track of a test library.
struct TestTrack
{
    int id;
    QString name, artist, album;
    int trackNumber = 0;
    int seconds = 0;
    int year = 0;
};

// One playlist of a test library: its name and the ids of its tracks in order.
struct TestPlaylist
{
    QString name;
    QList<int> trackIds;
};

// An iTunes library file holding `tracks` and `playlists`.
QByteArray libraryXml(const QList<TestTrack> &tracks, const QList<TestPlaylist> &playlists);

// The library most tests use: a few songs over two albums, a playlist named "Rock/Pop", two playlists that
// share the name "Mix" (the first holding only "Alpha"), and one without songs.
QByteArray standardLibraryXml();

// A fresh core environment (temporary home and settings store, scripted answers) with the desktop
// application's controller on top. The library is written to the Music place of the home folder.
class GuiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString libraryPath() const;
    void writeLibrary(const QByteArray &xml);
    // Wakes a controller on the library as it is on disk now.
    SLController &start();
    // Quits the way the application does (storing the controls), then starts again on a store reopened
    // from the same file, as after a restart.
    SLController &restart();

    template<typename T> T *find(const char *objectName) const
    {
        T *widget = findIn<T>(m_controller.get(), objectName);
        if (!widget && m_controller)
            widget = findIn<T>(sheet(), objectName);
        EXPECT_NE(widget, nullptr) << objectName;
        return widget;
    }
    template<typename T> static T *findIn(const QObject *root, const char *objectName)
    {
        return root ? root->findChild<T *>(QString::fromLatin1(objectName)) : nullptr;
    }

    FieldSelectionSheet *sheet() const;
    UserDefaults &store() { return *m_store; }
    ScriptedInteraction &interaction() { return m_env->interaction(); }
    CoreEnvironment &env() { return *m_env; }

    // Selects `title` in a table of the sheet, as a click would.
    static void selectTitle(QListView *table, const QString &title);
    // Adds the fields to the field and sort lists through the sheet's add button.
    void addFields(const QStringList &titles);
    static QStringList titles(QListView *table);

    std::unique_ptr<CoreEnvironment> m_env;
    std::unique_ptr<UserDefaults> m_reopened;
    // The reopened store installed over the environment's one.
    std::unique_ptr<ScopedCoreGlobals> m_reopenedGlobals;
    UserDefaults *m_store = nullptr;
    std::unique_ptr<SLController> m_controller;
};
