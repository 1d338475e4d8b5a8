// The XML property-list reader: one pass over the input with a hand-written scanner and an explicit stack,
// building the compact document of PropertyListDocument.h.
//
// Input. A UTF-8 file is read in chunks into one small reused buffer and scanned there; nothing of the file
// is kept but the decoded texts, so memory stays near the size of what the document holds, and a file that
// is changed or truncated while it is read can at worst read as malformed: there is no mapping that could
// fault. UTF-16 and ISO-8859-1 input (rare) is read whole and transcoded to UTF-8 first.
//
// Items. The scanner consumes one item at a time: a run of white space, a tag, a comment, a processing
// instruction, the DOCTYPE, or a whole leaf element (<key>, <string>, <integer>...) from its start tag to
// its end tag. An item that runs past the end of the buffer is scanned again from its start once more input
// has been read; the buffer grows when one item is larger than it.
//
// Well-formedness. Everything the property-list format uses is checked; entities are never expanded: an
// internal DTD subset is skipped whole, so a reference to an entity it declares is an undeclared entity and
// makes the file unreadable. Raw control characters are let through (a stray one in a tag should not cost
// the user the whole library); references to characters XML forbids are refused.
//
// Integers: optional white space, an optional sign, decimal digits, optional white space, within the signed
// 64-bit range. Anything else is kept as a missing value (the entry reads as none), so that one odd number
// does not make the whole library unreadable.

#include "PropertyListDocument.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plist_detail {

// ---------------------------------------------------------------------------------------------------------
// Storage

RawBuffer::~RawBuffer()
{
    release();
}

RawBuffer::RawBuffer(RawBuffer &&other) noexcept
    : m_data(other.m_data)
    , m_capacity(other.m_capacity)
    , m_mapped(other.m_mapped)
{
    other.m_data = nullptr;
    other.m_capacity = 0;
    other.m_mapped = false;
}

RawBuffer &RawBuffer::operator=(RawBuffer &&other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_capacity = std::exchange(other.m_capacity, 0);
        m_mapped = std::exchange(other.m_mapped, false);
    }
    return *this;
}

void RawBuffer::release()
{
    if (m_mapped)
        munmap(m_data, m_capacity);
    else
        std::free(m_data);
    m_data = nullptr;
    m_capacity = 0;
    m_mapped = false;
}

bool RawBuffer::reserve(std::size_t bytes, std::size_t used)
{
    if (bytes <= m_capacity)
        return true;
#if defined(__linux__)
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    if (bytes >= kHugePage) {
        const std::size_t size = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        void *p;
        if (m_mapped) {
            p = mremap(m_data, m_capacity, size, MREMAP_MAYMOVE);
        } else {
            p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p != MAP_FAILED && used)
                std::memcpy(p, m_data, used);
        }
        if (p == MAP_FAILED)
            return false;
        madvise(p, size, MADV_HUGEPAGE);
        if (!m_mapped)
            std::free(m_data);
        m_data = static_cast<char *>(p);
        m_capacity = size;
        m_mapped = true;
        return true;
    }
#endif
    Q_UNUSED(used);
    void *p = std::realloc(m_data, bytes);
    if (!p)
        return false;
    m_data = static_cast<char *>(p);
    m_capacity = bytes;
    return true;
}

