#include "SongRows.h"

#include "HTMLEscape.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <algorithm>

using namespace Qt::StringLiterals;

SongRows SongRows::forCurrentFields()
{
    SongRows rows;
    if (const ExportChoices *choices = ExportChoices::getMain())
        rows.m_titles = choices->getFieldOrder();
    rows.m_fields = FieldVocabulary::resolveTitles(rows.m_titles, FieldVocabulary::htmlOrder());
    rows.m_numberRows = Preferences::boolFor(Preferences::prHTMLShouldNumberRows);
    rows.m_useStars = Preferences::boolFor(Preferences::prHTMLUseStars);
    rows.m_links = HTMLLinks::read();
    return rows;
}

void SongRows::appendRow(QString &out, const Song &song, qsizetype index) const
{
    out.append(index % 2 == 0 ? "<tr class=\"alt\">"_L1 : "<tr class=\"nonalt\">"_L1);
    for (qsizetype j = 0; j < m_fields.size(); ++j) {
        if (j == 0 && m_numberRows) {
            out.append("<td>"_L1);
            kwStringMethods::appendDecimal(index + 1, out);
            out.append(".</td>"_L1);
        }
        out.append("<td>"_L1);
        if (m_fields[j])
            appendCell(out, song, *m_fields[j]);
        out.append("</td>"_L1);
    }
    out.append("</tr>\n"_L1);
}

void SongRows::appendCell(QString &out, const Song &song, Field field) const
{
    switch (field) {
    case Field::Name:
        m_links.appendLinkedName(out, song);
        break;
    case Field::Artist:
    case Field::Album:
    case Field::Location:
    case Field::Genre:
    case Field::Composer:
    case Field::Kind:
    case Field::Comments:
        HTMLEscape::append(out, FieldVocabulary::textValue(song, field));
        break;
    case Field::Rating:
        if (m_useStars && song.getRating() != 0) {
            // A library holds ratings of 0 to 100, five stars at most; a damaged one must not make a cell of
            // millions of stars.
            out.append(QLatin1StringView("*****", std::clamp(song.getRating(), 0, 5)));
            break;
        }
        [[fallthrough]];
    case Field::SampleRate:
    case Field::BitRate:
    case Field::PlayCount:
    case Field::TrackNumber:
    case Field::Year:
    case Field::BPM:
        kwStringMethods::appendInt(FieldVocabulary::numberValue(song, field), out, false);
        break;
    case Field::Time:
        kwStringMethods::appendTime(song.getTime(), out);
        break;
    case Field::DiscNumber:
        if (song.getDiscNumber() > 0)
            kwStringMethods::appendInt(song.getDiscNumber(), out, true);
        else
            out.append(u'?');
        out.append(" of "_L1);
        if (song.getDiscCount() > 0)
            kwStringMethods::appendInt(song.getDiscCount(), out, true);
        else
            out.append(u'?');
        break;
    case Field::Size:
        HTMLEscape::append(out, kwStringMethods::kilobytesToMBString(quint32(song.getSize() / 1024)));
        break;
    case Field::DiscCount:
        break;
    }
}
