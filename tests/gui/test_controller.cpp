// The main window: loading and storing the controls, the album-based rule, the export flow up to the save
// panel, the colour reset, the reload, and quitting during the library search.
#include "GuiTestSupport.h"
#include "core/export/Common.h"
#include "core/export/M3U.h"
#include "core/flow/ExportFlow.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "gui/ColorWell.h"
#include "gui/FieldListModel.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"
#include "gui/slTextView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <string_view>

using namespace Qt::StringLiterals;
using namespace Preferences;

namespace {

QString colorOf(const ColorWell *well)
{
    return Common::NSColorToRGBString(well->color());
}

QStringList itemsOf(const QComboBox *popUp)
{
    QStringList items;
    for (int i = 0; i < popUp->count(); ++i)
        items.append(popUp->itemText(i));
    return items;
}

const char *const checkBoxes[] = { "htmlUseStarsButton", "htmlIncludeRowNumbersButton", "htmlRemoveDupesButton",
    "htmlIncludeLinksButton", "htmlAlbumBasedExportButton", "dtRemoveDupesButton", "dtPaddingButton",
    "dtHeaderRowButton", "iTunesOrderingButton" };

} // namespace

class ControllerTest : public GuiTest
{
};

TEST_F(ControllerTest, FirstStartShowsTheRegisteredDefaults)
{
    SLController &controller = start();
    EXPECT_TRUE(interaction().alerts.isEmpty());
    EXPECT_TRUE(controller.isVisible());
    EXPECT_TRUE(controller.controlsLoaded());
    EXPECT_EQ(SLController::getMain(), &controller);
    EXPECT_EQ(ExportChoices::getMain(), &controller.exportChoices());

    EXPECT_EQ(colorOf(find<ColorWell>("htmlOddColorWell")), u"e7e7e7"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlEvenColorWell")), u"ffffff"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlBGColorWell")), u"ffffff"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlTextColorWell")), u"000000"_s);
    EXPECT_EQ(find<QComboBox>("htmlFontSizePopUp")->currentText(), u"Normal"_s);
    EXPECT_EQ(find<QComboBox>("htmlMaxSongsPerFilePopUp")->currentText(), u"Unlimited"_s);
    EXPECT_EQ(find<QComboBox>("htmlMaxAlbumsPerFilePopUp")->currentText(), u"Unlimited"_s);
    for (const char *name : checkBoxes) {
        SCOPED_TRACE(name);
        EXPECT_EQ(find<QCheckBox>(name)->isChecked(), std::string_view(name) == "htmlIncludeRowNumbersButton");
    }
    EXPECT_EQ(find<QComboBox>("dtEncodingPopUp")->currentText(), u"UTF-8"_s);
    EXPECT_EQ(find<QComboBox>("dtDelimiterPopUp")->currentIndex(), 0);
    EXPECT_TRUE(find<slTextView>("htmlHeaderTextField")->string().isEmpty());

    EXPECT_FALSE(find<QPushButton>("saveButton")->isEnabled());
    EXPECT_TRUE(find<QPushButton>("exportButton")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("addFieldButton")->icon().isNull());
    EXPECT_FALSE(find<QPushButton>("removeFieldButton")->icon().isNull());
    EXPECT_EQ(titles(find<QListView>("optionsView")),
        QStringList({ u"Album"_s, u"Artist"_s, u"BPM"_s, u"Bit Rate"_s, u"Comments"_s, u"Composer"_s, u"Disc Number"_s,
            u"Genre"_s, u"Kind"_s, u"Location"_s, u"Name"_s, u"Play Count"_s, u"Rating"_s, u"Sample Rate"_s, u"Size"_s,
            u"Time"_s, u"Track Number"_s, u"Year"_s }));
    EXPECT_TRUE(titles(find<QListView>("fieldView")).isEmpty());
    EXPECT_TRUE(titles(find<QListView>("sortView")).isEmpty());

    const auto *playlists = find<QComboBox>("playlistPopUp");
    EXPECT_EQ(playlists->currentIndex(), 0);
    EXPECT_EQ(playlists->currentText(), u"Library"_s);

    // Loading stores nothing; only the library search has written the path it found.
    EXPECT_EQ(store().userValues().keys(), QStringList { QString(prMusicDataFolder) });
}

