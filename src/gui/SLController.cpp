#include "SLController.h"

#include "ColorWell.h"
#include "FieldSelectionSheet.h"
#include "PrefsPanel.h"
#include "core/export/Common.h"
#include "core/flow/ExportFlow.h"
#include "core/flow/ExportFormat.h"
#include "core/flow/StatusTexts.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"
#include "slTextView.h"
#include "ui_SLController.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

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

// How a control shows its setting, and so how the setting is loaded into it and stored from it.
enum class Binding {
    CheckBox, // a boolean; only the fully-on state is on
    ColorWell, // six hex digits
    TextView, // the text as it stands
    PopUpByTag, // a page-size pop-up: the integer tag of the selected item
    PopUpByIndex, // the delimiter pop-up: the selected index as an integer
    PopUpByTitle, // the encoding pop-up: the selected title as a string
    FontSizePopUp, // the selected localised title, stored as the string "1", "0" or "-1"
};

struct ControlBinding
{
    QWidget *control;
    QLatin1StringView key;
    Binding binding;
};

// Every control of the window that holds a setting, in the order they are loaded and stored. The one list both
// directions walk, so that a control stored is always a control loaded.
QList<ControlBinding> controlBindings(const Ui::SLController &ui, const FieldSelectionSheet &sheet)
{
    using namespace Preferences;
    return {
        { sheet.iTunesOrderingButton(), priTunesOrdering, Binding::CheckBox },
        { ui.htmlOddColorWell, prHTMLOddColor, Binding::ColorWell },
        { ui.htmlEvenColorWell, prHTMLEvenColor, Binding::ColorWell },
        { ui.htmlBGColorWell, prHTMLBGColor, Binding::ColorWell },
        { ui.htmlTextColorWell, prHTMLTextColor, Binding::ColorWell },
        { ui.htmlFontSizePopUp, prHTMLFontSize, Binding::FontSizePopUp },
        { ui.htmlUseStarsButton, prHTMLUseStars, Binding::CheckBox },
        { ui.htmlMaxSongsPerFilePopUp, prHTMLMaxSongsPerFile, Binding::PopUpByTag },
        { ui.htmlMaxAlbumsPerFilePopUp, prHTMLMaxAlbumsPerFile, Binding::PopUpByTag },
        { ui.htmlIncludeRowNumbersButton, prHTMLShouldNumberRows, Binding::CheckBox },
        { ui.htmlHeaderTextField, prHTMLHeader, Binding::TextView },
        { ui.htmlRemoveDupesButton, prHTMLRemoveDupes, Binding::CheckBox },
        { ui.htmlIncludeLinksButton, prHTMLAddWebServerLinks, Binding::CheckBox },
        { ui.htmlAlbumBasedExportButton, prHTMLAlbumBased, Binding::CheckBox },
        { ui.dtEncodingPopUp, prDTEncoding, Binding::PopUpByTitle },
        { ui.dtRemoveDupesButton, prDTRemoveDupes, Binding::CheckBox },
        { ui.dtDelimiterPopUp, prDTDelimiter, Binding::PopUpByIndex },
        { ui.dtPaddingButton, prDTPadding, Binding::CheckBox },
    };
}

template<typename T> T *controlOf(const ControlBinding &row)
{
    T *const control = qobject_cast<T *>(row.control);
    Q_ASSERT_X(control, "controlOf", "a control bound with the binding of another kind of control");
    return control;
}

} // namespace

void SLController::initialize()
{
    Preferences::registerDefaults(UserDefaults::standardUserDefaults());
}

SLController::SLController(QWidget *parent, const QString &libraryPath)
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
    setUpLibraryControls();

    // The library comes first: its search may ask the user, or end the application before anything shows. A
    // library named on the command line is opened as it is, without any search.
    if (libraryPath.isEmpty()) {
        m_XMLAccess = std::make_unique<XMLAccessor>();
        if (UserInteraction::current().isTerminating())
            return;
    } else {
        m_XMLAccess = std::make_unique<XMLAccessor>(QString());
        m_XMLAccess->open(libraryPath);
    }

    // The sheet's double-click and drag settings are made with the sheet.
    s_mainController = this;
    ExportChoices::setMain(&m_choices);
    show();
    activateWindow();
    setUpControls();
    applyAlbumBasedRule(isOn(ui->htmlAlbumBasedExportButton));
    if (!m_XMLAccess->hasDocument())
        reportUnreadableLibrary(libraryPath.isEmpty() ? m_XMLAccess->dataFilePath() : libraryPath);
}

