#include "ScriptedInteraction.h"

#include <QtGlobal>

namespace {

// The next scripted answer of a queue, or nothing (a cancelled chooser or panel) once the queue is empty.
std::optional<QString> takeAnswer(std::deque<std::optional<QString>> &answers)
{
    std::optional<QString> answer;
    if (!answers.empty()) {
        answer = std::move(answers.front());
        answers.pop_front();
    }
    return answer;
}

} // namespace

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
    return takeAnswer(folderAnswers);
}

void ScriptedInteraction::beginSavePanel(
    const SavePanelRequest &request, std::function<void(std::optional<QString>)> done)
{
    savePanelRequests.append(request);
    done(takeAnswer(savePanelAnswers));
}

std::optional<QString> ScriptedInteraction::chooseColor(const QString &currentColor, const QString &title)
{
    colorRequests.append({ currentColor, title });
    return takeAnswer(colorAnswers);
}

std::optional<QString> ScriptedInteraction::chooseFileToOpen(const OpenFileRequest &request)
{
    openFileRequests.append(request);
    return takeAnswer(openFileAnswers);
}

void ScriptedInteraction::showAbout(const QString &title, const QString &text)
{
    abouts.append({ title, text });
}

void ScriptedInteraction::terminate()
{
    terminated = true;
}
