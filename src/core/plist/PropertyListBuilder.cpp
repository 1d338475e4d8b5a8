// Integers: optional white space, an optional sign, decimal digits, optional white space, within the signed
// 64-bit range. Anything else is kept as a missing value (the entry reads as none), so that one odd number
// does not make the whole library unreadable.

#include "PropertyListBuilder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>

namespace plist_detail {

namespace {

// Parses an integer's text; false when it is not a decimal number within the 64-bit range.
bool parseInteger(const char *p, const char *end, qint64 *value)
{
    while (p < end && isSpace(*p))
        ++p;
    while (end > p && isSpace(end[-1]))
        --end;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end)
        return false;
    // Accumulate the magnitude as unsigned, so that the most negative value fits.
    const quint64 limit
        = negative ? quint64(std::numeric_limits<qint64>::max()) + 1 : quint64(std::numeric_limits<qint64>::max());
    quint64 magnitude = 0;
    for (; p < end; ++p) {
        const unsigned d = unsigned(static_cast<unsigned char>(*p)) - '0';
        if (d > 9)
            return false;
        if (magnitude > (limit - d) / 10)
            return false;
        magnitude = magnitude * 10 + d;
    }
    *value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

} // namespace

bool PropertyListBuilder::fail(const char *at, ParseError e)
{
    return failAt(m_source.offsetOf(at), e);
}

bool PropertyListBuilder::failAt(quint64 offset, ParseError e)
{
    m_failure = Failure { e, offset };
    return false;
}

Q_ALWAYS_INLINE bool PropertyListBuilder::startElement(const Token &t)
{
    if (t.elem == EPlist) {
        if (!m_frames.empty())
            return fail(t.at, ParseError::NestedPlist);
        if (!t.empty)
            m_frames.push_back(Frame { quint32(m_scratch.size()), 0, 0, 0, EPlist, false, m_source.offsetOf(t.at) });
        return true;
    }
    quint32 key;
    if (!beginValue(t, &key))
        return false;
    if (t.empty) {
        quint32 index;
        if (!m_doc->addEmptyContainer(&index))
            return fail(t.at, ParseError::TooLarge);
        place(Node { key << kKindBits | (t.elem == EDict ? KindDict : KindArray), index });
        return true;
    }
    if (m_scratch.size() >= 0xFFFFFFFFu)
        return fail(t.at, ParseError::TooLarge);
    m_frames.push_back(Frame { quint32(m_scratch.size()), key, 0, 0, t.elem, false, m_source.offsetOf(t.at) });
    return true;
}

Q_ALWAYS_INLINE bool PropertyListBuilder::endElement(const Token &t)
{
    if (m_frames.empty())
        return fail(t.at, ParseError::StrayEndTag);
    const Frame f = m_frames.back();
    if (t.elem != f.elem)
        return fail(t.at, ParseError::MismatchedEndTag);
    if (f.elem == EDict && f.pendingKey)
        return fail(t.at, ParseError::KeyWithoutValue);
    m_frames.pop_back();
    if (f.elem == EPlist) {
        if (f.hasValue) {
            m_rootNode = m_scratch[f.scratchStart];
            m_hasRoot = true;
        }
        m_scratch.resize(f.scratchStart);
        return true;
    }
    const std::size_t count = m_scratch.size() - f.scratchStart;
    quint32 index;
    if (!m_doc->addContainer(m_scratch.data() + f.scratchStart, count, f.elem == EDict, &index))
        return fail(t.at, ParseError::TooLarge);
    m_scratch.resize(f.scratchStart);
    place(Node { f.ownKey << kKindBits | (f.elem == EDict ? KindDict : KindArray), index });
    return true;
}

Q_ALWAYS_INLINE bool PropertyListBuilder::key(const Token &t)
{
    if (m_frames.empty())
        return fail(t.at, ParseError::KeyOutsideDict);
    Frame &f = m_frames.back();
    if (f.elem != EDict)
        return fail(t.at, ParseError::KeyOutsideDict);
    if (f.pendingKey)
        return fail(t.at, ParseError::KeyWithoutValue);
    // Dicts of one kind list their keys in the same order (every track: "Track ID", "Name", "Artist"...),
    // so the key that followed this one last time is tried before the hash table.
    quint32 id = f.lastKey < m_nextKey.size() ? m_nextKey[f.lastKey] : 0;
    if (id && !m_doc->keyEquals(id, t.text, t.size))
        id = 0;
    if (!id) {
        if (!m_doc->intern(t.text, t.size, &id))
            return fail(t.at, ParseError::TooLarge);
        if (f.lastKey >= m_nextKey.size())
            m_nextKey.resize(std::max<std::size_t>(f.lastKey + 1, m_nextKey.size() * 2), 0);
        m_nextKey[f.lastKey] = id;
    }
    f.pendingKey = id;
    f.lastKey = id;
    return true;
}

Q_ALWAYS_INLINE bool PropertyListBuilder::leaf(const Token &t)
{
    quint32 key;
    if (!beginValue(t, &key))
        return false;
    Node n { key << kKindBits, 0 };
    switch (t.elem) {
    case EString: {
        quint32 offset;
        if (!m_doc->storeString(t.text, t.size, &offset))
            return fail(t.at, ParseError::TooLarge);
        n.head |= KindString;
        n.payload = offset;
        break;
    }
    case EInteger: {
        qint64 value;
        if (!parseInteger(t.text, t.text + t.size, &value)) {
            n.head |= KindNone;
        } else if (value >= INT_MIN && value <= INT_MAX) {
            n.head |= KindSmallInt;
            n.payload = quint32(qint32(value));
        } else {
            quint32 index;
            if (!m_doc->storeBigInt(value, &index))
                return fail(t.at, ParseError::TooLarge);
            n.head |= KindBigInt;
            n.payload = index;
        }
        break;
    }
    case ETrue:
    case EFalse:
        for (std::size_t i = 0; i < t.size; ++i)
            if (!isSpace(t.text[i]))
                return fail(t.at, ParseError::BooleanWithContent);
        n.head |= t.elem == ETrue ? KindTrue : KindFalse;
        break;
    case EReal:
        n.head |= KindReal;
        break;
    case EDate:
        n.head |= KindDate;
        break;
    default:
        n.head |= KindData;
        break;
    }
    place(n);
    return true;
}

bool PropertyListBuilder::beginValue(const Token &t, quint32 *key)
{
    if (m_frames.empty()) {
        // The document element itself, without a <plist> around it.
        *key = 0;
        m_rootStart = m_source.offsetOf(t.at);
        return true;
    }
    Frame &f = m_frames.back();
    switch (f.elem) {
    case EDict:
        if (!f.pendingKey)
            return fail(t.at, ParseError::ValueWithoutKey);
        *key = f.pendingKey;
        f.pendingKey = 0;
        return true;
    case EPlist:
        if (f.hasValue)
            return fail(t.at, ParseError::SecondValue);
        f.hasValue = true;
        *key = 0;
        m_rootStart = m_source.offsetOf(t.at);
        return true;
    default:
        *key = 0;
        return true;
    }
}

void PropertyListBuilder::place(Node n)
{
    if (m_frames.empty()) {
        m_rootNode = n;
        m_hasRoot = true;
        return;
    }
    m_scratch.push_back(n);
}

// The handlers above are forced inline here: one token costs what one branch of a single loop would.
std::unique_ptr<PropertyListDocument> PropertyListBuilder::run()
{
    if (!m_doc->begin()) {
        failAt(0, ParseError::TooLarge);
        return nullptr;
    }
    Token t;
    for (;;) {
        const Scanner::Next s = m_scanner.next(t);
        if (s == Scanner::Next::End)
            break;
        if (s == Scanner::Next::Fail) {
            m_failure = m_scanner.failure();
            return nullptr;
        }
        bool ok;
        switch (t.type) {
        case Token::Start:
            ok = startElement(t);
            break;
        case Token::End:
            ok = endElement(t);
            break;
        default:
            ok = t.elem == EKey ? key(t) : leaf(t);
            break;
        }
        if (!ok)
            return nullptr;
    }
    if (!m_frames.empty()) {
        failAt(m_frames.back().start, ParseError::Unclosed);
        return nullptr;
    }
    if (!m_hasRoot) {
        failAt(m_source.endOffset(), ParseError::NoValue);
        return nullptr;
    }
    if (nodeKind(m_rootNode) != KindDict) {
        failAt(m_rootStart, ParseError::RootNotDict);
        return nullptr;
    }
    if (!m_doc->setRoot(m_rootNode)) {
        failAt(m_source.endOffset(), ParseError::TooLarge);
        return nullptr;
    }
    return std::move(m_doc);
}

} // namespace plist_detail
