#include "PropertyListScanner.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plist_detail {

namespace {

// The first of '<', '&', '\r' or '>' in [p, end), or end: the bytes that end a plain run of character data.
inline const char *findSpecial(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<'), amp = _mm_set1_epi8('&'), cr = _mm_set1_epi8('\r'), gt = _mm_set1_epi8('>');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, amp)),
            _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, gt)));
        const int mask = _mm_movemask_epi8(hit);
        if (mask)
            return p + __builtin_ctz(unsigned(mask));
        p += 16;
    }
#endif
    while (p < end && *p != '<' && *p != '&' && *p != '\r' && *p != '>')
        ++p;
    return p;
}

inline const char *find2(const char *p, const char *end, char a, char b)
{
    while (end - p >= 2) {
        const void *hit = std::memchr(p, a, std::size_t(end - p - 1));
        if (!hit)
            return nullptr;
        p = static_cast<const char *>(hit);
        if (p[1] == b)
            return p;
        ++p;
    }
    return nullptr;
}

inline bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

inline bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

inline bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

struct ElemName
{
    const char *text;
    std::size_t size;
};

constexpr ElemName kElemNames[] = { { "plist", 5 }, { "dict", 4 }, { "array", 5 }, { "key", 3 }, { "string", 6 },
    { "integer", 7 }, { "real", 4 }, { "date", 4 }, { "data", 4 }, { "true", 4 }, { "false", 5 } };

inline Elem elemOf(const char *p, std::size_t n)
{
    switch (n) {
    case 3:
        return std::memcmp(p, "key", 3) == 0 ? EKey : EUnknown;
    case 4:
        if (std::memcmp(p, "dict", 4) == 0)
            return EDict;
        if (std::memcmp(p, "true", 4) == 0)
            return ETrue;
        if (std::memcmp(p, "date", 4) == 0)
            return EDate;
        if (std::memcmp(p, "data", 4) == 0)
            return EData;
        if (std::memcmp(p, "real", 4) == 0)
            return EReal;
        return EUnknown;
    case 5:
        if (std::memcmp(p, "array", 5) == 0)
            return EArray;
        if (std::memcmp(p, "false", 5) == 0)
            return EFalse;
        if (std::memcmp(p, "plist", 5) == 0)
            return EPlist;
        return EUnknown;
    case 6:
        return std::memcmp(p, "string", 6) == 0 ? EString : EUnknown;
    case 7:
        return std::memcmp(p, "integer", 7) == 0 ? EInteger : EUnknown;
    default:
        return EUnknown;
    }
}

} // namespace

Scanner::Next Scanner::next(Token &t)
{
    for (;;) {
        const char *itemStart = m_p;
        if (m_p == m_end) {
            if (m_source.more(std::size_t(m_p - m_source.data))) {
                refilled();
                continue;
            }
            if (m_source.failed) {
                m_failure = m_source.failure;
                return Next::Fail;
            }
            return Next::End;
        }
        t.type = Token::None;
        const Status s = item(t);
        if (s == Status::Ok) {
            m_started = true;
            if (t.type == Token::None)
                continue; // white space, a comment...: nothing for the builder
            t.at = itemStart;
            return Next::Token;
        }
        if (s == Status::Fail)
            return Next::Fail;
        // The item runs past the window: read more and scan it again from its start.
        const quint64 itemOffset = m_source.offsetOf(itemStart);
        if (!m_source.more(std::size_t(itemStart - m_source.data))) {
            m_failure = m_source.failed ? m_source.failure : Failure { ParseError::Truncated, itemOffset };
            return Next::Fail;
        }
        refilled();
    }
}

Scanner::Status Scanner::fail(const char *at, ParseError e)
{
    m_failure = Failure { e, m_source.offsetOf(at) };
    return Status::Fail;
}

Scanner::Status Scanner::item(Token &t)
{
    const char c = *m_p;
    if (c == '<')
        return markup(t);
    if (isSpace(c)) {
        // White space needs no restart: consume what the window holds.
        const char *p = m_p + 1;
        while (p < m_end && isSpace(*p))
            ++p;
        m_p = p;
        return Status::Ok;
    }
    return fail(m_p, ParseError::TextOutsideValue); // character data outside of a leaf element
}

