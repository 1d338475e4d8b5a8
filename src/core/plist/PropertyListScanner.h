#pragma once

// Tokenises the XML of a property list in one pass over the source's window.
//
// Items. The scanner consumes one item at a time: a run of white space, a tag, a comment, a processing
// instruction, the DOCTYPE, or a whole leaf element (<key>, <string>, <integer>...) from its start tag to
// its end tag. An item that runs past the end of the window is scanned again from its start once more input
// has been read; the buffer grows when one item is larger than it. Only tags and leaf elements come out as
// tokens: the rest is checked and skipped here.
//
// Well-formedness. Everything the property-list format uses is checked; entities are never expanded: an
// internal DTD subset is skipped whole, so a reference to an entity it declares is an undeclared entity and
// makes the file unreadable. Raw control characters are let through (a stray one in a tag should not cost
// the user the whole library); references to characters XML forbids are refused. Which element may stand
// where is the builder's business, but for one rule of XML itself: one root element.

#include "PropertyListEncoding.h"
#include "PropertyListError.h"
#include "PropertyListSource.h"

#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plist_detail {

enum Elem : quint8 { EPlist, EDict, EArray, EKey, EString, EInteger, EReal, EDate, EData, ETrue, EFalse, EUnknown };

struct ElemName;

struct Token
{
    enum Type : quint8 {
        None,
        Start, // a start tag of <plist>, <dict> or <array>, or the empty element (`empty`)
        End, // an end tag; `elem` is EUnknown for a name that is no element of the format
        Leaf, // a whole leaf element, its text decoded into [text, text + size)
    };
    Type type;
    Elem elem;
    bool empty;
    const char *text; // valid until the next token
    std::size_t size;
    const char *at; // where the item starts, in the source's window
};

class Scanner
{
public:
    Scanner(Source &source, SourceEncoding encoding)
        : m_source(source)
        , m_encoding(encoding)
        , m_p(source.data)
        , m_end(source.data + source.size)
    {
    }

    enum class Next { Token, End, Fail };
    // The next token; End at the end of the input, Fail on an error (see failure()).
    Next next(Token &t);

    const Failure &failure() const { return m_failure; }

private:
    enum class Status { Ok, More, Fail };

    Status item(Token &t);
    Status markup(Token &t);
    Status startTag(const char *p, Token &t);
    Status endTag(const char *p, Token &t);
    Status xmlDeclaration(const char *p);
    Status doctype(const char *p);
    Status skipComment(const char *p, const char **next);
    Status skipPi(const char *p, const char **next);
    Status attributes(const char *p, const char **next, bool *empty);
    Status content(Elem e, const char *p, const char **next, const char **rawBegin, const char **rawEnd);
    Status contentSlow(const ElemName &name, const char *p, const char *q, const char **next, const char **rawBegin);
    Status leafEndTag(const ElemName &name, const char *lt, const char **after);
    Status reference(const char *p, const char **next, bool keep);

    Status fail(const char *at, ParseError e);
    void refilled()
    {
        m_p = m_source.data;
        m_end = m_source.data + m_source.size;
    }
    bool rootDone() const { return m_sawRoot && m_depth == 0; }

    void tmpAppend(const char *p, std::size_t n) { m_tmp.insert(m_tmp.end(), p, p + n); }
    void tmpAppendNormalised(const char *p, const char *end);

    Source &m_source;
    SourceEncoding m_encoding;
    const char *m_p;
    const char *m_end;
    std::vector<char> m_tmp; // decoded text, when it differs from the input
    Failure m_failure;

    std::size_t m_depth = 0; // open elements
    bool m_started = false; // something was consumed: no XML declaration any more
    bool m_sawDoctype = false;
    bool m_sawRoot = false; // the document element has begun
};

// ---------------------------------------------------------------------------------------------------------
// The hot path, forced inline so that it compiles into the builder's loop, as one function would: plain tags and leaf
// elements whose text needs no decoding. Everything rarer is in PropertyListScanner.cpp.

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

inline bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

inline bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

struct ElemName
{
    const char *text;
    std::size_t size;
};

constexpr ElemName kElemNames[] = { { "plist", 5 }, { "dict", 4 }, { "array", 5 }, { "key", 3 }, { "string", 6 },
    { "integer", 7 }, { "real", 4 }, { "date", 4 }, { "data", 4 }, { "true", 4 }, { "false", 5 } };

Q_ALWAYS_INLINE Elem elemOf(const char *p, std::size_t n)
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

Q_ALWAYS_INLINE Scanner::Next Scanner::next(Token &t)
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

Q_ALWAYS_INLINE Scanner::Status Scanner::item(Token &t)
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

Q_ALWAYS_INLINE Scanner::Status Scanner::markup(Token &t)
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

Q_ALWAYS_INLINE Scanner::Status Scanner::startTag(const char *p, Token &t)
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

Q_ALWAYS_INLINE Scanner::Status Scanner::endTag(const char *p, Token &t)
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

Q_ALWAYS_INLINE Scanner::Status Scanner::content(
    Elem e, const char *p, const char **next, const char **rawBegin, const char **rawEnd)
{
    // p just past the start tag. On Ok, either [*rawBegin, *rawEnd) is the text as it stands in the input,
    // or *rawBegin is null and the decoded text is in m_tmp.
    const char *end = m_end;
    const ElemName &name = kElemNames[e];
    const char *q = findSpecial(p, end);
    if (q == end)
        return Status::More;
    if (*q == '<') {
        if (q + 1 == end)
            return Status::More;
        if (q[1] == '/') {
            const Status s = leafEndTag(name, q, next);
            if (s == Status::Ok) {
                *rawBegin = p;
                *rawEnd = q;
            }
            return s;
        }
    }
    return contentSlow(name, p, q, next, rawBegin);
}

Q_ALWAYS_INLINE Scanner::Status Scanner::leafEndTag(const ElemName &name, const char *lt, const char **after)
{
    // lt at "</"
    const char *end = m_end;
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
}

} // namespace plist_detail
