#include "Playlist.h"

#include "SongSort.h"

using namespace Qt::StringLiterals;

TrackIndex::TrackIndex(const PlistValue &tracks)
    : m_tracks(tracks)
{
    const qsizetype n = tracks.count();
    m_index.reserve(n);
    // A key given twice resolves to the later entry, as a lookup in the dictionary would.
    for (qsizetype i = 0; i < n; ++i)
        m_index.insert(tracks.keyAt(i), i);
}

PlistValue TrackIndex::find(const QString &key) const
{
    auto it = m_index.constFind(key);
    if (it == m_index.cend())
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
    for (qsizetype i = 0; i < n; ++i) {
        const PlistValue trackID = items.valueAt(i).value("Track ID"_L1);
        // An entry whose track is missing still gets its (empty) record, so every entry has one.
        PlistValue track;
        if (trackID.isInteger())
            track = tracks.find(trackID.stringValue());
        playlist.m_songs.append(std::make_shared<const Song>(Song::initWithDict(track)));
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
