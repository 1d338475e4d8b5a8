#include "SLController.h"

#include "ColorWell.h"
#include "FieldSelectionSheet.h"
#include "PrefsPanel.h"
#include "core/export/Common.h"
#include "core/export/PlayerPlaylistSettings.h"
#include "core/flow/ExportFlow.h"
#include "core/flow/ExportFormat.h"
#include "core/flow/PlayerPlaylistPreview.h"
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
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
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
    PopUpByWord, // a pop-up of PlayerPlaylistSettings::choicesFor(key): the word of the selected item
    LineEdit, // the text as it stands
    MappingTable, // the rows "OLD=NEW" in order; rows with both cells empty are not stored
    WindowGeometry, // QWidget::saveGeometry() in base64
    TabIndex, // the index of the current tab as an integer
    PlaylistPopUp, // the title of the selected playlist, told apart from others of its name
};

// The playlist pop-up's items hold the playlist's index in the library as their data, and its title (without
// the indentation the item shows) in this role.
constexpr int playlistTitleRole = Qt::UserRole + 1;

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
        { ui.dtHeaderRowButton, prDTHeaderRow, Binding::CheckBox },
        { ui.ppMappingTable, prPPMappings, Binding::MappingTable },
        { ui.ppPathsPopUp, prPPPaths, Binding::PopUpByWord },
        { ui.ppPlaylistDirField, prPPDir, Binding::LineEdit },
        { ui.ppSeparatorPopUp, prPPSeparator, Binding::PopUpByWord },
        { ui.ppUnicodePopUp, prPPUnicode, Binding::PopUpByWord },
        { ui.ppLineEndPopUp, prPPLineEnd, Binding::PopUpByWord },
        { ui.ppStreamsPopUp, prPPStreams, Binding::PopUpByWord },
        { ui.ppExtensionPopUp, prPPExtension, Binding::PopUpByWord },
        { ui.centralWidget->window(), prWindowGeometry, Binding::WindowGeometry },
        { ui.mainTabView, prLastTab, Binding::TabIndex },
        { ui.playlistPopUp, prLastPlaylist, Binding::PlaylistPopUp },
    };
}

template<typename T> T *controlOf(const ControlBinding &row)
{
    T *const control = qobject_cast<T *>(row.control);
    Q_ASSERT_X(control, "controlOf", "a control bound with the binding of another kind of control");
    return control;
}

QString cellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

void setRow(QTableWidget *table, int row, const QString &first, const QString &second)
{
    table->setItem(row, 0, new QTableWidgetItem(first));
    table->setItem(row, 1, new QTableWidgetItem(second));
}

QStringList mappingEntries(const QTableWidget *table)
{
    QStringList entries;
    for (int row = 0; row < table->rowCount(); ++row) {
        const PlayerPlaylistOptions::Mapping mapping { cellText(table, row, 0), cellText(table, row, 1) };
        if (!mapping.from.isEmpty() || !mapping.to.isEmpty())
            entries.append(PlayerPlaylistSettings::entryOf(mapping));
    }
    return entries;
}

void loadMappingTable(QTableWidget *table, const QStringList &entries)
{
    const QSignalBlocker quiet(table);
    table->setRowCount(0);
    table->setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const PlayerPlaylistOptions::Mapping mapping = PlayerPlaylistSettings::mappingOf(entries[row]);
        setRow(table, row, mapping.from, mapping.to);
    }
}

// Selects the item whose word is stored; an unknown word shows the default, which is what the export reads.
void loadWordPopUp(QComboBox *popUp, const QString &word)
{
    const int index = popUp->findData(word);
    popUp->setCurrentIndex(index < 0 ? 0 : index);
}

void storeControl(const ControlBinding &row, UserDefaults &s)
{
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
    case Binding::PopUpByWord:
        s.setObject(controlOf<QComboBox>(row)->currentData().toString(), key);
        break;
    case Binding::LineEdit:
        s.setObject(controlOf<QLineEdit>(row)->text(), key);
        break;
    case Binding::MappingTable:
        s.setObject(mappingEntries(controlOf<QTableWidget>(row)), key);
        break;
    case Binding::WindowGeometry:
        s.setObject(QString::fromLatin1(row.control->saveGeometry().toBase64()), key);
        break;
    case Binding::TabIndex:
        s.setInteger(controlOf<QTabWidget>(row)->currentIndex(), key);
        break;
    case Binding::PlaylistPopUp:
        s.setObject(controlOf<QComboBox>(row)->currentData(playlistTitleRole).toString(), key);
        break;
    }
}

constexpr int previewRows = 5;