quint32 hashKey(const char *p, std::size_t n)
{
    constexpr quint64 k = 0x9E3779B97F4A7C15ull;
    quint64 h = quint64(n) * k;
    while (n >= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * k;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    if (n) {
        quint64 w = 0;
        std::memcpy(&w, p, n);
        h = (h ^ w) * k;
    }
    h ^= h >> 32;
    h *= k;
    return quint32(h >> 32);
}

// ---------------------------------------------------------------------------------------------------------
// Encodings

namespace {

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

bool isLatin1Name(const char *p, std::size_t n)
{
    static const char *const names[] = { "ISO-8859-1", "ISO_8859-1", "ISO8859-1", "ISO_8859-1:1987", "latin1",
        "latin-1", "l1", "iso-ir-100", "IBM819", "CP819", "csISOLatin1" };
    for (const char *name : names)
        if (equalsIgnoringAsciiCase(p, n, name))
            return true;
    return false;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
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
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool latin1ToUtf8(const char *p, std::size_t n, QByteArray &out)
{
    out.reserve(qsizetype(n + n / 8));
    for (std::size_t i = 0; i < n; ++i)
        appendUtf8(out, char32_t(static_cast<unsigned char>(p[i])));
    return true;
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

// ---------------------------------------------------------------------------------------------------------
// Sources: a window of UTF-8 bytes that can be refilled.

class Source
{
public:
    virtual ~Source() = default;
    const char *data = nullptr;
    std::size_t size = 0;
    bool failed = false;
    // Drops the bytes before `keep` and appends more input. False at the end of the input (the window is then
    // unchanged) or on failure (`failed` is set).
    virtual bool more(std::size_t keep) = 0;
};

class MemorySource final : public Source
{
public:
    MemorySource(const char *p, std::size_t n)
    {
        data = p;
        size = n;
    }
    bool more(std::size_t) override { return false; }
};

class FileSource final : public Source
{
public:
    static constexpr std::size_t kChunk = std::size_t(256) << 10;

    explicit FileSource(int fd)
        : m_fd(fd)
    {
    }
    ~FileSource() override { std::free(m_buffer); }

    // Reads the first chunk without validating it: its encoding is not known yet.
    bool start()
    {
        if (!readSome())
            return !failed;
        return true;
    }
    // The first chunk turned out to be UTF-8: skip the byte order mark, validate, go on streaming.
    bool beginUtf8(std::size_t bom)
    {
        std::memmove(m_buffer, m_buffer + bom, m_size - bom);
        m_size -= bom;
        data = m_buffer;
        size = m_size;
        return validate();
    }
    // The whole of the rest of the input, after what was read already.
    bool slurp(QByteArray &all)
    {
        all = QByteArray(m_buffer, qsizetype(m_size));
        for (;;) {
            char chunk[65536];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return false;
            if (n == 0)
                return true;
            all.append(chunk, qsizetype(n));
        }
    }

    const char *buffer() const { return m_buffer; }
    std::size_t bufferSize() const { return m_size; }

    bool more(std::size_t keep) override
    {
        if (failed)
            return false;
        if (m_eof) {
            if (m_validated != m_size)
                failed = true; // the input ends inside a multi-byte sequence
            return false;
        }
        if (keep > m_validated) {
            failed = true;
            return false;
        }
        std::memmove(m_buffer, m_buffer + keep, m_size - keep);
        m_size -= keep;
        m_validated -= keep;
        const bool gotMore = readSome(); // may move the buffer
        data = m_buffer;
        size = m_size;
        if (!gotMore) {
            if (!failed && m_validated != m_size)
                failed = true;
            return false;
        }
        return validate();
    }

private:
    bool validate()
    {
        bool bad = false;
        m_validated += validateUtf8(
            reinterpret_cast<const unsigned char *>(m_buffer) + m_validated, m_size - m_validated, &bad);
        if (bad)
            failed = true;
        return !bad;
    }

    // Appends at least one byte, filling the buffer as far as the input allows, so that an item scanned
    // again after a refill has grown by a whole buffer; false at the end of the input or on failure.
    bool readSome()
    {
        if (m_capacity - m_size < kChunk / 2) {
            const std::size_t capacity = m_capacity ? m_capacity * 2 : kChunk;
            char *p = static_cast<char *>(std::realloc(m_buffer, capacity));
            if (!p) {
                failed = true;
                return false;
            }
            m_buffer = p;
            m_capacity = capacity;
        }
        const std::size_t before = m_size;
        while (m_size < m_capacity) {
            const ssize_t n = ::read(m_fd, m_buffer + m_size, m_capacity - m_size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                failed = true;
                return false;
            }
            if (n == 0) {
                m_eof = true;
                break;
            }
            m_size += std::size_t(n);
        }
        return m_size > before;
    }

    int m_fd;
    char *m_buffer = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_validated = 0;
    bool m_eof = false;
};

// ---------------------------------------------------------------------------------------------------------
// Scanning helpers

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

enum class Status { Ok, More, Fail };

enum Elem : quint8 { EPlist, EDict, EArray, EKey, EString, EInteger, EReal, EDate, EData, ETrue, EFalse, EUnknown };

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

} // namespace plist_detail

// ---------------------------------------------------------------------------------------------------------
// The parser

using namespace plist_detail;

class PropertyListBuilder
{
public:
    PropertyListBuilder(Source &source, SourceEncoding encoding)
        : m_source(source)
        , m_encoding(encoding)
        , m_doc(std::make_unique<PropertyListDocument>())
    {
    }

    std::unique_ptr<PropertyListDocument> run();

private:
    struct Frame
    {
        quint32 scratchStart;
        quint32 ownKey;
        quint32 pendingKey;
        quint32 lastKey; // the previous key of this dict, for predicting the next one
        Elem elem;
        bool hasValue;
    };

    Status item();
    Status markup();
    Status startTag(const char *p);
    Status endTag(const char *p);
    Status xmlDeclaration(const char *p);
    Status doctype(const char *p);
    Status skipComment(const char *p, const char **next);
    Status skipPi(const char *p, const char **next);
    Status attributes(const char *p, const char **next, bool *empty);
    Status content(Elem e, const char *p, const char **next, const char **rawBegin, const char **rawEnd);
    Status reference(const char *p, const char **next, bool keep);
    Status leaf(Elem e, const char *p, bool empty);

    bool beginValue(quint32 *key);
    bool place(Node n);
    bool closeContainer();
    bool intern(const char *p, std::size_t n, quint32 *id);
    bool storeString(const char *p, std::size_t n, quint32 *offset);
    bool buildIndex(quint32 containerIndex, const Node *entries, quint32 count);
    void growKeySlots();

    void tmpAppend(const char *p, std::size_t n) { m_tmp.insert(m_tmp.end(), p, p + n); }
    void tmpAppendNormalised(const char *p, const char *end);

    Source &m_source;
    SourceEncoding m_encoding;
    std::unique_ptr<PropertyListDocument> m_doc;

    const char *m_p = nullptr;
    const char *m_end = nullptr;

    std::vector<Frame> m_frames;
    std::vector<Node> m_scratch;
    std::vector<char> m_tmp;
    std::vector<quint32> m_nextKey = std::vector<quint32>(256, 0); // key id -> the key that followed it last
    Node m_rootNode { 0, 0 };
    bool m_started = false; // something was consumed: no XML declaration any more
    bool m_sawDoctype = false;
    bool m_sawRoot = false; // the document element has begun
    bool m_rootDone = false; // ... and ended
    bool m_hasRoot = false;
};

std::unique_ptr<PropertyListDocument> PropertyListBuilder::run()
{
    PropertyListDocument &d = *m_doc;
    if (!d.m_text.push(0)) // offset 0: the empty text
        return nullptr;
    d.m_keySlots.assign(1024, 0);

    m_p = m_source.data;
    m_end = m_source.data + m_source.size;
    for (;;) {
        const char *itemStart = m_p;
        if (m_p == m_end) {
            if (m_source.more(std::size_t(m_p - m_source.data))) {
                m_p = m_source.data;
                m_end = m_source.data + m_source.size;
                continue;
            }
            break;
        }
        const Status s = item();
        if (s == Status::Ok) {
            m_started = true;
            continue;
        }
        if (s == Status::Fail)
            return nullptr;
        // The item runs past the window: read more and scan it again from its start.
        if (!m_source.more(std::size_t(itemStart - m_source.data)))
            return nullptr;
        m_p = m_source.data;
        m_end = m_source.data + m_source.size;
    }
    if (m_source.failed || !m_rootDone || !m_frames.empty() || !m_hasRoot)
        return nullptr;
    if (nodeKind(m_rootNode) != KindDict)
        return nullptr;
    if (d.m_nodes.size() >= 0xFFFFFFFFu || !d.m_nodes.push(m_rootNode))
        return nullptr;
    d.m_root = quint32(d.m_nodes.size() - 1);
    return std::move(m_doc);
}

Status PropertyListBuilder::item()
{
    const char c = *m_p;
    if (c == '<')
        return markup();
    if (isSpace(c)) {
        // White space needs no restart: consume what the window holds.
        const char *p = m_p + 1;
        while (p < m_end && isSpace(*p))
            ++p;
        m_p = p;
        return Status::Ok;
    }
    return Status::Fail; // character data outside of a leaf element
}

Status PropertyListBuilder::markup()
{
    const char *p = m_p;
    if (m_end - p < 2)
        return Status::More;
    switch (p[1]) {
    case '/':
        return endTag(p);
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
        return Status::Fail; // CDATA or a declaration outside of a leaf element
    default:
        return startTag(p);
    }
}

Status PropertyListBuilder::skipComment(const char *p, const char **next)
{
    // p at "<!--"; "--" may only appear as the start of "-->".
    const char *q = find2(p + 4, m_end, '-', '-');
    if (!q)
        return Status::More;
    if (m_end - q < 3)
        return Status::More;
    if (q[2] != '>')
        return Status::Fail;
    *next = q + 3;
    return Status::Ok;
}

Status PropertyListBuilder::skipPi(const char *p, const char **next)
{
    // p at "<?": a target name that is not "xml" in any letter case, then white space or "?>".
    const char *q = p + 2;
    if (q == m_end)
        return Status::More;
    if (!isNameStart(static_cast<unsigned char>(*q)))
        return Status::Fail;
    while (q < m_end && isNameChar(static_cast<unsigned char>(*q)))
        ++q;
    if (q == m_end)
        return Status::More;
    if (equalsIgnoringAsciiCase(p + 2, std::size_t(q - p - 2), "xml"))
        return Status::Fail;
    if (!isSpace(*q) && *q != '?')
        return Status::Fail;
    const char *close = find2(q, m_end, '?', '>');
    if (!close)
        return Status::More;
    *next = close + 2;
    return Status::Ok;
}

Status PropertyListBuilder::xmlDeclaration(const char *p)
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
                return Status::Fail;
            q += 2;
            break;
        }
        if (q == spaceStart)
            return Status::Fail;
        const char *name = q;
        while (q < end && *q >= 'a' && *q <= 'z')
            ++q;
        const std::size_t nameSize = std::size_t(q - name);
        while (q < end && isSpace(*q))
            ++q;
        if (q == end)
            return Status::More;
        if (*q != '=')
            return Status::Fail;
        ++q;
        while (q < end && isSpace(*q))
            ++q;
        if (q == end)
            return Status::More;
        if (*q != '"' && *q != '\'')
            return Status::Fail;
        const char quote = *q++;
        const char *value = q;
        while (q < end && *q != quote && *q != '<')
            ++q;
        if (q == end)
            return Status::More;
        if (*q != quote)
            return Status::Fail;
        const std::size_t valueSize = std::size_t(q - value);
        ++q;
        if (nameSize == 7 && std::memcmp(name, "version", 7) == 0 && !hadVersion && !hadEncoding && !hadStandalone) {
            if (valueSize < 3 || value[0] != '1' || value[1] != '.')
                return Status::Fail;
            for (std::size_t i = 2; i < valueSize; ++i)
                if (value[i] < '0' || value[i] > '9')
                    return Status::Fail;
            hadVersion = true;
        } else if (nameSize == 8 && std::memcmp(name, "encoding", 8) == 0 && hadVersion && !hadEncoding
            && !hadStandalone) {
            bool ok;
            switch (m_encoding) {
            case SourceEncoding::Utf8:
                ok = equalsIgnoringAsciiCase(value, valueSize, "UTF-8");
                break;
            case SourceEncoding::Latin1:
                ok = isLatin1Name(value, valueSize);
                break;
            case SourceEncoding::Utf16LE:
                ok = equalsIgnoringAsciiCase(value, valueSize, "UTF-16")
                    || equalsIgnoringAsciiCase(value, valueSize, "UTF-16LE");
                break;
            case SourceEncoding::Utf16BE:
                ok = equalsIgnoringAsciiCase(value, valueSize, "UTF-16")
                    || equalsIgnoringAsciiCase(value, valueSize, "UTF-16BE");
                break;
            default:
                ok = false;
            }
            if (!ok)
                return Status::Fail;
            hadEncoding = true;
        } else if (nameSize == 10 && std::memcmp(name, "standalone", 10) == 0 && hadVersion && !hadStandalone) {
            if (!((valueSize == 3 && std::memcmp(value, "yes", 3) == 0)
                    || (valueSize == 2 && std::memcmp(value, "no", 2) == 0)))
                return Status::Fail;
            hadStandalone = true;
        } else {
            return Status::Fail;
        }
    }
    if (m_encoding == SourceEncoding::Latin1 && !hadEncoding)
        return Status::Fail;
    m_p = q;
    return Status::Ok;
}

