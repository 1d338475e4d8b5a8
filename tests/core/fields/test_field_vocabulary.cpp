#include "core/fields/FieldVocabulary.h"
#include "core/platform/Localization.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Installs a string table for the test's length.
class TableScope
{
public:
    explicit TableScope(const QHash<QString, QString> &table)
        : m_previous(Localization::setTable(table))
    {
    }
    ~TableScope() { Localization::setTable(m_previous); }

private:
    QHash<QString, QString> m_previous;
};

} // namespace

TEST(FieldVocabulary, TitlesAreWordsAndEveryTitleKeyStillNamesItsField)
{
    CoreEnvironment env;
    const std::pair<Field, QString> words[] = {
        { Field::SampleRate, u"Sample Rate"_s },
        { Field::BitRate, u"Bit Rate"_s },
        { Field::PlayCount, u"Play Count"_s },
        { Field::TrackNumber, u"Track Number"_s },
        { Field::DiscNumber, u"Disc Number"_s },
        { Field::BPM, u"BPM"_s },
    };
    for (const auto &[field, word] : words)
        EXPECT_EQ(FieldVocabulary::title(field), word);

    for (const std::span<const Field> order : { FieldVocabulary::sortOrder(), FieldVocabulary::compareOrder(),
             FieldVocabulary::exportOrder(), FieldVocabulary::htmlOrder() }) {
        for (const Field field : order) {
            const FieldInfo &info = FieldVocabulary::info(field);
            EXPECT_EQ(FieldVocabulary::fieldForTitle(FieldVocabulary::title(field), order), field);
            EXPECT_EQ(FieldVocabulary::fieldForTitle(QString(info.titleKey), order), field) << info.titleKey.data();
        }
    }
}

TEST(FieldVocabulary, LookupPrefersTheTitleOverAnotherFieldsKey)
{
    CoreEnvironment env;
    // "Name" is Kind's title here and Name's key: the title counts first.
    TableScope table({ { u"Name"_s, u"Titel"_s }, { u"Kind"_s, u"Name"_s }, { u"SampleRate"_s, u"Abtastrate"_s } });
    const std::span<const Field> order = FieldVocabulary::compareOrder();
    struct Case
    {
        QString title;
        std::optional<Field> field;
    };
    const Case cases[] = {
        { u"Name"_s, Field::Kind },
        { u"Titel"_s, Field::Name },
        { u"Abtastrate"_s, Field::SampleRate },
        { u"SampleRate"_s, Field::SampleRate },
        { u"Kind"_s, Field::Kind },
        { u"samplerate"_s, std::nullopt },
        { u"Sample Rate"_s, std::nullopt },
        { QString(), std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(FieldVocabulary::fieldForTitle(c.title, order), c.field) << c.title.toStdString();

    const QList<std::optional<Field>> resolved
        = FieldVocabulary::resolveTitles({ u"SampleRate"_s, u"Titel"_s, u"nothing"_s }, order);
    EXPECT_EQ(resolved, (QList<std::optional<Field>> { Field::SampleRate, Field::Name, std::nullopt }));
    // "Disc Count" is no delimited text column, by key or by title.
    EXPECT_EQ(FieldVocabulary::fieldForTitle(u"Disc Count"_s, FieldVocabulary::exportOrder()), std::nullopt);
}