Scanner::Status Scanner::markup(Token &t)
{
    const char *p = m_p;
    if (m_end - p < 2)
        return Status::More;
    switch (p[1]) {
    case '/':
        return endTag(p, t);
    case '?':
        if (!m_started && m_end - p >= 6 && std::memcmp(p, "<?xml", 5) == 0 && (isSpace(p[5]) || p[5] == '?'))
            return xmlDeclaration(p);
        if (!m_started && m_end - p < 6)
            return Status::More;
        return skipPi(p, &m_p);
    case '!':
        if (m_end - p < 4)
            return Status::More;
        if (p[2] == '-' && p[3] == '-')
            return skipComment(p, &m_p);
        if (m_end - p < 9)
            return Status::More;
        if (std::memcmp(p, "<!DOCTYPE", 9) == 0)
            return doctype(p);
        return fail(p, ParseError::MisplacedMarkup); // CDATA or a declaration outside of a leaf element
    default:
        return startTag(p, t);
    }
}

Scanner::Status Scanner::skipComment(const char *p, const char **next)
{
    // p at "<!--"; "--" may only appear as the start of "-->".
    const char *q = find2(p + 4, m_end, '-', '-');
    if (!q)
        return Status::More;
    if (m_end - q < 3)
        return Status::More;
    if (q[2] != '>')
        return fail(q, ParseError::BadComment);
    *next = q + 3;
    return Status::Ok;
}

Scanner::Status Scanner::skipPi(const char *p, const char **next)
{
    // p at "<?": a target name that is not "xml" in any letter case, then white space or "?>".
    const char *q = p + 2;
    if (q == m_end)
        return Status::More;
    if (!isNameStart(static_cast<unsigned char>(*q)))
        return fail(q, ParseError::BadPi);
    while (q < m_end && isNameChar(static_cast<unsigned char>(*q)))
        ++q;
    if (q == m_end)
        return Status::More;
    if (equalsIgnoringAsciiCase(p + 2, std::size_t(q - p - 2), "xml"))
        return fail(p, ParseError::MisplacedXmlDeclaration);
    if (!isSpace(*q) && *q != '?')
        return fail(q, ParseError::BadPi);
    const char *close = find2(q, m_end, '?', '>');
    if (!close)
        return Status::More;
    *next = close + 2;
    return Status::Ok;
}

Scanner::Status Scanner::xmlDeclaration(const char *p)
{
    // <?xml S version="1.x" (S encoding="...")? (S standalone="yes|no")? S? ?>
    const char *q = p + 5;
    const char *end = m_end;
    bool hadEncoding = false, hadStandalone = false, hadVersion = false;
    for (;;) {
        const char *spaceStart = q;
        while (q < end && isSpace(*q))
            ++q;
        if (q == end)
            return Status::More;
        if (*q == '?') {
            if (q + 1 == end)
                return Status::More;
            if (q[1] != '>' || !hadVersion)
                return fail(q, ParseError::BadXmlDeclaration);
            q += 2;
            break;
        }
        if (q == spaceStart)
            return fail(q, ParseError::BadXmlDeclaration);
        const char *name = q;
        while (q < end && *q >= 'a' && *q <= 'z')
            ++q;
        const std::size_t nameSize = std::size_t(q - name);
        while (q < end && isSpace(*q))
            ++q;
        if (q == end)
            return Status::More;
        if (*q != '=')
            return fail(q, ParseError::BadXmlDeclaration);
        ++q;
        while (q < end && isSpace(*q))
            ++q;
        if (q == end)
            return Status::More;
        if (*q != '"' && *q != '\'')
            return fail(q, ParseError::BadXmlDeclaration);
        const char quote = *q++;
        const char *value = q;
        while (q < end && *q != quote && *q != '<')
            ++q;
        if (q == end)
            return Status::More;
        if (*q != quote)
            return fail(q, ParseError::BadXmlDeclaration);
        const std::size_t valueSize = std::size_t(q - value);
        ++q;
        if (nameSize == 7 && std::memcmp(name, "version", 7) == 0 && !hadVersion && !hadEncoding && !hadStandalone) {
            if (valueSize < 3 || value[0] != '1' || value[1] != '.')
                return fail(value, ParseError::BadXmlDeclaration);
            for (std::size_t i = 2; i < valueSize; ++i)
                if (value[i] < '0' || value[i] > '9')
                    return fail(value, ParseError::BadXmlDeclaration);
            hadVersion = true;
        } else if (nameSize == 8 && std::memcmp(name, "encoding", 8) == 0 && hadVersion && !hadEncoding
            && !hadStandalone) {
            if (!declaredEncodingMatches(m_encoding, value, valueSize))
                return fail(value, ParseError::WrongEncoding);
            hadEncoding = true;
        } else if (nameSize == 10 && std::memcmp(name, "standalone", 10) == 0 && hadVersion && !hadStandalone) {
            if (!((valueSize == 3 && std::memcmp(value, "yes", 3) == 0)
                    || (valueSize == 2 && std::memcmp(value, "no", 2) == 0)))
                return fail(value, ParseError::BadXmlDeclaration);
            hadStandalone = true;
        } else {
            return fail(name, ParseError::BadXmlDeclaration);
        }
    }
    if (m_encoding == SourceEncoding::Latin1 && !hadEncoding)
        return fail(p, ParseError::BadXmlDeclaration);
    m_p = q;
    return Status::Ok;
}

