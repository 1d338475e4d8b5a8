#include "ScriptedInteraction.h"

#include <QtGlobal>

UserInteraction::AlertButton ScriptedInteraction::runCriticalAlert(
    const QString &title, const QString &message, const QString &defaultButton, const QString &alternateButton)
{
    alerts.append({ title, message, defaultButton, alternateButton });
    // Some alerts come back until the user gives up; a script that never does would hang the test instead of
    // failing it.
    if (alerts.size() > 100)
        qFatal("ScriptedInteraction: more than 100 alerts, the script never leaves a loop");
    if (alertAnswers.empty())
        return AlertButton::Default;
    const AlertButton answer = alertAnswers.front();
    alertAnswers.pop_front();
    return answer;
}

void ScriptedInteraction::beep()
{
    ++beeps;
}

std::optional<QString> ScriptedInteraction::chooseFolder(const QString &startFolder)
{
    folderRequests.append(startFolder);
    if (folderAnswers.empty())
        return std::nullopt;
    auto answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

void ScriptedInteraction::beginSavePanel(
    const SavePanelRequest &request, std::function<void(std::optional<QString>)> done)
{
    savePanelRequests.append(request);
    std::optional<QString> answer;
    if (!savePanelAnswers.empty()) {
        answer = savePanelAnswers.front();
        savePanelAnswers.pop_front();
    }
    done(answer);
}

std::optional<QString> ScriptedInteraction::chooseColor(const QString &currentColor, const QString &title)
{
    colorRequests.append({ currentColor, title });
    if (colorAnswers.empty())
        return std::nullopt;
    auto answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
}

std::optional<QString> ScriptedInteraction::chooseFileToOpen(const OpenFileRequest &request)
{
    openFileRequests.append(request);
    if (openFileAnswers.empty())
        return std::nullopt;
    auto answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

void ScriptedInteraction::showAbout(const QString &title, const QString &text)
{
    abouts.append({ title, text });
}

void ScriptedInteraction::terminate()
{
    terminated = true;
}