TEST_F(ControllerTest, TheArrowImagesComeFromTheResources)
{
    // When the TIFF reader is missing the buttons fall back to the style's arrows; this shows which.
    EXPECT_FALSE(QPixmap(u":/images/arrow_r.tif"_s).isNull()) << "no TIFF image reader (qt6-image-formats-plugins)";
    EXPECT_FALSE(QPixmap(u":/images/arrow_l.tif"_s).isNull());
}

TEST_F(ControllerTest, QuitAndRestartRestoresEveryControl)
{
    start();
    addFields({ u"Name"_s, u"Artist"_s, u"Time"_s });
    // The sort list gets its own order by a drop: Time above Name.
    FieldListModel *sortModel = sheet()->sortModel();
    std::unique_ptr<QMimeData> drag(sortModel->mimeData({ sortModel->index(2, 0) }));
    ASSERT_TRUE(sortModel->dropMimeData(drag.get(), Qt::CopyAction, 0, 0, QModelIndex()));

    find<ColorWell>("htmlOddColorWell")->setColor(Common::RGBStringToNSColor(u"123456"_s));
    find<ColorWell>("htmlEvenColorWell")->setColor(Common::RGBStringToNSColor(u"abcdef"_s));
    find<ColorWell>("htmlBGColorWell")->setColor(Common::RGBStringToNSColor(u"7f0080"_s));
    find<ColorWell>("htmlTextColorWell")->setColor(Common::RGBStringToNSColor(u"010203"_s));
    find<QComboBox>("htmlFontSizePopUp")->setCurrentText(u"Smaller"_s);
    find<QComboBox>("htmlMaxSongsPerFilePopUp")->setCurrentText(u"50"_s);
    find<QComboBox>("htmlMaxAlbumsPerFilePopUp")->setCurrentText(u"10"_s);
    find<slTextView>("htmlHeaderTextField")->setString(u"My <b>songs</b>\nsecond line"_s);
    find<QComboBox>("dtEncodingPopUp")->setCurrentText(u"ASCII"_s);
    find<QComboBox>("dtDelimiterPopUp")->setCurrentIndex(2);
    for (const char *name : checkBoxes)
        find<QCheckBox>(name)->toggle();

    restart();

    EXPECT_EQ(titles(find<QListView>("fieldView")), QStringList({ u"Name"_s, u"Artist"_s, u"Time"_s }));
    EXPECT_EQ(sheet()->sortModel()->rowCount(), 0) << "the playlist order is kept, so no sort rows show";
    EXPECT_EQ(SLController::getMain()->getSortOrder(), QStringList({ u"Time"_s, u"Name"_s, u"Artist"_s }));
    EXPECT_EQ(titles(find<QListView>("optionsView")).size(), 15);
    EXPECT_TRUE(find<QPushButton>("saveButton")->isEnabled());
    EXPECT_EQ(colorOf(find<ColorWell>("htmlOddColorWell")), u"123456"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlEvenColorWell")), u"abcdef"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlBGColorWell")), u"7f0080"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlTextColorWell")), u"010203"_s);
    EXPECT_EQ(find<QComboBox>("htmlFontSizePopUp")->currentText(), u"Smaller"_s);
    EXPECT_EQ(find<QComboBox>("htmlMaxSongsPerFilePopUp")->currentText(), u"50"_s);
    EXPECT_EQ(find<QComboBox>("htmlMaxAlbumsPerFilePopUp")->currentText(), u"10"_s);
    EXPECT_EQ(find<slTextView>("htmlHeaderTextField")->string(), u"My <b>songs</b>\nsecond line"_s);
    EXPECT_EQ(find<QComboBox>("dtEncodingPopUp")->currentText(), u"ASCII"_s);
    EXPECT_EQ(find<QComboBox>("dtDelimiterPopUp")->currentIndex(), 2);
    for (const char *name : checkBoxes) {
        SCOPED_TRACE(name);
        EXPECT_EQ(find<QCheckBox>(name)->isChecked(), std::string_view(name) != "htmlIncludeRowNumbersButton");
    }

    // The kinds the exporters read.
    EXPECT_EQ(store().objectForKey(QString(prHTMLFontSize)), QVariant(u"-1"_s));
    EXPECT_EQ(store().objectForKey(QString(prHTMLMaxSongsPerFile)).toLongLong(), 50);
    EXPECT_EQ(store().stringForKey(QString(prHTMLMaxSongsPerFile)), u"50"_s);
    EXPECT_EQ(store().integerForKey(QString(prDTDelimiter)), 2);
    EXPECT_EQ(store().objectForKey(QString(prHTMLUseStars)), QVariant(true));
    EXPECT_EQ(store().stringForKey(QString(prDTEncoding)), u"ASCII"_s);
}

