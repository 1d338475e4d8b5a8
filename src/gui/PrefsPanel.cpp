#include "PrefsPanel.h"

#include "core/html/HTMLLinks.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"
#include "ui_Prefs.h"

#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {
PrefsPanel *s_sharedInstance = nullptr;

// "12 of 44 songs get a link", for the songs of `playlist` under `musicFolder`.
QString linkCountText(const Playlist &playlist, const QString &musicFolder)
{
    const SongList songs = playlist.getSongs();
    const qsizetype linked = HTMLLinks::countLinked(songs, musicFolder);
    return u"\u201c%1\u201d: %2 of %3 %4 a link"_s.arg(playlist.getName())
        .arg(linked)
        .arg(songs.size())
        .arg(QLatin1StringView(songs.size() == 1 ? "song gets"
                : linked == 1                    ? "songs gets"
                                                 : "songs get"));
}
} // namespace

PrefsPanel &PrefsPanel::sharedInstance()
{
    if (!s_sharedInstance)
        s_sharedInstance = new PrefsPanel;
    return *s_sharedInstance;
}

bool PrefsPanel::hasSharedInstance()
{
    return s_sharedInstance != nullptr;
}

void PrefsPanel::destroySharedInstance()
{
    delete s_sharedInstance;
    s_sharedInstance = nullptr;
}

PrefsPanel::PrefsPanel() = default;

PrefsPanel::~PrefsPanel() = default;

void PrefsPanel::showPanel()
{
    if (!m_mainTabView) {
        m_window = std::make_unique<QDialog>();
        m_ui = std::make_unique<Ui::Prefs>();
        m_ui->setupUi(m_window.get());
        m_mainTabView = m_ui->mainTabView;
        m_musicPathField = m_ui->musicPathField;
        m_serverPathField = m_ui->serverPathField;
        // Only the user's edits are stored: textEdited is not sent when the program sets the text.
        connect(m_musicPathField, &QLineEdit::textEdited, this, [this] { controlTextDidChange(m_musicPathField); });
        connect(m_serverPathField, &QLineEdit::textEdited, this, [this] { controlTextDidChange(m_serverPathField); });
        connect(m_ui->findMusicFolderButton, &QPushButton::clicked, this, &PrefsPanel::findMusicFolderPath);
        connect(m_ui->useLibraryMusicFolderButton, &QPushButton::clicked, this, &PrefsPanel::useLibraryMusicFolder);
        // Typed, chosen or offered: the count follows the field.
        connect(m_musicPathField, &QLineEdit::textChanged, this, &PrefsPanel::updateLinkCount);
        // Closing only hides the window; it must not keep the application alive once the main window closes.
        m_window->setAttribute(Qt::WA_QuitOnClose, false);
        m_window->setContextMenuPolicy(Qt::NoContextMenu);
        awakeFromNib();

        m_window->adjustSize();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame = m_window->frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            m_window->move(frame.topLeft());
        }
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void PrefsPanel::showLinksPanel()
{
    showPanel();
    m_mainTabView->setCurrentIndex(0);
}

void PrefsPanel::awakeFromNib()
{
    m_musicPathField->setText(Preferences::stringFor(Preferences::prMusicFolderPath));
    m_serverPathField->setText(Preferences::stringFor(Preferences::prWebServerPath));
    updateLibraryFolder();
    updateLinkCount();
}

QLabel *PrefsPanel::linkCountLabel() const
{
    return m_ui ? m_ui->linkCountLabel : nullptr;
}

void PrefsPanel::setCurrentPlaylist(const std::optional<Playlist> &playlist, const QString &libraryMusicFolder)
{
    m_playlist = playlist;
    m_libraryMusicFolder = libraryMusicFolder;
    // The library names its folder with a "/" at the end; the field is written without one.
    while (m_libraryMusicFolder.size() > 1 && m_libraryMusicFolder.endsWith(u'/'))
        m_libraryMusicFolder.chop(1);
    if (!m_ui)
        return;
    updateLibraryFolder();
    updateLinkCount();
}

void PrefsPanel::useLibraryMusicFolder()
{
    if (m_libraryMusicFolder.isEmpty())
        return;
    UserDefaults::standardUserDefaults().setObject(m_libraryMusicFolder, QString(Preferences::prMusicFolderPath));
    if (m_musicPathField)
        m_musicPathField->setText(m_libraryMusicFolder);
}

void PrefsPanel::updateLibraryFolder()
{
    m_ui->useLibraryMusicFolderButton->setEnabled(!m_libraryMusicFolder.isEmpty());
    m_ui->useLibraryMusicFolderButton->setToolTip(m_libraryMusicFolder);
    m_musicPathField->setPlaceholderText(m_libraryMusicFolder.isEmpty() ? u"/home/you/Music"_s : m_libraryMusicFolder);
}

void PrefsPanel::updateLinkCount()
{
    m_ui->linkCountLabel->setText(m_playlist ? linkCountText(*m_playlist, m_musicPathField->text()) : QString());
}

void PrefsPanel::controlTextDidChange(QLineEdit *field)
{
    // Stored as typed: not trimmed, not expanded, not checked.
    if (field == m_musicPathField)
        UserDefaults::standardUserDefaults().setObject(field->text(), QString(Preferences::prMusicFolderPath));
    else if (field == m_serverPathField)
        UserDefaults::standardUserDefaults().setObject(field->text(), QString(Preferences::prWebServerPath));
}

void PrefsPanel::findMusicFolderPath()
{
    const std::optional<QString> folder = getFolderPathWithOpenPanel();
    if (!folder)
        return;
    UserDefaults::standardUserDefaults().setObject(*folder, QString(Preferences::prMusicFolderPath));
    if (m_musicPathField)
        m_musicPathField->setText(*folder);
}

std::optional<QString> PrefsPanel::getFolderPathWithOpenPanel()
{
    const std::optional<QString> chosen = UserInteraction::current().chooseFolder(PathUtils::homeDirectory());
    if (!chosen)
        return std::nullopt;
    // Song locations name the real folders, so a link to a folder is followed to its target.
    const QString target = QFileInfo(*chosen).canonicalFilePath();
    return target.isEmpty() ? *chosen : target;
}
