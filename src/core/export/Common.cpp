#include "Common.h"

#include "core/fields/FieldVocabulary.h"
#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/ExportChoices.h"
#include "core/text/kwStringMethods.h"

#include <QHashFunctions>
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

int hexDigitValue(char16_t ch)
{
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    return -1;
}

bool isCSpace(char16_t ch)
{
    return ch == u' ' || (ch >= u'\t' && ch <= u'\r');
}

// One colour pair read the way strtol(pair, nullptr, 16) reads it: leading white space, an optional sign, an
// optional "0x" (only when a hexadecimal digit follows it), then digits up to the first non-digit. Written out
// here so that the C library's locale plays no part.
int readHexPair(QStringView pair)
{
    qsizetype i = 0;
    while (i < pair.size() && isCSpace(pair[i].unicode()))
        ++i;
    bool negative = false;
    if (i < pair.size() && (pair[i] == u'+' || pair[i] == u'-')) {
        negative = pair[i] == u'-';
        ++i;
    }
    if (i + 2 < pair.size() && pair[i] == u'0' && (pair[i + 1] == u'x' || pair[i + 1] == u'X')
        && hexDigitValue(pair[i + 2].unicode()) >= 0)
        i += 2;
    int value = 0;
    for (; i < pair.size(); ++i) {
        const int digit = hexDigitValue(pair[i].unicode());
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return negative ? -value : value;
}

float componentFromPair(const QString &rgb, qsizetype position)
{
    // A missing pair (a string shorter than six characters) reads as 0, a half pair as its one digit.
    const int value = readHexPair(QStringView(rgb).mid(position, 2));
    return float(value) / 255.0f;
}

// Two lower-case digits of component * 255 truncated. A component outside 0..1 cannot come from a colour well;
// it is held to the nearest end so the result stays six digits.
void appendComponent(QString &out, float component)
{
    const float scaled = component * 255.0f;
    int value = 0;
    if (scaled >= 255.0f)
        value = 255;
    else if (scaled > 0.0f)
        value = int(scaled);
    static constexpr char16_t hexDigits[] = u"0123456789abcdef";
    out += QChar(hexDigits[value >> 4]);
    out += QChar(hexDigits[value & 0xF]);
}

// The fields duplicate removal compares, each field-list title resolved once. Nothing when a title names no
// field: such a title makes every pair of songs differ.
std::optional<std::vector<FieldInfo>> comparedFields()
{
    std::vector<FieldInfo> fields;
    const ExportChoices *choices = ExportChoices::getMain();
    if (!choices)
        return fields;
    const QStringList &titles = choices->getFieldOrder();
    fields.reserve(size_t(titles.size()));
    for (const QString &title : titles) {
        const std::optional<Field> field = FieldVocabulary::fieldForTitle(title, FieldVocabulary::compareOrder());
        if (!field)
            return std::nullopt;
        // A field listed twice is a column twice, but songs equal in it once are equal in it again.
        const bool repeated = std::any_of(
            fields.begin(), fields.end(), [&field](const FieldInfo &info) { return info.field == *field; });
        if (!repeated)
            fields.push_back(FieldVocabulary::info(*field));
    }
    return fields;
}

// The table below indexes by the low bits and keeps the high ones; spread every bit of the hash into both.
quint64 mixBits(size_t h)
{
    quint64 x = h;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

} // namespace

RGBColor Common::RGBStringToNSColor(const QString &rgb)
{
    return RGBColor { componentFromPair(rgb, 0), componentFromPair(rgb, 2), componentFromPair(rgb, 4) };
}

QString Common::NSColorToRGBString(const RGBColor &color)
{
    QString out;
    out.reserve(6);
    appendComponent(out, color.red);
    appendComponent(out, color.green);
    appendComponent(out, color.blue);
    return out;
}

void Common::removeDuplicateSongsFromList(SongList &songs)
{
    if (songs.size() < 2)
        return;
    const std::optional<std::vector<FieldInfo>> fields = comparedFields();
    if (!fields)
        return;
    if (fields->empty()) {
        // Every song agrees with the first in all of no fields.
        songs.resize(1);
        return;
    }

    // Songs are equal exactly when compareField() would answer yes for every field: texts equal code unit by
    // code unit, numbers equal. Each song's values are hashed once and looked up among the songs kept so far;
    // a song with the same hash is then compared field by field, so a collision can never merge different
    // songs. The table is one flat open-addressed array (a node-based set spends its time allocating), and
    // the list is compacted in the same pass, untouched when nothing is removed.
    const std::vector<FieldInfo> &compared = *fields;
    auto sameValues = [&compared](const Song &a, const Song &b) {
        for (const FieldInfo &info : compared) {
            const bool same = info.isText
                ? FieldVocabulary::textValue(a, info.field) == FieldVocabulary::textValue(b, info.field)
                : FieldVocabulary::numberValue(a, info.field) == FieldVocabulary::numberValue(b, info.field);
            if (!same)
                return false;
        }
        return true;
    };

    const qsizetype n = songs.size();
    if (quint64(n) >= std::numeric_limits<quint32>::max()) {
        removeDuplicateSongsPairwise(songs); // beyond the table's 32-bit indexes; no real list gets here
        return;
    }
    struct Slot
    {
        quint32 tag = 0; // the hash's high half
        quint32 index = 0; // 1 + the kept song's index in the compacted list; 0 for an empty slot
    };
    size_t capacity = 16;
    while (capacity < 2 * size_t(n))
        capacity *= 2;
    const size_t mask = capacity - 1;
    std::vector<Slot> table(capacity);

    SongPtr *data = nullptr; // set at the first duplicate; from then on kept songs move up to close the gaps
    qsizetype kept = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const Song &song = *songs.at(i);
        size_t seed = 0;
        for (const FieldInfo &info : compared) {
            seed = info.isText ? qHashMulti(seed, FieldVocabulary::textValue(song, info.field))
                               : qHashMulti(seed, FieldVocabulary::numberValue(song, info.field));
        }
        const quint64 hash = mixBits(seed);
        const quint32 tag = quint32(hash >> 32);

        size_t slot = size_t(hash) & mask;
        bool duplicate = false;
        for (; table[slot].index != 0; slot = (slot + 1) & mask) {
            if (table[slot].tag == tag && sameValues(*songs.at(table[slot].index - 1), song)) {
                duplicate = true;
                break;
            }
        }
        if (duplicate) {
            if (!data)
                data = songs.data();
            continue;
        }
        table[slot] = Slot { tag, quint32(kept + 1) };
        if (data && kept != i)
            data[kept] = std::move(data[i]);
        ++kept;
    }
    if (data)
        songs.resize(kept);
}

