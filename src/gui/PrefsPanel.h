#pragma once

#include "core/library/Playlist.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>

class QDialog;
class QLabel;
class QLineEdit;
class QTabWidget;
namespace Ui {
class Prefs;
}

// The one preferences window: the music folder and the web server path that song links are made from.
// Unlike the main window it stores every change the user makes at once.
class PrefsPanel : public QObject
{
    Q_OBJECT

public:
    // The one panel, made on first use. It lives until destroySharedInstance() (the end of the application).
    static PrefsPanel &sharedInstance();
    static bool hasSharedInstance();
    static void destroySharedInstance();

    ~PrefsPanel() override;

    // Loads the window on first use (fields filled from the settings, centred), then brings it to the front.
    // A window shown before keeps its place and its tab, and its fields are not filled again.
    void showPanel();
    // showPanel() on the links tab.
    void showLinksPanel();
    // Lets the user choose the music folder; a chosen folder is stored and shown, a cancel changes nothing.
    void findMusicFolderPath();
    // A folder chosen by the user, links resolved to their targets; nothing when the user cancelled.
    static std::optional<QString> getFolderPathWithOpenPanel();
    // The playlist chosen in the main window, whose songs the panel counts the links of under the music folder
    // as it stands, and the library's own music folder (decoded), offered for the field; empty offers nothing.
    void setCurrentPlaylist(const std::optional<Playlist> &playlist, const QString &libraryMusicFolder);
    // Puts the library's music folder in the field and stores it, as if typed.
    void useLibraryMusicFolder();

    // The window; null until it was first shown.
    QDialog *window() const { return m_window.get(); }
    QTabWidget *mainTabView() const { return m_mainTabView; }
    QLineEdit *musicPathField() const { return m_musicPathField; }
    QLineEdit *serverPathField() const { return m_serverPathField; }
    QLabel *linkCountLabel() const;

private:
    PrefsPanel();
    void awakeFromNib();
    // Stores the text of the field the user edited.
    void controlTextDidChange(QLineEdit *field);
    // The library's folder on its button and as the field's placeholder, and the link count, as they now are.
    void updateLibraryFolder();
    void updateLinkCount();

    std::unique_ptr<QDialog> m_window;
    std::unique_ptr<Ui::Prefs> m_ui;
    QTabWidget *m_mainTabView = nullptr;
    QLineEdit *m_musicPathField = nullptr;
    QLineEdit *m_serverPathField = nullptr;
    std::optional<Playlist> m_playlist;
    QString m_libraryMusicFolder; // without a trailing "/"
};