Scanner::Status Scanner::doctype(const char *p)
{
    // Accepted once, before the document element; never fetched. An internal subset is skipped whole,
    // quoted literals, comments and processing instructions included.
    if (m_sawDoctype)
        return fail(p, ParseError::SecondDoctype);
    if (m_sawRoot)
        return fail(p, ParseError::DoctypeAfterRoot);
    const char *q = p + 9;
    const char *end = m_end;
    if (q == end)
        return Status::More;
    if (!isSpace(*q))
        return fail(q, ParseError::BadDoctype);
    bool inSubset = false;
    while (q < end) {
        const char c = *q;
        if (c == '"' || c == '\'') {
            const void *close = std::memchr(q + 1, c, std::size_t(end - q - 1));
            if (!close)
                return Status::More;
            q = static_cast<const char *>(close) + 1;
        } else if (c == '<' && inSubset) {
            if (end - q < 4)
                return Status::More;
            const char *next;
            Status s;
            if (q[1] == '!' && q[2] == '-' && q[3] == '-')
                s = skipComment(q, &next);
            else if (q[1] == '?')
                s = skipPi(q, &next);
            else {
                ++q;
                continue;
            }
            if (s != Status::Ok)
                return s;
            q = next;
        } else if (c == '[' && !inSubset) {
            inSubset = true;
            ++q;
        } else if (c == ']' && inSubset) {
            inSubset = false;
            ++q;
        } else if (c == '>' && !inSubset) {
            m_sawDoctype = true;
            m_p = q + 1;
            return Status::Ok;
        } else {
            ++q;
        }
    }
    return Status::More;
}

Scanner::Status Scanner::attributes(const char *p, const char **next, bool *empty)
{
    // p just past the element name. Attributes are checked and ignored.
    const char *end = m_end;
    for (;;) {
        const char *spaceStart = p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return Status::More;
        if (*p == '>') {
            *empty = false;
            *next = p + 1;
            return Status::Ok;
        }
        if (*p == '/') {
            if (p + 1 == end)
                return Status::More;
            if (p[1] != '>')
                return fail(p, ParseError::BadTag);
            *empty = true;
            *next = p + 2;
            return Status::Ok;
        }
        if (p == spaceStart || !isNameStart(static_cast<unsigned char>(*p)))
            return fail(p, ParseError::BadTag);
        while (p < end && isNameChar(static_cast<unsigned char>(*p)))
            ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return Status::More;
        if (*p != '=')
            return fail(p, ParseError::BadAttribute);
        ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return Status::More;
        if (*p != '"' && *p != '\'')
            return fail(p, ParseError::BadAttribute);
        const char quote = *p++;
        for (;;) {
            if (p == end)
                return Status::More;
            if (*p == quote) {
                ++p;
                break;
            }
            if (*p == '<')
                return fail(p, ParseError::BadAttribute);
            if (*p == '&') {
                const Status s = reference(p, &p, false);
                if (s != Status::Ok)
                    return s;
                continue;
            }
            ++p;
        }
    }
}

