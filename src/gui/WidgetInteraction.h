#pragma once

#include "core/platform/UserInteraction.h"

#include <QPointer>
#include <QWidget>

// The desktop application's answers: message boxes, the system beep, the folder chooser, a save dialog
// opened as a sheet on the main window, the open dialog, the colour dialog, the About box, and leaving the event loop.
class WidgetInteraction : public UserInteraction
{
public:
    AlertButton runCriticalAlert(const QString &title, const QString &message, const QString &defaultButton,
        const QString &alternateButton = QString()) override;
    void beep() override;
    std::optional<QString> chooseFolder(const QString &startFolder) override;
    // Window-modal on the main window: the call returns at once and `done` follows when the dialog closes.
    // The chosen name always ends with the required extension.
    void beginSavePanel(const SavePanelRequest &request, std::function<void(std::optional<QString>)> done) override;
    std::optional<QString> chooseColor(const QString &currentColor, const QString &title) override;
    // With folder markers the dialog is Qt's own: Open on a folder that holds a marker chooses the folder,
    // on any other folder it goes into it.
    std::optional<QString> chooseFileToOpen(const OpenFileRequest &request) override;
    void showAbout(const QString &title, const QString &text) override;
    void showAboutToolkit() override;
    void terminate() override;
    bool isTerminating() const override { return m_terminating; }

    // The window that save dialogs attach to and alerts are centred on; without one, the active window.
    void setMainWindow(QWidget *window) { m_mainWindow = window; }

    // The save dialog's file name filter for an extension, e.g. "HTML pages (*.html)".
    static QString nameFilterFor(const QString &extension);
    // `path` ending with "." and `extension`, appended when the chosen name lacks it.
    static QString withRequiredExtension(const QString &path, const QString &extension);

private:
    QWidget *dialogParent() const;

    QPointer<QWidget> m_mainWindow;
    bool m_terminating = false;
};