Status PropertyListBuilder::doctype(const char *p)
{
    // Accepted once, before the document element; never fetched. An internal subset is skipped whole,
    // quoted literals, comments and processing instructions included.
    if (m_sawDoctype || m_sawRoot)
        return Status::Fail;
    const char *q = p + 9;
    const char *end = m_end;
    if (q == end)
        return Status::More;
    if (!isSpace(*q))
        return Status::Fail;
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

Status PropertyListBuilder::attributes(const char *p, const char **next, bool *empty)
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
                return Status::Fail;
            *empty = true;
            *next = p + 2;
            return Status::Ok;
        }
        if (p == spaceStart || !isNameStart(static_cast<unsigned char>(*p)))
            return Status::Fail;
        while (p < end && isNameChar(static_cast<unsigned char>(*p)))
            ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return Status::More;
        if (*p != '=')
            return Status::Fail;
        ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p == end)
            return Status::More;
        if (*p != '"' && *p != '\'')
            return Status::Fail;
        const char quote = *p++;
        for (;;) {
            if (p == end)
                return Status::More;
            if (*p == quote) {
                ++p;
                break;
            }
            if (*p == '<')
                return Status::Fail;
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

Status PropertyListBuilder::reference(const char *p, const char **next, bool keep)
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
                return Status::Fail;
        }
        if (q == digits || *q != ';')
            return Status::Fail;
        c = value;
        if (!isXmlChar(c))
            return Status::Fail;
    } else {
        const char *name = q;
        while (q < end && q - name <= 4 && *q != ';')
            ++q;
        if (q == end)
            return Status::More;
        if (*q != ';')
            return Status::Fail;
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
            return Status::Fail; // an undeclared entity: no entity is ever expanded
    }
    *next = q + 1;
    if (keep) {
        char buf[4];
        std::size_t n;
        if (c < 0x80) {
            buf[0] = char(c);
            n = 1;
        } else if (c < 0x800) {
            buf[0] = char(0xC0 | (c >> 6));
            buf[1] = char(0x80 | (c & 0x3F));
            n = 2;
        } else if (c < 0x10000) {
            buf[0] = char(0xE0 | (c >> 12));
            buf[1] = char(0x80 | ((c >> 6) & 0x3F));
            buf[2] = char(0x80 | (c & 0x3F));
            n = 3;
        } else {
            buf[0] = char(0xF0 | (c >> 18));
            buf[1] = char(0x80 | ((c >> 12) & 0x3F));
            buf[2] = char(0x80 | ((c >> 6) & 0x3F));
            buf[3] = char(0x80 | (c & 0x3F));
            n = 4;
        }
        tmpAppend(buf, n);
    }
    return Status::Ok;
}

