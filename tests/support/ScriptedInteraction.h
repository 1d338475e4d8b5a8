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

    // Answers given in order; when a queue runs dry: Default, a cancelled chooser, a cancelled save panel.
    std::deque<AlertButton> alertAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QString>> savePanelAnswers;

    QList<Alert> alerts;
    QStringList folderRequests;
    QList<SavePanelRequest> savePanelRequests;
    int beeps = 0;
    bool terminated = false;

    AlertButton runCriticalAlert(const QString &title, const QString &message, const QString &defaultButton,
        const QString &alternateButton = QString()) override;
    void beep() override;
    std::optional<QString> chooseFolder(const QString &startFolder) override;
    void beginSavePanel(const SavePanelRequest &request, std::function<void(std::optional<QString>)> done) override;
    void terminate() override;
    bool isTerminating() const override { return terminated; }
};
