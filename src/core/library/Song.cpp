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

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDriveAt(const QString &s, qsizetype i)
{
    // "C:" alone or followed by a separator; "C:x" is not a drive but a name with a colon.
    return i + 1 < s.size() && isAsciiLetter(s[i]) && s[i + 1] == u':'
        && (i + 2 == s.size() || s[i + 2] == u'/' || s[i + 2] == u'\\');
}

// The path part of a "file:" URL, still escaped, in the form the file system names it.
QString nativePathOfFileURL(const QString &url)
{
    constexpr qsizetype scheme = 5; // "file:"
    if (url.mid(scheme, 2) != "//"_L1)
        return url.mid(scheme); // "file:/a/b": no authority at all
    const qsizetype hostStart = scheme + 2;
    qsizetype pathStart = url.indexOf(u'/', hostStart);
    if (pathStart < 0)
        pathStart = url.size();
    const QStringView host = QStringView(url).sliced(hostStart, pathStart - hostStart);
    const QStringView path = QStringView(url).sliced(pathStart);
    if (!host.isEmpty() && host.compare("localhost"_L1, Qt::CaseInsensitive) != 0)
        return "//"_L1 + host + path; // a file on another machine is its UNC path
    // "file:///C:/x" names the drive, not a folder "C:" below "/".
    if (path.size() >= 3 && isDriveAt(url, pathStart + 1))
        return path.sliced(1).toString();
    return path.toString(); // "/a/b", or "//server/share/..." when the path itself is a UNC path
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// The byte of the escape "%XY" at `i`, or -1 when there is none there.
int escapedByte(const QString &s, qsizetype i)
{
    if (i + 2 >= s.size() || s[i] != u'%')
        return -1;
    const int high = hexValue(s[i + 1]);
    const int low = hexValue(s[i + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// Decodes the UTF-8 sequence whose escaped lead byte is at `i`. Answers its length in bytes, 0 when the bytes
// there are no valid sequence (overlong forms, surrogates and values past U+10FFFF included).
int decodeEscapedUTF8(const QString &s, qsizetype i, char32_t &codePoint)
{
    const int lead = escapedByte(s, i);
    int length = 0;
    int low = 0x80, high = 0xBF; // the range of the byte after the lead; later ones are always 80..BF
    if (lead < 0)
        return 0;
    if (lead < 0x80) {
        codePoint = char32_t(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const int byte = escapedByte(s, i + 3 * k);
        if (byte < low || byte > high)
            return 0;
        codePoint = (codePoint << 6) | char32_t(byte & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

// Every escape that is part of a valid UTF-8 sequence decoded; every other character, "+" and escapes that
// decode to no character included, kept as written. One pass: this runs for every track of the library.
QString percentDecoded(const QString &s)
{
    qsizetype i = s.indexOf(u'%');
    if (i < 0)
        return s;
    QString out;
    out.reserve(s.size());
    out.append(QStringView(s).first(i));
    while (i < s.size()) {
        char32_t codePoint = 0;
        const int length = s[i] == u'%' ? decodeEscapedUTF8(s, i, codePoint) : 0;
        if (length == 0) {
            out.append(s[i]);
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(codePoint)) {
            out.append(QChar::highSurrogate(codePoint));
            out.append(QChar::lowSurrogate(codePoint));
        } else {
            out.append(QChar(char16_t(codePoint)));
        }
        i += 3 * length;
    }
    return out;
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
    return initWithDict(dict, nullptr);
}

Song Song::initWithDict(const PlistValue &dict, QSet<QString> &sharedTexts)
{
    return initWithDict(dict, &sharedTexts);
}

Song Song::initWithDict(const PlistValue &dict, QSet<QString> *sharedTexts)
{
    Song song;
    if (!dict.isDict())
        return song;
    // A text read again for every track of an album or an artist is kept once: a million-track library
    // otherwise holds hundreds of thousands of copies of the same few names.
    const auto shared = [sharedTexts](const PlistValue &dict, QLatin1StringView key) -> QString {
        QString value = text(dict, key);
        if (!sharedTexts || value.isEmpty())
            return value;
        auto it = sharedTexts->constFind(value);
        if (it == sharedTexts->cend())
            it = sharedTexts->insert(value);
        return *it;
    };
    song.m_artist = shared(dict, "Artist"_L1);
    song.m_album = shared(dict, "Album"_L1);
    song.m_name = text(dict, "Name"_L1);
    song.m_genre = shared(dict, "Genre"_L1);
    const PlistValue location = dict.value("Location"_L1);
    if (!location.isNone())
        song.m_location = locationFromURL(location.toString());
    song.m_composer = shared(dict, "Composer"_L1);
    song.m_comments = text(dict, "Comments"_L1);
    song.m_kind = shared(dict, "Kind"_L1);
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
    if (!url.startsWith("file:"_L1, Qt::CaseInsensitive))
        return url; // a stream address (or anything else) is the library's own text, untouched
    return percentDecoded(nativePathOfFileURL(url));
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