// Once per run of failures (the store calls it only after a write that succeeded): a full disk would
// otherwise alert at every keystroke in the preferences.
void alertSettingsNotSaved(const QString &reason)
{
    UserInteraction::current().runCriticalAlert(Localization::localizedString("SettingsNotSavedTitle"_L1),
        Localization::localizedString("SettingsNotSavedText"_L1) + reason,
        Localization::localizedString("OKButtonText"_L1));
}

// Another instance changed the settings file, and the store took its values for the keys this one has not
// changed. The preferences fields show them; the main window's controls keep what the user sees, as the
// export uses what is shown.
void settingsChangedOnDisk()
{
    if (!PrefsPanel::hasSharedInstance())
        return;
    const PrefsPanel &prefs = PrefsPanel::sharedInstance();
    // setText() does not send textEdited, so this stores nothing.
    if (QLineEdit *field = prefs.musicPathField())
        field->setText(Preferences::stringFor(Preferences::prMusicFolderPath));
    if (QLineEdit *field = prefs.serverPathField())
        field->setText(Preferences::stringFor(Preferences::prWebServerPath));
}

} // namespace

void SLController::initialize()
{
    UserDefaults &s = UserDefaults::standardUserDefaults();
    Preferences::registerDefaults(s);
    s.setWriteFailureHandler(alertSettingsNotSaved);
    s.watchFile(settingsChangedOnDisk);
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
    setUpPlayerPlaylistTab();

    connect(ui->exportButton, &QPushButton::clicked, this, &SLController::startExport);
    connect(ui->exportAction, &QAction::triggered, this, &SLController::startExport);
    connect(ui->reloadAction, &QAction::triggered, this, &SLController::refreshLibrarySelector);
    connect(ui->preferencesAction, &QAction::triggered, this, &SLController::showPrefs);
    connect(ui->quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(ui->helpAction, &QAction::triggered, this, &SLController::showHelp);
    connect(ui->aboutAction, &QAction::triggered, this, &SLController::showAbout);
    connect(ui->aboutQtAction, &QAction::triggered, this, [] { UserInteraction::current().showAboutToolkit(); });
    connect(ui->htmlAlbumBasedExportButton, &QCheckBox::toggled, this, &SLController::toggleAlbumExport);
    connect(ui->htmlColorDefaultsButton, &QPushButton::clicked, this, &SLController::setHTMLColorsToDefault);
    connect(ui->htmlSetUpLinkingButton, &QPushButton::clicked, this, &SLController::setUpHTMLLinking);
    connect(ui->dtDefaultEncodingButton, &QPushButton::clicked, this, &SLController::setDTEncodingToDefault);
    connect(ui->dtDelimiterPopUp, &QComboBox::currentIndexChanged, this, &SLController::applyDelimiterRule);
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
    // Loaded before showing, as a restored geometry asks: the window appears once, where it was left.
    setUpControls();
    show();
    activateWindow();
    applyAlbumBasedRule(isOn(ui->htmlAlbumBasedExportButton));
    applyDelimiterRule(ui->dtDelimiterPopUp->currentIndex());
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
    // Filled before the controls are loaded, so that the stored playlist can be selected in it.
    fillPlaylistPopUp();
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
        case Binding::PopUpByWord:
            loadWordPopUp(controlOf<QComboBox>(row), stringFor(row.key));
            break;
        case Binding::LineEdit:
            controlOf<QLineEdit>(row)->setText(stringFor(row.key));
            break;
        case Binding::MappingTable:
            loadMappingTable(controlOf<QTableWidget>(row), store().stringListForKey(QString(row.key)));
            break;
        case Binding::WindowGeometry: {
            // Nothing stored, or something unreadable: the size the form gives it, in the middle of the screen,
            // clear of the top edge, where a restored window would be moved down to show its title bar.
            const QByteArray geometry = QByteArray::fromBase64(stringFor(row.key).toLatin1());
            if (geometry.isEmpty() || !row.control->restoreGeometry(geometry)) {
                if (const QScreen *screen = QGuiApplication::primaryScreen()) {
                    QRect frame = row.control->frameGeometry();
                    frame.moveCenter(screen->availableGeometry().center());
                    row.control->move(frame.topLeft());
                }
            }
            break;
        }
        case Binding::TabIndex: {
            QTabWidget *const tabs = controlOf<QTabWidget>(row);
            const qint64 tab = integerFor(row.key);
            tabs->setCurrentIndex(tab >= 0 && tab < tabs->count() ? int(tab) : 0);
            break;
        }
        case Binding::PlaylistPopUp: {
            // A playlist gone from the library leaves the first one selected.
            QComboBox *const popUp = controlOf<QComboBox>(row);
            const int index = popUp->findData(stringFor(row.key), playlistTitleRole);
            if (index >= 0)
                popUp->setCurrentIndex(index);
            break;
        }
        }
    }
    m_sheet->updateSaveButton();
    m_sheet->reloadTables();

    m_controlsLoaded = true;
    updatePlayerPlaylistPreview();
}