void Common::removeDuplicateSongsPairwise(SongList &songs)
{
    const ExportChoices *choices = ExportChoices::getMain();
    const QStringList fieldOrder = choices ? choices->getFieldOrder() : QStringList();
    qsizetype n = songs.size();
    for (qsizetype j = 0; j < n - 1; ++j) {
        for (qsizetype k = j + 1; k < n;) {
            bool same = true;
            for (const QString &title : fieldOrder) {
                if (!songs.at(j)->compareField(title, *songs.at(k))) {
                    same = false;
                    break;
                }
            }
            if (same) {
                songs.removeAt(k);
                --n;
            } else {
                ++k;
            }
        }
    }
}

void Common::handleWriteError()
{
    UserInteraction &interaction = UserInteraction::current();
    interaction.beep();
    interaction.runCriticalAlert(Localization::localizedString("WriteErrorTitle"_L1),
        Localization::localizedString("WriteErrorText"_L1), Localization::localizedString("OKButtonText"_L1));
}

QByteArray Common::encode(const QString &text, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Latin1:
        return kwStringMethods::convertToLatin1(text);
    case Encoding::ASCII:
        return kwStringMethods::convertToASCII(text);
    case Encoding::UTF8:
        break;
    }
    return kwStringMethods::convertToUTF8(text);
}

bool Common::writeExport(const QString &text, const QString &path, Encoding encoding)
{
    if (FileManager::fileExistsAtPath(path) && !FileManager::isWritableFileAtPath(path)) {
        handleWriteError();
        return false;
    }
    if (!FileManager::writeToFileAtomically(encode(text, encoding), path)) {
        handleWriteError();
        return false;
    }
    return true;
}