void PropertyListBuilder::tmpAppendNormalised(const char *p, const char *end)
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

Status PropertyListBuilder::content(
    Elem e, const char *p, const char **next, const char **rawBegin, const char **rawEnd)
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
            return Status::Fail;
        r += name.size;
        while (r < end && isSpace(*r))
            ++r;
        if (r == end)
            return Status::More;
        if (*r != '>')
            return Status::Fail;
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
                return Status::Fail; // "]]>" in character data
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
                return Status::Fail; // an element inside a leaf element
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
                return Status::Fail;
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

Status PropertyListBuilder::startTag(const char *p)
{
    const char *q = p + 1;
    const char *end = m_end;
    while (q < end && isNameChar(static_cast<unsigned char>(*q)))
        ++q;
    if (q == end)
        return Status::More;
    const Elem e = elemOf(p + 1, std::size_t(q - p - 1));
    if (e == EUnknown)
        return Status::Fail;
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
    if (m_rootDone)
        return Status::Fail; // a second root element
    m_sawRoot = true;

    if (e == EPlist) {
        if (!m_frames.empty())
            return Status::Fail;
        m_p = next;
        if (empty) {
            m_rootDone = true;
            return Status::Ok;
        }
        m_frames.push_back(Frame { quint32(m_scratch.size()), 0, 0, 0, EPlist, false });
        return Status::Ok;
    }
    if (e == EDict || e == EArray) {
        if (empty) {
            m_p = next;
            quint32 key;
            if (!beginValue(&key))
                return Status::Fail;
            PropertyListDocument &d = *m_doc;
            if (d.m_containers.size() >= 0xFFFFFFFFu
                || !d.m_containers.push(Container { quint32(d.m_nodes.size()), 0 }))
                return Status::Fail;
            const quint32 kind = e == EDict ? KindDict : KindArray;
            return place(Node { key << kKindBits | kind, quint32(d.m_containers.size() - 1) }) ? Status::Ok
                                                                                               : Status::Fail;
        }
        quint32 key;
        if (!beginValue(&key))
            return Status::Fail;
        if (m_scratch.size() >= 0xFFFFFFFFu)
            return Status::Fail;
        m_frames.push_back(Frame { quint32(m_scratch.size()), key, 0, 0, e, false });
        m_p = next;
        return Status::Ok;
    }
    return leaf(e, next, empty);
}

