#include "HTMLEscape.h"

#include <algorithm>

using namespace Qt::StringLiterals;

void HTMLEscape::append(QString &out, QStringView value)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QLatin1StringView entity;
        switch (value[i].unicode()) {
        case u'&':
            entity = "&amp;"_L1;
            break;
        case u'<':
            entity = "&lt;"_L1;
            break;
        case u'>':
            entity = "&gt;"_L1;
            break;
        case u'"':
            entity = "&quot;"_L1;
            break;
        default:
            continue;
        }
        out.append(value.mid(start, i - start));
        out.append(entity);
        start = i + 1;
    }
    out.append(value.mid(start));
}

QString HTMLEscape::escaped(const QString &value)
{
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; };
    if (std::none_of(value.cbegin(), value.cend(), special))
        return value;
    QString out;
    out.reserve(value.size() + value.size() / 4 + 8);
    append(out, value);
    return out;
}
