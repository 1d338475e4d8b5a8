#pragma once

#include "support/TestSupport.h"

#include <QDir>
#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <gtest/gtest.h>

// A fresh core environment per test, with shorthands for the settings the pages read.
class HTMLTest : public ::testing::Test
{
protected:
    void set(QLatin1StringView key, const QVariant &value) { env.store().setObject(value, QString(key)); }
    void setFields(const QStringList &fields) { env.setFields(fields, {}); }

    CoreEnvironment env;
};

inline std::string str(const QString &text)
{
    return text.toStdString();
}

// Every file name in `folder`, sorted.
inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}