TEST_F(ControllerTest, FontSizeAndPerPageChoicesStoreWhatTheExportReads)
{
    struct Case
    {
        const char *popUp;
        QString choice;
        QLatin1StringView key;
        QVariant stored;
    };
    const Case cases[] = {
        { "htmlFontSizePopUp", u"Larger"_s, prHTMLFontSize, QVariant(u"1"_s) },
        { "htmlFontSizePopUp", u"Normal"_s, prHTMLFontSize, QVariant(u"0"_s) },
        { "htmlFontSizePopUp", u"Smaller"_s, prHTMLFontSize, QVariant(u"-1"_s) },
        { "htmlMaxSongsPerFilePopUp", u"Unlimited"_s, prHTMLMaxSongsPerFile, QVariant(qint64(0)) },
        { "htmlMaxSongsPerFilePopUp", u"100"_s, prHTMLMaxSongsPerFile, QVariant(qint64(100)) },
        { "htmlMaxAlbumsPerFilePopUp", u"1000"_s, prHTMLMaxAlbumsPerFile, QVariant(qint64(1000)) },
    };
    start();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.popUp + QString(u" "_s + c.choice).toStdString());
        auto *popUp = find<QComboBox>(c.popUp);
        popUp->setCurrentText(c.choice);
        ASSERT_EQ(popUp->currentText(), c.choice);
        m_controller->saveControlStates();
        EXPECT_EQ(store().objectForKey(QString(c.key)).toString(), c.stored.toString());
        restart();
        EXPECT_EQ(find<QComboBox>(c.popUp)->currentText(), c.choice);
    }
}

TEST_F(ControllerTest, StoredValuesThatNoItemOffersAreShownWithoutLosingThem)
{
    // Written by hand or by the command-line exporter's --set: the window shows what the export would do.
    store().setInteger(30, QString(prHTMLMaxSongsPerFile));
    store().setObject(u"7"_s, QString(prHTMLFontSize));
    store().setObject(u"EBCDIC"_s, QString(prDTEncoding));
    store().setInteger(9, QString(prDTDelimiter));
    start();
    EXPECT_EQ(find<QComboBox>("htmlMaxSongsPerFilePopUp")->currentText(), u"30"_s);
    EXPECT_EQ(find<QComboBox>("htmlFontSizePopUp")->currentText(), u"Normal"_s);
    EXPECT_EQ(find<QComboBox>("dtEncodingPopUp")->currentText(), u"UTF-8"_s);
    EXPECT_EQ(find<QComboBox>("dtDelimiterPopUp")->currentIndex(), 0);
    m_controller->saveControlStates();
    EXPECT_EQ(store().integerForKey(QString(prHTMLMaxSongsPerFile)), 30);
}

