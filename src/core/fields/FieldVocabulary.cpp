#include "FieldVocabulary.h"

#include "core/platform/Localization.h"

using namespace Qt::StringLiterals;

namespace FieldVocabulary {

const std::array<FieldInfo, 19> &all()
{
    static const std::array<FieldInfo, 19> fields = { {
        { Field::Artist, "Artist"_L1, true, true },
        { Field::Album, "Album"_L1, true, true },
        { Field::Name, "Name"_L1, true, true },
        { Field::Genre, "Genre"_L1, true, true },
        { Field::Location, "Location"_L1, true, true },
        { Field::SampleRate, "SampleRate"_L1, true, false },
        { Field::Time, "Time"_L1, true, false },
        { Field::BitRate, "BitRate"_L1, true, false },
        { Field::Rating, "Rating"_L1, true, false },
        { Field::PlayCount, "PlayCount"_L1, true, false },
        { Field::TrackNumber, "TrackNumber"_L1, true, false },
        { Field::Composer, "Composer"_L1, true, true },
        { Field::Comments, "Comments"_L1, true, true },
        { Field::Year, "Year"_L1, true, false },
        { Field::Kind, "Kind"_L1, true, true },
        { Field::BPM, "BPM"_L1, true, false },
        { Field::DiscNumber, "Disc Number"_L1, true, false },
        { Field::Size, "Size"_L1, true, false },
        { Field::DiscCount, "Disc Count"_L1, false, false },
    } };
    return fields;
}

const FieldInfo &info(Field field)
{
    // all() is laid out in enum order.
    return all()[static_cast<size_t>(field)];
}

QString title(Field field)
{
    return Localization::localizedString(info(field).titleKey);
}

QStringList offeredTitles()
{
    QStringList titles;
    for (const FieldInfo &f : all()) {
        if (f.offered)
            titles.append(title(f.field));
    }
    return titles;
}

std::optional<Field> fieldForTitle(const QString &text, std::span<const Field> order)
{
    for (Field f : order) {
        if (text == title(f))
            return f;
    }
    for (Field f : order) {
        if (text == info(f).titleKey)
            return f;
    }
    return std::nullopt;
}

QList<std::optional<Field>> resolveTitles(const QStringList &titles, std::span<const Field> order)
{
    QList<std::optional<Field>> fields;
    fields.reserve(titles.size());
    for (const QString &t : titles)
        fields.append(fieldForTitle(t, order));
    return fields;
}

std::span<const Field> sortOrder()
{
    static constexpr Field order[] = {
        Field::Name,
        Field::Kind,
        Field::Artist,
        Field::Album,
        Field::Location,
        Field::Genre,
        Field::SampleRate,
        Field::Time,
        Field::BitRate,
        Field::Rating,
        Field::PlayCount,
        Field::BPM,
        Field::DiscNumber,
        Field::DiscCount,
        Field::Size,
        Field::TrackNumber,
        Field::Year,
        Field::Composer,
        Field::Comments,
    };
    return order;
}

std::span<const Field> compareOrder()
{
    static constexpr Field order[] = {
        Field::Name,
        Field::Artist,
        Field::Album,
        Field::Location,
        Field::Genre,
        Field::Kind,
        Field::Composer,
        Field::Comments,
        Field::SampleRate,
        Field::Time,
        Field::BitRate,
        Field::Rating,
        Field::PlayCount,
        Field::TrackNumber,
        Field::Year,
        Field::BPM,
        Field::DiscNumber,
        Field::DiscCount,
        Field::Size,
    };
    return order;
}

std::span<const Field> exportOrder()
{
    // "Disc Count" is no column of its own: it names nothing here.
    static constexpr Field order[] = {
        Field::Name,
        Field::Artist,
        Field::Album,
        Field::Location,
        Field::Genre,
        Field::Kind,
        Field::Composer,
        Field::Comments,
        Field::SampleRate,
        Field::Time,
        Field::BitRate,
        Field::Rating,
        Field::PlayCount,
        Field::TrackNumber,
        Field::Year,
        Field::BPM,
        Field::DiscNumber,
        Field::Size,
    };
    return order;
}

std::span<const Field> htmlOrder()
{
    static constexpr Field order[] = {
        Field::Name,
        Field::Artist,
        Field::Album,
        Field::Location,
        Field::Genre,
        Field::Composer,
        Field::Kind,
        Field::Comments,
        Field::SampleRate,
        Field::Time,
        Field::BitRate,
        Field::Rating,
        Field::PlayCount,
        Field::TrackNumber,
        Field::Year,
        Field::BPM,
        Field::DiscNumber,
        Field::Size,
    };
    return order;
}

} // namespace FieldVocabulary
