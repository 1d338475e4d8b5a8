#pragma once

// Turns the scanner's tokens into the nodes of a document, with an explicit stack: a library nests only a
// few levels, but fuzzed or hostile input nests deeper than any call stack.

#include "PropertyListDocument.h"
#include "PropertyListError.h"
#include "PropertyListScanner.h"

#include <memory>
#include <vector>

namespace plist_detail {

class PropertyListBuilder
{
public:
    PropertyListBuilder(Source &source, SourceEncoding encoding)
        : m_source(source)
        , m_scanner(source, encoding)
        , m_doc(std::make_unique<PropertyListDocument>())
    {
    }

    // The document, or nothing with failure() saying why.
    std::unique_ptr<PropertyListDocument> run();

    const Failure &failure() const { return m_failure; }

private:
    struct Frame
    {
        quint32 scratchStart;
        quint32 ownKey;
        quint32 pendingKey;
        quint32 lastKey; // the previous key of this dict, for predicting the next one
        Elem elem;
        bool hasValue;
        quint64 start; // the offset of the start tag, for an element that is never closed
    };

    bool startElement(const Token &t);
    bool endElement(const Token &t);
    bool leaf(const Token &t);
    bool key(const Token &t);

    bool beginValue(const Token &t, quint32 *key);
    void place(Node n);
    bool fail(const char *at, ParseError e);
    bool failAt(quint64 offset, ParseError e);

    Source &m_source;
    Scanner m_scanner;
    std::unique_ptr<PropertyListDocument> m_doc;
    Failure m_failure;

    std::vector<Frame> m_frames;
    std::vector<Node> m_scratch; // the entries of the open containers, innermost last
    std::vector<quint32> m_nextKey = std::vector<quint32>(256, 0); // key id -> the key that followed it last
    Node m_rootNode { 0, 0 };
    bool m_hasRoot = false;
    quint64 m_rootStart = 0; // where the root value begins, for a root that is not a dict
};

} // namespace plist_detail