TEST_F(ControllerTest, AlbumBasedRuleSwitchesOnlyItsFourControls)
{
    start();
    auto *albumBased = find<QCheckBox>("htmlAlbumBasedExportButton");
    auto *rowNumbers = find<QCheckBox>("htmlIncludeRowNumbersButton");
    auto *removeDupes = find<QCheckBox>("htmlRemoveDupesButton");
    auto *maxSongs = find<QComboBox>("htmlMaxSongsPerFilePopUp");
    auto *maxAlbums = find<QComboBox>("htmlMaxAlbumsPerFilePopUp");
    const QStringList untouched = { u"htmlOddColorWell"_s, u"htmlEvenColorWell"_s, u"htmlBGColorWell"_s,
        u"htmlTextColorWell"_s, u"htmlFontSizePopUp"_s, u"htmlUseStarsButton"_s, u"htmlHeaderTextField"_s,
        u"htmlIncludeLinksButton"_s, u"htmlSetUpLinkingButton"_s, u"htmlColorDefaultsButton"_s };
    const QVariantMap storedBefore = store().userValues();

    for (const bool on : { true, false, true }) {
        SCOPED_TRACE(on ? "album-based" : "song-based");
        albumBased->setChecked(on);
        EXPECT_EQ(rowNumbers->isEnabled(), !on);
        EXPECT_EQ(removeDupes->isEnabled(), !on);
        EXPECT_EQ(maxSongs->isEnabled(), !on);
        EXPECT_EQ(maxAlbums->isEnabled(), on);
        EXPECT_TRUE(rowNumbers->isChecked()) << "disabling changes no state";
        for (const QString &name : untouched)
            EXPECT_TRUE(m_controller->findChild<QWidget *>(name)->isEnabled()) << name.toStdString();
    }
    EXPECT_EQ(store().userValues(), storedBefore);

    // Stored on, the rule holds from the start.
    restart();
    EXPECT_FALSE(find<QCheckBox>("htmlIncludeRowNumbersButton")->isEnabled());
    EXPECT_TRUE(find<QComboBox>("htmlMaxAlbumsPerFilePopUp")->isEnabled());
}

TEST_F(ControllerTest, TheSheetComesOnlyBeforeSongBasedExports)
{
    struct Case
    {
        int tab;
        bool albumBased;
        bool sheet;
        const char *extension;
    };
    const Case cases[] = {
        { 0, false, true, "html" },
        { 0, true, false, "html" },
        { 1, false, true, "txt" },
        { 1, true, true, "txt" },
        { 2, false, false, "m3u" },
        { 3, false, false, "playlist" },
    };
    start();
    int sheetRuns = 0;
    m_controller->setFieldSelectionRunner([&](FieldSelectionSheet &s) {
        ++sheetRuns;
        EXPECT_TRUE(s.isVisible());
        EXPECT_EQ(s.windowModality(), Qt::WindowModal);
        s.endFieldSelect(s.saveButton());
    });
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "tab " << c.tab << (c.albumBased ? " album-based" : ""));
        sheetRuns = 0;
        interaction().savePanelRequests.clear();
        find<QTabWidget>("mainTabView")->setCurrentIndex(c.tab);
        find<QCheckBox>("htmlAlbumBasedExportButton")->setChecked(c.albumBased);
        find<QPushButton>("exportButton")->click();
        EXPECT_EQ(sheetRuns, c.sheet ? 1 : 0);
        ASSERT_EQ(interaction().savePanelRequests.size(), 1);
        EXPECT_EQ(interaction().savePanelRequests.first().requiredExtension, QLatin1StringView(c.extension));
        EXPECT_FALSE(sheet()->isVisible());
    }
}

TEST_F(ControllerTest, CSVDisablesPaddingAndNamesTheFileCSV)
{
    start();
    auto *delimiter = find<QComboBox>("dtDelimiterPopUp");
    auto *padding = find<QCheckBox>("dtPaddingButton");
    EXPECT_EQ(delimiter->itemText(3), u"Comma (CSV)"_s);
    padding->setChecked(true);
    for (const auto &[index, enabled] : { std::pair { 3, false }, { 1, true }, { 3, false }, { 0, true } }) {
        delimiter->setCurrentIndex(index);
        EXPECT_EQ(padding->isEnabled(), enabled) << index;
        EXPECT_TRUE(padding->isChecked()) << "kept for the delimiters that pad";
    }

    // Stored with CSV: the window starts with the box disabled, and the save panel asks for ".csv".
    delimiter->setCurrentIndex(3);
    find<QCheckBox>("dtHeaderRowButton")->setChecked(true);
    restart();
    EXPECT_EQ(find<QComboBox>("dtDelimiterPopUp")->currentIndex(), 3);
    EXPECT_FALSE(find<QCheckBox>("dtPaddingButton")->isEnabled());
    EXPECT_TRUE(find<QCheckBox>("dtHeaderRowButton")->isChecked());
    EXPECT_EQ(store().objectForKey(QString(prDTHeaderRow)), QVariant(true));

    m_controller->setFieldSelectionRunner([](FieldSelectionSheet &s) { s.endFieldSelect(s.saveButton()); });
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Rock/Pop"_s);
    find<QTabWidget>("mainTabView")->setCurrentIndex(1);
    interaction().savePanelAnswers.push_back(std::nullopt);
    find<QPushButton>("exportButton")->click();
    ASSERT_EQ(interaction().savePanelRequests.size(), 1);
    EXPECT_EQ(interaction().savePanelRequests.first().proposedName, u"Rock-Pop.csv"_s);
    EXPECT_EQ(interaction().savePanelRequests.first().requiredExtension, u"csv"_s);
}

