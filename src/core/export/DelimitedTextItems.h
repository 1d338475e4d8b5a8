#pragma once

#include "Common.h"

#include <QLatin1StringView>
#include <QString>
#include <span>

// The encoding and delimiter items of the delimited text export, in the order of the main window's pop-ups.
// The window shows these titles and the export writes what the same item says, so the two cannot disagree.
class DelimitedTextItems
{
public:
    DelimitedTextItems() = delete;

    struct Encoding
    {
        QLatin1StringView title; // stored as is, never localised
        Common::Encoding encoding;
    };
    struct Delimiter
    {
        QLatin1StringView title; // only the index is stored
        QChar character;
        QLatin1StringView extension; // of the written file, without the "."
        // RFC 4180: values quoted where needed, lines ended by CR LF, times as h:mm:ss, no padding. Otherwise
        // every value is flattened onto its line and nothing is quoted.
        bool csv;
    };

    static std::span<const Encoding> encodings();
    static std::span<const Delimiter> delimiters();
    // The stored index of the comma, for the short forms that choose it.
    static constexpr qint64 csvIndex = 3;

    // The item for a stored value. A value the items do not have (written by hand, or by a version that offered
    // more) is the first item, UTF-8 and the tab, so the pop-up shows what the export writes for it.
    static int encodingIndex(const QString &storedTitle);
    static int delimiterIndex(qint64 storedIndex);
    static const Encoding &encodingFor(const QString &storedTitle);
    static const Delimiter &delimiterFor(qint64 storedIndex);
};