Scanner::Status Scanner::reference(const char *p, const char **next, bool keep)
{
    // p at '&'. Appends the character to m_tmp when `keep`.
    const char *end = m_end;
    const char *q = p + 1;
    if (q == end)
        return Status::More;
    char32_t c;
    if (*q == '#') {
        ++q;
        if (q == end)
            return Status::More;
        const bool hex = *q == 'x';
        if (hex)
            ++q;
        quint32 value = 0;
        const char *digits = q;
        for (;; ++q) {
            if (q == end)
                return Status::More;
            unsigned d;
            const unsigned char ch = static_cast<unsigned char>(*q);
            if (ch >= '0' && ch <= '9')
                d = ch - '0';
            else if (hex && ch >= 'a' && ch <= 'f')
                d = ch - 'a' + 10;
            else if (hex && ch >= 'A' && ch <= 'F')
                d = ch - 'A' + 10;
            else
                break;
            value = value * (hex ? 16 : 10) + d;
            if (value > 0x10FFFF)
                return fail(p, ParseError::ForbiddenCharacter);
        }
        if (q == digits || *q != ';')
            return fail(p, ParseError::BadCharacterReference);
        c = value;
        if (!isXmlChar(c))
            return fail(p, ParseError::ForbiddenCharacter);
    } else {
        const char *name = q;
        while (q < end && q - name <= 4 && *q != ';')
            ++q;
        if (q == end)
            return Status::More;
        if (*q != ';')
            return fail(p, ParseError::BareAmpersand);
        const std::size_t n = std::size_t(q - name);
        if (n == 2 && name[0] == 'l' && name[1] == 't')
            c = '<';
        else if (n == 2 && name[0] == 'g' && name[1] == 't')
            c = '>';
        else if (n == 3 && std::memcmp(name, "amp", 3) == 0)
            c = '&';
        else if (n == 4 && std::memcmp(name, "apos", 4) == 0)
            c = '\'';
        else if (n == 4 && std::memcmp(name, "quot", 4) == 0)
            c = '"';
        else
            return fail(p, ParseError::UndeclaredEntity); // no entity is ever expanded
    }
    *next = q + 1;
    if (keep) {
        char buf[4];
        tmpAppend(buf, encodeUtf8(c, buf));
    }
    return Status::Ok;
}

void Scanner::tmpAppendNormalised(const char *p, const char *end)
{
    // XML's line-end normalisation: CR LF and a lone CR both read as LF.
    while (p < end) {
        const void *cr = std::memchr(p, '\r', std::size_t(end - p));
        if (!cr) {
            tmpAppend(p, std::size_t(end - p));
            return;
        }
        const char *q = static_cast<const char *>(cr);
        tmpAppend(p, std::size_t(q - p));
        m_tmp.push_back('\n');
        p = q + 1;
        if (p < end && *p == '\n')
            ++p;
    }
}