void SLController::saveControlStates()
{
    if (!m_controlsLoaded)
        return;
    UserDefaults &s = store();
    // One write of the file for all of them: quick with a large header, and a crash leaves all old or all new.
    UserDefaults::Group group(s);
    m_choices.storeToSettings(s);
    for (const ControlBinding &row : controlBindings(*ui, *m_sheet))
        storeControl(row, s);
    group.commit();
}

void SLController::fillPlaylistPopUp()
{
    QComboBox *const popUp = ui->playlistPopUp;
    popUp->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const ExportFlow::PlaylistItem &item : ExportFlow::playlistItems(m_XMLAccess->getPlaylistSummaries())) {
        popUp->addItem(ExportFlow::playlistItemText(item), QVariant::fromValue(item.index));
        const int at = popUp->count() - 1;
        popUp->setItemData(at, item.title, playlistTitleRole);
        if (item.folder) {
            popUp->setItemIcon(at, folderIcon);
            QFont bold = popUp->font();
            bold.setBold(true);
            popUp->setItemData(at, bold, Qt::FontRole);
        }
    }
    if (popUp->count() > 0)
        popUp->setCurrentIndex(0);
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
    const std::optional<Playlist> playlist = selectedPlaylist();
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

QString SLController::selectedPlaylistTitle() const
{
    return ui->playlistPopUp->currentData(playlistTitleRole).toString();
}

