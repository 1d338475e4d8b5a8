#include "DelimitedText.h"

#include "Common.h"
#include "DelimitedTextItems.h"
#include "core/fields/FieldVocabulary.h"
#include "core/library/SongSort.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

void appendDiscPart(QString &line, int value)
{
    if (value > 0)
        line += kwStringMethods::intAsString(value);
    else
        line += u'?';
}

void appendValue(QString &line, const Song &song, std::optional<Field> field)
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
        line += kwStringMethods::withoutLineBreaks(FieldVocabulary::textValue(song, *field));
        return;
    case Field::Time:
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
    const QChar delimiter
        = DelimitedTextItems::delimiterFor(Preferences::integerFor(Preferences::prDTDelimiter)).character;
    const bool padding = Preferences::boolFor(Preferences::prDTPadding);
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
    for (const SongPtr &song : std::as_const(songs)) {
        for (qsizetype j = 0; j < fields.size(); ++j) {
            appendValue(text, *song, fields[j]);
            if (j + 1 < fields.size())
                text += separator;
        }
        text += u'\n';
    }
    return text;
}
