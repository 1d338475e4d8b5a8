#pragma once

// Where the scanner's bytes come from: a window of valid UTF-8 that can be refilled. A UTF-8 file is read in
// chunks into one small reused buffer; everything else (bytes in memory, transcoded UTF-16 and ISO-8859-1)
// is one window over the whole input.
//
// The window always stops before the first malformed byte: the scanner reports an error it meets before it,
// and only when the scanner asks for more does the source fail with the UTF-8 error. So the error reported
// is the first one of the document, whichever kind it is.

#include "PropertyListError.h"

#include <QByteArray>
#include <QtGlobal>
#include <cstddef>

namespace plist_detail {

class Source
{
public:
    virtual ~Source() = default;
    const char *data = nullptr;
    std::size_t size = 0;
    bool failed = false;
    Failure failure; // when `failed`

    // Drops the bytes before `keep` and appends more input. False at the end of the input or on failure
    // (`failed` is set). Called once per refill, never per item.
    virtual bool more(std::size_t keep) = 0;

    // The offset in the input of a byte of the window, and of the end of the window.
    quint64 offsetOf(const char *p) const { return m_base + quint64(p - data); }
    quint64 endOffset() const { return m_base + size; }

    // The 1-based line of an offset in the input; only asked once reading has failed.
    virtual qint64 lineAt(quint64 offset) = 0;

protected:
    void fail(ParseError e, quint64 offset)
    {
        failed = true;
        failure = Failure { e, offset };
    }

    quint64 m_base = 0; // the offset of data[0]
};

// Counts the line ends of a text fed in pieces: LF, CR LF and a lone CR each end one line.
class LineCounter
{
public:
    void feed(const char *p, std::size_t n);
    qint64 line() const { return m_ends + 1; }

private:
    qint64 m_ends = 0;
    bool m_afterCr = false;
};

class MemorySource final : public Source
{
public:
    // The bytes [p, p + n), of which the first `valid` are well-formed UTF-8.
    MemorySource(const char *p, std::size_t n, std::size_t valid)
        : m_size(n)
    {
        data = p;
        size = valid;
    }
    bool more(std::size_t) override;
    qint64 lineAt(quint64 offset) override;

private:
    std::size_t m_size;
};

class FileSource final : public Source
{
public:
    static constexpr std::size_t kChunk = std::size_t(256) << 10;

    explicit FileSource(int fd)
        : m_fd(fd)
    {
    }
    ~FileSource() override;

    // Reads the first chunk without validating it: its encoding is not known yet.
    bool start();
    // The first chunk turned out to be UTF-8: skip the byte order mark, validate, go on streaming.
    void beginUtf8(std::size_t bom);
    // The whole of the rest of the input, after what was read already.
    bool slurp(QByteArray &all);

    const char *buffer() const { return m_buffer; }
    std::size_t bufferSize() const { return m_size; }

    bool more(std::size_t keep) override;
    // Reads the file again up to `offset`: the bytes before the window are gone.
    qint64 lineAt(quint64 offset) override;

private:
    void validate();
    bool readSome();

    int m_fd;
    char *m_buffer = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_validated = 0; // the window: m_buffer[0, m_validated)
    bool m_bad = false; // a malformed sequence starts at m_validated
    bool m_eof = false;
};

} // namespace plist_detail
