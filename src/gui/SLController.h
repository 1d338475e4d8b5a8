#pragma once

#include "core/library/Playlist.h"
#include "core/settings/ExportChoices.h"

#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class FieldSelectionSheet;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class XMLAccessor;
namespace Ui {
class SLController;
}

// The one controller of the application: the main window with its playlist pop-up, export button and the
// five format tabs, the field-selection sheet, and the export flow. It owns the library accessor and the
// export choices that the exporters read while they run.
class SLController : public QMainWindow
{
    Q_OBJECT

public:
    // Registers the defaults of every setting with the standard store; run once before the first controller.
    static void initialize();

    // Wakes the controller: searches and reads the library (which may end the application: check
    // UserInteraction::current().isTerminating() afterwards; nothing else is set up then), shows the window
    // and loads every control from the settings. With a `libraryPath` (the command line's file) that library
    // is opened instead of searching; when it cannot be read the window says why and opens without one.
    explicit SLController(QWidget *parent = nullptr, const QString &libraryPath = QString());
    ~SLController() override;

    // The controller once it has woken; nullptr before.
    static SLController *getMain();
    QStringList &getFieldOrder() { return m_choices.getFieldOrder(); }
    QStringList &getSortOrder() { return m_choices.getSortOrder(); }
    ExportChoices &exportChoices() { return m_choices; }
    XMLAccessor *library() const { return m_XMLAccess.get(); }
    FieldSelectionSheet *fieldSelectionSheet() const { return m_sheet; }

    // Whether setUpControls() has run. Until then the controls hold nothing that was loaded, and storing
    // them would overwrite the user's settings.
    bool controlsLoaded() const { return m_controlsLoaded; }

    // Loads the lists and every control from the settings.
    void setUpControls();
    // Stores every control into the settings by one write of the file (nothing before setUpControls() has run).
    void saveControlStates();

    // The export button ("export" itself is a reserved word): stores the controls, asks for the fields where
    // the format uses them, then opens the save panel.
    void startExport();
    // The save panel for the selected playlist and tab; its end arrives at savePanelDidEnd().
    void saveExport();
    void savePanelDidEnd(const std::optional<QString> &chosenPath);

    void toggleAlbumExport(bool albumBased);
    void setHTMLColorsToDefault();
    void setUpHTMLLinking();
    void setDTEncodingToDefault();
    // The padding check box is kept, but disabled, while the chosen delimiter does not pad.
    void applyDelimiterRule(int delimiterIndex);
    void showPrefs();
    // The README, opened in the desktop's viewer for it.
    void showHelp();
    // The installed README, or the source tree's when the program runs from its build tree.
    static QString helpDocumentPath();
    // Reads the library file again and refills the playlist pop-up, selecting the first playlist.
    void refreshLibrarySelector();
    // File › Open Library…: the chooser, then openLibrary().
    void chooseLibrary();
    // Opens the library file (or the folder holding one) and shows its playlists; an unreadable one gives an
    // alert with the reason and keeps the library open before. Answers whether it was opened.
    bool openLibrary(const QString &fileOrFolder);
    void addField();
    void removeField();
    // The application is about to quit: the controls are stored.
    void applicationWillTerminate();

    // The player playlist tab: the mapping table's buttons, and the preview of the selected playlist with the
    // tab's controls as they stand (not as stored).
    void addMapping();
    void removeMapping();
    void moveMapping(int by);
    void updatePlayerPlaylistPreview();

    // Runs the field-selection sheet in place of its modal loop; the runner must end the sheet with
    // FieldSelectionSheet::endFieldSelect(). For tests, which must never wait on a dialog.
    using SheetRunner = std::function<void(FieldSelectionSheet &)>;
    void setFieldSelectionRunner(SheetRunner runner) { m_sheetRunner = std::move(runner); }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void applyAlbumBasedRule(bool albumBased);
    void fillPlaylistPopUp();
    void setUpLibraryControls();
    // The pop-up's placeholder, the export controls, the summary, the status bar and the recent menu, after
    // the library changed.
    void showLibraryState();
    void showPlaylistSummary();
    void rebuildRecentMenu();
    void reportUnreadableLibrary(const QString &path);
    void showExportResult(const QStringList &written, bool pageSet);
    void showExportFolder();
    // The playlist selected in the pop-up, built afresh, and its title; nothing when there is none.
    std::optional<Playlist> selectedPlaylist() const;
    QString selectedPlaylistTitle() const;
    void showAbout();
    void setUpPlayerPlaylistTab();
    void updateMappingButtons();
    static void loadPageSizePopUp(QComboBox *popUp, QLatin1StringView key);

    const std::unique_ptr<Ui::SLController> ui;
    std::unique_ptr<XMLAccessor> m_XMLAccess;
    ExportChoices m_choices;
    FieldSelectionSheet *m_sheet = nullptr;
    SheetRunner m_sheetRunner;
    bool m_controlsLoaded = false;
    QMenu *m_recentMenu = nullptr;
    QLabel *m_summaryLabel = nullptr;
    QLabel *m_libraryStatus = nullptr;
    QLabel *m_exportStatus = nullptr;
    QPushButton *m_showInFolderButton = nullptr;
    QString m_lastExportFolder;
};