void SLController::setUpLibraryControls()
{
    // Made here rather than in the form, which the format tabs share.
    auto *openAction = new QAction(u"&Open Library\u2026"_s, this);
    openAction->setObjectName(u"openAction"_s);
    openAction->setShortcut(QKeySequence::Open);
    connect(openAction, &QAction::triggered, this, &SLController::chooseLibrary);
    m_recentMenu = new QMenu(u"Open &Recent"_s, this);
    m_recentMenu->setObjectName(u"openRecentMenu"_s);
    ui->fileMenu->insertAction(ui->exportAction, openAction);
    ui->fileMenu->insertMenu(ui->exportAction, m_recentMenu);
    ui->fileMenu->insertSeparator(ui->exportAction);

    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setObjectName(u"playlistSummaryLabel"_s);
    m_summaryLabel->setEnabled(false); // the dimmed look of a caption
    // Under the selector it speaks of, not under its label.
    m_summaryLabel->setContentsMargins(ui->playlistLabel->sizeHint().width() + ui->playlistRow->spacing(), 0, 0, 0);
    ui->mainLayout->insertWidget(ui->mainLayout->indexOf(ui->playlistRow) + 1, m_summaryLabel);
    connect(ui->playlistPopUp, &QComboBox::currentIndexChanged, this, &SLController::showPlaylistSummary);

    m_libraryStatus = new QLabel(this);
    m_libraryStatus->setObjectName(u"libraryStatusLabel"_s);
    m_libraryStatus->setContentsMargins(6, 0, 0, 0);
    m_exportStatus = new QLabel(this);
    m_exportStatus->setObjectName(u"exportStatusLabel"_s);
    m_showInFolderButton = new QPushButton(Localization::localizedString("ShowInFolder"_L1), this);
    m_showInFolderButton->setObjectName(u"showInFolderButton"_s);
    connect(m_showInFolderButton, &QPushButton::clicked, this, &SLController::showExportFolder);
    statusBar()->addWidget(m_libraryStatus, 1);
    statusBar()->addPermanentWidget(m_exportStatus);
    statusBar()->addPermanentWidget(m_showInFolderButton);
    m_exportStatus->hide();
    m_showInFolderButton->hide();

    setAcceptDrops(true);
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
    // Before the sheet's tables are filled: the iTunes ordering decides whether the sort rows show.
    for (const ControlBinding &row : controlBindings(*ui, *m_sheet)) {
        switch (row.binding) {
        case Binding::CheckBox:
            setOn(controlOf<QCheckBox>(row), row.key);
            break;
        case Binding::ColorWell:
            controlOf<ColorWell>(row)->setColor(Common::RGBStringToNSColor(stringFor(row.key)));
            break;
        case Binding::TextView:
            controlOf<slTextView>(row)->setString(stringFor(row.key));
            break;
        case Binding::PopUpByTag:
            loadPageSizePopUp(controlOf<QComboBox>(row), row.key);
            break;
        case Binding::PopUpByIndex:
            controlOf<QComboBox>(row)->setCurrentIndex(ExportFlow::delimiterIndex(integerFor(row.key)));
            break;
        case Binding::PopUpByTitle:
            controlOf<QComboBox>(row)->setCurrentIndex(ExportFlow::encodingIndex(stringFor(row.key)));
            break;
        case Binding::FontSizePopUp: {
            QComboBox *const popUp = controlOf<QComboBox>(row);
            popUp->setCurrentIndex(popUp->findText(ExportFlow::fontSizeTitle(integerFor(row.key))));
            break;
        }
        }
    }
    m_sheet->updateSaveButton();
    m_sheet->reloadTables();

    fillPlaylistPopUp();

    m_controlsLoaded = true;
}

void SLController::saveControlStates()
{
    if (!m_controlsLoaded)
        return;
    UserDefaults &s = store();
    m_choices.storeToSettings(s);
    for (const ControlBinding &row : controlBindings(*ui, *m_sheet)) {
        const QString key(row.key);
        switch (row.binding) {
        case Binding::CheckBox:
            s.setBool(isOn(controlOf<QCheckBox>(row)), key);
            break;
        case Binding::ColorWell:
            s.setObject(Common::NSColorToRGBString(controlOf<ColorWell>(row)->color()), key);
            break;
        case Binding::TextView:
            s.setObject(controlOf<slTextView>(row)->string(), key);
            break;
        case Binding::PopUpByTag:
            s.setInteger(controlOf<QComboBox>(row)->currentData().toLongLong(), key);
            break;
        case Binding::PopUpByIndex:
            s.setInteger(controlOf<QComboBox>(row)->currentIndex(), key);
            break;
        case Binding::PopUpByTitle:
            s.setObject(controlOf<QComboBox>(row)->currentText(), key);
            break;
        case Binding::FontSizePopUp:
            s.setObject(ExportFlow::fontSizeValue(controlOf<QComboBox>(row)->currentText()), key);
            break;
        }
    }
}

void SLController::fillPlaylistPopUp()
{
    ui->playlistPopUp->clear();
    ui->playlistPopUp->addItems(ExportFlow::popUpTitles(m_XMLAccess->getPlaylistNames()));
    if (ui->playlistPopUp->count() > 0)
        ui->playlistPopUp->setCurrentIndex(0);
    showLibraryState();
}

