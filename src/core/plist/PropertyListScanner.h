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
#include <vector>

namespace plist_detail {

enum Elem : quint8 { EPlist, EDict, EArray, EKey, EString, EInteger, EReal, EDate, EData, ETrue, EFalse, EUnknown };

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

} // namespace plist_detail