TEST_F(ControllerTest, CancellingTheSheetEndsTheExportButKeepsStoredControlsAndListEdits)
{
    start();
    find<QTabWidget>("mainTabView")->setCurrentIndex(1);
    find<QCheckBox>("dtPaddingButton")->setChecked(true);
    m_controller->setFieldSelectionRunner([&](FieldSelectionSheet &s) {
        addFields({ u"Artist"_s });
        s.iTunesOrderingButton()->setChecked(true);
        s.endFieldSelect(s.cancelButton());
    });
    find<QPushButton>("exportButton")->click();

    EXPECT_TRUE(interaction().savePanelRequests.isEmpty());
    EXPECT_TRUE(store().boolForKey(QString(prDTPadding))) << "stored when the export began";
    EXPECT_TRUE(store().stringListForKey(QString(prFieldOrder)).isEmpty()) << "the sheet's edits are not stored";
    EXPECT_FALSE(store().boolForKey(QString(priTunesOrdering)));
    EXPECT_EQ(m_controller->getFieldOrder(), QStringList { u"Artist"_s }) << "but they stay in the lists";

    // Escape or closing the sheet's window counts as cancel too.
    m_controller->setFieldSelectionRunner([](FieldSelectionSheet &s) { s.reject(); });
    find<QPushButton>("exportButton")->click();
    EXPECT_TRUE(interaction().savePanelRequests.isEmpty());
}

TEST_F(ControllerTest, ConfirmingTheSheetStoresAgainAndACancelledPanelStoresNoFolder)
{
    start();
    find<QTabWidget>("mainTabView")->setCurrentIndex(0);
    m_controller->setFieldSelectionRunner([&](FieldSelectionSheet &s) {
        addFields({ u"Name"_s, u"Year"_s });
        s.iTunesOrderingButton()->setChecked(true);
        s.endFieldSelect(s.saveButton());
    });
    interaction().savePanelAnswers.push_back(std::nullopt);
    find<QPushButton>("exportButton")->click();

    ASSERT_EQ(interaction().savePanelRequests.size(), 1);
    EXPECT_EQ(store().stringListForKey(QString(prFieldOrder)), QStringList({ u"Name"_s, u"Year"_s }));
    EXPECT_TRUE(store().boolForKey(QString(priTunesOrdering)));
    EXPECT_FALSE(store().hasUserValue(QString(prLastSaveDir)));
}

TEST_F(ControllerTest, SavePanelProposesTheNameAndStartsInTheLastFolder)
{
    start();
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Rock/Pop"_s);
    const QString folder = env().path(u"exports"_s);
    ASSERT_TRUE(QDir().mkpath(folder));

    const char *const names[] = { "Rock-Pop.html", "Rock-Pop.txt", "Rock-Pop.m3u", "Rock-Pop.playlist" };
    for (int tab = 2; tab < 4; ++tab) {
        SCOPED_TRACE(tab);
        find<QTabWidget>("mainTabView")->setCurrentIndex(tab);
        interaction().savePanelRequests.clear();
        interaction().savePanelAnswers.push_back(folder + u'/' + QLatin1StringView(names[tab]));
        find<QPushButton>("exportButton")->click();
        ASSERT_EQ(interaction().savePanelRequests.size(), 1);
        const auto &request = interaction().savePanelRequests.first();
        EXPECT_EQ(request.proposedName, QLatin1StringView(names[tab]));
        // The first panel starts at home (the registered "~"), the next one where the last export went.
        EXPECT_EQ(request.startFolder, tab == 2 ? env().home() : folder);
        EXPECT_TRUE(QFileInfo::exists(folder + u'/' + QLatin1StringView(names[tab])));
    }
    EXPECT_EQ(store().stringForKey(QString(prLastSaveDir)), folder);

    // Also after a restart; and once the folder has gone, the panel starts at home again.
    restart();
    EXPECT_EQ(ExportFlow::saveStartFolder(), folder);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    interaction().savePanelRequests.clear();
    find<QPushButton>("exportButton")->click();
    ASSERT_EQ(interaction().savePanelRequests.size(), 1);
    EXPECT_EQ(interaction().savePanelRequests.first().startFolder, env().home());
}

