#include "Playlist.h"

#include "SongSort.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The number whose decimal text `key` is exactly (QString::number() of it gives `key` back); nothing for any
// other text.
std::optional<qint64> canonicalNumber(QStringView key)
{
    const bool negative = key.startsWith(u'-');
    const QStringView digits = negative ? key.sliced(1) : key;
    if (digits.isEmpty() || digits.size() > 19 || (digits.front() == u'0' && (digits.size() > 1 || negative)))
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + quint64(c.unicode() - u'0'); // 19 digits cannot wrap a 64-bit unsigned
    }
    const quint64 limit = negative ? quint64(1) << 63 : (quint64(1) << 63) - 1;
    if (value > limit)
        return std::nullopt;
    return negative ? qint64(0 - value) : qint64(value);
}

} // namespace

TrackIndex::TrackIndex(const PlistValue &tracks)
    : m_tracks(tracks)
{
    const qsizetype n = tracks.count();
    m_byId.reserve(n);
    // A key given twice resolves to the later entry, as a lookup in the dictionary would.
    for (qsizetype i = 0; i < n; ++i) {
        const QString key = tracks.keyAt(i);
        if (const std::optional<qint64> id = canonicalNumber(key))
            m_byId.insert(*id, i);
        else
            m_byText.insert(key, i);
    }
}

PlistValue TrackIndex::find(const QString &key) const
{
    if (const std::optional<qint64> id = canonicalNumber(key))
        return find(*id);
    auto it = m_byText.constFind(key);
    if (it == m_byText.cend())
        return PlistValue();
    return m_tracks.valueAt(*it);
}

PlistValue TrackIndex::find(qint64 id) const
{
    auto it = m_byId.constFind(id);
    if (it == m_byId.cend())
        return PlistValue();
    return m_tracks.valueAt(*it);
}

Playlist::Playlist(const QString &name, const SongList &songs)
    : m_name(name)
    , m_songs(songs)
    , m_albums(groupIntoAlbums(songs))
{
}

Playlist Playlist::initWithDict(const PlistValue &dict, const TrackIndex &tracks)
{
    Playlist playlist;
    const PlistValue name = dict.value("Name"_L1);
    if (name.isString())
        playlist.m_name = name.toString();

    const PlistValue items = dict.value("Playlist Items"_L1);
    const qsizetype n = items.count();
    playlist.m_songs.reserve(n);
    QSet<QString> sharedTexts;
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue trackID = items.valueAt(i).value("Track ID"_L1);
        // An entry whose track is missing still gets its (empty) record, so every entry has one.
        PlistValue track;
        if (trackID.isInteger())
            track = tracks.find(trackID.int64Value());
        playlist.m_songs.append(std::make_shared<const Song>(Song::initWithDict(track, sharedTexts)));
    }
    playlist.m_albums = groupIntoAlbums(playlist.m_songs);
    return playlist;
}

AlbumList Playlist::groupIntoAlbums(const SongList &songs)
{
    AlbumList albums;
    // Title to album index: the same albums in the same order as scanning the albums built so far.
    QHash<QString, qsizetype> byTitle;
    for (const SongPtr &song : songs) {
        const QString &album = song->getAlbum();
        if (album.isEmpty())
            continue;
        auto it = byTitle.constFind(album);
        if (it == byTitle.cend()) {
            byTitle.insert(album, albums.size());
            albums.append(SongList { song });
        } else {
            albums[*it].append(song);
        }
    }
    for (SongList &album : albums)
        SongSort::sortByTrackNumber(album);
    return albums;
}
