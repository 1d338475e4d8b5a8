#include "PropertyListEncoding.h"

#include <cstring>

namespace plist_detail {

// Answers how many bytes from the start form complete, valid UTF-8 sequences; a sequence cut by the end of
// the range is left for the caller to complete. *bad is set on a malformed sequence.
std::size_t validateUtf8(const unsigned char *s, std::size_t n, bool *bad)
{
    std::size_t i = 0;
    for (;;) {
        while (n - i >= 16) {
            quint64 a, b;
            std::memcpy(&a, s + i, 8);
            std::memcpy(&b, s + i + 8, 8);
            if ((a | b) & 0x8080808080808080ull)
                break;
            i += 16;
        }
        while (i < n && s[i] < 0x80)
            ++i;
        if (i == n)
            return n;
        const unsigned c = s[i];
        std::size_t len;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F; // nothing beyond U+10FFFF
        } else {
            *bad = true;
            return i;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k == n)
                return i; // incomplete: the rest comes with the next chunk
            const unsigned t = s[i + k];
            if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF)) {
                *bad = true;
                return i;
            }
        }
        i += len;
    }
}

bool equalsIgnoringAsciiCase(const char *p, std::size_t n, const char *word)
{
    const std::size_t m = std::strlen(word);
    if (m != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        char a = p[i], b = word[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = char(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

namespace {

bool isLatin1Name(const char *p, std::size_t n)
{
    static const char *const names[] = { "ISO-8859-1", "ISO_8859-1", "ISO8859-1", "ISO_8859-1:1987", "latin1",
        "latin-1", "l1", "iso-ir-100", "IBM819", "CP819", "csISOLatin1" };
    for (const char *name : names)
        if (equalsIgnoringAsciiCase(p, n, name))
            return true;
    return false;
}

// The encoding a document without byte order mark declares, looked for in its first bytes only: the
// declaration must stand at the very start. The parser checks the declaration strictly later.
bool declaresLatin1(const char *p, std::size_t n)
{
    if (n < 6 || std::memcmp(p, "<?xml", 5) != 0 || !isSpace(p[5]))
        return false;
    const char *end = p + n;
    const char *close = nullptr;
    for (const char *q = p; q + 1 < end; ++q)
        if (q[0] == '?' && q[1] == '>') {
            close = q;
            break;
        }
    if (!close)
        return false;
    static const char key[] = "encoding";
    for (const char *q = p + 5; q + 8 <= close; ++q) {
        if (std::memcmp(q, key, 8) != 0)
            continue;
        const char *v = q + 8;
        while (v < close && isSpace(*v))
            ++v;
        if (v == close || *v != '=')
            return false;
        ++v;
        while (v < close && isSpace(*v))
            ++v;
        if (v == close || (*v != '"' && *v != '\''))
            return false;
        const char quote = *v++;
        const char *e = v;
        while (e < close && *e != quote)
            ++e;
        return e < close && isLatin1Name(v, std::size_t(e - v));
    }
    return false;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    char buf[4];
    out.append(buf, qsizetype(encodeUtf8(c, buf)));
}

} // namespace

bool declaredEncodingMatches(SourceEncoding encoding, const char *name, std::size_t n)
{
    switch (encoding) {
    case SourceEncoding::Utf8:
        return equalsIgnoringAsciiCase(name, n, "UTF-8");
    case SourceEncoding::Latin1:
        return isLatin1Name(name, n);
    case SourceEncoding::Utf16LE:
        return equalsIgnoringAsciiCase(name, n, "UTF-16") || equalsIgnoringAsciiCase(name, n, "UTF-16LE");
    case SourceEncoding::Utf16BE:
        return equalsIgnoringAsciiCase(name, n, "UTF-16") || equalsIgnoringAsciiCase(name, n, "UTF-16BE");
    default:
        return false;
    }
}

SourceEncoding sniff(const char *p, std::size_t n, std::size_t *bom)
{
    const unsigned char *s = reinterpret_cast<const unsigned char *>(p);
    *bom = 0;
    if (n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) {
        *bom = 3;
        return SourceEncoding::Utf8;
    }
    if (n >= 2 && s[0] == 0xFF && s[1] == 0xFE) {
        *bom = 2;
        return SourceEncoding::Utf16LE;
    }
    if (n >= 2 && s[0] == 0xFE && s[1] == 0xFF) {
        *bom = 2;
        return SourceEncoding::Utf16BE;
    }
    return declaresLatin1(p, n) ? SourceEncoding::Latin1 : SourceEncoding::Utf8;
}

void latin1ToUtf8(const char *p, std::size_t n, QByteArray &out)
{
    out.reserve(qsizetype(n + n / 8));
    for (std::size_t i = 0; i < n; ++i)
        appendUtf8(out, char32_t(static_cast<unsigned char>(p[i])));
}

bool utf16ToUtf8(const char *p, std::size_t n, bool bigEndian, QByteArray &out)
{
    if (n % 2)
        return false;
    out.reserve(qsizetype(n / 2 + n / 8));
    const unsigned char *s = reinterpret_cast<const unsigned char *>(p);
    auto unit = [&](std::size_t i) -> char32_t {
        return bigEndian ? char32_t(s[i] << 8 | s[i + 1]) : char32_t(s[i + 1] << 8 | s[i]);
    };
    for (std::size_t i = 0; i < n; i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 2 >= n)
                return false;
            const char32_t d = unit(i + 2);
            if (d < 0xDC00 || d > 0xDFFF)
                return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (d - 0xDC00);
            i += 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        appendUtf8(out, c);
    }
    return true;
}

} // namespace plist_detail
