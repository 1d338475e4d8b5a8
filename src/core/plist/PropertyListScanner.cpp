#include "PropertyListScanner.h"

#include <cstring>

namespace plist_detail {

namespace {

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

inline bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

} // namespace

Scanner::Status Scanner::fail(const char *at, ParseError e)
{
    m_failure = Failure { e, m_source.offsetOf(at) };
    return Status::Fail;
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

// The rest of a leaf element's content once it holds more than plain text; q is the first special byte.
Scanner::Status Scanner::contentSlow(
    const ElemName &name, const char *p, const char *q, const char **next, const char **rawBegin)
{
    const char *end = m_end;
    const char *const contentStart = p;
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
                return leafEndTag(name, p, next);
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

} // namespace plist_detail
