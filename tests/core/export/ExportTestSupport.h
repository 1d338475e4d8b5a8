#pragma once

#include "core/platform/Localization.h"
#include "support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

// The expected file `name` of tests/fixtures/export.
inline QByteArray exportFixture(const char *name)
{
    return readFileBytes(QStringLiteral(SETLISTRY_FIXTURES_DIR "/export/") + QString::fromUtf8(name));
}

// A fresh core environment in which every localisation key stands for itself, so field titles and unit words
// read as their keys ("Name", "K").
class ExportTest : public ::testing::Test
{
protected:
    void SetUp() override { Localization::setTable({}); }

    CoreEnvironment env;
};
