#pragma once

#include "core/platform/UserInteraction.h"

#include <QString>
#include <QStringList>
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

namespace ExportCommand {

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

// The export formats by their command-line names ("txt", "m3u", "playlist", "html"); the file extension is
// the same word.
bool isFormat(const QString &format);

// A playlist name made into a safe file name with `extension` (without "."): "/" becomes "-", NUL is dropped,
// a leading "." becomes "_", an empty name becomes "Untitled"; the whole name is cut to at most 255 bytes of
// UTF-8 without splitting a character. `taken` holds the names used so far (updated): a name used before gets
// " 2", " 3", ... before the extension.
QString safeFileName(const QString &playlistName, const QString &extension, QStringList &taken);

// Runs the command line; answers the exit status.
int run(const QStringList &arguments);

} // namespace ExportCommand
