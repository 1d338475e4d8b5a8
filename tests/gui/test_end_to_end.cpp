// Whole exports driven through the window: a tab, the sheet confirmed, the save panel answered; the file
// written must be the one the command-line exporter writes with the same settings.
#include "GuiTestSupport.h"
#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
#include "core/library/XMLAccessor.h"
#include "gui/FieldListModel.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/slTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

struct ExportCase
{
    const char *name;
    int tab;
    bool albumBased;
    const char *format;
};

void PrintTo(const ExportCase &c, std::ostream *os)
{
    *os << c.name;
}

// Every file of `folder` by name.
QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        files.insert(name, readFileBytes(folder + u'/' + name));
    return files;
}

} // namespace

class EndToEndTest : public GuiTest, public testing::WithParamInterface<ExportCase>
{
protected:
    // What the other front end writes for the settings and the library on disk.
    void exportWithoutTheWindow(const ExportCase &c, const QString &playlist, const QString &path)
    {
#ifdef SETLISTRY_EXPORT_CLI
        QStringList arguments = { u"--settings"_s, store().filePath(), u"--library"_s, libraryPath(), u"--playlist"_s,
            playlist, u"--format"_s, QString::fromLatin1(c.format), u"--output"_s, path };
        if (c.albumBased)
            arguments.append(u"--album-based"_s);
        QProcess cli;
        cli.start(QStringLiteral(SETLISTRY_EXPORT_CLI), arguments);
        ASSERT_TRUE(cli.waitForFinished(60000));
        ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();
#else
        // Without the command-line exporter in this build: the exporter called directly, as it would.
        XMLAccessor library(libraryPath());
        const std::optional<Playlist> list = library.getPlaylist(playlist);
        ASSERT_TRUE(list);
        switch (c.tab) {
        case 0:
            HTML::saveHTMLTo(path, *list, c.albumBased);
            break;
        case 1:
            DelimitedText::saveDTTo(path, *list);
            break;
        case 2:
            M3U::saveM3UTo(path, *list);
            break;
        default:
            QTSS::saveQTSSTo(path, *list);
        }
#endif
    }
};

TEST_P(EndToEndTest, TheWindowWritesWhatTheCoreWritesForTheSameSettings)
{
    const ExportCase &c = GetParam();
    start();
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Library"_s);
    find<QTabWidget>("mainTabView")->setCurrentIndex(c.tab);
    // Settings away from their defaults, so that the comparison shows they all arrive.
    find<QCheckBox>("htmlAlbumBasedExportButton")->setChecked(c.albumBased);
    find<QCheckBox>("htmlRemoveDupesButton")->setChecked(true);
    find<QCheckBox>("htmlUseStarsButton")->setChecked(true);
    find<QComboBox>("htmlFontSizePopUp")->setCurrentText(u"Larger"_s);
    find<QComboBox>("htmlMaxSongsPerFilePopUp")->setCurrentText(u"10"_s);
    find<slTextView>("htmlHeaderTextField")->setString(u"Tonight & <tomorrow>"_s);
    find<QComboBox>("dtEncodingPopUp")->setCurrentText(u"Latin-1 (ISO 8859-1)"_s);
    find<QComboBox>("dtDelimiterPopUp")->setCurrentIndex(1);
    find<QCheckBox>("dtPaddingButton")->setChecked(true);
    find<QCheckBox>("dtRemoveDupesButton")->setChecked(true);

    int sheetRuns = 0;
    m_controller->setFieldSelectionRunner([&](FieldSelectionSheet &s) {
        ++sheetRuns;
        addFields({ u"Artist"_s, u"Name"_s, u"Time"_s, u"Year"_s, u"Rating"_s });
        // Sort by the year first: dragged above the first sort row.
        FieldListModel *sortModel = s.sortModel();
        std::unique_ptr<QMimeData> drag(sortModel->mimeData({ sortModel->index(3, 0) }));
        EXPECT_TRUE(sortModel->dropMimeData(drag.get(), Qt::CopyAction, 0, 0, QModelIndex()));
        s.endFieldSelect(s.saveButton());
    });

    const QString fileName = u"Library."_s + QString::fromLatin1(c.format);
    const QString byWindow = env().path(u"window"_s);
    const QString byCore = env().path(u"core"_s);
    ASSERT_TRUE(QDir().mkpath(byWindow));
    ASSERT_TRUE(QDir().mkpath(byCore));
    interaction().savePanelAnswers.push_back(byWindow + u'/' + fileName);
    find<QPushButton>("exportButton")->click();

    EXPECT_EQ(sheetRuns, (c.tab == 0 && !c.albumBased) || c.tab == 1 ? 1 : 0);
    ASSERT_EQ(interaction().savePanelRequests.size(), 1);
    EXPECT_EQ(interaction().savePanelRequests.first().proposedName, fileName);
    EXPECT_TRUE(interaction().alerts.isEmpty());

    exportWithoutTheWindow(c, u"Library"_s, byCore + u'/' + fileName);
    const QMap<QString, QByteArray> written = filesIn(byWindow);
    ASSERT_TRUE(written.contains(fileName));
    EXPECT_FALSE(written.value(fileName).isEmpty());
    EXPECT_EQ(written, filesIn(byCore));
}

INSTANTIATE_TEST_SUITE_P(Formats, EndToEndTest,
    testing::Values(ExportCase { "SongBasedHTML", 0, false, "html" }, ExportCase { "AlbumBasedHTML", 0, true, "html" },
        ExportCase { "DelimitedText", 1, false, "txt" }, ExportCase { "M3U", 2, false, "m3u" },
        ExportCase { "QTSS", 3, false, "playlist" }),
    [](const testing::TestParamInfo<ExportCase> &info) { return info.param.name; });
