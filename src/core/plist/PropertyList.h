#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <memory>

class PropertyListDocument;

// A read-only view of one value of a property list read by readPropertyList().
//
// A PlistValue is a small handle (document pointer plus node index); copying it is cheap. It stays valid as
// long as the PropertyList it came from is alive. A default-constructed or missing value is "none": every
// accessor on it answers the empty result (no entries, empty text, 0).
class PlistValue
{
public:
    enum class Type { None, Dict, Array, String, Integer, Real, Date, Data, Boolean };

    PlistValue() = default;

    Type type() const;
    bool isNone() const { return type() == Type::None; }
    bool isDict() const { return type() == Type::Dict; }
    bool isArray() const { return type() == Type::Array; }
    bool isString() const { return type() == Type::String; }
    bool isInteger() const { return type() == Type::Integer; }

    // Dictionaries and arrays: the number of entries; 0 for every other type.
    qsizetype count() const;

    // Dictionary lookup by exact key; a key given twice in one dict resolves to the last one.
    // Missing key, or not a dictionary: none.
    PlistValue value(QStringView key) const;
    PlistValue value(QLatin1StringView key) const;

    // Dictionary entries in document order (duplicates included), and array elements.
    QString keyAt(qsizetype i) const;
    PlistValue valueAt(qsizetype i) const;

    // A string value as text, with references and entities decoded; the empty text for every other type.
    QString toString() const;

    // An integer value saturated to the 32-bit signed range; 0 for every other type.
    int intValue() const;
    // An integer value as 64-bit; 0 for every other type.
    qint64 int64Value() const;
    // An integer value as its full decimal text ("-12", "3000000000"); the empty text for every other type.
    // The text is normalised: no "+", no leading zeros ("007" gives "7"), so it matches the "Tracks" keys.
    // An <integer> whose text is not a decimal number within the 64-bit range reads as none.
    QString stringValue() const;

    // <true/>: true; an integer: whether it is not 0; false for every other type.
    bool boolValue() const;

private:
    friend class PropertyListDocument;
    PlistValue(const PropertyListDocument *doc, quint32 node)
        : m_doc(doc)
        , m_node(node)
    {
    }

    const PropertyListDocument *m_doc = nullptr;
    quint32 m_node = 0;
};

// A whole property list document; its root is always a dictionary.
class PropertyList
{
public:
    PlistValue root() const;

    ~PropertyList();
    PropertyList(const PropertyList &) = delete;
    PropertyList &operator=(const PropertyList &) = delete;

    explicit PropertyList(std::unique_ptr<PropertyListDocument> doc);

private:
    std::unique_ptr<PropertyListDocument> m_doc;
};

// Why a property list could not be read.
struct PropertyListError
{
    qint64 line = 0; // 1-based line of the first error; 0 when the file could not be opened or read at all
    QString reason; // a short English reason, such as "a key without its value"

    // "line 1,204: a key without its value", or the reason alone when there is no line.
    QString toString() const;
};

// Reads the XML property list at `path`. Answers nothing when the file cannot be read, is not a well-formed
// XML property list, or its root is not a dictionary; then `error`, when given, says why and where.
// Never opens any file or address but `path`.
std::shared_ptr<const PropertyList> readPropertyList(const QString &path);
std::shared_ptr<const PropertyList> readPropertyList(const QString &path, PropertyListError *error);

// The same, from bytes in memory (tests and the fuzz target).
std::shared_ptr<const PropertyList> readPropertyListFromData(const QByteArray &data);
std::shared_ptr<const PropertyList> readPropertyListFromData(const QByteArray &data, PropertyListError *error);
