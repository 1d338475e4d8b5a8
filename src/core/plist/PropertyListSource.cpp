#include "PropertyListSource.h"

#include "PropertyListEncoding.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace plist_detail {

void LineCounter::feed(const char *p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        const char c = p[i];
        if (c == '\n') {
            if (!m_afterCr)
                ++m_ends;
            m_afterCr = false;
        } else {
            m_afterCr = c == '\r';
            if (m_afterCr)
                ++m_ends;
        }
    }
}

// ---------------------------------------------------------------------------------------------------------
// MemorySource

bool MemorySource::more(std::size_t)
{
    if (size != m_size)
        fail(ParseError::BadUtf8, size); // the window stops before the malformed byte
    return false;
}

qint64 MemorySource::lineAt(quint64 offset)
{
    LineCounter lines;
    lines.feed(data, std::size_t(std::min<quint64>(offset, m_size)));
    return lines.line();
}

// ---------------------------------------------------------------------------------------------------------
// FileSource

FileSource::~FileSource()
{
    std::free(m_buffer);
}

bool FileSource::start()
{
    if (!readSome())
        return !failed;
    return true;
}

void FileSource::beginUtf8(std::size_t bom)
{
    std::memmove(m_buffer, m_buffer + bom, m_size - bom);
    m_size -= bom;
    m_base = bom;
    validate();
    data = m_buffer;
    size = m_validated;
}

bool FileSource::slurp(QByteArray &all)
{
    all = QByteArray(m_buffer, qsizetype(m_size));
    for (;;) {
        char chunk[65536];
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(ParseError::ReadFailed, 0);
            return false;
        }
        if (n == 0)
            return true;
        all.append(chunk, qsizetype(n));
    }
}

bool FileSource::more(std::size_t keep)
{
    if (failed)
        return false;
    if (m_bad || (m_eof && m_validated != m_size)) {
        // A malformed sequence, or the input ends inside a multi-byte one.
        fail(ParseError::BadUtf8, m_base + m_validated);
        return false;
    }
    if (m_eof)
        return false;
    std::memmove(m_buffer, m_buffer + keep, m_size - keep);
    m_base += keep;
    m_size -= keep;
    m_validated -= keep;
    const std::size_t before = m_validated;
    readSome(); // may move the buffer
    data = m_buffer;
    size = m_validated;
    if (failed)
        return false;
    validate();
    size = m_validated;
    if (m_validated > before)
        return true;
    if (m_bad || m_validated != m_size) {
        fail(ParseError::BadUtf8, m_base + m_validated);
        return false;
    }
    return false; // nothing more was read: the end of the input
}

qint64 FileSource::lineAt(quint64 offset)
{
    LineCounter lines;
    char chunk[65536];
    quint64 at = 0;
    while (at < offset) {
        const ssize_t n = ::pread(m_fd, chunk, std::size_t(std::min<quint64>(sizeof chunk, offset - at)), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the file shrank or cannot be read again: the line of what is left
        lines.feed(chunk, std::size_t(n));
        at += quint64(n);
    }
    return lines.line();
}

void FileSource::validate()
{
    if (m_bad)
        return;
    bool bad = false;
    m_validated
        += validateUtf8(reinterpret_cast<const unsigned char *>(m_buffer) + m_validated, m_size - m_validated, &bad);
    m_bad = bad;
}

// Appends at least one byte, filling the buffer as far as the input allows, so that an item scanned again
// after a refill has grown by a whole buffer; false at the end of the input or on failure.
bool FileSource::readSome()
{
    if (m_capacity - m_size < kChunk / 2) {
        const std::size_t capacity = m_capacity ? m_capacity * 2 : kChunk;
        char *p = static_cast<char *>(std::realloc(m_buffer, capacity));
        if (!p) {
            fail(ParseError::TooLarge, m_base + m_size);
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
            fail(ParseError::ReadFailed, m_base + m_size);
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

} // namespace plist_detail
