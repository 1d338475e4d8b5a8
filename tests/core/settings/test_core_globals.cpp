#include "core/platform/Localization.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/settings/ScopedCoreGlobals.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// What the core reaches right now.
struct Installed
{
    UserDefaults *store;
    UserInteraction *interaction;
    ExportChoices *choices;
    QString localized; // "Name" looked up in the table in use
};

Installed installed()
{
    return { &UserDefaults::standardUserDefaults(), &UserInteraction::current(), ExportChoices::getMain(),
        Localization::localizedString(u"Name"_s) };
}

void expectInstalled(const Installed &expected)
{
    const Installed now = installed();
    EXPECT_EQ(now.store, expected.store);
    EXPECT_EQ(now.interaction, expected.interaction);
    EXPECT_EQ(now.choices, expected.choices);
    EXPECT_EQ(now.localized, expected.localized);
}

} // namespace

TEST(ScopedCoreGlobals, NestedHelpersPutBackWhatWasInstalledBefore)
{
    UserDefaults outerStore, innerStore, innermostStore;
    ScriptedInteraction outerInteraction, innerInteraction, innermostInteraction;
    ExportChoices outerChoices, innerChoices;
    {
        const ScopedCoreGlobals outer(outerStore, outerInteraction, &outerChoices, QHash<QString, QString> {});
        const Installed outerState { &outerStore, &outerInteraction, &outerChoices, u"Name"_s };
        expectInstalled(outerState);
        {
            const ScopedCoreGlobals inner(
                innerStore, innerInteraction, &innerChoices, QHash<QString, QString> { { u"Name"_s, u"Nom"_s } });
            const Installed innerState { &innerStore, &innerInteraction, &innerChoices, u"Nom"_s };
            expectInstalled(innerState);
            {
                // No choices: none installed. No table: the one in use stays.
                const ScopedCoreGlobals innermost(innermostStore, innermostInteraction);
                expectInstalled({ &innermostStore, &innermostInteraction, nullptr, u"Nom"_s });
            }
            expectInstalled(innerState);
        }
        expectInstalled(outerState);
    }
    EXPECT_EQ(ExportChoices::getMain(), nullptr);
}

TEST(ScopedCoreGlobalsDeathTest, TheStoreRefusesWhenNoneIsInstalled)
{
    // Never a silent fallback to the user's own settings file.
    EXPECT_DEATH(UserDefaults::standardUserDefaults(), "no settings store installed");
    EXPECT_DEATH(Preferences::stringFor(Preferences::prHTMLHeader), "no settings store installed");
    EXPECT_DEATH(UserInteraction::current(), "no interaction installed");
}
