#include "UserInteraction.h"

#include <QtGlobal>
#include <utility>

namespace {
UserInteraction *s_current = nullptr;
}

UserInteraction &UserInteraction::current()
{
    // A core that reaches for the user before a front end installed its interaction is a programming error.
    Q_ASSERT_X(s_current, "UserInteraction::current", "no interaction installed");
    if (!s_current)
        qFatal("UserInteraction::current: no interaction installed");
    return *s_current;
}

std::optional<QString> UserInteraction::chooseColor(const QString &, const QString &)
{
    return std::nullopt;
}

std::optional<QString> UserInteraction::chooseFileToOpen(const OpenFileRequest &)
{
    return std::nullopt;
}

void UserInteraction::showAbout(const QString &, const QString &) { }

void UserInteraction::showAboutToolkit() { }

UserInteraction *UserInteraction::setCurrent(UserInteraction *interaction)
{
    return std::exchange(s_current, interaction);
}
