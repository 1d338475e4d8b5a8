#include "DelimitedText.h"

#include "Common.h"
#include "DelimitedTextItems.h"
#include "core/fields/FieldVocabulary.h"
#include "core/library/SongSort.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// How the values of one export are written, from the chosen delimiter item.
struct Style
{
    bool csv; // quoted where needed, line breaks kept, times as h:mm:ss
    bool tabDelimited; // a tab inside a value would start a new column
};

void appendDiscPart(QString &line, int value)
{
    if (value > 0)
        line += kwStringMethods::intAsString(value);
    else
        line += u'?';
}

// A value that cannot be quoted is laid flat on its line: line breaks, and tabs between tab-delimited columns,
// become spaces. Any other delimiter inside a value stays as it is, as it always has.
QString flattened(const QString &value, Style style)
{
    QString flat = kwStringMethods::withoutLineBreaks(value);
    if (style.tabDelimited && flat.contains(u'\t'))
        flat.replace(u'\t', u' ');
    return flat;
}

// RFC 4180: a field with a comma, a double quote or a line break goes inside double quotes, its quotes doubled.
// Spaces at either end are part of the field and need no quotes.
void appendCSVField(QString &line, const QString &value)
{
    const bool needsQuotes = std::any_of(
        value.cbegin(), value.cend(), [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; });
    if (!needsQuotes) {
        line += value;
        return;
    }
    line += u'"';
    for (const QChar c : value) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

void appendText(QString &line, const QString &value, Style style)
{
    if (style.csv)
        appendCSVField(line, value);
    else
        line += flattened(value, style);
}

void appendValue(QString &line, const Song &song, std::optional<Field> field, Style style)
{
    if (!field)
        return; // a title that names no field: an empty cell, its delimiters still written
    switch (*field) {
    case Field::Name:
    case Field::Artist:
    case Field::Album:
    case Field::Location:
    case Field::Genre:
    case Field::Kind:
    case Field::Composer:
    case Field::Comments:
        appendText(line, FieldVocabulary::textValue(song, *field), style);
        return;
    case Field::Time:
        // "3:18" would be read by a spreadsheet as three hours and eighteen minutes.
        if (style.csv)
            kwStringMethods::appendClockTime(song.getTime(), line);
        else
            line += kwStringMethods::getTimeAsString(song.getTime());
        return;
    case Field::DiscNumber:
        appendDiscPart(line, song.getDiscNumber());
        line += " of "_L1;
        appendDiscPart(line, song.getDiscCount());
        return;
    case Field::Size:
        // The record keeps the library's byte count in 32 bits; read as unsigned, files of 2 to 4 GiB whose
        // count went past the signed range still show their true size instead of a negative one.
        line += kwStringMethods::kilobytesToMBString(quint32(song.getSize()) / 1024);
        return;
    case Field::SampleRate:
    case Field::BitRate:
    case Field::Rating:
    case Field::PlayCount:
    case Field::TrackNumber:
    case Field::Year:
    case Field::BPM:
        kwStringMethods::appendInt(FieldVocabulary::numberValue(song, *field), line, false);
        return;
    case Field::DiscCount:
        break; // never a column of its own: "Disc Count" is not among the titles the cells are looked up in
    }
}

} // namespace

void DelimitedText::saveDTTo(const QString &path, const Playlist &playlist)
{
    const QString text = makeText(playlist);
    Common::writeExport(
        text, path, DelimitedTextItems::encodingFor(Preferences::stringFor(Preferences::prDTEncoding)).encoding);
}

QString DelimitedText::makeText(const Playlist &playlist)
{
    const DelimitedTextItems::Delimiter &item
        = DelimitedTextItems::delimiterFor(Preferences::integerFor(Preferences::prDTDelimiter));
    const QChar delimiter = item.character;
    const Style style { item.csv, delimiter == u'\t' };
    // CSV readers would take the spaces as part of the values.
    const bool padding = !item.csv && Preferences::boolFor(Preferences::prDTPadding);
    const QString lineEnd = item.csv ? u"\r\n"_s : u"\n"_s;
    const ExportChoices *choices = ExportChoices::getMain();
    const QStringList fieldOrder = choices ? choices->getFieldOrder() : QStringList();

    SongList songs = playlist.getSongs();
    if (!Preferences::boolFor(Preferences::priTunesOrdering))
        SongSort::sortWithMainSort(songs);
    // After sorting: of songs that agree in every exported field, the one that sorts first stays.
    if (Preferences::boolFor(Preferences::prDTRemoveDupes))
        Common::removeDuplicateSongsFromList(songs);

    // The titles do not change during one export; find the field of each once.
    const QList<std::optional<Field>> fields
        = FieldVocabulary::resolveTitles(fieldOrder, FieldVocabulary::exportOrder());

    QString separator;
    if (padding)
        separator = u' ' % delimiter % u' ';
    else
        separator = delimiter;

    QString text;
    // The titles as the list holds them, a title that names no field too: it heads the empty column it keeps.
    if (Preferences::boolFor(Preferences::prDTHeaderRow)) {
        for (qsizetype j = 0; j < fieldOrder.size(); ++j) {
            appendText(text, fieldOrder[j], style);
            if (j + 1 < fieldOrder.size())
                text += separator;
        }
        text += lineEnd;
    }
    for (const SongPtr &song : std::as_const(songs)) {
        for (qsizetype j = 0; j < fields.size(); ++j) {
            appendValue(text, *song, fields[j], style);
            if (j + 1 < fields.size())
                text += separator;
        }
        text += lineEnd;
    }
    return text;
}
