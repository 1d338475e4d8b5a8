#include "PropertyListReader.h"

#include "PropertyListBuilder.h"
#include "PropertyListEncoding.h"
#include "PropertyListSource.h"

#include <QByteArray>

namespace plist_detail {

const char *describe(ParseError e)
{
    switch (e) {
    case ParseError::None:
        return "no error";
    case ParseError::CannotOpen:
        return "the file cannot be opened";
    case ParseError::NotAFile:
        return "not a regular file";
    case ParseError::ReadFailed:
        return "the file could not be read";
    case ParseError::TooLarge:
        return "the document is too large to read";
    case ParseError::BadUtf8:
        return "malformed UTF-8";
    case ParseError::BadUtf16:
        return "malformed UTF-16";
    case ParseError::Truncated:
        return "the document ends in the middle of markup";
    case ParseError::TextOutsideValue:
        return "text outside a value";
    case ParseError::MisplacedMarkup:
        return "a CDATA section or declaration where none may stand";
    case ParseError::BadComment:
        return "\"--\" inside a comment";
    case ParseError::BadPi:
        return "a malformed processing instruction";
    case ParseError::MisplacedXmlDeclaration:
        return "an XML declaration that is not at the start";
    case ParseError::BadXmlDeclaration:
        return "a malformed XML declaration";
    case ParseError::WrongEncoding:
        return "a declared encoding that is not the document's";
    case ParseError::SecondDoctype:
        return "a second DOCTYPE";
    case ParseError::DoctypeAfterRoot:
        return "a DOCTYPE after the root element";
    case ParseError::BadDoctype:
        return "a malformed DOCTYPE";
    case ParseError::BadTag:
        return "a malformed tag";
    case ParseError::BadAttribute:
        return "a malformed attribute";
    case ParseError::BadCharacterReference:
        return "a malformed character reference";
    case ParseError::ForbiddenCharacter:
        return "a reference to a character XML does not allow";
    case ParseError::BareAmpersand:
        return "an \"&\" that starts no reference";
    case ParseError::UndeclaredEntity:
        return "an undeclared entity";
    case ParseError::UnknownElement:
        return "an unknown element";
    case ParseError::SecondRoot:
        return "a second root element";
    case ParseError::ElementInValue:
        return "an element inside a value";
    case ParseError::CdataEndInText:
        return "\"]]>\" in text";
    case ParseError::MismatchedEndTag:
        return "a mismatched end tag";
    case ParseError::BadEndTag:
        return "a malformed end tag";
    case ParseError::StrayEndTag:
        return "an end tag without its start tag";
    case ParseError::Unclosed:
        return "an element that is never closed";
    case ParseError::BooleanWithContent:
        return "text inside <true/> or <false/>";
    case ParseError::KeyOutsideDict:
        return "a key outside a dictionary";
    case ParseError::KeyWithoutValue:
        return "a key without its value";
    case ParseError::ValueWithoutKey:
        return "a value without its key";
    case ParseError::SecondValue:
        return "a second value in <plist>";
    case ParseError::NestedPlist:
        return "a <plist> inside another element";
    case ParseError::NoValue:
        return "no value in the document";
    case ParseError::RootNotDict:
        return "the root is not a dictionary";
    }
    return "malformed";
}

void report(PropertyListError *error, ParseError e)
{
    if (!error)
        return;
    error->line = 0;
    error->reason = QString::fromLatin1(describe(e));
}

namespace {

void report(PropertyListError *error, const Failure &failure, Source &source)
{
    if (!error)
        return;
    report(error, failure.kind);
    if (hasLine(failure.kind))
        error->line = source.lineAt(failure.offset);
}

std::unique_ptr<PropertyListDocument> run(Source &source, SourceEncoding encoding, PropertyListError *error)
{
    PropertyListBuilder builder(source, encoding);
    auto doc = builder.run();
    if (!doc)
        report(error, builder.failure(), source);
    return doc;
}

std::unique_ptr<PropertyListDocument> parseTranscoded(
    const char *p, std::size_t n, SourceEncoding encoding, PropertyListError *error)
{
    QByteArray utf8;
    if (encoding == SourceEncoding::Latin1) {
        latin1ToUtf8(p, n, utf8);
    } else if (!utf16ToUtf8(p, n, encoding == SourceEncoding::Utf16BE, utf8)) {
        // The line of the fault is the line the text decoded before it ends on.
        MemorySource decoded(utf8.constData(), std::size_t(utf8.size()), std::size_t(utf8.size()));
        report(error, Failure { ParseError::BadUtf16, quint64(utf8.size()) }, decoded);
        return nullptr;
    }
    MemorySource source(utf8.constData(), std::size_t(utf8.size()), std::size_t(utf8.size()));
    return run(source, encoding, error);
}

} // namespace

std::unique_ptr<PropertyListDocument> parseBytes(const char *data, std::size_t size, PropertyListError *error)
{
    std::size_t bom;
    const SourceEncoding encoding = sniff(data, size, &bom);
    if (encoding != SourceEncoding::Utf8)
        return parseTranscoded(data + bom, size - bom, encoding, error);
    data += bom;
    size -= bom;
    bool bad = false;
    const std::size_t valid = validateUtf8(reinterpret_cast<const unsigned char *>(data), size, &bad);
    MemorySource source(data, size, valid);
    return run(source, encoding, error);
}

std::unique_ptr<PropertyListDocument> parseFile(int fd, PropertyListError *error)
{
    FileSource source(fd);
    if (!source.start()) {
        report(error, source.failure, source);
        return nullptr;
    }
    std::size_t bom;
    const SourceEncoding encoding = sniff(source.buffer(), source.bufferSize(), &bom);
    if (encoding != SourceEncoding::Utf8) {
        QByteArray all;
        if (!source.slurp(all)) {
            report(error, source.failure, source);
            return nullptr;
        }
        return parseTranscoded(all.constData() + bom, std::size_t(all.size()) - bom, encoding, error);
    }
    source.beginUtf8(bom);
    return run(source, encoding, error);
}

} // namespace plist_detail
