#include "Song.h"

#include "SongCompare.h"
#include "core/fields/FieldVocabulary.h"
#include "core/plist/PropertyList.h"
#include "core/settings/ExportChoices.h"

using namespace Qt::StringLiterals;

namespace {

QString text(const PlistValue &dict, QLatin1StringView key)
{
    return dict.value(key).toString();
}

int number(const PlistValue &dict, QLatin1StringView key)
{
    return dict.value(key).intValue();
}

int sign(int c)
{
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

Song::Song(const Values &v)
    : m_artist(v.artist)
    , m_album(v.album)
    , m_name(v.name)
    , m_genre(v.genre)
    , m_location(v.location)
    , m_composer(v.composer)
    , m_comments(v.comments)
    , m_kind(v.kind)
    , m_sampleRate(v.sampleRate)
    , m_time(v.time)
    , m_bitRate(v.bitRate)
    , m_rating(v.rating)
    , m_playcount(v.playcount)
    , m_trackNumber(v.trackNumber)
    , m_year(v.year)
    , m_bpm(v.bpm)
    , m_discNumber(v.discNumber)
    , m_discCount(v.discCount)
    , m_size(v.size)
{
}

Song Song::initWithDict(const PlistValue &dict)
{
    Song song;
    if (!dict.isDict())
        return song;
    song.m_artist = text(dict, "Artist"_L1);
    song.m_album = text(dict, "Album"_L1);
    song.m_name = text(dict, "Name"_L1);
    song.m_genre = text(dict, "Genre"_L1);
    const PlistValue location = dict.value("Location"_L1);
    if (!location.isNone())
        song.m_location = locationFromURL(location.toString());
    song.m_composer = text(dict, "Composer"_L1);
    song.m_comments = text(dict, "Comments"_L1);
    song.m_kind = text(dict, "Kind"_L1);
    song.m_sampleRate = number(dict, "Sample Rate"_L1);
    song.m_time = number(dict, "Total Time"_L1) / 1000;
    song.m_bitRate = number(dict, "Bit Rate"_L1);
    song.m_rating = number(dict, "Rating"_L1) / 20;
    song.m_playcount = number(dict, "Play Count"_L1);
    song.m_trackNumber = number(dict, "Track Number"_L1);
    song.m_year = number(dict, "Year"_L1);
    song.m_bpm = number(dict, "BPM"_L1);
    song.m_discNumber = number(dict, "Disc Number"_L1);
    song.m_discCount = number(dict, "Disc Count"_L1);
    song.m_size = number(dict, "Size"_L1);
    return song;
}

QString Song::locationFromURL(const QString &url)
{
    QString path = url;
    path.replace(u"%20"_s, u" "_s);
    // Libraries name files either "file://localhost/..." or, since later iTunes versions, "file:///...".
    // Both keep the path's leading "/"; other forms lose their first 16 characters, as they always have.
    if (path.startsWith("file://localhost/"_L1))
        return path.mid(16);
    if (path.startsWith("file:///"_L1))
        return path.mid(7);
    if (path.size() > 17)
        return path.mid(16);
    return path;
}

int Song::alphanumericSort(const QString &x, const QString &y)
{
    return sign(QString::compare(x, y, Qt::CaseInsensitive));
}

int Song::intSort(int x, int y, bool reverse)
{
    if (x == y)
        return 0;
    if (reverse)
        return x > y ? -1 : 1;
    return x < y ? -1 : 1;
}

namespace SongCompare {

namespace {
bool reversedNumber(Field f)
{
    return f == Field::Rating || f == Field::PlayCount || f == Field::BPM;
}
} // namespace

int compareResolved(const QList<std::optional<Field>> &fields, const Song &a, const Song &b)
{
    for (const auto &field : fields) {
        if (!field)
            continue;
        const FieldInfo &info = FieldVocabulary::info(*field);
        if (info.isText) {
            const QString &x = FieldVocabulary::textValue(a, *field);
            const QString &y = FieldVocabulary::textValue(b, *field);
            if (x != y)
                return Song::alphanumericSort(x, y);
        } else {
            const int x = FieldVocabulary::numberValue(a, *field);
            const int y = FieldVocabulary::numberValue(b, *field);
            if (x != y)
                return Song::intSort(x, y, reversedNumber(*field));
        }
    }
    return 0;
}

} // namespace SongCompare

int Song::mainSort(const Song &other) const
{
    const ExportChoices *choices = ExportChoices::getMain();
    if (!choices)
        return 0;
    return SongCompare::compareResolved(
        FieldVocabulary::resolveTitles(choices->getSortOrder(), FieldVocabulary::sortOrder()), *this, other);
}

bool Song::compareField(const QString &title, const Song &other) const
{
    const std::optional<Field> field = FieldVocabulary::fieldForTitle(title, FieldVocabulary::compareOrder());
    if (!field)
        return false;
    if (FieldVocabulary::info(*field).isText)
        return FieldVocabulary::textValue(*this, *field) == FieldVocabulary::textValue(other, *field);
    return FieldVocabulary::numberValue(*this, *field) == FieldVocabulary::numberValue(other, *field);
}

int Song::trackNumberSort(const Song &other) const
{
    const int a = m_trackNumber;
    const int b = other.m_trackNumber;
    if (a == 0 && b == 0)
        return 0;
    if (a == 0)
        return 1;
    if (b == 0)
        return -1;
    return a < b ? -1 : (a > b ? 1 : 0);
}

namespace FieldVocabulary {

const QString &textValue(const Song &song, Field field)
{
    static const QString empty;
    switch (field) {
    case Field::Artist:
        return song.getArtist();
    case Field::Album:
        return song.getAlbum();
    case Field::Name:
        return song.getName();
    case Field::Genre:
        return song.getGenre();
    case Field::Location:
        return song.getLocation();
    case Field::Composer:
        return song.getComposer();
    case Field::Comments:
        return song.getComments();
    case Field::Kind:
        return song.getKind();
    default:
        return empty;
    }
}

int numberValue(const Song &song, Field field)
{
    switch (field) {
    case Field::SampleRate:
        return song.getSampleRate();
    case Field::Time:
        return song.getTime();
    case Field::BitRate:
        return song.getBitRate();
    case Field::Rating:
        return song.getRating();
    case Field::PlayCount:
        return song.getPlaycount();
    case Field::TrackNumber:
        return song.getTrackNumber();
    case Field::Year:
        return song.getYear();
    case Field::BPM:
        return song.getBPM();
    case Field::DiscNumber:
        return song.getDiscNumber();
    case Field::DiscCount:
        return song.getDiscCount();
    case Field::Size:
        return song.getSize();
    default:
        return 0;
    }
}

} // namespace FieldVocabulary
