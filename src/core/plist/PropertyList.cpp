#include "PropertyList.h"

#include "PropertyListDocument.h"
#include "PropertyListEncoding.h"
#include "PropertyListReader.h"

#include <QFile>
#include <QLocale>
#include <QVarLengthArray>
#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plist_detail;
using namespace Qt::StringLiterals;

namespace {

// Key texts are UTF-8; queries come as UTF-16 or Latin-1 and are converted into a buffer on the stack.
using KeyBuffer = QVarLengthArray<char, 256>;

bool toUtf8(QStringView text, KeyBuffer &out)
{
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    out.reserve(n * 3);
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c < 0x80) {
            out.append(char(c));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return false; // a lone surrogate: no key of a document can hold it
        }
        char buf[4];
        out.append(buf, qsizetype(encodeUtf8(c, buf)));
    }
    return true;
}

// QString::fromUtf8 drops a byte order mark at the start, but here U+FEFF is a character of the text.
QString decode(const char *p, std::size_t n)
{
    static const char bom[] = "\xEF\xBB\xBF";
    if (n < 3 || std::memcmp(p, bom, 3) != 0)
        return QString::fromUtf8(p, qsizetype(n));
    qsizetype marks = 0;
    while (n >= 3 && std::memcmp(p, bom, 3) == 0) {
        ++marks;
        p += 3;
        n -= 3;
    }
    return QString(marks, QChar(0xFEFF)) + QString::fromUtf8(p, qsizetype(n));
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// PlistValue

PlistValue::Type PlistValue::type() const
{
    if (!m_doc)
        return Type::None;
    switch (nodeKind(m_doc->node(m_node))) {
    case KindDict:
        return Type::Dict;
    case KindArray:
        return Type::Array;
    case KindString:
        return Type::String;
    case KindSmallInt:
    case KindBigInt:
        return Type::Integer;
    case KindReal:
        return Type::Real;
    case KindDate:
        return Type::Date;
    case KindData:
        return Type::Data;
    case KindTrue:
    case KindFalse:
        return Type::Boolean;
    default:
        return Type::None;
    }
}

qsizetype PlistValue::count() const
{
    if (!m_doc)
        return 0;
    const Node &n = m_doc->node(m_node);
    const quint32 kind = nodeKind(n);
    if (kind != KindDict && kind != KindArray)
        return 0;
    return qsizetype(m_doc->container(n).count & ~kIndexedFlag);
}

PlistValue PlistValue::value(QStringView key) const
{
    if (!m_doc || nodeKind(m_doc->node(m_node)) != KindDict)
        return {};
    KeyBuffer utf8;
    if (!toUtf8(key, utf8))
        return {};
    const quint32 id = m_doc->findKey(utf8.constData(), std::size_t(utf8.size()));
    if (!id)
        return {};
    const quint32 found = m_doc->lookup(m_doc->node(m_node), id);
    return found == kNoNode ? PlistValue() : PlistValue(m_doc, found);
}

PlistValue PlistValue::value(QLatin1StringView key) const
{
    if (!m_doc || nodeKind(m_doc->node(m_node)) != KindDict)
        return {};
    const char *text = key.data();
    std::size_t size = std::size_t(key.size());
    KeyBuffer utf8;
    if (std::any_of(text, text + size, [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        for (std::size_t i = 0; i < size; ++i) {
            char buf[4];
            utf8.append(buf, qsizetype(encodeUtf8(char32_t(static_cast<unsigned char>(text[i])), buf)));
        }
        text = utf8.constData();
        size = std::size_t(utf8.size());
    }
    const quint32 id = m_doc->findKey(text, size);
    if (!id)
        return {};
    const quint32 found = m_doc->lookup(m_doc->node(m_node), id);
    return found == kNoNode ? PlistValue() : PlistValue(m_doc, found);
}

QString PlistValue::keyAt(qsizetype i) const
{
    if (!m_doc)
        return {};
    const Node &n = m_doc->node(m_node);
    if (nodeKind(n) != KindDict)
        return {};
    const Container &c = m_doc->container(n);
    if (i < 0 || quint64(i) >= (c.count & ~kIndexedFlag))
        return {};
    const char *text;
    std::size_t size;
    m_doc->keyText(nodeKey(m_doc->node(c.first + quint32(i))), &text, &size);
    return decode(text, size);
}

PlistValue PlistValue::valueAt(qsizetype i) const
{
    if (!m_doc)
        return {};
    const Node &n = m_doc->node(m_node);
    const quint32 kind = nodeKind(n);
    if (kind != KindDict && kind != KindArray)
        return {};
    const Container &c = m_doc->container(n);
    if (i < 0 || quint64(i) >= (c.count & ~kIndexedFlag))
        return {};
    return PlistValue(m_doc, c.first + quint32(i));
}

QString PlistValue::toString() const
{
    if (!m_doc)
        return {};
    const Node &n = m_doc->node(m_node);
    if (nodeKind(n) != KindString)
        return {};
    const char *text;
    std::size_t size;
    m_doc->stringText(n, &text, &size);
    return decode(text, size);
}

int PlistValue::intValue() const
{
    const qint64 v = int64Value();
    return int(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

qint64 PlistValue::int64Value() const
{
    if (!m_doc)
        return 0;
    const Node &n = m_doc->node(m_node);
    const quint32 kind = nodeKind(n);
    if (kind != KindSmallInt && kind != KindBigInt)
        return 0;
    return m_doc->integer(n);
}

QString PlistValue::stringValue() const
{
    if (!isInteger())
        return {};
    return QString::number(int64Value());
}

bool PlistValue::boolValue() const
{
    if (!m_doc)
        return false;
    const Node &n = m_doc->node(m_node);
    switch (nodeKind(n)) {
    case KindTrue:
        return true;
    case KindSmallInt:
    case KindBigInt:
        return m_doc->integer(n) != 0;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------------------
// PropertyList

PropertyList::PropertyList(std::unique_ptr<PropertyListDocument> doc)
    : m_doc(std::move(doc))
{
}

PropertyList::~PropertyList() = default;

PlistValue PropertyList::root() const
{
    if (!m_doc)
        return {};
    return m_doc->rootValue();
}

QString PropertyListError::toString() const
{
    if (line <= 0)
        return reason;
    return u"line "_s + QLocale(QLocale::English, QLocale::UnitedStates).toString(line) + u": "_s + reason;
}

std::shared_ptr<const PropertyList> readPropertyList(const QString &path)
{
    return readPropertyList(path, nullptr);
}

std::shared_ptr<const PropertyList> readPropertyList(const QString &path, PropertyListError *error)
{
    if (path.isEmpty()) {
        report(error, ParseError::CannotOpen);
        return nullptr;
    }
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        report(error, ParseError::CannotOpen);
        return nullptr;
    }
    std::unique_ptr<PropertyListDocument> doc;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) // a folder, a device or a pipe is no library
        doc = parseFile(fd, error);
    else
        report(error, ParseError::NotAFile);
    ::close(fd);
    if (!doc)
        return nullptr;
    return std::make_shared<const PropertyList>(std::move(doc));
}

std::shared_ptr<const PropertyList> readPropertyListFromData(const QByteArray &data)
{
    return readPropertyListFromData(data, nullptr);
}

std::shared_ptr<const PropertyList> readPropertyListFromData(const QByteArray &data, PropertyListError *error)
{
    auto doc = parseBytes(data.constData(), std::size_t(data.size()), error);
    if (!doc)
        return nullptr;
    return std::make_shared<const PropertyList>(std::move(doc));
}
