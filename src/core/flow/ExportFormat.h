#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>
#include <span>

class Playlist;

// One export format as every front end sees it: the command line by its name, the main window by its tab and
// save panel, both by the exporter that writes it. A new format is one more row of all().
//
// The table sits above the exporters, not beside them, because the HTML exporter is a layer of its own on top
// of the text exports.
struct ExportFormat
{
    enum class Id { HTML, DelimitedText, M3U, QTSS, PlayerPlaylist };
    // Which exports let the user pick the fields and their sort order before the save panel.
    enum class FieldLists { None, Always, SongBasedOnly };
    // What a save tells beyond the file it wrote; empty for the formats that write every song they are given.
    struct Outcome
    {
        QString summary; // one line about what was written and what was left out
        bool leftOutSongs = false;
    };
    // `albumBased` is read by the HTML exporter only.
    using Save = Outcome (*)(const QString &path, const Playlist &playlist, bool albumBased);

    Id id;
    QLatin1StringView commandLineName; // the word given to --format
    QLatin1StringView extension; // without the "."
    // The string setting that may name another file type for it; empty: `extension` always.
    QLatin1StringView extensionSetting;
    int tab; // index in the main window's tab view
    FieldLists fieldLists;
    bool writesPageSet; // may write further files beside the chosen one
    QLatin1StringView fileType; // the save panel's name for the files; empty: no name of its own
    Save save;
    // A name that is a short form of another row with one integer setting fixed for the run ("csv": the
    // delimited text with the comma); the front end stores it before the export. Empty: none.
    QLatin1StringView presetKey = {};
    qint64 presetValue = 0;

    // The file type written now: the stored delimiter's for the delimited text ("txt", or "csv" with the
    // comma); for another format `extension`, unless its extension setting names another. Reads the standard
    // store.
    QString fileExtension() const;

    bool needsFieldSelection(bool albumBased) const
    {
        return fieldLists == FieldLists::Always || (fieldLists == FieldLists::SongBasedOnly && !albumBased);
    }

    // In the order the command line's help lists them.
    static std::span<const ExportFormat> all();
    // Null when no format has that name, tab or extension.
    static const ExportFormat *forCommandLineName(QStringView name);
    // The tab's own row, never a short form.
    static const ExportFormat *forTab(int tab);
    static const ExportFormat *forExtension(QStringView extension);
    // "txt, csv, m3u, playlist, html or m3u8".
    static QString commandLineNames();
};
