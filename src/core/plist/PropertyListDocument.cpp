// Storage of a property list document: the growable buffers, the interned keys, the hash indexes of large
// dicts, and the lookups over them.

#include "PropertyListDocument.h"

#include <algorithm>
#include <cstdlib>
#include <sys/mman.h>
#include <utility>

namespace plist_detail {

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

} // namespace plist_detail

using namespace plist_detail;

quint32 PropertyListDocument::findKey(const char *utf8, std::size_t size) const
{
    const quint32 h = hashKey(utf8, size);
    const quint32 mask = quint32(m_keySlots.size() - 1);
    for (quint32 slot = h & mask;; slot = (slot + 1) & mask) {
        const quint32 k = m_keySlots[slot];
        if (!k)
            return 0;
        if (m_keyHashes[k] != h)
            continue;
        if (keyEquals(k, utf8, size))
            return k;
    }
}

quint32 PropertyListDocument::lookup(const Node &dict, quint32 id) const
{
    const Container &c = m_containers[dict.payload];
    if (c.count & kIndexedFlag) {
        const auto it = std::lower_bound(m_bigDicts.begin(), m_bigDicts.end(), dict.payload,
            [](const BigDict &b, quint32 container) { return b.container < container; });
        const quint32 *table = m_indexPool.data() + it->slots;
        for (quint32 slot = (id * 0x9E3779B1u) & it->mask;; slot = (slot + 1) & it->mask) {
            const quint32 at = table[slot];
            if (!at)
                return kNoNode;
            if (nodeKey(m_nodes[c.first + at - 1]) == id)
                return c.first + at - 1;
        }
    }
    // Backwards, so that the last of duplicate keys wins.
    const Node *entries = m_nodes.data() + c.first;
    for (quint32 i = c.count; i-- > 0;)
        if (nodeKey(entries[i]) == id)
            return c.first + i;
    return kNoNode;
}

bool PropertyListDocument::begin()
{
    if (!m_text.push(0)) // offset 0: the empty text
        return false;
    m_keySlots.assign(1024, 0);
    return true;
}

bool PropertyListDocument::intern(const char *p, std::size_t n, quint32 *id)
{
    const quint32 h = hashKey(p, n);
    const quint32 mask = quint32(m_keySlots.size() - 1);
    quint32 slot = h & mask;
    for (;;) {
        const quint32 k = m_keySlots[slot];
        if (!k)
            break;
        if (m_keyHashes[k] == h && keyEquals(k, p, n)) {
            *id = k;
            return true;
        }
        slot = (slot + 1) & mask;
    }
    const std::size_t newId = m_keyHashes.size();
    if (newId > kMaxKeyId || m_keyBytes.size() + n >= 0xFFFFFFFFu)
        return false;
    m_keyBytes.insert(m_keyBytes.end(), p, p + n);
    m_keyOffsets.push_back(quint32(m_keyBytes.size()));
    m_keyHashes.push_back(h);
    m_keySlots[slot] = quint32(newId);
    if (newId * 2 > m_keySlots.size())
        growKeySlots();
    *id = quint32(newId);
    return true;
}

void PropertyListDocument::growKeySlots()
{
    std::vector<quint32> slots(m_keySlots.size() * 2, 0);
    const quint32 mask = quint32(slots.size() - 1);
    for (quint32 id = 1; id < m_keyHashes.size(); ++id) {
        quint32 slot = m_keyHashes[id] & mask;
        while (slots[slot])
            slot = (slot + 1) & mask;
        slots[slot] = id;
    }
    m_keySlots.swap(slots);
}

bool PropertyListDocument::storeString(const char *p, std::size_t n, quint32 *offset)
{
    if (!n) {
        *offset = 0;
        return true;
    }
    const std::size_t at = m_text.size();
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
    char *where = m_text.extend(prefixSize + n);
    if (!where)
        return false;
    std::memcpy(where, prefix, prefixSize);
    std::memcpy(where + prefixSize, p, n);
    *offset = quint32(at);
    return true;
}

bool PropertyListDocument::storeBigInt(qint64 value, quint32 *index)
{
    if (m_bigInts.size() >= 0xFFFFFFFFu)
        return false;
    m_bigInts.push_back(value);
    *index = quint32(m_bigInts.size() - 1);
    return true;
}

bool PropertyListDocument::addEmptyContainer(quint32 *index)
{
    if (m_containers.size() >= 0xFFFFFFFFu || !m_containers.push(Container { quint32(m_nodes.size()), 0 }))
        return false;
    *index = quint32(m_containers.size() - 1);
    return true;
}

bool PropertyListDocument::addContainer(const Node *entries, std::size_t count, bool dict, quint32 *index)
{
    const std::size_t first = m_nodes.size();
    if (first + count >= 0xFFFFFFFFu || count >= kIndexedFlag || m_containers.size() >= 0xFFFFFFFFu)
        return false;
    if (count) {
        Node *where = m_nodes.extend(count);
        if (!where)
            return false;
        std::memcpy(where, entries, count * sizeof(Node));
    }
    Container c { quint32(first), quint32(count) };
    *index = quint32(m_containers.size());
    if (dict && count >= kIndexThreshold) {
        if (!buildIndex(*index, m_nodes.data() + first, quint32(count)))
            return false;
        c.count |= kIndexedFlag;
    }
    return m_containers.push(c);
}

bool PropertyListDocument::buildIndex(quint32 containerIndex, const Node *entries, quint32 count)
{
    std::size_t slots = 64;
    while (slots < std::size_t(count) * 2)
        slots *= 2;
    const std::size_t offset = m_indexPool.size();
    if (offset + slots >= 0xFFFFFFFFu)
        return false;
    m_indexPool.resize(offset + slots, 0);
    quint32 *table = m_indexPool.data() + offset;
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
    m_bigDicts.push_back(BigDict { containerIndex, quint32(offset), mask });
    return true;
}

bool PropertyListDocument::setRoot(Node root)
{
    if (m_nodes.size() >= 0xFFFFFFFFu || !m_nodes.push(root))
        return false;
    m_root = quint32(m_nodes.size() - 1);
    return true;
}
