#include "PrefsPanel.h"

#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/Preferences.h"
#include "ui_Prefs.h"

#include <QDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace {
PrefsPanel *s_sharedInstance = nullptr;
}

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
