#pragma once

// The compact form of a property list document, written by the builder and read by the PlistValue
// accessors: the flat node array, the string area and the interned keys.
// Not part of the public API: include PropertyList.h instead.

#include "PropertyList.h"

#include <QtGlobal>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

namespace plist_detail {

// Growable storage for plain records. Large blocks live in their own anonymous mappings, grown with mremap
// and backed by huge pages where the kernel offers them: first touches of fresh memory are the dearest part
// of reading a large library, and growing in place never copies or touches the old pages again.
class RawBuffer
{
public:
    RawBuffer() = default;
    ~RawBuffer();
    RawBuffer(const RawBuffer &) = delete;
    RawBuffer &operator=(const RawBuffer &) = delete;
    RawBuffer(RawBuffer &&other) noexcept;
    RawBuffer &operator=(RawBuffer &&other) noexcept;

    char *data() const { return m_data; }
    std::size_t capacity() const { return m_capacity; }

    // Makes room for at least `bytes` bytes, keeping the first `used` ones. False when memory is exhausted.
    bool reserve(std::size_t bytes, std::size_t used);

private:
    void release();

    char *m_data = nullptr;
    std::size_t m_capacity = 0;
    bool m_mapped = false;
};

template<typename T> class PodArray
{
    static_assert(std::is_trivially_copyable_v<T>);

public:
    T *data() const { return reinterpret_cast<T *>(m_buffer.data()); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T &operator[](std::size_t i) const { return data()[i]; }
    T &back() const { return data()[m_size - 1]; }

    bool push(const T &value)
    {
        if (m_size == capacity() && !grow(1))
            return false;
        data()[m_size++] = value;
        return true;
    }
    // Room for `n` more elements at the end; answers where they go (nullptr when out of memory).
    T *extend(std::size_t n)
    {
        if (capacity() - m_size < n && !grow(n))
            return nullptr;
        T *where = data() + m_size;
        m_size += n;
        return where;
    }
    void resize(std::size_t n) { m_size = n; } // only to shrink, or after extend()

private:
    std::size_t capacity() const { return m_buffer.capacity() / sizeof(T); }
    bool grow(std::size_t n)
    {
        std::size_t want = capacity() < 256 ? 256 : capacity() * 2;
        if (want - m_size < n)
            want = m_size + n;
        if (want > std::size_t(-1) / sizeof(T))
            return false;
        return m_buffer.reserve(want * sizeof(T), m_size * sizeof(T));
    }

    RawBuffer m_buffer;
    std::size_t m_size = 0;
};

// One value. `head` holds the entry's key id (0 in arrays and at the root) above a 4-bit kind; `payload`
// depends on the kind (see PropertyListDocument).
struct Node
{
    quint32 head;
    quint32 payload;
};

enum Kind : quint32 {
    KindNone, // an integer that is not a 64-bit decimal number: kept as a missing value
    KindDict,
    KindArray,
    KindString,
    KindSmallInt,
    KindBigInt,
    KindReal,
    KindDate,
    KindData,
    KindFalse,
    KindTrue,
};

constexpr quint32 kKindBits = 4;
constexpr quint32 kKindMask = (1u << kKindBits) - 1;
constexpr quint32 kMaxKeyId = (1u << (32 - kKindBits)) - 1;

inline quint32 nodeKind(const Node &n)
{
    return n.head & kKindMask;
}
inline quint32 nodeKey(const Node &n)
{
    return n.head >> kKindBits;
}

struct Container
{
    quint32 first; // index of the first entry in the node array; entries are contiguous
    quint32 count; // top bit set: the dict has a hash index (see BigDict)
};

constexpr quint32 kIndexedFlag = 0x80000000u;
constexpr quint32 kIndexThreshold = 48; // smaller dicts are scanned: a track has about 30 keys

constexpr quint32 kNoNode = ~0u; // what a lookup answers for a missing key

struct BigDict
{
    quint32 container;
    quint32 slots; // offset into the index pool
    quint32 mask;
};

} // namespace plist_detail

// Nodes:
//  - Dict/Array: payload indexes m_containers; the entries are m_nodes[first, first + count).
//  - String: payload is an offset into m_text, where the UTF-8 text follows its length as a LEB128 varint.
//    Offset 0 is the empty text.
//  - SmallInt: payload is the value as a 32-bit two's complement; BigInt: payload indexes m_bigInts.
//  - True/False/Real/Date/Data/None: no payload (the contents of real, date and data are checked, not kept).
// Keys are interned: each distinct key text is stored once and entries hold its id, so a lookup compares
// one integer per entry.
class PropertyListDocument
{
public:
    using Node = plist_detail::Node;

