#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Everything that asks the user or ends the application. The core calls it exactly where the behaviour says
// an alert, a panel or the end of the application happens; the desktop application answers with dialogs,
// the command-line exporter with stderr and an exit status, tests with scripted answers.
class UserInteraction
{
public:
    enum class AlertButton { Default, Alternate };

    struct SavePanelRequest
    {
        QString startFolder; // an existing folder
        QString proposedName; // file name, extension included
        QString requiredExtension; // without the "."; the chosen name always ends with it
    };

    struct OpenFileRequest
    {
        QString title;
        QString startFolder; // an existing folder
        QStringList nameFilters; // e.g. "Property lists (*.xml)", the first one selected
        // Names of files that make a folder holding one of them a valid choice too; empty: files only.
        QStringList folderMarkers;
    };

    virtual ~UserInteraction() = default;

    // A modal critical alert. `alternateButton` empty: one button only. Answers which button was pressed.
    virtual AlertButton runCriticalAlert(const QString &title, const QString &message, const QString &defaultButton,
        const QString &alternateButton = QString())
        = 0;
    // The system alert sound.
    virtual void beep() = 0;
    // A modal folder chooser starting in `startFolder`; answers the chosen folder's full path, or nothing when
    // the user cancelled.
    virtual std::optional<QString> chooseFolder(const QString &startFolder) = 0;
    // The save panel. `done` is called exactly once, later or before this returns, with the chosen full path
    // or with nothing when the user cancelled.
    virtual void beginSavePanel(const SavePanelRequest &request, std::function<void(std::optional<QString>)> done) = 0;
    // A modal colour chooser titled `title`, showing `currentColor`. Colours are six hex digits "rrggbb" as the
    // settings store them. Answers the chosen colour, or nothing when the user cancelled; a front end without
    // a chooser answers nothing.
    virtual std::optional<QString> chooseColor(const QString &currentColor, const QString &title);
    // A modal chooser of an existing file to open (or of a folder holding one of `folderMarkers`); answers the
    // chosen full path, or nothing when the user cancelled. A front end without one answers nothing.
    virtual std::optional<QString> chooseFileToOpen(const OpenFileRequest &request);
    // The modal About box; `text` is rich text. A front end without one shows nothing.
    virtual void showAbout(const QString &title, const QString &text);
    // The modal About box of the toolkit the front end is built on; a front end without one shows nothing.
    virtual void showAboutToolkit();
    // Ends the application. Callers return at once without further work after calling it; the front end
    // leaves its event loop (or exits) and stores nothing on the way out.
    virtual void terminate() = 0;
    virtual bool isTerminating() const = 0;

    // The one interaction of the process; every front end installs its own before using the core.
    static UserInteraction &current();
    // Installs `interaction` (not owned; nullptr: none) and answers the one it replaces.
    static UserInteraction *setCurrent(UserInteraction *interaction);
};
