#pragma once

// The encodings a property list may come in: which one a document is in (byte order mark, declaration),
// conversion of UTF-16 and ISO-8859-1 to UTF-8, and validation of UTF-8. The scanner only ever sees UTF-8.

#include <QByteArray>
#include <QtGlobal>
#include <cstddef>

namespace plist_detail {

enum class SourceEncoding { Utf8, Latin1, Utf16LE, Utf16BE };

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The reader's one UTF-8 encoder: writes the code point `c` (at most U+10FFFF) to `out` and answers how
// many bytes it took, 1 to 4. Inline: character references in the hot loop encode through it.
inline std::size_t encodeUtf8(char32_t c, char *out)
{
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 | (c >> 6));
        out[1] = char(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = char(0xE0 | (c >> 12));
        out[1] = char(0x80 | ((c >> 6) & 0x3F));
        out[2] = char(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (c >> 18));
    out[1] = char(0x80 | ((c >> 12) & 0x3F));
    out[2] = char(0x80 | ((c >> 6) & 0x3F));
    out[3] = char(0x80 | (c & 0x3F));
    return 4;
}

// Answers how many bytes from the start form complete, valid UTF-8 sequences; a sequence cut by the end of
// the range is left for the caller to complete. *bad is set on a malformed sequence.
std::size_t validateUtf8(const unsigned char *s, std::size_t n, bool *bad);

bool equalsIgnoringAsciiCase(const char *p, std::size_t n, const char *word);

// Whether an encoding name in an XML declaration names the encoding the document was found to be in.
bool declaredEncodingMatches(SourceEncoding encoding, const char *name, std::size_t n);

// The encoding of a document from its first bytes, and the size of its byte order mark (0 when none).
SourceEncoding sniff(const char *p, std::size_t n, std::size_t *bom);

void latin1ToUtf8(const char *p, std::size_t n, QByteArray &out);
// False on input that is not UTF-16; `out` then holds the text decoded before the fault.
bool utf16ToUtf8(const char *p, std::size_t n, bool bigEndian, QByteArray &out);

} // namespace plist_detail