Status PropertyListBuilder::leaf(Elem e, const char *p, bool empty)
{
    const char *rawBegin = p, *rawEnd = p;
    const char *next = p;
    if (!empty) {
        const Status s = content(e, p, &next, &rawBegin, &rawEnd);
        if (s != Status::Ok)
            return s;
    }
    const char *text = rawBegin ? rawBegin : m_tmp.data();
    const std::size_t size = rawBegin ? std::size_t(rawEnd - rawBegin) : m_tmp.size();

    if (e == EKey) {
        if (m_frames.empty())
            return Status::Fail;
        Frame &f = m_frames.back();
        if (f.elem != EDict || f.pendingKey)
            return Status::Fail; // a key outside a dict, or a key without its value
        // Dicts of one kind list their keys in the same order (every track: "Track ID", "Name", "Artist"...),
        // so the key that followed this one last time is tried before the hash table.
        PropertyListDocument &d = *m_doc;
        quint32 id = f.lastKey < m_nextKey.size() ? m_nextKey[f.lastKey] : 0;
        if (id && !d.keyEquals(id, text, size))
            id = 0;
        if (!id) {
            if (!intern(text, size, &id))
                return Status::Fail;
            if (f.lastKey >= m_nextKey.size())
                m_nextKey.resize(std::max<std::size_t>(f.lastKey + 1, m_nextKey.size() * 2), 0);
            m_nextKey[f.lastKey] = id;
        }
        f.pendingKey = id;
        f.lastKey = id;
        m_p = next;
        return Status::Ok;
    }

    quint32 key;
    if (!beginValue(&key))
        return Status::Fail;
    Node n { key << kKindBits, 0 };
    switch (e) {
    case EString: {
        quint32 offset;
        if (!storeString(text, size, &offset))
            return Status::Fail;
        n.head |= KindString;
        n.payload = offset;
        break;
    }
    case EInteger: {
        qint64 value;
        if (!parseInteger(text, text + size, &value)) {
            n.head |= KindNone;
        } else if (value >= INT_MIN && value <= INT_MAX) {
            n.head |= KindSmallInt;
            n.payload = quint32(qint32(value));
        } else {
            std::vector<qint64> &big = m_doc->m_bigInts;
            if (big.size() >= 0xFFFFFFFFu)
                return Status::Fail;
            big.push_back(value);
            n.head |= KindBigInt;
            n.payload = quint32(big.size() - 1);
        }
        break;
    }
    case ETrue:
    case EFalse:
        for (std::size_t i = 0; i < size; ++i)
            if (!isSpace(text[i]))
                return Status::Fail;
        n.head |= e == ETrue ? KindTrue : KindFalse;
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
    if (!place(n))
        return Status::Fail;
    m_p = next;
    return Status::Ok;
}

Status PropertyListBuilder::endTag(const char *p)
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
    if (*q != '>' || m_frames.empty())
        return Status::Fail;
    const Frame &f = m_frames.back();
    const ElemName &name = kElemNames[f.elem];
    if (std::size_t(nameEnd - p - 2) != name.size || std::memcmp(p + 2, name.text, name.size) != 0)
        return Status::Fail; // a mismatched end tag
    if (f.elem == EDict && f.pendingKey)
        return Status::Fail; // a key without its value
    if (!closeContainer())
        return Status::Fail;
    m_p = q + 1;
    return Status::Ok;
}

