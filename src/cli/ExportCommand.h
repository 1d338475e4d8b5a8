#pragma once

#include "ExportOptions.h"
#include "core/settings/Preferences.h"

#include <QString>
#include <QStringList>
#include <variant>

namespace ExportCommand {

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

// The export formats by their command-line names ("txt", "m3u", "playlist", "html").
bool isFormat(const QString &format);

// A playlist name made into a safe file name with `extension` (without "."): "/" becomes "-"; line breaks and
// tabs become spaces; the other control characters and the bidirectional overrides and isolates are dropped;
// a leading "." becomes "_", an empty name becomes "Untitled". The whole name is cut to at most 255 bytes of
// UTF-8 without splitting a character; for a `pageSet` the cut leaves room for the number of its last page.
// `taken` holds the names used so far (updated), letter case and normalisation folded: a name used before
// gets " 2", " 3", ... before the extension.
QString safeFileName(const QString &playlistName, const QString &extension, QStringList &taken, bool pageSet = false);

// What `--set KEY=VALUE` stores for `key` given the VALUE text, or nothing when the value is not of the key's
// kind. VALUE is read as JSON where it parses; a text setting takes the text as typed unless it is a quoted
// JSON string, so that a colour such as 123456 stays the colour.
std::optional<QVariant> settingValue(const Preferences::Key &key, const QString &valueText);

// The options of the command line, or the status to exit with at once: after --help or --version (printed on
// stdout), or after a usage error (printed on stderr).
std::variant<ExportOptions, int> parseArguments(const QStringList &arguments);

// Carries out the options; answers the exit status.
int run(const ExportOptions &options);
// parseArguments(), then run().
int run(const QStringList &arguments);

} // namespace ExportCommand
