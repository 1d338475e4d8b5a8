#include "Localization.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QHash<QString, QString> loadTable(const QString &resource)
{
    QHash<QString, QString> table;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return table;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.value().isString())
            table.insert(it.key(), it.value().toString());
    }
    return table;
}

QHash<QString, QString> loadApplicationTable()
{
    // The first of the user's languages that has a table; English otherwise.
    for (const QString &language : QLocale().uiLanguages()) {
        const QString name = language.section(u'-', 0, 0).toLower();
        const QString resource = u":/strings/"_s + name + u".json"_s;
        if (QFile::exists(resource))
            return loadTable(resource);
    }
    return loadTable(u":/strings/en.json"_s);
}

struct State
{
    bool loaded = false;
    QHash<QString, QString> table;
};

State &state()
{
    static State s;
    if (!s.loaded) {
        s.table = loadApplicationTable();
        s.loaded = true;
    }
    return s;
}

} // namespace

namespace Localization {

QString localizedString(const QString &key)
{
    const auto &table = state().table;
    auto it = table.constFind(key);
    return it == table.cend() ? key : *it;
}

QHash<QString, QString> setTable(const QHash<QString, QString> &table)
{
    return std::exchange(state().table, table);
}

void resetTable()
{
    state().table = loadApplicationTable();
}

QHash<QString, QString> applicationTable()
{
    return loadApplicationTable();
}

} // namespace Localization
