#pragma once

#include <QHash>
#include <QString>

// The application's string tables: a key looked up in the table of the user's language, falling back to
// English; a key without an entry stands for itself.
namespace Localization {

QString localizedString(const QString &key);
inline QString localizedString(QLatin1StringView key)
{
    return localizedString(QString(key));
}

// Replaces the table in use and answers the one it replaces (tests; an empty table makes every key stand for
// itself). resetTable() goes back to the application's own table.
QHash<QString, QString> setTable(const QHash<QString, QString> &table);
void resetTable();
// The application's own table for the user's language, as resetTable() installs it.
QHash<QString, QString> applicationTable();

} // namespace Localization
