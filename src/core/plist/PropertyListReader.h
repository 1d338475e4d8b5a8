#pragma once

// The reader's entry points: finds the encoding, picks the source, runs the builder, and on failure turns
// the offset of the first error into its line.
//
// Input. A UTF-8 file is read in chunks into one small reused buffer and scanned there; nothing of the file
// is kept but the decoded texts, so memory stays near the size of what the document holds, and a file that
// is changed or truncated while it is read can at worst read as malformed: there is no mapping that could
// fault. UTF-16 and ISO-8859-1 input (rare) is read whole and transcoded to UTF-8 first.

#include "PropertyListDocument.h"
#include "PropertyListError.h"

#include <cstddef>
#include <memory>

namespace plist_detail {

// Parses a file, streaming it through a small buffer when it is UTF-8. `error` may be null.
std::unique_ptr<PropertyListDocument> parseFile(int fd, PropertyListError *error);

// Parses bytes in memory in whatever encoding they declare. `error` may be null.
std::unique_ptr<PropertyListDocument> parseBytes(const char *data, std::size_t size, PropertyListError *error);

// Fills `error` (when not null) for a failure that has no offset in the document.
void report(PropertyListError *error, ParseError e);

} // namespace plist_detail
