#include "DelimitedTextItems.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<DelimitedTextItems::Encoding, 3> encodingItems { {
    { "UTF-8"_L1, Common::Encoding::UTF8 },
    { "Latin-1 (ISO 8859-1)"_L1, Common::Encoding::Latin1 },
    { "ASCII"_L1, Common::Encoding::ASCII },
} };

constexpr std::array<DelimitedTextItems::Delimiter, 4> delimiterItems { {
    { "Tab"_L1, QChar(u'\t'), "txt"_L1, false },
    { "Vertical bar ( | )"_L1, QChar(u'|'), "txt"_L1, false },
    { "Asterisk ( * )"_L1, QChar(u'*'), "txt"_L1, false },
    { "Comma (CSV)"_L1, QChar(u','), "csv"_L1, true },
} };
static_assert(delimiterItems[DelimitedTextItems::csvIndex].csv);

} // namespace

std::span<const DelimitedTextItems::Encoding> DelimitedTextItems::encodings()
{
    return encodingItems;
}

std::span<const DelimitedTextItems::Delimiter> DelimitedTextItems::delimiters()
{
    return delimiterItems;
}

int DelimitedTextItems::encodingIndex(const QString &storedTitle)
{
    for (size_t i = 0; i < encodingItems.size(); ++i) {
        if (storedTitle == encodingItems[i].title)
            return int(i);
    }
    return 0;
}

int DelimitedTextItems::delimiterIndex(qint64 storedIndex)
{
    return storedIndex >= 0 && storedIndex < qint64(delimiterItems.size()) ? int(storedIndex) : 0;
}

const DelimitedTextItems::Encoding &DelimitedTextItems::encodingFor(const QString &storedTitle)
{
    return encodingItems[size_t(encodingIndex(storedTitle))];
}

const DelimitedTextItems::Delimiter &DelimitedTextItems::delimiterFor(qint64 storedIndex)
{
    return delimiterItems[size_t(delimiterIndex(storedIndex))];
}
