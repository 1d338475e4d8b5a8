#pragma once

// What every benchmark sets up: a generated library, and the core's globals as the front ends set them.

#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/settings/ScopedCoreGlobals.h"
#include "support/ScriptedInteraction.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace BenchSupport {

// Writes a library of `tracks` tracks to `path` with bench/generate_library.py; false (and a message) when the
// generator fails.
inline bool generateLibrary(const QString &path, int tracks)
{
    const int rc = QProcess::execute(QStringLiteral("python3"),
        { QStringLiteral(SETLISTRY_LIBRARY_GENERATOR), QStringLiteral("--tracks"), QString::number(tracks),
            QStringLiteral("--out"), path });
    if (rc != 0)
        std::fprintf(stderr, "could not generate the library (python3 exit status %d)\n", rc);
    return rc == 0;
}

// A settings store over `settingsFile` (empty: in memory only) with the defaults registered, scripted user
// interaction and export choices, installed as the core's globals for the object's lifetime.
class CoreGlobals
{
public:
    explicit CoreGlobals(const QString &settingsFile = QString())
        : store(settingsFile)
    {
        if (settingsFile.isEmpty())
            store.setPersistent(false);
        Preferences::registerDefaults(store);
    }

    UserDefaults store;
    ScriptedInteraction interaction;
    ExportChoices choices;

private:
    // Declared last: installed once the three exist, put back before they go.
    const ScopedCoreGlobals m_installed { store, interaction, &choices };
};

} // namespace BenchSupport