bool PropertyListBuilder::beginValue(quint32 *key)
{
    if (m_frames.empty()) {
        // The document element itself, without a <plist> around it.
        *key = 0;
        return true;
    }
    Frame &f = m_frames.back();
    switch (f.elem) {
    case EDict:
        if (!f.pendingKey)
            return false; // a value without its key
        *key = f.pendingKey;
        f.pendingKey = 0;
        return true;
    case EPlist:
        if (f.hasValue)
            return false; // a second root object
        f.hasValue = true;
        *key = 0;
        return true;
    default:
        *key = 0;
        return true;
    }
}

bool PropertyListBuilder::place(Node n)
{
    if (m_frames.empty()) {
        m_rootNode = n;
        m_hasRoot = true;
        m_rootDone = true;
        return true;
    }
    m_scratch.push_back(n);
    return true;
}

bool PropertyListBuilder::closeContainer()
{
    const Frame f = m_frames.back();
    m_frames.pop_back();
    PropertyListDocument &d = *m_doc;
    if (f.elem == EPlist) {
        if (f.hasValue) {
            m_rootNode = m_scratch[f.scratchStart];
            m_hasRoot = true;
        }
        m_scratch.resize(f.scratchStart);
        m_rootDone = true;
        return true;
    }
    const std::size_t count = m_scratch.size() - f.scratchStart;
    const std::size_t first = d.m_nodes.size();
    if (first + count >= 0xFFFFFFFFu || count >= kIndexedFlag || d.m_containers.size() >= 0xFFFFFFFFu)
        return false;
    if (count) {
        Node *where = d.m_nodes.extend(count);
        if (!where)
            return false;
        std::memcpy(where, m_scratch.data() + f.scratchStart, count * sizeof(Node));
    }
    m_scratch.resize(f.scratchStart);
    Container c { quint32(first), quint32(count) };
    const quint32 index = quint32(d.m_containers.size());
    if (f.elem == EDict && count >= kIndexThreshold) {
        if (!buildIndex(index, d.m_nodes.data() + first, quint32(count)))
            return false;
        c.count |= kIndexedFlag;
    }
    if (!d.m_containers.push(c))
        return false;
    const quint32 kind = f.elem == EDict ? KindDict : KindArray;
    return place(Node { f.ownKey << kKindBits | kind, index });
}

