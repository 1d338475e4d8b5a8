#pragma once

#include "core/library/Song.h"
#include "core/text/RGBColor.h"

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
    // A colour to six lower-case hexadecimal digits, each component times 255 truncated. A component outside
    // 0..1 (no colour well holds one) is held to 00 or ff, so the result is always six digits.
    static QString NSColorToRGBString(const RGBColor &color);

    // Removes every song that agrees with an earlier one in every field of the main controller's field list
    // (texts exactly, letter case significant; numbers equal); the first of each group stays at its place and
    // the order is otherwise unchanged. A title that names no field makes no two songs equal, so nothing is
    // removed; an empty field list (also: no main controller) keeps only the first song. Expected time linear
    // in the number of songs; the list is left untouched (not even detached) when nothing is removed.
    static void removeDuplicateSongsFromList(SongList &songs);
    // The pairwise loop the removal above must match exactly, quadratic (the reference of tests and
    // benchmarks).
    static void removeDuplicateSongsPairwise(SongList &songs);

    // The beep and the write-error alert.
    static void handleWriteError();

    enum class Encoding { UTF8, Latin1, ASCII };
    // kwStringMethods::convertToUTF8(), convertToLatin1() or convertToASCII().
    static QByteArray encode(const QString &text, Encoding encoding);
    // The export write steps: an existing file that is not writable gets the write-error alert and is left
    // alone; otherwise the encoded text is written atomically, a failed write giving the write-error alert.
    // Answers whether the file was written.
    static bool writeExport(const QString &text, const QString &path, Encoding encoding);
};
