#pragma once

#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <span>

// The fields of a track that the user can choose, sort by and export.
enum class Field {
    Artist,
    Album,
    Name,
    Genre,
    Location,
    SampleRate,
    Time,
    BitRate,
    Rating,
    PlayCount,
    TrackNumber,
    Composer,
    Comments,
    Year,
    Kind,
    BPM,
    DiscNumber,
    Size,
    DiscCount,
};

struct FieldInfo
{
    Field field;
    QLatin1StringView titleKey; // localisation key of the field's title
    bool offered; // offered to the user (all but "Disc Count")
    bool isText; // compares as text; otherwise as a number
};

namespace FieldVocabulary {

// All 19 fields, the 18 offered ones first, in the order the options list is built from.
const std::array<FieldInfo, 19> &all();
const FieldInfo &info(Field field);

// The localised title of a field (its title key looked up in the string tables).
QString title(Field field);
// The localised titles of the 18 offered fields, in the order of all().
QStringList offeredTitles();

// The field that `title` names: `title` compared exactly (letter case significant) with the localised title
// of each field of `order`, in that order; the first match wins. Failing that, the same with the fields' title
// keys, which is what older settings and other languages' users have stored (such as "SampleRate").
// Nothing when none matches.
std::optional<Field> fieldForTitle(const QString &title, std::span<const Field> order);

// Lookup orders of the parts of the system that tell which field a title names.
std::span<const Field> sortOrder(); // ordering (mainSort)
std::span<const Field> compareOrder(); // field comparison and duplicate removal
std::span<const Field> exportOrder(); // delimited text cells
std::span<const Field> htmlOrder(); // song-based page cells

// The field of every title of `titles` under `order`, worked out once for a whole export or sort.
QList<std::optional<Field>> resolveTitles(const QStringList &titles, std::span<const Field> order);

} // namespace FieldVocabulary