std::optional<Playlist> SLController::selectedPlaylist() const
{
    const QVariant index = ui->playlistPopUp->currentData();
    if (!m_XMLAccess || !index.isValid())
        return std::nullopt;
    return m_XMLAccess->getPlaylistAt(index.value<qsizetype>());
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

void SLController::applyDelimiterRule(int delimiterIndex)
{
    ui->dtPaddingButton->setEnabled(ExportFlow::paddingApplies(delimiterIndex));
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
    const auto request = ExportFlow::savePanelRequest(selectedPlaylistTitle(), tab);
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
    const std::optional<ExportFormat::Outcome> outcome = ExportFlow::finishExport(*m_XMLAccess,
        ui->playlistPopUp->currentData().value<qsizetype>(), tab, isOn(ui->htmlAlbumBasedExportButton), *chosenPath);
    // A failure has said so in its alert; the status bar only ever tells what is on disk now.
    showExportResult(StatusTexts::writtenSince(before), pageSet);
    // Told where it does not stop the user: a skipped song must not go unseen, but needs no answer.
    if (outcome && !outcome->summary.isEmpty())
        statusBar()->showMessage(outcome->summary);
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

void SLController::setUpPlayerPlaylistTab()
{
    for (const ControlBinding &row : controlBindings(*ui, *m_sheet)) {
        if (row.binding != Binding::PopUpByWord)
            continue;
        QComboBox *const popUp = controlOf<QComboBox>(row);
        for (const PlayerPlaylistSettings::Choice &choice : PlayerPlaylistSettings::choicesFor(row.key))
            popUp->addItem(Localization::localizedString(choice.title), QString(choice.word));
        connect(popUp, &QComboBox::currentIndexChanged, this, &SLController::updatePlayerPlaylistPreview);
    }
    QTableWidget *const table = ui->ppMappingTable;
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->ppPreviewTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(table, &QTableWidget::itemChanged, this, &SLController::updatePlayerPlaylistPreview);
    connect(ui->ppPlaylistDirField, &QLineEdit::textChanged, this, &SLController::updatePlayerPlaylistPreview);
    connect(ui->playlistPopUp, &QComboBox::currentIndexChanged, this, &SLController::updatePlayerPlaylistPreview);
    connect(ui->ppAddMappingButton, &QPushButton::clicked, this, &SLController::addMapping);
    connect(ui->ppRemoveMappingButton, &QPushButton::clicked, this, &SLController::removeMapping);
    connect(ui->ppMoveUpButton, &QPushButton::clicked, this, [this] { moveMapping(-1); });
    connect(ui->ppMoveDownButton, &QPushButton::clicked, this, [this] { moveMapping(1); });
    connect(
        table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &SLController::updateMappingButtons);
    updateMappingButtons();
}

void SLController::addMapping()
{
    QTableWidget *const table = ui->ppMappingTable;
    // The first rule most libraries want starts at the library's own music folder.
    const QString from = table->rowCount() == 0 && m_XMLAccess
        ? PlayerPlaylistPreview::offeredMappingFrom(m_XMLAccess->musicFolder())
        : QString();
    const int row = table->rowCount();
    {
        const QSignalBlocker quiet(table);
        table->insertRow(row);
        setRow(table, row, from, QString());
    }
    table->setCurrentCell(row, from.isEmpty() ? 0 : 1);
    table->setFocus();
    table->editItem(table->currentItem());
    updatePlayerPlaylistPreview();
}

void SLController::removeMapping()
{
    QTableWidget *const table = ui->ppMappingTable;
    const int row = table->currentRow();
    if (row < 0)
        return;
    table->removeRow(row);
    // Not qMin over the temporary: GCC's release build takes that for a dangling reference.
    if (const int last = table->rowCount() - 1; last >= 0)
        table->setCurrentCell(row < last ? row : last, 0);
    updateMappingButtons();
    updatePlayerPlaylistPreview();
}

void SLController::moveMapping(int by)
{
    QTableWidget *const table = ui->ppMappingTable;
    const int row = table->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= table->rowCount())
        return;
    {
        const QSignalBlocker quiet(table);
        const QString from = cellText(table, row, 0);
        const QString target = cellText(table, row, 1);
        setRow(table, row, cellText(table, to, 0), cellText(table, to, 1));
        setRow(table, to, from, target);
    }
    table->setCurrentCell(to, table->currentColumn() < 0 ? 0 : table->currentColumn());
    updatePlayerPlaylistPreview();
}

void SLController::updateMappingButtons()
{
    const QTableWidget *table = ui->ppMappingTable;
    const int row = table->currentRow();
    ui->ppRemoveMappingButton->setEnabled(row >= 0);
    ui->ppMoveUpButton->setEnabled(row > 0);
    ui->ppMoveDownButton->setEnabled(row >= 0 && row + 1 < table->rowCount());
}

void SLController::updatePlayerPlaylistPreview()
{
    updateMappingButtons();
    if (!m_controlsLoaded || !m_XMLAccess)
        return;
    // The controls as they stand, read the way the export reads the stored settings.
    UserDefaults scratch;
    Preferences::registerDefaults(scratch);
    for (const ControlBinding &row : controlBindings(*ui, *m_sheet)) {
        if (row.key.startsWith("PlayerPlaylist"_L1))
            storeControl(row, scratch);
    }
    QTableWidget *const table = ui->ppPreviewTable;
    const std::optional<Playlist> playlist = selectedPlaylist();
    if (!playlist) {
        table->setRowCount(0);
        ui->ppPreviewSummaryLabel->clear();
        return;
    }
    const PlayerPlaylistPreview preview
        = PlayerPlaylistPreview::of(*playlist, PlayerPlaylistSettings::optionsFrom(scratch), previewRows);
    table->setRowCount(int(preview.rows.size()));
    for (int row = 0; row < int(preview.rows.size()); ++row) {
        const PlayerPlaylistPreview::Row &r = preview.rows[row];
        setRow(table, row, r.before.isEmpty() ? Localization::localizedString("(no file)"_L1) : r.before,
            r.after.isEmpty() ? Localization::localizedString("(skipped)"_L1) : r.after);
    }
    ui->ppPreviewSummaryLabel->setText(preview.report.summary());
}

void SLController::setHTMLColorsToDefault()
{
    // Stored at once, unlike every other change in the window.
    const QList<ControlBinding> bindings = controlBindings(*ui, *m_sheet);
    UserDefaults::Group group(store());
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
    PrefsPanel::sharedInstance().setCurrentPlaylist(selectedPlaylist(), m_XMLAccess->musicFolder());
    PrefsPanel::sharedInstance().showLinksPanel();
}

void SLController::setDTEncodingToDefault()
{
    ui->dtEncodingPopUp->setCurrentIndex(0);
}

void SLController::showPrefs()
{
    PrefsPanel::sharedInstance().setCurrentPlaylist(selectedPlaylist(), m_XMLAccess->musicFolder());
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
              u"<p>Setlistry only reads the library file; it never changes it.</p>"
              u"<p>Free software under the MIT licence.</p>"_s);
}

QString SLController::helpDocumentPath()
{
    // The installed copy sits at the same place relative to the program wherever the whole tree was installed;
    // a program run from its build tree has only the source's.
    const QString installed
        = QCoreApplication::applicationDirPath() + u"/"_s + QStringLiteral(SETLISTRY_DOC_FROM_BIN) + u"/README.md"_s;
    return QFileInfo::exists(installed) ? QFileInfo(installed).canonicalFilePath()
                                        : QStringLiteral(SETLISTRY_SOURCE_README);
}

void SLController::showHelp()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpDocumentPath()));
}
