#pragma once

#include "ScriptedInteraction.h"
#include "core/library/Song.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/ScopedCoreGlobals.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// Everything the core reaches through globals, made fresh for one test: a home folder and a settings store in
// a temporary folder (defaults registered), scripted user interaction, export choices set as the main ones,
// the application's own string table. The destructor puts the previous globals back.
class CoreEnvironment
{
public:
    CoreEnvironment();
    ~CoreEnvironment();

    QString home() const { return m_home; }
    QString path(const QString &relative) const; // inside the temporary folder

    UserDefaults &store() { return *m_store; }
    ScriptedInteraction &interaction() { return m_interaction; }
    ExportChoices &choices() { return m_choices; }

    // Sets both the field list and the sort list.
    void setFields(const QStringList &fields, const QStringList &sort);

private:
    QTemporaryDir m_dir;
    QString m_home;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
    std::unique_ptr<UserDefaults> m_store;
    ScriptedInteraction m_interaction;
    ExportChoices m_choices;
    std::optional<ScopedCoreGlobals> m_globals;
};

SongPtr makeSong(const Song::Values &values);

QByteArray readFileBytes(const QString &path);
void writeFileBytes(const QString &path, const QByteArray &bytes);

// The bundled sample library.
QString sampleLibraryPath();
