#include "kwStringMethods.h"

#include "core/platform/Localization.h"

#include <QStringView>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// "%1.1f %@" of whole + tenths / 10, built from integers so that no locale and no rounding can creep in.
QString oneDecimal(qint64 whole, qint64 tenths, QLatin1StringView unitKey)
{
    return QString::number(whole) + u'.' + QChar(u'0' + char16_t(tenths)) + u' '
        + Localization::localizedString(unitKey);
}

} // namespace

QString &kwStringMethods::replaceString(const QString &find, QString &text, const QString &with)
{
    // An empty search text would match between every two characters; there is nothing to replace.
    if (!find.isEmpty())
        text.replace(find, with, Qt::CaseSensitive);
    return text;
}

QString kwStringMethods::intAsString(int value)
{
    return QString::number(value);
}

void kwStringMethods::appendInt(int value, QString &text, bool printZero)
{
    if (value != 0 || printZero)
        appendDecimal(value, text);
}

void kwStringMethods::appendDecimal(qint64 value, QString &text)
{
    char16_t digits[24];
    qsizetype at = std::size(digits);
    // The magnitude in unsigned arithmetic: negating the smallest qint64 would overflow.
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[--at] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--at] = u'-';
    text.append(QStringView(digits + at, qsizetype(std::size(digits)) - at));
}

QString kwStringMethods::getTimeAsString(int seconds)
{
    QString result;
    appendTime(seconds, result);
    return result;
}

void kwStringMethods::appendTime(int seconds, QString &text)
{
    if (seconds == 0)
        return;
    const int rest = seconds % 60;
    appendDecimal(seconds / 60, text);
    text.append(u':');
    if (rest <= 9)
        text.append(u'0');
    appendDecimal(rest, text);
}

void kwStringMethods::appendClockTime(int seconds, QString &text)
{
    if (seconds <= 0)
        return;
    const int minutes = seconds / 60 % 60;
    const int rest = seconds % 60;
    appendDecimal(seconds / 3600, text);
    text.append(minutes <= 9 ? u":0"_s : u":"_s);
    appendDecimal(minutes, text);
    text.append(rest <= 9 ? u":0"_s : u":"_s);
    appendDecimal(rest, text);
}

QString kwStringMethods::getTimeAsNiceVagueString(int seconds)
{
    if (seconds <= 59)
        return intAsString(seconds) + u' ' + Localization::localizedString("seconds"_L1);

    const int minutes = seconds / 60;
    if (minutes <= 59)
        return oneDecimal(minutes, (10 * (seconds % 60)) / 60, "minutes"_L1);

    const int hours = minutes / 60;
    if (hours <= 23)
        return oneDecimal(hours, (10 * (minutes % 60)) / 60, "hours"_L1);

    return oneDecimal(hours / 24, (10 * (hours % 24)) / 24, "days"_L1);
}

QString kwStringMethods::kilobytesToMBString(quint32 kilobytes)
{
    if (kilobytes <= 1023)
        return QString::number(kilobytes) + u' ' + Localization::localizedString("K"_L1);

    const quint32 megabytes = kilobytes / 1024;
    if (megabytes <= 1023)
        return oneDecimal(megabytes, (10 * (kilobytes % 1024)) / 1024, "MB"_L1);

    return oneDecimal(kilobytes / 1048576, (10 * (megabytes % 1024)) / 1024, "GB"_L1);
}

QByteArray kwStringMethods::convertToUTF8(const QString &text)
{
    return text.toUtf8();
}

QByteArray kwStringMethods::convertToLatin1(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (unit <= 0xFF) {
            bytes += char(unit);
            continue;
        }
        // One substitute per character, not per UTF-16 unit: a surrogate pair stands for one character.
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        bytes += '?';
    }
    return bytes;
}

QByteArray kwStringMethods::convertToASCII(const QString &text)
{
    static constexpr char hexDigits[] = "0123456789abcdef";
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        if (unit == u'\\') {
            bytes += "\\\\";
        } else if (unit <= 0x7F) {
            bytes += char(unit);
        } else if (unit <= 0xFF) {
            const char escape[]
                = { '\\', char('0' + ((unit >> 6) & 7)), char('0' + ((unit >> 3) & 7)), char('0' + (unit & 7)) };
            bytes.append(escape, sizeof escape);
        } else {
            const char escape[] = { '\\', 'u', hexDigits[(unit >> 12) & 0xF], hexDigits[(unit >> 8) & 0xF],
                hexDigits[(unit >> 4) & 0xF], hexDigits[unit & 0xF] };
            bytes.append(escape, sizeof escape);
        }
    }
    return bytes;
}

QString kwStringMethods::withoutLineBreaks(const QString &value)
{
    // The common case has no line break at all: hand back the shared text without copying it. Values are
    // short, so one pass with a single comparison per character beats a library search.
    const QChar *begin = value.constData();
    const QChar *end = begin + value.size();
    const QChar *it = begin;
    while (it != end && (it->unicode() > u'\r' || (*it != u'\n' && *it != u'\r')))
        ++it;
    if (it == end)
        return value;
    QString result = value;
    QChar *data = result.data();
    for (qsizetype i = it - begin; i < result.size(); ++i) {
        if (data[i] == u'\n' || data[i] == u'\r')
            data[i] = u' ';
    }
    return result;
}