Scanner::Status Scanner::content(Elem e, const char *p, const char **next, const char **rawBegin, const char **rawEnd)
{
    // p just past the start tag. On Ok, either [*rawBegin, *rawEnd) is the text as it stands in the input,
    // or *rawBegin is null and the decoded text is in m_tmp.
    const char *end = m_end;
    const char *const contentStart = p;
    const ElemName &name = kElemNames[e];
    const char *q = findSpecial(p, end);
    auto endTagAt = [&](const char *lt, const char **after) -> Status {
        // lt at "</"
        const char *r = lt + 2;
        if (std::size_t(end - r) < name.size + 1)
            return Status::More;
        if (std::memcmp(r, name.text, name.size) != 0)
            return fail(lt, ParseError::MismatchedEndTag);
        r += name.size;
        while (r < end && isSpace(*r))
            ++r;
        if (r == end)
            return Status::More;
        if (*r != '>')
            return fail(
                lt, isNameChar(static_cast<unsigned char>(*r)) ? ParseError::MismatchedEndTag : ParseError::BadEndTag);
        *after = r + 1;
        return Status::Ok;
    };
    if (q == end)
        return Status::More;
    if (*q == '<') {
        if (q + 1 == end)
            return Status::More;
        if (q[1] == '/') {
            const Status s = endTagAt(q, next);
            if (s == Status::Ok) {
                *rawBegin = p;
                *rawEnd = q;
            }
            return s;
        }
    }
    // The slow path: references, CDATA sections, comments, processing instructions, CR.
    m_tmp.clear();
    *rawBegin = nullptr;
    for (;;) {
        tmpAppend(p, std::size_t(q - p));
        p = q;
        if (p == end)
            return Status::More;
        switch (*p) {
        case '&': {
            const Status s = reference(p, &p, true);
            if (s != Status::Ok)
                return s;
            break;
        }
        case '\r':
            m_tmp.push_back('\n');
            ++p;
            if (p == end)
                return Status::More;
            if (*p == '\n')
                ++p;
            break;
        case '>':
            if (p - contentStart >= 2 && p[-1] == ']' && p[-2] == ']')
                return fail(p - 2, ParseError::CdataEndInText);
            m_tmp.push_back('>');
            ++p;
            break;
        default: { // '<'
            if (end - p < 2)
                return Status::More;
            if (p[1] == '/')
                return endTagAt(p, next);
            if (p[1] == '?') {
                const Status s = skipPi(p, &p);
                if (s != Status::Ok)
                    return s;
                break;
            }
            if (p[1] != '!')
                return fail(p, ParseError::ElementInValue);
            if (end - p < 4)
                return Status::More;
            if (p[2] == '-' && p[3] == '-') {
                const Status s = skipComment(p, &p);
                if (s != Status::Ok)
                    return s;
                break;
            }
            if (end - p < 9)
                return Status::More;
            if (std::memcmp(p, "<![CDATA[", 9) != 0)
                return fail(p, ParseError::MisplacedMarkup);
            const char *close = p + 9;
            for (;;) {
                close = find2(close, end, ']', ']');
                if (!close || end - close < 3)
                    return Status::More;
                if (close[2] == '>')
                    break;
                ++close;
            }
            tmpAppendNormalised(p + 9, close);
            p = close + 3;
            break;
        }
        }
        q = findSpecial(p, end);
    }
}

Scanner::Status Scanner::startTag(const char *p, Token &t)
{
    const char *q = p + 1;
    const char *end = m_end;
    while (q < end && isNameChar(static_cast<unsigned char>(*q)))
        ++q;
    if (q == end)
        return Status::More;
    const Elem e = elemOf(p + 1, std::size_t(q - p - 1));
    if (e == EUnknown)
        return fail(p, ParseError::UnknownElement);
    bool empty;
    const char *next;
    if (*q == '>') { // the common case: no attributes
        empty = false;
        next = q + 1;
    } else {
        const Status s = attributes(q, &next, &empty);
        if (s != Status::Ok)
            return s;
    }
    if (rootDone())
        return fail(p, ParseError::SecondRoot);
    t.elem = e;
    t.empty = empty;
    if (e == EPlist || e == EDict || e == EArray) {
        t.type = Token::Start;
        if (!empty)
            ++m_depth;
        m_sawRoot = true;
        m_p = next;
        return Status::Ok;
    }
    const char *rawBegin = next, *rawEnd = next;
    const char *after = next;
    if (!empty) {
        const Status s = content(e, next, &after, &rawBegin, &rawEnd);
        if (s != Status::Ok)
            return s;
    }
    t.type = Token::Leaf;
    t.text = rawBegin ? rawBegin : m_tmp.data();
    t.size = rawBegin ? std::size_t(rawEnd - rawBegin) : m_tmp.size();
    m_sawRoot = true; // only now: the element may be scanned again after a refill
    m_p = after;
    return Status::Ok;
}

Scanner::Status Scanner::endTag(const char *p, Token &t)
{
    const char *q = p + 2;
    const char *end = m_end;
    while (q < end && isNameChar(static_cast<unsigned char>(*q)))
        ++q;
    const char *nameEnd = q;
    while (q < end && isSpace(*q))
        ++q;
    if (q == end)
        return Status::More;
    if (*q != '>')
        return fail(p, ParseError::BadEndTag);
    t.type = Token::End;
    t.elem = elemOf(p + 2, std::size_t(nameEnd - p - 2));
    if (m_depth)
        --m_depth;
    m_p = q + 1;
    return Status::Ok;
}

} // namespace plist_detail
