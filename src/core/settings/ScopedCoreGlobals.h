#pragma once

#include <QHash>
#include <QString>
#include <optional>

class ExportChoices;
class UserDefaults;
class UserInteraction;

// Installs everything the core reaches through globals for the lifetime of the object: the standard settings
// store, the user interaction, the main export choices and, when given, the string table. The destructor puts
// back what was installed before, so helpers nest: a test can open a second store over the first for a while.
//
// Front ends, tests and benchmarks install through this, so that none runs the core on what another one left
// installed. The objects are not owned and must outlive the helper.
class ScopedCoreGlobals
{
public:
    // `choices` nullptr installs none, as before the main window sets its own. Without `table` the table in use
    // stays.
    ScopedCoreGlobals(UserDefaults &store, UserInteraction &interaction, ExportChoices *choices = nullptr,
        std::optional<QHash<QString, QString>> table = std::nullopt);
    ~ScopedCoreGlobals();

    ScopedCoreGlobals(const ScopedCoreGlobals &) = delete;
    ScopedCoreGlobals &operator=(const ScopedCoreGlobals &) = delete;

private:
    UserDefaults *m_previousStore;
    UserInteraction *m_previousInteraction;
    ExportChoices *m_previousChoices;
    std::optional<QHash<QString, QString>> m_previousTable;
};