TEST_F(ControllerTest, PlaylistsSharingANameAreToldApartAndEachExportsItself)
{
    start();
    EXPECT_EQ(itemsOf(find<QComboBox>("playlistPopUp")),
        QStringList({ u"Library"_s, u"Rock/Pop"_s, u"Mix"_s, u"Empty"_s, u"Mix (2)"_s }));

    const struct
    {
        QString item;
        const char *has;
        const char *hasNot;
    } cases[] = { { u"Mix"_s, "Alpha", "Beta" }, { u"Mix (2)"_s, "Beta", "Alpha" } };
    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    for (const auto &c : cases) {
        find<QComboBox>("playlistPopUp")->setCurrentText(c.item);
        const QString target = env().path(c.item + u".m3u"_s);
        interaction().savePanelAnswers.push_back(target);
        find<QPushButton>("exportButton")->click();
        EXPECT_EQ(interaction().savePanelRequests.last().proposedName, c.item + u".m3u"_s);
        const QByteArray written = readFileBytes(target);
        EXPECT_TRUE(written.contains(c.has)) << written.constData();
        EXPECT_FALSE(written.contains(c.hasNot)) << written.constData();
    }
}

TEST_F(ControllerTest, FoldersShowTheirPlaylistsUnderThemAndExportTheirOwnSongs)
{
    QByteArray xml = libraryXml({ { 1, u"Alpha"_s, u"Zed"_s, u"One"_s }, { 2, u"Beta"_s, u"Abba"_s, u"Two"_s } },
        { { u"Trips"_s, { 1, 2 } }, { u"Loose"_s, { 2 } }, { u"Road"_s, { 1 } } });
    const auto mark = [&xml](const char *name, const char *keys) {
        const QByteArray at = QByteArray("<string>") + name + "</string>\n";
        xml.replace(at, QByteArray(at + keys));
    };
    mark("Trips", "<key>Playlist Persistent ID</key><string>F1</string><key>Folder</key><true/>\n");
    mark("Road", "<key>Parent Persistent ID</key><string>F1</string>\n");
    writeLibrary(xml);
    start();

    QComboBox *popUp = find<QComboBox>("playlistPopUp");
    EXPECT_EQ(itemsOf(popUp), QStringList({ u"Trips"_s, u"    Road"_s, u"Loose"_s }));
    EXPECT_TRUE(popUp->itemData(0, Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(popUp->itemIcon(0).isNull());
    EXPECT_TRUE(popUp->itemIcon(1).isNull());

    popUp->setCurrentIndex(0);
    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    const QString target = env().path(u"Trips.m3u"_s);
    interaction().savePanelAnswers.push_back(target);
    find<QPushButton>("exportButton")->click();
    const QByteArray written = readFileBytes(target);
    EXPECT_TRUE(written.contains("Alpha") && written.contains("Beta")) << written.constData();

    // The title, not the indented text, is what is proposed and stored.
    popUp->setCurrentIndex(1);
    m_controller->saveControlStates();
    EXPECT_EQ(store().stringForKey(QString(prLastPlaylist)), u"Road"_s);
}

TEST_F(ControllerTest, AnEmptyLibraryOpensNoSavePanel)
{
    writeLibrary(libraryXml({}, {}));
    start();
    EXPECT_EQ(find<QComboBox>("playlistPopUp")->count(), 0);
    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    find<QPushButton>("exportButton")->click();
    EXPECT_TRUE(interaction().savePanelRequests.isEmpty());
}

TEST_F(ControllerTest, ReloadReadsTheLibraryAgainAndSelectsTheFirstPlaylist)
{
    start();
    addFields({ u"Album"_s });
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Empty"_s);
    find<QCheckBox>("dtPaddingButton")->setChecked(true);
    writeLibrary(
        libraryXml({ { 1, u"Only"_s, u"One"_s, u"Album"_s } }, { { u"Fresh"_s, { 1 } }, { u"Rock/Pop"_s, { 1 } } }));

    m_controller->findChild<QAction *>(u"reloadAction"_s)->trigger();

    EXPECT_EQ(itemsOf(find<QComboBox>("playlistPopUp")), QStringList({ u"Fresh"_s, u"Rock/Pop"_s }));
    EXPECT_EQ(find<QComboBox>("playlistPopUp")->currentIndex(), 0);
    EXPECT_EQ(m_controller->getFieldOrder(), QStringList { u"Album"_s });
    EXPECT_TRUE(find<QCheckBox>("dtPaddingButton")->isChecked());
    EXPECT_TRUE(interaction().alerts.isEmpty());
}

TEST_F(ControllerTest, ColorResetStoresTheDefaultsAtOnce)
{
    start();
    for (const char *name : { "htmlOddColorWell", "htmlEvenColorWell", "htmlBGColorWell", "htmlTextColorWell" })
        find<ColorWell>(name)->setColor(Common::RGBStringToNSColor(u"336699"_s));
    m_controller->saveControlStates();

    find<QPushButton>("htmlColorDefaultsButton")->click();

    EXPECT_EQ(colorOf(find<ColorWell>("htmlOddColorWell")), u"e7e7e7"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlTextColorWell")), u"000000"_s);
    // On disk already, without any further storing: a store read afresh from the file has them.
    UserDefaults onDisk(store().filePath());
    EXPECT_EQ(onDisk.stringForKey(QString(prHTMLOddColor)), u"e7e7e7"_s);
    EXPECT_EQ(onDisk.stringForKey(QString(prHTMLEvenColor)), u"FFFFFF"_s);
    EXPECT_EQ(onDisk.stringForKey(QString(prHTMLBGColor)), u"FFFFFF"_s);
    EXPECT_EQ(onDisk.stringForKey(QString(prHTMLTextColor)), u"000000"_s);
}

TEST_F(ControllerTest, ColorWellsPickThroughTheInteractionAndAreStoredWithTheControls)
{
    start();
    auto *well = find<ColorWell>("htmlOddColorWell");
    int changes = 0;
    QObject::connect(well, &ColorWell::colorChanged, well, [&changes] { ++changes; });

    // A cancelled chooser leaves the well as it was.
    interaction().colorAnswers = { std::nullopt, u"123456"_s };
    well->click();
    EXPECT_EQ(colorOf(well), u"e7e7e7"_s);
    EXPECT_EQ(changes, 0);
    well->click();
    EXPECT_EQ(colorOf(well), u"123456"_s);
    EXPECT_EQ(changes, 1);

    ASSERT_EQ(interaction().colorRequests.size(), 2);
    for (const ScriptedInteraction::ColorRequest &request : std::as_const(interaction().colorRequests)) {
        EXPECT_EQ(request.currentColor, u"e7e7e7"_s) << "the chooser starts on the well's colour";
        EXPECT_EQ(request.title, u"Odd row color"_s);
    }
    EXPECT_FALSE(store().hasUserValue(QString(prHTMLOddColor))) << "stored with the other controls, not at once";

    restart();
    EXPECT_EQ(store().stringForKey(QString(prHTMLOddColor)), u"123456"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlOddColorWell")), u"123456"_s);
    EXPECT_EQ(colorOf(find<ColorWell>("htmlEvenColorWell")), u"ffffff"_s);
}

TEST_F(ControllerTest, AboutBoxGoesThroughTheInteraction)
{
    start();
    find<QAction>("aboutAction")->trigger();
    ASSERT_EQ(interaction().abouts.size(), 1);
    EXPECT_EQ(interaction().abouts.first().title, u"About Setlistry"_s);
    EXPECT_TRUE(interaction().abouts.first().text.contains(QCoreApplication::applicationVersion()));
    EXPECT_TRUE(interaction().abouts.first().text.contains(u"never changes it"_s));
}

TEST_F(ControllerTest, TheHelpMenuOpensTheReadmeAndBothAboutBoxes)
{
    start();
    const QAction *help = find<QAction>("helpAction");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    const QFileInfo readme(SLController::helpDocumentPath());
    EXPECT_TRUE(readme.isFile()) << readme.filePath().toStdString();
    EXPECT_EQ(readme.fileName(), u"README.md"_s);

    const QList<QAction *> menu = find<QMenu>("helpMenu")->actions();
    for (const char *name : { "helpAction", "aboutAction", "aboutQtAction" })
        EXPECT_TRUE(menu.contains(find<QAction>(name))) << name;
    find<QAction>("aboutQtAction")->trigger();
    EXPECT_EQ(interaction().toolkitAbouts, 1);
    find<QAction>("aboutAction")->trigger();
    ASSERT_EQ(interaction().abouts.size(), 1);
    EXPECT_TRUE(interaction().abouts.first().text.contains(u"MIT"_s));
}

TEST_F(ControllerTest, TheWindowComesBackWhereItWasLeft)
{
    start();
    m_controller->resize(900, 760);
    find<QTabWidget>("mainTabView")->setCurrentIndex(2);
    find<QComboBox>("playlistPopUp")->setCurrentText(u"Rock/Pop"_s);

    restart();
    EXPECT_EQ(m_controller->size(), QSize(900, 760));
    EXPECT_EQ(find<QTabWidget>("mainTabView")->currentIndex(), 2);
    EXPECT_EQ(find<QComboBox>("playlistPopUp")->currentText(), u"Rock/Pop"_s);

    // A playlist gone from the library, or a tab that no longer exists, leaves the first of each.
    store().setObject(u"Gone"_s, QString(prLastPlaylist));
    store().setInteger(99, QString(prLastTab));
    m_controller->setUpControls();
    EXPECT_EQ(find<QComboBox>("playlistPopUp")->currentIndex(), 0);
    EXPECT_EQ(find<QTabWidget>("mainTabView")->currentIndex(), 0);
}

TEST_F(ControllerTest, DefaultEncodingButtonSelectsUTF8WithoutStoring)
{
    start();
    find<QComboBox>("dtEncodingPopUp")->setCurrentText(u"Latin-1 (ISO 8859-1)"_s);
    m_controller->saveControlStates();
    find<QPushButton>("dtDefaultEncodingButton")->click();
    EXPECT_EQ(find<QComboBox>("dtEncodingPopUp")->currentText(), u"UTF-8"_s);
    EXPECT_EQ(store().stringForKey(QString(prDTEncoding)), u"Latin-1 (ISO 8859-1)"_s);
}

TEST_F(ControllerTest, QuittingDuringTheLibrarySearchLeavesTheSettingsAsTheyWere)
{
    QFile::remove(libraryPath());
    store().setObject(QStringList { u"Name"_s }, QString(prFieldOrder));
    store().setBool(true, QString(prHTMLUseStars));
    store().setObject(u"b0b0b0"_s, QString(prHTMLOddColor));
    const QVariantMap before = store().userValues();
    const QByteArray fileBefore = readFileBytes(store().filePath());

    interaction().alertAnswers.push_back(UserInteraction::AlertButton::Alternate);
    SLController &controller = start();

    EXPECT_TRUE(interaction().terminated);
    ASSERT_EQ(interaction().alerts.size(), 1);
    EXPECT_FALSE(controller.controlsLoaded());
    EXPECT_FALSE(controller.isVisible());
    EXPECT_EQ(SLController::getMain(), nullptr);
    // The quit path stores the controls; here there is nothing loaded to store.
    controller.applicationWillTerminate();
    EXPECT_EQ(store().userValues(), before);
    EXPECT_EQ(readFileBytes(store().filePath()), fileBefore);
}

TEST_F(ControllerTest, LinkSetUpOpensThePreferencesOnTheLinksTab)
{
    start();
    find<QPushButton>("htmlSetUpLinkingButton")->click();
    ASSERT_TRUE(PrefsPanel::hasSharedInstance());
    PrefsPanel &prefs = PrefsPanel::sharedInstance();
    ASSERT_NE(prefs.window(), nullptr);
    EXPECT_TRUE(prefs.window()->isVisible());
    EXPECT_EQ(prefs.mainTabView()->currentIndex(), 0);
    EXPECT_EQ(
        prefs.mainTabView()->currentWidget()->findChild<QLineEdit *>(u"musicPathField"_s), prefs.musicPathField());
}