    const Node &node(quint32 i) const { return m_nodes[i]; }
    PlistValue rootValue() const { return PlistValue(this, m_root); }

    const plist_detail::Container &container(const Node &n) const { return m_containers[n.payload]; }

    // The key id of a UTF-8 text, 0 if no entry of the document has that key.
    quint32 findKey(const char *utf8, std::size_t size) const;
    void keyText(quint32 id, const char **utf8, std::size_t *size) const
    {
        const quint32 begin = m_keyOffsets[id - 1];
        *utf8 = m_keyBytes.data() + begin;
        *size = m_keyOffsets[id] - begin;
    }

    bool keyEquals(quint32 id, const char *utf8, std::size_t size) const
    {
        const quint32 begin = m_keyOffsets[id - 1];
        // No memcmp on an empty key: the key bytes may not even be allocated yet.
        return m_keyOffsets[id] - begin == size && (!size || std::memcmp(m_keyBytes.data() + begin, utf8, size) == 0);
    }

    // The node of the last entry with key `id` in the dict node `dict`, or kNoNode.
    quint32 lookup(const Node &dict, quint32 id) const;

    void stringText(const Node &n, const char **utf8, std::size_t *size) const
    {
        const unsigned char *p = reinterpret_cast<const unsigned char *>(m_text.data()) + n.payload;
        std::size_t length = 0;
        int shift = 0;
        while (*p & 0x80) {
            length |= std::size_t(*p++ & 0x7f) << shift;
            shift += 7;
        }
        length |= std::size_t(*p++) << shift;
        *utf8 = reinterpret_cast<const char *>(p);
        *size = length;
    }

    qint64 integer(const Node &n) const
    {
        if (plist_detail::nodeKind(n) == plist_detail::KindSmallInt)
            return qint32(n.payload);
        return m_bigInts[n.payload];
    }

    // Writing, for the builder; each answers false when memory or the 32-bit indexes run out.

    // Makes the document ready to be written: the empty text at offset 0, the key table.
    bool begin();
    // The id of a key text, adding the text when it is new.
    bool intern(const char *utf8, std::size_t size, quint32 *id);
    bool storeString(const char *utf8, std::size_t size, quint32 *offset);
    bool storeBigInt(qint64 value, quint32 *index);
    bool addEmptyContainer(quint32 *index);
    // Appends the entries of a container that has ended, indexing a large dict, and answers its container.
    bool addContainer(const Node *entries, std::size_t count, bool dict, quint32 *index);
    bool setRoot(Node root);

private:
    bool buildIndex(quint32 containerIndex, const Node *entries, quint32 count);
    void growKeySlots();

    plist_detail::PodArray<Node> m_nodes;
    plist_detail::PodArray<plist_detail::Container> m_containers;
    plist_detail::PodArray<char> m_text;
    std::vector<qint64> m_bigInts;
    std::vector<plist_detail::BigDict> m_bigDicts;
    std::vector<quint32> m_indexPool;

    // Interned keys: id k (from 1) spans m_keyBytes[m_keyOffsets[k - 1], m_keyOffsets[k]).
    std::vector<char> m_keyBytes;
    std::vector<quint32> m_keyOffsets { 0 };
    std::vector<quint32> m_keyHashes { 0 };
    std::vector<quint32> m_keySlots; // open addressing: key id, 0 for empty

    quint32 m_root = 0;
};

namespace plist_detail {

quint32 hashKey(const char *p, std::size_t n);

} // namespace plist_detail
