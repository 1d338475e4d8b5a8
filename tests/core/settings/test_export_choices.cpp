#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
const QStringList allSorted = { u"Album"_s, u"Artist"_s, u"BPM"_s, u"Bit Rate"_s, u"Comments"_s, u"Composer"_s,
    u"Disc Number"_s, u"Genre"_s, u"Kind"_s, u"Location"_s, u"Name"_s, u"Play Count"_s, u"Rating"_s, u"Sample Rate"_s,
    u"Size"_s, u"Time"_s, u"Track Number"_s, u"Year"_s };

void store(CoreEnvironment &env, const QStringList &fields, const QStringList &sort)
{
    env.store().setObject(fields, QString(Preferences::prFieldOrder));
    env.store().setObject(sort, QString(Preferences::prSortOrder));
}
} // namespace

TEST(ExportChoices, FilledFromTheStoredLists)
{
    struct Case
    {
        const char *what;
        QStringList fields, sort;
        QStringList expectFields, expectSort;
        qsizetype options;
    };
    const Case cases[] = {
        { "empty store", {}, {}, {}, {}, 18 },
        { "two fields", { u"Name"_s, u"Artist"_s }, { u"Artist"_s, u"Name"_s }, { u"Name"_s, u"Artist"_s },
            { u"Artist"_s, u"Name"_s }, 16 },
        { "no fields but a sort list", {}, { u"Name"_s }, {}, {}, 18 },
        { "unknown title", { u"Titel"_s }, { u"Titel"_s }, { u"Titel"_s }, { u"Titel"_s }, 18 },
        { "titles of before they were words", { u"SampleRate"_s, u"Name"_s, u"PlayCount"_s },
            { u"PlayCount"_s, u"Track Number"_s, u"SampleRate"_s }, { u"Sample Rate"_s, u"Name"_s, u"Play Count"_s },
            { u"Play Count"_s, u"Track Number"_s, u"Sample Rate"_s }, 15 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CoreEnvironment env;
        if (!c.fields.isEmpty() || !c.sort.isEmpty())
            store(env, c.fields, c.sort);
        ExportChoices choices;
        choices.fillFromSettings(env.store());
        EXPECT_EQ(choices.getFieldOrder(), c.expectFields);
        EXPECT_EQ(choices.getSortOrder(), c.expectSort);
        EXPECT_EQ(choices.getExportOptions().size(), c.options);
        if (c.options == 18) {
            EXPECT_EQ(choices.getExportOptions(), allSorted);
        }
        for (const QString &title : choices.getFieldOrder())
            EXPECT_FALSE(choices.getExportOptions().contains(title)) << "offered twice: " << title.toStdString();
    }
}

TEST(ExportChoices, AddRemoveKeepTheInvariantsAndStoreBack)
{
    CoreEnvironment env;
    ExportChoices &choices = env.choices();
    choices.fillFromSettings(env.store());
    EXPECT_FALSE(choices.addField(18));
    ASSERT_TRUE(choices.addField(1)); // Artist
    ASSERT_TRUE(choices.addField(0)); // Album
    EXPECT_EQ(choices.getFieldOrder(), (QStringList { u"Artist"_s, u"Album"_s }));
    EXPECT_EQ(choices.getSortOrder(), (QStringList { u"Artist"_s, u"Album"_s }));
    EXPECT_EQ(choices.getExportOptions().size(), 16);

    choices.removeField(u"Artist"_s);
    EXPECT_EQ(choices.getFieldOrder(), QStringList { u"Album"_s });
    EXPECT_EQ(choices.getSortOrder(), QStringList { u"Album"_s });
    EXPECT_EQ(choices.getExportOptions().value(0), u"Artist"_s);

    choices.storeToSettings(env.store());
    ExportChoices restored;
    restored.fillFromSettings(env.store());
    EXPECT_EQ(restored.getFieldOrder(), QStringList { u"Album"_s });
    EXPECT_EQ(restored.getExportOptions(), choices.getExportOptions());
}

TEST(ExportChoices, DropsReorderWithinOneList)
{
    const QStringList abcd = { u"A"_s, u"B"_s, u"C"_s, u"D"_s };
    struct Case
    {
        QString title;
        qsizetype row;
        QStringList result;
        qsizetype index;
    };
    const Case cases[] = {
        { u"A"_s, 2, { u"B"_s, u"A"_s, u"C"_s, u"D"_s }, 1 },
        { u"D"_s, 1, { u"A"_s, u"D"_s, u"B"_s, u"C"_s }, 1 },
        { u"B"_s, 1, abcd, 1 },
        { u"B"_s, 2, abcd, 1 },
        { u"A"_s, 4, { u"B"_s, u"C"_s, u"D"_s, u"A"_s }, 3 },
        { u"A"_s, -1, { u"B"_s, u"C"_s, u"D"_s, u"A"_s }, 3 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.title.toStdString() + " above " + std::to_string(c.row));
        QStringList list = abcd;
        EXPECT_EQ(ExportChoices::moveByDrop(list, c.title, c.row), c.index);
        EXPECT_EQ(list, c.result);
    }
    QStringList list = abcd;
    EXPECT_EQ(ExportChoices::moveByDrop(list, u"Z"_s, 0), -1);
    EXPECT_EQ(list, abcd);
}

TEST(ExportChoices, MovesUpAndDownByOneRow)
{
    const QStringList abc = { u"A"_s, u"B"_s, u"C"_s };
    struct Case
    {
        bool up;
        qsizetype row;
        bool moved;
        QStringList result;
    };
    const Case cases[] = {
        { true, 1, true, { u"B"_s, u"A"_s, u"C"_s } },
        { true, 2, true, { u"A"_s, u"C"_s, u"B"_s } },
        { true, 0, false, abc },
        { true, 3, false, abc },
        { true, -1, false, abc },
        { false, 0, true, { u"B"_s, u"A"_s, u"C"_s } },
        { false, 1, true, { u"A"_s, u"C"_s, u"B"_s } },
        { false, 2, false, abc },
        { false, -1, false, abc },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.up ? "up " : "down ") + std::to_string(c.row));
        QStringList list = abc;
        EXPECT_EQ(c.up ? ExportChoices::moveUp(list, c.row) : ExportChoices::moveDown(list, c.row), c.moved);
        EXPECT_EQ(list, c.result);
    }
}
