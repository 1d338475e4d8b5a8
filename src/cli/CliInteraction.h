#pragma once

#include "core/platform/UserInteraction.h"

#include <QString>
#include <cstdio>

// The command-line exporter's answers to the core: an alert is one line "Title: message" on stderr and makes
// the run fail; nothing is ever asked, so choosers and panels answer as cancelled.
class CliInteraction : public UserInteraction
{
public:
    explicit CliInteraction(FILE *err = stderr)
        : m_err(err)
    {
    }

    AlertButton runCriticalAlert(const QString &title, const QString &message, const QString &defaultButton,
        const QString &alternateButton = QString()) override;
    void beep() override { }
    std::optional<QString> chooseFolder(const QString &) override { return std::nullopt; }
    void beginSavePanel(const SavePanelRequest &, std::function<void(std::optional<QString>)> done) override
    {
        done(std::nullopt);
    }
    void terminate() override { m_terminating = true; }
    bool isTerminating() const override { return m_terminating; }

    int alertCount() const { return m_alerts; }

private:
    FILE *m_err;
    int m_alerts = 0;
    bool m_terminating = false;
};