bool PropertyListBuilder::buildIndex(quint32 containerIndex, const Node *entries, quint32 count)
{
    PropertyListDocument &d = *m_doc;
    std::size_t slots = 64;
    while (slots < std::size_t(count) * 2)
        slots *= 2;
    const std::size_t offset = d.m_indexPool.size();
    if (offset + slots >= 0xFFFFFFFFu)
        return false;
    d.m_indexPool.resize(offset + slots, 0);
    quint32 *table = d.m_indexPool.data() + offset;
    const quint32 mask = quint32(slots - 1);
    for (quint32 i = 0; i < count; ++i) {
        const quint32 key = nodeKey(entries[i]);
        quint32 slot = (key * 0x9E3779B1u) & mask;
        for (;;) {
            const quint32 at = table[slot];
            if (!at || nodeKey(entries[at - 1]) == key) {
                table[slot] = i + 1; // a later duplicate replaces the earlier one
                break;
            }
            slot = (slot + 1) & mask;
        }
    }
    d.m_bigDicts.push_back(BigDict { containerIndex, quint32(offset), mask });
    return true;
}

void PropertyListBuilder::growKeySlots()
{
    PropertyListDocument &d = *m_doc;
    std::vector<quint32> slots(d.m_keySlots.size() * 2, 0);
    const quint32 mask = quint32(slots.size() - 1);
    for (quint32 id = 1; id < d.m_keyHashes.size(); ++id) {
        quint32 slot = d.m_keyHashes[id] & mask;
        while (slots[slot])
            slot = (slot + 1) & mask;
        slots[slot] = id;
    }
    d.m_keySlots.swap(slots);
}

