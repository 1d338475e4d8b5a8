#pragma once

#include "core/platform/UserInteraction.h"

#include <QList>
#include <deque>

// Answers from a script and records what was asked; never blocks. For tests.
class ScriptedInteraction : public UserInteraction
{
public:
    struct Alert
    {
        QString title;
        QString message;
        QString defaultButton;
        QString alternateButton;
    };
    struct ColorRequest
    {
        QString currentColor;
        QString title;
    };
    struct About
    {
        QString title;
        QString text;
    };

    // Answers given in order; when a queue runs dry: Default, a cancelled chooser, a cancelled save panel, a
    // cancelled colour chooser, a cancelled open chooser.
    std::deque<AlertButton> alertAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QString>> savePanelAnswers;
    std::deque<std::optional<QString>> colorAnswers;
    std::deque<std::optional<QString>> openFileAnswers;

    QList<Alert> alerts;
    QStringList folderRequests;
    QList<SavePanelRequest> savePanelRequests;
    QList<ColorRequest> colorRequests;
    QList<OpenFileRequest> openFileRequests;
    QList<About> abouts;
    int beeps = 0;
    int toolkitAbouts = 0;
    bool terminated = false;

    AlertButton runCriticalAlert(const QString &title, const QString &message, const QString &defaultButton,
        const QString &alternateButton = QString()) override;
    void beep() override;
    std::optional<QString> chooseFolder(const QString &startFolder) override;
    void beginSavePanel(const SavePanelRequest &request, std::function<void(std::optional<QString>)> done) override;
    std::optional<QString> chooseColor(const QString &currentColor, const QString &title) override;
    std::optional<QString> chooseFileToOpen(const OpenFileRequest &request) override;
    void showAbout(const QString &title, const QString &text) override;
    void showAboutToolkit() override { ++toolkitAbouts; }
    void terminate() override;
    bool isTerminating() const override { return terminated; }
};
