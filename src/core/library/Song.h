#pragma once

#include "core/fields/FieldVocabulary.h"

#include <QList>
#include <QSet>
#include <QString>
#include <memory>

class PlistValue;

// One library track, built once from its track dictionary and never changed.
class Song
{
public:
    Song() = default; // the empty record: every text "", every number 0

    // Fills every field from one track dictionary of the library; a none value gives the empty record.
    static Song initWithDict(const PlistValue &dict);
    // The same, the texts that many tracks share (artist, album, genre, kind, composer) taken from
    // `sharedTexts` when an equal one is there, and added to it otherwise: built for a whole playlist, the
    // songs then hold one copy of each such text instead of one per song.
    static Song initWithDict(const PlistValue &dict, QSet<QString> &sharedTexts);

    // The location of a track from the library's "Location" value. A "file:" URL becomes the path the file
    // system names: "file://localhost/a" and "file:///a" give "/a", a drive letter loses the slash before it
    // ("C:/a"), another host or a UNC path gives "//server/share/...". Its escapes are then decoded as UTF-8,
    // one that is no part of a valid sequence staying as written; no Unicode normalisation. Any other
    // location (a stream's address) is kept exactly as the library holds it.
    static QString locationFromURL(const QString &url);

    const QString &getName() const { return m_name; }
    const QString &getArtist() const { return m_artist; }
    const QString &getAlbum() const { return m_album; }
    const QString &getGenre() const { return m_genre; }
    const QString &getLocation() const { return m_location; }
    const QString &getComposer() const { return m_composer; }
    const QString &getComments() const { return m_comments; }
    const QString &getKind() const { return m_kind; }
    int getSampleRate() const { return m_sampleRate; }
    int getTime() const { return m_time; }
    int getBitRate() const { return m_bitRate; }
    int getRating() const { return m_rating; }
    int getPlaycount() const { return m_playcount; }
    int getTrackNumber() const { return m_trackNumber; }
    int getYear() const { return m_year; }
    int getBPM() const { return m_bpm; }
    int getDiscNumber() const { return m_discNumber; }
    int getDiscCount() const { return m_discCount; }
    int getSize() const { return m_size; }

    // Orders this song against `other` by the titles of the main controller's sort list: -1, 0 or 1.
    int mainSort(const Song &other) const;
    // Case-insensitive comparison of two texts: -1, 0 or 1.
    static int alphanumericSort(const QString &x, const QString &y);
    // -1 when x is smaller (larger with `reverse`), 1 the other way round, 0 when equal.
    static int intSort(int x, int y, bool reverse);
    // Whether both songs hold the same value in the field that `title` names; false when it names none.
    bool compareField(const QString &title, const Song &other) const;
    // Track-number order within an album: numbered tracks first, ascending; unnumbered (0) last.
    int trackNumberSort(const Song &other) const;

    // Field-by-field construction, for tests and benchmarks.
    struct Values
    {
        QString artist, album, name, genre, location, composer, comments, kind;
        int sampleRate = 0, time = 0, bitRate = 0, rating = 0, playcount = 0, trackNumber = 0, year = 0, bpm = 0,
            discNumber = 0, discCount = 0, size = 0;
    };
    explicit Song(const Values &v);

private:
    static Song initWithDict(const PlistValue &dict, QSet<QString> *sharedTexts);

    QString m_artist;
    QString m_album;
    QString m_name;
    QString m_genre;
    QString m_location;
    QString m_composer;
    QString m_comments;
    QString m_kind;
    int m_sampleRate = 0;
    int m_time = 0;
    int m_bitRate = 0;
    int m_rating = 0;
    int m_playcount = 0;
    int m_trackNumber = 0;
    int m_year = 0;
    int m_bpm = 0;
    int m_discNumber = 0;
    int m_discCount = 0;
    int m_size = 0;
};

// Records are shared by every list that holds them.
using SongPtr = std::shared_ptr<const Song>;
using SongList = QList<SongPtr>;
using AlbumList = QList<SongList>;

namespace FieldVocabulary {

// A song's value of a text field (empty for number fields), and of a number field (0 for text fields).
const QString &textValue(const Song &song, Field field);
int numberValue(const Song &song, Field field);

} // namespace FieldVocabulary
