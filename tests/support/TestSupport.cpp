#include "TestSupport.h"

#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

CoreEnvironment::CoreEnvironment()
{
    EXPECT_TRUE(m_dir.isValid());
    m_home = m_dir.filePath(QStringLiteral("home"));
    QDir().mkpath(m_home);
    m_oldHome = qgetenv("HOME");
    m_oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(m_home));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));

    m_store = std::make_unique<UserDefaults>(m_dir.filePath(QStringLiteral("settings.json")));
    Preferences::registerDefaults(*m_store);
    m_globals.emplace(*m_store, m_interaction, &m_choices, Localization::applicationTable());
}

CoreEnvironment::~CoreEnvironment()
{
    m_globals.reset();
    qputenv("HOME", m_oldHome);
    if (m_oldConfig.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
}

QString CoreEnvironment::path(const QString &relative) const
{
    return m_dir.filePath(relative);
}

void CoreEnvironment::setFields(const QStringList &fields, const QStringList &sort)
{
    m_choices.getFieldOrder() = fields;
    m_choices.getSortOrder() = sort;
}

SongPtr makeSong(const Song::Values &values)
{
    return std::make_shared<const Song>(values);
}

QByteArray readFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QString sampleLibraryPath()
{
    return QStringLiteral(SETLISTRY_SOURCE_DIR "/resources/sample/iTunes Music Library.xml");
}
