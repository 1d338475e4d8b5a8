#pragma once

// Why the reader gave up, and where. While reading, a failure is only a kind and a byte offset into the
// (UTF-8) input: the line and the English text are worked out once, after the reader has given up, so that
// a well-formed file costs nothing for them.

#include <QtGlobal>

namespace plist_detail {

enum class ParseError : quint8 {
    None,
    // The input itself
    CannotOpen,
    NotAFile,
    ReadFailed,
    TooLarge,
    BadUtf8,
    BadUtf16,
    Truncated,
    // XML
    TextOutsideValue,
    MisplacedMarkup,
    BadComment,
    BadPi,
    MisplacedXmlDeclaration,
    BadXmlDeclaration,
    WrongEncoding,
    SecondDoctype,
    DoctypeAfterRoot,
    BadDoctype,
    BadTag,
    BadAttribute,
    BadCharacterReference,
    ForbiddenCharacter,
    BareAmpersand,
    UndeclaredEntity,
    UnknownElement,
    SecondRoot,
    ElementInValue,
    CdataEndInText,
    MismatchedEndTag,
    BadEndTag,
    StrayEndTag,
    Unclosed,
    // The property list
    BooleanWithContent,
    KeyOutsideDict,
    KeyWithoutValue,
    ValueWithoutKey,
    SecondValue,
    NestedPlist,
    NoValue,
    RootNotDict,
};

// A short English reason, to follow "line N: ".
const char *describe(ParseError e);

// Failures that have no place in the document (the file could not be opened or read): no line.
inline bool hasLine(ParseError e)
{
    return e != ParseError::CannotOpen && e != ParseError::NotAFile && e != ParseError::ReadFailed;
}

struct Failure
{
    ParseError kind = ParseError::None;
    quint64 offset = 0; // into the UTF-8 text the scanner reads
};

} // namespace plist_detail
