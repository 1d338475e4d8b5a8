#include "ScopedCoreGlobals.h"

#include "ExportChoices.h"
#include "core/platform/Localization.h"
#include "core/platform/UserDefaults.h"
#include "core/platform/UserInteraction.h"

ScopedCoreGlobals::ScopedCoreGlobals(UserDefaults &store, UserInteraction &interaction, ExportChoices *choices,
    std::optional<QHash<QString, QString>> table)
    : m_previousStore(UserDefaults::setStandardUserDefaults(&store))
    , m_previousInteraction(UserInteraction::setCurrent(&interaction))
    , m_previousChoices(ExportChoices::setMain(choices))
{
    if (table)
        m_previousTable = Localization::setTable(*table);
}

ScopedCoreGlobals::~ScopedCoreGlobals()
{
    if (m_previousTable)
        Localization::setTable(*m_previousTable);
    ExportChoices::setMain(m_previousChoices);
    UserInteraction::setCurrent(m_previousInteraction);
    UserDefaults::setStandardUserDefaults(m_previousStore);
}
