// The player playlist tab: its mapping table, its choices and preview, and an export through it that writes
// what the command-line exporter writes for the same settings.
#include "GuiTestSupport.h"
#include "core/settings/Preferences.h"
#include "gui/FieldSelectionSheet.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

QStringList rowsOf(const QTableWidget *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem *from = table->item(row, 0);
        const QTableWidgetItem *to = table->item(row, 1);
        rows.append((from ? from->text() : QString()) + u" -> "_s + (to ? to->text() : QString()));
    }
    return rows;
}

void setCell(QTableWidget *table, int row, int column, const QString &text)
{
    table->item(row, column)->setText(text);
}

} // namespace

class PlayerPlaylistTabTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        writeLibrary(readFileBytes(sampleLibraryPath()));
    }
    QTableWidget *mappings() { return find<QTableWidget>("ppMappingTable"); }
    void click(const char *button) { find<QPushButton>(button)->click(); }
};

TEST_F(PlayerPlaylistTabTest, TheMappingTableIsEditedByButtonsAndStoredInOrder)
{
    start();
    QTabWidget *tabs = find<QTabWidget>("mainTabView");
    EXPECT_EQ(QString(tabs->tabText(4)).remove(u'&'), u"Player Playlist"_s);
    EXPECT_EQ(tabs->widget(4)->objectName(), u"ppTab"_s);
    EXPECT_FALSE(find<QPushButton>("ppRemoveMappingButton")->isEnabled());

    // The first row offers the library's music folder; later rows start empty.
    click("ppAddMappingButton");
    click("ppAddMappingButton");
    click("ppAddMappingButton");
    EXPECT_EQ(
        rowsOf(mappings()), (QStringList { u"/Users/alex/Music/iTunes/iTunes Music -> "_s, u" -> "_s, u" -> "_s }));
    setCell(mappings(), 1, 0, u"/b"_s);
    setCell(mappings(), 2, 0, u"/c"_s);
    setCell(mappings(), 2, 1, u"/z"_s);

    mappings()->setCurrentCell(2, 0);
    EXPECT_FALSE(find<QPushButton>("ppMoveDownButton")->isEnabled());
    click("ppMoveUpButton");
    click("ppMoveUpButton");
    EXPECT_EQ(mappings()->currentRow(), 0);
    EXPECT_FALSE(find<QPushButton>("ppMoveUpButton")->isEnabled());
    click("ppMoveDownButton");
    EXPECT_EQ(rowsOf(mappings()),
        (QStringList { u"/Users/alex/Music/iTunes/iTunes Music -> "_s, u"/c -> /z"_s, u"/b -> "_s }));
    mappings()->setCurrentCell(0, 0);
    click("ppRemoveMappingButton");
    EXPECT_EQ(mappings()->currentRow(), 0);

    find<QComboBox>("ppExtensionPopUp")->setCurrentIndex(1);
    find<QLineEdit>("ppPlaylistDirField")->setText(u"/srv/lists"_s);
    m_controller->saveControlStates();
    EXPECT_EQ(store().stringListForKey(QString(Preferences::prPPMappings)), (QStringList { u"/c=/z"_s, u"/b="_s }));
    EXPECT_EQ(store().stringForKey(QString(Preferences::prPPExtension)), u"m3u"_s);

    restart();
    EXPECT_EQ(rowsOf(mappings()), (QStringList { u"/c -> /z"_s, u"/b -> "_s }));
    EXPECT_EQ(find<QComboBox>("ppExtensionPopUp")->currentData().toString(), u"m3u"_s);
    EXPECT_EQ(find<QLineEdit>("ppPlaylistDirField")->text(), u"/srv/lists"_s);
    EXPECT_EQ(find<QComboBox>("ppPathsPopUp")->currentData().toString(), u"absolute"_s);
}

TEST_F(PlayerPlaylistTabTest, ThePreviewFollowsTheControlsAndTheExportMatchesTheCommandLine)
{
    start();
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Paths"_s);
    find<QTabWidget>("mainTabView")->setCurrentIndex(4);
    QTableWidget *preview = find<QTableWidget>("ppPreviewTable");
    QLabel *summary = find<QLabel>("ppPreviewSummaryLabel");
    ASSERT_GT(preview->rowCount(), 0);
    const QString firstBefore = preview->item(0, 0)->text();
    // Without mappings the path stays, only composed the way the export composes it.
    EXPECT_NE(preview->item(0, 1)->text(), firstBefore);
    EXPECT_EQ(preview->item(0, 1)->text(), firstBefore.normalized(QString::NormalizationForm_C));
    const QString unmapped = summary->text();
    EXPECT_TRUE(unmapped.startsWith(u"\"Paths\": wrote "_s)) << unmapped.toStdString();

    click("ppAddMappingButton");
    setCell(mappings(), 0, 1, u"D:\\Music"_s);
    find<QComboBox>("ppStreamsPopUp")->setCurrentIndex(1);
    find<QComboBox>("ppLineEndPopUp")->setCurrentIndex(1);
    EXPECT_EQ(preview->item(0, 0)->text(), firstBefore);
    EXPECT_TRUE(preview->item(0, 1)->text().startsWith(u"D:\\Music\\Nordlys\\"_s))
        << preview->item(0, 1)->text().toStdString();
    EXPECT_NE(summary->text(), unmapped);

    const QString byWindow = env().path(u"window/Paths.m3u8"_s);
    const QString byCli = env().path(u"cli/Paths.m3u8"_s);
    ASSERT_TRUE(QDir().mkpath(env().path(u"window"_s)));
    ASSERT_TRUE(QDir().mkpath(env().path(u"cli"_s)));
    interaction().savePanelAnswers.push_back(byWindow);
    click("exportButton");
    ASSERT_EQ(interaction().savePanelRequests.size(), 1);
    EXPECT_EQ(interaction().savePanelRequests.first().proposedName, u"Paths.m3u8"_s);
    EXPECT_EQ(interaction().savePanelRequests.first().requiredExtension, u"m3u8"_s);
    EXPECT_TRUE(interaction().alerts.isEmpty());
    // The skips are told where they do not stop the user.
    EXPECT_EQ(m_controller->statusBar()->currentMessage(), summary->text());
    EXPECT_TRUE(summary->text().contains(u"skipped"_s)) << summary->text().toStdString();

#ifdef SETLISTRY_EXPORT_CLI
    QProcess cli;
    cli.start(QStringLiteral(SETLISTRY_EXPORT_CLI),
        { u"--settings"_s, store().filePath(), u"--library"_s, libraryPath(), u"--playlist"_s, u"Paths"_s,
            u"--format"_s, u"m3u8"_s, u"--output"_s, byCli });
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().constData();
    EXPECT_EQ(QString::fromUtf8(cli.readAllStandardError()).trimmed(), u"setlistry-export: "_s + summary->text());
    const QByteArray written = readFileBytes(byWindow);
    EXPECT_TRUE(written.startsWith("#EXTM3U\r\n#PLAYLIST:Paths\r\n"));
    EXPECT_TRUE(written.contains("\r\nD:\\Music\\Nordlys\\"));
    EXPECT_EQ(written, readFileBytes(byCli));
#endif
}
