#include "SLController.h"

#include "FieldSelectionSheet.h"
#include "PrefsPanel.h"
#include "core/export/Common.h"
#include "core/flow/ExportFlow.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"
#include "ui_SLController.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

SLController *s_mainController = nullptr;

UserDefaults &store()
{
    return UserDefaults::standardUserDefaults();
}

bool isOn(const QCheckBox *box)
{
    // Only the fully-on state counts as on.
    return box->checkState() == Qt::Checked;
}

void setOn(QCheckBox *box, QLatin1StringView key)
{
    box->setChecked(store().boolForKey(QString(key)));
}

} // namespace

void SLController::initialize()
{
    Preferences::registerDefaults(UserDefaults::standardUserDefaults());
}

SLController::SLController(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::SLController>())
{
    ui->setupUi(this);
    setWindowIcon(QIcon(u":/icons/setlistry-256.png"_s));
    m_sheet = new FieldSelectionSheet(m_choices, this);

    ui->htmlFontSizePopUp->addItems(ExportFlow::fontSizeTitles());
    ui->dtEncodingPopUp->addItems(ExportFlow::encodingTitles());
    ui->dtDelimiterPopUp->addItems(ExportFlow::delimiterTitles());

    connect(ui->exportButton, &QPushButton::clicked, this, &SLController::startExport);
    connect(ui->exportAction, &QAction::triggered, this, &SLController::startExport);
    connect(ui->reloadAction, &QAction::triggered, this, &SLController::refreshLibrarySelector);
    connect(ui->preferencesAction, &QAction::triggered, this, &SLController::showPrefs);
    connect(ui->quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(ui->aboutAction, &QAction::triggered, this, &SLController::showAbout);
    connect(ui->htmlAlbumBasedExportButton, &QCheckBox::toggled, this, &SLController::toggleAlbumExport);
    connect(ui->htmlColorDefaultsButton, &QPushButton::clicked, this, &SLController::setHTMLColorsToDefault);
    connect(ui->htmlSetUpLinkingButton, &QPushButton::clicked, this, &SLController::setUpHTMLLinking);
    connect(ui->dtDefaultEncodingButton, &QPushButton::clicked, this, &SLController::setDTEncodingToDefault);

    // The library comes first: its search may ask the user, or end the application before anything shows.
    m_XMLAccess = std::make_unique<XMLAccessor>();
    if (UserInteraction::current().isTerminating())
        return;

    // The sheet's double-click and drag settings are made with the sheet.
    s_mainController = this;
    ExportChoices::setMain(&m_choices);
    show();
    activateWindow();
    setUpControls();
    applyAlbumBasedRule(isOn(ui->htmlAlbumBasedExportButton));
}

SLController::~SLController()
{
    if (s_mainController == this)
        s_mainController = nullptr;
    if (ExportChoices::getMain() == &m_choices)
        ExportChoices::setMain(nullptr);
}

SLController *SLController::getMain()
{
    return s_mainController;
}

void SLController::loadPageSizePopUp(QComboBox *popUp, QLatin1StringView key)
{
    const qint64 integerRead = store().integerForKey(QString(key));
    const QString stringRead = store().stringForKey(QString(key));
    const QList<ExportFlow::PageSizeItem> items = ExportFlow::pageSizeItemsFor(integerRead, stringRead);
    popUp->clear();
    for (const ExportFlow::PageSizeItem &item : items)
        popUp->addItem(item.title, item.tag);
    popUp->setCurrentIndex(int(ExportFlow::pageSizeIndex(items, integerRead, stringRead)));
}

void SLController::setUpControls()
{
    using namespace Preferences;
    m_choices.fillFromSettings(store());
    m_sheet->setUpButtonImages();
    setOn(m_sheet->iTunesOrderingButton(), priTunesOrdering);
    m_sheet->updateSaveButton();
    m_sheet->reloadTables();

    fillPlaylistPopUp();
    ui->exportButton->setEnabled(true);

    ui->htmlOddColorWell->setColor(Common::RGBStringToNSColor(stringFor(prHTMLOddColor)));
    ui->htmlEvenColorWell->setColor(Common::RGBStringToNSColor(stringFor(prHTMLEvenColor)));
    ui->htmlBGColorWell->setColor(Common::RGBStringToNSColor(stringFor(prHTMLBGColor)));
    ui->htmlTextColorWell->setColor(Common::RGBStringToNSColor(stringFor(prHTMLTextColor)));

    ui->htmlFontSizePopUp->setCurrentIndex(
        ui->htmlFontSizePopUp->findText(ExportFlow::fontSizeTitle(integerFor(prHTMLFontSize))));
    setOn(ui->htmlUseStarsButton, prHTMLUseStars);
    loadPageSizePopUp(ui->htmlMaxSongsPerFilePopUp, prHTMLMaxSongsPerFile);
    loadPageSizePopUp(ui->htmlMaxAlbumsPerFilePopUp, prHTMLMaxAlbumsPerFile);
    setOn(ui->htmlIncludeRowNumbersButton, prHTMLShouldNumberRows);
    ui->htmlHeaderTextField->setString(stringFor(prHTMLHeader));
    setOn(ui->htmlRemoveDupesButton, prHTMLRemoveDupes);
    setOn(ui->htmlIncludeLinksButton, prHTMLAddWebServerLinks);
    setOn(ui->htmlAlbumBasedExportButton, prHTMLAlbumBased);
    ui->dtEncodingPopUp->setCurrentIndex(ExportFlow::encodingIndex(stringFor(prDTEncoding)));
    ui->dtDelimiterPopUp->setCurrentIndex(ExportFlow::delimiterIndex(integerFor(prDTDelimiter)));
    setOn(ui->dtRemoveDupesButton, prDTRemoveDupes);
    setOn(ui->dtPaddingButton, prDTPadding);

    m_controlsLoaded = true;
}

void SLController::saveControlStates()
{
    if (!m_controlsLoaded)
        return;
    using namespace Preferences;
    UserDefaults &s = store();
    m_choices.storeToSettings(s);
    s.setBool(isOn(m_sheet->iTunesOrderingButton()), QString(priTunesOrdering));
    s.setObject(Common::NSColorToRGBString(ui->htmlOddColorWell->color()), QString(prHTMLOddColor));
    s.setObject(Common::NSColorToRGBString(ui->htmlEvenColorWell->color()), QString(prHTMLEvenColor));
    s.setObject(Common::NSColorToRGBString(ui->htmlBGColorWell->color()), QString(prHTMLBGColor));
    s.setObject(Common::NSColorToRGBString(ui->htmlTextColorWell->color()), QString(prHTMLTextColor));
    s.setObject(ExportFlow::fontSizeValue(ui->htmlFontSizePopUp->currentText()), QString(prHTMLFontSize));
    s.setBool(isOn(ui->htmlUseStarsButton), QString(prHTMLUseStars));
    s.setInteger(ui->htmlMaxSongsPerFilePopUp->currentData().toLongLong(), QString(prHTMLMaxSongsPerFile));
    s.setInteger(ui->htmlMaxAlbumsPerFilePopUp->currentData().toLongLong(), QString(prHTMLMaxAlbumsPerFile));
    s.setBool(isOn(ui->htmlIncludeRowNumbersButton), QString(prHTMLShouldNumberRows));
    s.setObject(ui->htmlHeaderTextField->string(), QString(prHTMLHeader));
    s.setBool(isOn(ui->htmlRemoveDupesButton), QString(prHTMLRemoveDupes));
    s.setBool(isOn(ui->htmlIncludeLinksButton), QString(prHTMLAddWebServerLinks));
    s.setBool(isOn(ui->htmlAlbumBasedExportButton), QString(prHTMLAlbumBased));
    s.setObject(ui->dtEncodingPopUp->currentText(), QString(prDTEncoding));
    s.setBool(isOn(ui->dtRemoveDupesButton), QString(prDTRemoveDupes));
    s.setInteger(ui->dtDelimiterPopUp->currentIndex(), QString(prDTDelimiter));
    s.setBool(isOn(ui->dtPaddingButton), QString(prDTPadding));
}

void SLController::fillPlaylistPopUp()
{
    ui->playlistPopUp->clear();
    ui->playlistPopUp->addItems(ExportFlow::popUpTitles(m_XMLAccess->getPlaylistNames()));
    if (ui->playlistPopUp->count() > 0)
        ui->playlistPopUp->setCurrentIndex(0);
}

void SLController::applyAlbumBasedRule(bool albumBased)
{
    const ExportFlow::AlbumBasedStates states = ExportFlow::albumBasedStates(albumBased);
    ui->htmlIncludeRowNumbersButton->setEnabled(states.rowNumbersEnabled);
    ui->htmlRemoveDupesButton->setEnabled(states.removeDupesEnabled);
    ui->htmlMaxSongsPerFilePopUp->setEnabled(states.maxSongsEnabled);
    ui->htmlMaxSongsPerFileLabel->setEnabled(states.maxSongsEnabled);
    ui->htmlMaxAlbumsPerFilePopUp->setEnabled(states.maxAlbumsEnabled);
    ui->htmlMaxAlbumsPerFileLabel->setEnabled(states.maxAlbumsEnabled);
}

void SLController::toggleAlbumExport(bool albumBased)
{
    applyAlbumBasedRule(albumBased);
}

void SLController::startExport()
{
    const int tab = ui->mainTabView->currentIndex();
    saveControlStates();
    if (ExportFlow::needsFieldSelection(tab, isOn(ui->htmlAlbumBasedExportButton))) {
        // The sheet edits the lists in place: a cancel keeps the edits but ends the export.
        if (!m_sheet->runModal(m_sheetRunner))
            return;
        saveControlStates();
    }
    saveExport();
}

void SLController::saveExport()
{
    // A library without playlists has nothing to export.
    if (ui->playlistPopUp->count() == 0)
        return;
    const int tab = ui->mainTabView->currentIndex();
    const auto request = ExportFlow::savePanelRequest(ui->playlistPopUp->currentText(), tab);
    QPointer<SLController> self(this);
    UserInteraction::current().beginSavePanel(request, [self](std::optional<QString> chosenPath) {
        if (self)
            self->savePanelDidEnd(chosenPath);
    });
}

void SLController::savePanelDidEnd(const std::optional<QString> &chosenPath)
{
    if (!chosenPath)
        return;
    ExportFlow::finishExport(*m_XMLAccess, ui->playlistPopUp->currentText(), ui->mainTabView->currentIndex(),
        isOn(ui->htmlAlbumBasedExportButton), *chosenPath);
}

void SLController::setHTMLColorsToDefault()
{
    // Stored at once, unlike every other change in the window.
    ColorWell *const wells[]
        = { ui->htmlOddColorWell, ui->htmlEvenColorWell, ui->htmlBGColorWell, ui->htmlTextColorWell };
    const QList<ExportFlow::ColorDefault> defaults = ExportFlow::colorDefaults();
    for (qsizetype i = 0; i < defaults.size(); ++i) {
        const QString key(defaults.at(i).key);
        store().setObject(QString(defaults.at(i).value), key);
        wells[i]->setColor(Common::RGBStringToNSColor(store().stringForKey(key)));
    }
}

void SLController::setUpHTMLLinking()
{
    PrefsPanel::sharedInstance().showLinksPanel();
}

void SLController::setDTEncodingToDefault()
{
    ui->dtEncodingPopUp->setCurrentIndex(0);
}

void SLController::showPrefs()
{
    PrefsPanel::sharedInstance().showPanel();
}

void SLController::refreshLibrarySelector()
{
    m_XMLAccess->loadData();
    if (UserInteraction::current().isTerminating())
        return;
    fillPlaylistPopUp();
}

void SLController::addField()
{
    m_sheet->addField();
}

void SLController::removeField()
{
    m_sheet->removeField();
}

void SLController::applicationWillTerminate()
{
    saveControlStates();
}

void SLController::showAbout()
{
    QMessageBox::about(this, u"About Setlistry"_s,
        u"<h3>Setlistry "_s + QCoreApplication::applicationVersion()
            + u"</h3><p>Publishes the playlists of your iTunes library as HTML pages, delimited text, "
              u"M3U playlists and QuickTime Streaming Server playlists.</p>"
              u"<p>Setlistry only reads the library file; it never changes it.</p>"_s);
}
