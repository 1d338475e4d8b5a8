#pragma once

#include "RGBColor.h"
#include "library/Song.h"

#include <QByteArray>
#include <QString>

// Helpers shared by the exporters and the main window.
class Common
{
public:
    Common() = delete;

    // Six hexadecimal digits RRGGBB (either case; each pair read as strtol base 16 would) to a colour. Missing
    // pairs of a shorter string read as 0.
    static RGBColor RGBStringToNSColor(const QString &rgb);
    // A colour to six lower-case hexadecimal digits, each component times 255 truncated.
    static QString NSColorToRGBString(const RGBColor &color);

    // Removes every song that agrees with an earlier one in every field of the main controller's field list;
    // the first of each group stays at its place. Linear in the number of songs.
    static void removeDuplicateSongsFromList(SongList &songs);
    // The pairwise form of the same removal (reference for tests and benchmarks).
    static void removeDuplicateSongsPairwise(SongList &songs);

    // The beep and the write-error alert.
    static void handleWriteError();

    enum class Encoding { UTF8, Latin1, ASCII };
    static QByteArray encode(const QString &text, Encoding encoding);
    // The export write steps: an existing file that is not writable gets the write-error alert and is left
    // alone; otherwise the encoded text is written atomically, a failed write giving the write-error alert.
    // Answers whether the file was written.
    static bool writeExport(const QString &text, const QString &path, Encoding encoding);
};
