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
        HTMLEscape::append(out, song.getArtist());
        break;
    case Field::Album:
        HTMLEscape::append(out, song.getAlbum());
        break;
    case Field::Location:
        HTMLEscape::append(out, song.getLocation());
        break;
    case Field::Genre:
        HTMLEscape::append(out, song.getGenre());
        break;
    case Field::Composer:
        HTMLEscape::append(out, song.getComposer());
        break;
    case Field::Kind:
        HTMLEscape::append(out, song.getKind());
        break;
    case Field::Comments:
        HTMLEscape::append(out, song.getComments());
        break;
    case Field::SampleRate:
        kwStringMethods::appendInt(song.getSampleRate(), out, false);
        break;
    case Field::Time:
        kwStringMethods::appendTime(song.getTime(), out);
        break;
    case Field::BitRate:
        kwStringMethods::appendInt(song.getBitRate(), out, false);
        break;
    case Field::Rating:
        if (m_useStars && song.getRating() != 0) {
            // A library holds ratings of 0 to 100, five stars at most; a damaged one must not make a cell of
            // millions of stars.
            out.append(QLatin1StringView("*****", std::clamp(song.getRating(), 0, 5)));
        } else {
            kwStringMethods::appendInt(song.getRating(), out, false);
        }
        break;
    case Field::PlayCount:
        kwStringMethods::appendInt(song.getPlaycount(), out, false);
        break;
    case Field::TrackNumber:
        kwStringMethods::appendInt(song.getTrackNumber(), out, false);
        break;
    case Field::Year:
        kwStringMethods::appendInt(song.getYear(), out, false);
        break;
    case Field::BPM:
        kwStringMethods::appendInt(song.getBPM(), out, false);
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
