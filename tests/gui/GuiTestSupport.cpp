#include "GuiTestSupport.h"

#include "core/settings/Preferences.h"
#include "gui/FieldListModel.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QByteArray escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray libraryXml(const QList<TestTrack> &tracks, const QList<TestPlaylist> &playlists)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                     "<plist version=\"1.0\">\n<dict>\n\t<key>Major Version</key><integer>1</integer>\n"
                     "\t<key>Tracks</key>\n\t<dict>\n";
    for (const TestTrack &t : tracks) {
        const QByteArray id = QByteArray::number(t.id);
        xml += "\t\t<key>" + id + "</key>\n\t\t<dict>\n\t\t\t<key>Track ID</key><integer>" + id + "</integer>\n";
        xml += "\t\t\t<key>Name</key><string>" + escaped(t.name) + "</string>\n";
        xml += "\t\t\t<key>Artist</key><string>" + escaped(t.artist) + "</string>\n";
        xml += "\t\t\t<key>Album</key><string>" + escaped(t.album) + "</string>\n";
        xml += "\t\t\t<key>Kind</key><string>MPEG audio file</string>\n";
        xml += "\t\t\t<key>Size</key><integer>" + QByteArray::number(t.seconds * 16000) + "</integer>\n";
        xml += "\t\t\t<key>Total Time</key><integer>" + QByteArray::number(t.seconds * 1000) + "</integer>\n";
        if (t.trackNumber)
            xml += "\t\t\t<key>Track Number</key><integer>" + QByteArray::number(t.trackNumber) + "</integer>\n";
        if (t.year)
            xml += "\t\t\t<key>Year</key><integer>" + QByteArray::number(t.year) + "</integer>\n";
        xml += "\t\t\t<key>Bit Rate</key><integer>128</integer>\n";
        xml += "\t\t\t<key>Sample Rate</key><integer>44100</integer>\n";
        xml += "\t\t\t<key>Location</key><string>file://localhost/home/u/Music/"
            + escaped(QString(t.artist + u'/' + t.album + u'/' + t.name).replace(u' ', u"%20"_s)) + ".mp3</string>\n";
        xml += "\t\t</dict>\n";
    }
    xml += "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n";
    for (const TestPlaylist &p : playlists) {
        xml += "\t\t<dict>\n\t\t\t<key>Name</key><string>" + escaped(p.name) + "</string>\n";
        xml += "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n";
        for (const int id : p.trackIds)
            xml += "\t\t\t\t<dict><key>Track ID</key><integer>" + QByteArray::number(id) + "</integer></dict>\n";
        xml += "\t\t\t</array>\n\t\t</dict>\n";
    }
    xml += "\t</array>\n</dict>\n</plist>\n";
    return xml;
}

QByteArray standardLibraryXml()
{
    const QList<TestTrack> tracks = {
        { 1, u"Alpha"_s, u"Zed"_s, u"One"_s, 1, 201, 1999 },
        { 2, u"Beta & Co"_s, u"Abba"_s, u"Two"_s, 3, 95, 1976 },
        { 3, u"Gamma"_s, u"Zed"_s, u"One"_s, 2, 3725, 1999 },
        { 4, u"Alpha"_s, u"Zed"_s, u"One"_s, 1, 201, 1999 },
        { 5, u"Délice"_s, u"Abba"_s, u"Two"_s, 1, 180, 1976 },
    };
    const QList<TestPlaylist> playlists = {
        { u"Library"_s, { 1, 2, 3, 4, 5 } },
        { u"Rock/Pop"_s, { 3, 2, 1 } },
        { u"Mix"_s, { 1 } },
        { u"Empty"_s, {} },
        { u"Mix"_s, { 2, 5 } },
    };
    return libraryXml(tracks, playlists);
}

void GuiTest::SetUp()
{
    m_env = std::make_unique<CoreEnvironment>();
    m_store = &m_env->store();
    writeLibrary(standardLibraryXml());
}

void GuiTest::TearDown()
{
    m_controller.reset();
    PrefsPanel::destroySharedInstance();
    m_reopenedGlobals.reset();
    m_reopened.reset();
    m_env.reset();
}

QString GuiTest::libraryPath() const
{
    return m_env->home() + u"/Music/iTunes/iTunes Music Library.xml"_s;
}

void GuiTest::writeLibrary(const QByteArray &xml)
{
    QDir().mkpath(QFileInfo(libraryPath()).path());
    writeFileBytes(libraryPath(), xml);
}

SLController &GuiTest::start()
{
    m_controller.reset();
    SLController::initialize();
    m_controller = std::make_unique<SLController>();
    return *m_controller;
}

SLController &GuiTest::restart()
{
    m_controller->applicationWillTerminate();
    m_controller.reset();
    const QString file = m_store->filePath();
    m_reopenedGlobals.reset();
    m_reopened = std::make_unique<UserDefaults>(file);
    m_store = m_reopened.get();
    // The controller is gone, and with it the main export choices; the next one sets its own.
    m_reopenedGlobals = std::make_unique<ScopedCoreGlobals>(*m_store, interaction());
    return start();
}

FieldSelectionSheet *GuiTest::sheet() const
{
    return m_controller ? m_controller->fieldSelectionSheet() : nullptr;
}

void GuiTest::selectTitle(QListView *table, const QString &title)
{
    const auto *model = static_cast<const FieldListModel *>(table->model());
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->titleAt(row) == title) {
            table->selectionModel()->setCurrentIndex(model->index(row, 0), QItemSelectionModel::ClearAndSelect);
            return;
        }
    }
    ADD_FAILURE() << "no row " << title.toStdString();
}

void GuiTest::addFields(const QStringList &fieldTitles)
{
    for (const QString &title : fieldTitles) {
        selectTitle(sheet()->optionsView(), title);
        sheet()->addFieldButton()->click();
    }
}

QStringList GuiTest::titles(QListView *table)
{
    const auto *model = static_cast<const FieldListModel *>(table->model());
    QStringList result;
    for (int row = 0; row < model->rowCount(); ++row)
        result.append(model->titleAt(row));
    return result;
}
