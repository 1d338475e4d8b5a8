#pragma once

#include <QByteArray>
#include <QString>

// Turns track values into text and text into bytes, the same way in every export. Never locale-dependent.
class kwStringMethods
{
public:
    kwStringMethods() = delete;

    // Replaces every occurrence of `find` in `text` (case-sensitive, left to right, no overlaps, replaced text
    // not searched again); returns `text`.
    static QString &replaceString(const QString &find, QString &text, const QString &with);
    static QString intAsString(int value);
    // Appends the decimal form of `value`, except a 0 when `printZero` is false.
    static void appendInt(int value, QString &text, bool printZero);
    // Appends intAsString's form of `value`, for 64-bit values too. Page exports call this for most cells, so it
    // makes no temporary text.
    static void appendDecimal(qint64 value, QString &text);
    // "m:ss" for a time in seconds; the empty text for 0.
    static QString getTimeAsString(int seconds);
    // Appends getTimeAsString(seconds).
    static void appendTime(int seconds, QString &text);
    // Appends "h:mm:ss" for a time in seconds, the form spreadsheets read as a duration; nothing for 0 or less.
    static void appendClockTime(int seconds, QString &text);
    // A duration with one truncated decimal and a unit ("1.5 minutes"); whole seconds below a minute.
    static QString getTimeAsNiceVagueString(int seconds);
    // A size in kilobytes: "K" below 1024, else one truncated decimal with "MB" or "GB".
    static QString kilobytesToMBString(quint32 kilobytes);

    // `value` with every CR and every LF replaced by one space (so CR LF gives two), nothing else changed. The
    // text exporters write every value through it, because a line break inside a value would split a record
    // that the format promises to keep on one line.
    static QString withoutLineBreaks(const QString &value);

    static QByteArray convertToUTF8(const QString &text);
    // ISO 8859-1: U+0000..U+00FF as their single byte; every character beyond becomes one "?" (a character
    // outside the Basic Multilingual Plane, a surrogate pair, gives one "?", as does a lone surrogate).
    static QByteArray convertToLatin1(const QString &text);
    // 7-bit ASCII with escapes: "\\" for a backslash, "\ooo" for U+0080..U+00FF, "\uxxxx" for every other
    // UTF-16 unit beyond U+007F.
    static QByteArray convertToASCII(const QString &text);
};
