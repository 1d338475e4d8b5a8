#include "CliInteraction.h"

using namespace Qt::StringLiterals;

UserInteraction::AlertButton CliInteraction::runCriticalAlert(
    const QString &title, const QString &message, const QString &, const QString &)
{
    ++m_alerts;
    std::fprintf(m_err, "%s\n", (title + u": "_s + message).toUtf8().constData());
    return AlertButton::Default;
}