bool PropertyListBuilder::intern(const char *p, std::size_t n, quint32 *id)
{
    PropertyListDocument &d = *m_doc;
    const quint32 h = hashKey(p, n);
    const quint32 mask = quint32(d.m_keySlots.size() - 1);
    quint32 slot = h & mask;
    for (;;) {
        const quint32 k = d.m_keySlots[slot];
        if (!k)
            break;
        if (d.m_keyHashes[k] == h && d.keyEquals(k, p, n)) {
            *id = k;
            return true;
        }
        slot = (slot + 1) & mask;
    }
    const std::size_t newId = d.m_keyHashes.size();
    if (newId > kMaxKeyId || d.m_keyBytes.size() + n >= 0xFFFFFFFFu)
        return false;
    d.m_keyBytes.insert(d.m_keyBytes.end(), p, p + n);
    d.m_keyOffsets.push_back(quint32(d.m_keyBytes.size()));
    d.m_keyHashes.push_back(h);
    d.m_keySlots[slot] = quint32(newId);
    if (newId * 2 > d.m_keySlots.size())
        growKeySlots();
    *id = quint32(newId);
    return true;
}

bool PropertyListBuilder::storeString(const char *p, std::size_t n, quint32 *offset)
{
    if (!n) {
        *offset = 0;
        return true;
    }
    PropertyListDocument &d = *m_doc;
    const std::size_t at = d.m_text.size();
    if (at + n + 10 >= 0xFFFFFFFFu)
        return false;
    unsigned char prefix[5];
    std::size_t prefixSize = 0;
    std::size_t length = n;
    while (length >= 0x80) {
        prefix[prefixSize++] = static_cast<unsigned char>(length | 0x80);
        length >>= 7;
    }
    prefix[prefixSize++] = static_cast<unsigned char>(length);
    char *where = d.m_text.extend(prefixSize + n);
    if (!where)
        return false;
    std::memcpy(where, prefix, prefixSize);
    std::memcpy(where + prefixSize, p, n);
    *offset = quint32(at);
    return true;
}

// ---------------------------------------------------------------------------------------------------------
// Entry points

namespace plist_detail {

namespace {

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

std::unique_ptr<PropertyListDocument> parseTranscoded(const char *p, std::size_t n, SourceEncoding encoding)
{
    QByteArray utf8;
    bool ok = encoding == SourceEncoding::Latin1 ? latin1ToUtf8(p, n, utf8)
                                                 : utf16ToUtf8(p, n, encoding == SourceEncoding::Utf16BE, utf8);
    if (!ok)
        return nullptr;
    MemorySource source(utf8.constData(), std::size_t(utf8.size()));
    return PropertyListBuilder(source, encoding).run();
}

} // namespace

std::unique_ptr<PropertyListDocument> parseBytes(const char *data, std::size_t size)
{
    std::size_t bom;
    const SourceEncoding encoding = sniff(data, size, &bom);
    if (encoding != SourceEncoding::Utf8)
        return parseTranscoded(data + bom, size - bom, encoding);
    data += bom;
    size -= bom;
    bool bad = false;
    if (validateUtf8(reinterpret_cast<const unsigned char *>(data), size, &bad) != size)
        return nullptr;
    MemorySource source(data, size);
    return PropertyListBuilder(source, encoding).run();
}

std::unique_ptr<PropertyListDocument> parseFile(int fd)
{
    FileSource source(fd);
    if (!source.start())
        return nullptr;
    std::size_t bom;
    const SourceEncoding encoding = sniff(source.buffer(), source.bufferSize(), &bom);
    if (encoding != SourceEncoding::Utf8) {
        QByteArray all;
        if (!source.slurp(all))
            return nullptr;
        return parseTranscoded(all.constData() + bom, std::size_t(all.size()) - bom, encoding);
    }
    if (!source.beginUtf8(bom))
        return nullptr;
    return PropertyListBuilder(source, encoding).run();
}

} // namespace plist_detail