void SLController::showLibraryState()
{
    const bool hasPlaylists = ui->playlistPopUp->count() > 0;
    ui->playlistPopUp->setPlaceholderText(
        Localization::localizedString(m_XMLAccess->hasDocument() ? "NoPlaylists"_L1 : "NoLibraryOpen"_L1));
    ui->playlistPopUp->setEnabled(hasPlaylists);
    ui->exportButton->setEnabled(hasPlaylists);
    ui->exportAction->setEnabled(hasPlaylists);
    ui->reloadAction->setEnabled(!m_XMLAccess->dataFilePath().isEmpty());
    m_libraryStatus->setText(m_XMLAccess->hasDocument()
            ? StatusTexts::libraryStatus(m_XMLAccess->dataFilePath(), m_XMLAccess->songCount())
            : Localization::localizedString("NoLibraryOpen"_L1));
    showPlaylistSummary();
    rebuildRecentMenu();
}

void SLController::showPlaylistSummary()
{
    if (!m_summaryLabel || !m_XMLAccess)
        return;
    const std::optional<Playlist> playlist = ui->playlistPopUp->currentIndex() < 0
        ? std::nullopt
        : m_XMLAccess->getPlaylist(ui->playlistPopUp->currentText());
    m_summaryLabel->setText(playlist ? StatusTexts::playlistSummary(*playlist) : QString());
}

void SLController::rebuildRecentMenu()
{
    m_recentMenu->clear();
    for (const QString &path : XMLAccessor::recentLibraries()) {
        QAction *item = m_recentMenu->addAction(path);
        connect(item, &QAction::triggered, this, [this, path] { openLibrary(path); });
    }
    m_recentMenu->setEnabled(!m_recentMenu->isEmpty());
}

void SLController::chooseLibrary()
{
    UserInteraction::OpenFileRequest request;
    request.title = Localization::localizedString("ChooseLibraryTitle"_L1);
    const QString current = m_XMLAccess->dataFilePath();
    request.startFolder
        = current.isEmpty() ? PathUtils::homeDirectory() : PathUtils::stringByDeletingLastPathComponent(current);
    request.nameFilters
        = { Localization::localizedString("LibraryFileFilter"_L1), Localization::localizedString("AllFilesFilter"_L1) };
    if (const std::optional<QString> chosen = UserInteraction::current().chooseFileToOpen(request))
        openLibrary(*chosen);
}

bool SLController::openLibrary(const QString &fileOrFolder)
{
    if (!m_XMLAccess->open(fileOrFolder)) {
        reportUnreadableLibrary(fileOrFolder);
        return false;
    }
    fillPlaylistPopUp();
    return true;
}

void SLController::reportUnreadableLibrary(const QString &path)
{
    UserInteraction::current().runCriticalAlert(Localization::localizedString("UnreadableLibraryTitle"_L1),
        Localization::localizedString("UnreadableLibraryText"_L1).arg(path, m_XMLAccess->readError()),
        Localization::localizedString("OKButtonText"_L1));
}

void SLController::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile())
        event->acceptProposedAction();
}

void SLController::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return;
    event->acceptProposedAction();
    openLibrary(urls.first().toLocalFile());
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
    const int tab = ui->mainTabView->currentIndex();
    const ExportFormat *format = ExportFormat::forTab(tab);
    const bool pageSet = format && format->writesPageSet;
    const QList<StatusTexts::FileStamp> before = StatusTexts::stampExportTargets(*chosenPath, pageSet);
    ExportFlow::finishExport(
        *m_XMLAccess, ui->playlistPopUp->currentText(), tab, isOn(ui->htmlAlbumBasedExportButton), *chosenPath);
    // A failure has said so in its alert; the status bar only ever tells what is on disk now.
    showExportResult(StatusTexts::writtenSince(before), pageSet);
}

void SLController::showExportResult(const QStringList &written, bool pageSet)
{
    const QString message = StatusTexts::wroteMessage(written, pageSet);
    m_lastExportFolder = written.isEmpty() ? QString() : PathUtils::stringByDeletingLastPathComponent(written.first());
    m_exportStatus->setText(message);
    m_exportStatus->setVisible(!message.isEmpty());
    m_showInFolderButton->setVisible(!message.isEmpty());
}

void SLController::showExportFolder()
{
    if (!m_lastExportFolder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_lastExportFolder));
}

void SLController::setHTMLColorsToDefault()
{
    // Stored at once, unlike every other change in the window.
    const QList<ControlBinding> bindings = controlBindings(*ui, *m_sheet);
    for (const ExportFlow::ColorDefault &colorDefault : ExportFlow::colorDefaults()) {
        const QString key(colorDefault.key);
        store().setObject(QString(colorDefault.value), key);
        for (const ControlBinding &row : bindings) {
            if (row.key == colorDefault.key)
                controlOf<ColorWell>(row)->setColor(Common::RGBStringToNSColor(store().stringForKey(key)));
        }
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
    if (!m_XMLAccess->hasDocument())
        reportUnreadableLibrary(m_XMLAccess->dataFilePath());
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
    UserInteraction::current().showAbout(u"About Setlistry"_s,
        u"<h3>Setlistry "_s + QCoreApplication::applicationVersion()
            + u"</h3><p>Publishes the playlists of your iTunes library as HTML pages, delimited text, "
              u"M3U playlists and QuickTime Streaming Server playlists.</p>"
              u"<p>Setlistry only reads the library file; it never changes it.</p>"_s);
}
