#pragma once

#include "Song.h"
#include "core/plist/PropertyList.h"

#include <QHash>
#include <QString>

// The library's "Tracks" dictionary, indexed by key for playlist building. Valid while the document it was
// made from is alive.
class TrackIndex
{
public:
    TrackIndex() = default;
    explicit TrackIndex(const PlistValue &tracks);

    // The track dictionary stored under `key` (a track id in decimal digits); none when there is none. A key
    // given twice resolves to the last one.
    PlistValue find(const QString &key) const;
    // The same for the key that is the decimal text of `id` ("12", "-3"; never "012" or "+12").
    PlistValue find(qint64 id) const;
    qsizetype size() const { return m_byId.size() + m_byText.size(); }

private:
    PlistValue m_tracks;
    // Entry index in m_tracks by key. A library's keys are track ids, looked up as numbers: one text per track
    // would be a million allocations in a large library. Any other key text is kept as text.
    QHash<qint64, qsizetype> m_byId;
    QHash<QString, qsizetype> m_byText;
};

// One playlist ready for export: its name, its songs in playlist order, and the same songs grouped into albums.
class Playlist
{
public:
    // Builds everything at once from one playlist dictionary of the library and the indexed "Tracks".
    static Playlist initWithDict(const PlistValue &dict, const TrackIndex &tracks);

    // Field-by-field construction (tests, benchmarks); albums are grouped from `songs`.
    Playlist(const QString &name, const SongList &songs);

    // The name; a null QString when the playlist has no "Name".
    QString getName() const { return m_name; }
    SongList getSongs() const { return m_songs; }
    AlbumList getAlbums() const { return m_albums; }

    // Groups songs by exact album title in order of first appearance, each album in track-number order.
    static AlbumList groupIntoAlbums(const SongList &songs);

private:
    Playlist() = default;

    QString m_name;
    SongList m_songs;
    AlbumList m_albums;
};
