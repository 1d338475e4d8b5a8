// libFuzzer target over the property-list reader. Besides "no crash, no sanitizer report", it checks that
// the accessors agree with one another on whatever document comes out. The same entry point replays the
// seed corpus and the reader's fixtures in the unit tests (tests/core/plist/test_plist.cpp).

#include "core/plist/PropertyList.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void fail(int line)
{
    std::fprintf(stderr, "fuzz_plist.cpp:%d: accessors disagree\n", line);
    std::abort();
}
#define check(ok) ((ok) ? void() : fail(__LINE__))

void walk(PlistValue root)
{
    // Iterative, like the reader: fuzzed input nests deeper than any stack.
    std::vector<PlistValue> pending { root };
    std::size_t budget = 1 << 16;
    while (!pending.empty() && budget--) {
        const PlistValue v = pending.back();
        pending.pop_back();
        const qsizetype n = v.count();
        switch (v.type()) {
        case PlistValue::Type::Dict: {
            QHash<QString, qsizetype> last;
            for (qsizetype i = 0; i < n; ++i) {
                last.insert(v.keyAt(i), i);
                pending.push_back(v.valueAt(i));
            }
            for (auto it = last.cbegin(); it != last.cend(); ++it) {
                // Lookup by key finds the last entry with that key, through either overload.
                const PlistValue byKey = v.value(it.key());
                const PlistValue byIndex = v.valueAt(it.value());
                check(byKey.type() == byIndex.type() && byKey.toString() == byIndex.toString()
                    && byKey.int64Value() == byIndex.int64Value() && byKey.count() == byIndex.count());
                const QByteArray latin1 = it.key().toLatin1();
                if (QString::fromLatin1(latin1) == it.key())
                    check(v.value(QLatin1StringView(latin1)).type() == byIndex.type());
            }
            check(v.keyAt(n).isEmpty() && v.valueAt(n).isNone() && v.valueAt(-1).isNone());
            break;
        }
        case PlistValue::Type::Array:
            for (qsizetype i = 0; i < n; ++i)
                pending.push_back(v.valueAt(i));
            check(v.value(u"x").isNone() && v.keyAt(0).isEmpty());
            break;
        case PlistValue::Type::Integer: {
            const qint64 x = v.int64Value();
            check(v.stringValue() == QString::number(x));
            check(v.intValue() == (x > INT32_MAX ? INT32_MAX : x < INT32_MIN ? INT32_MIN : int(x)));
            check(v.toString().isEmpty() && n == 0);
            break;
        }
        case PlistValue::Type::String:
            check(v.stringValue().isEmpty() && v.intValue() == 0 && n == 0);
            (void)v.toString();
            break;
        default:
            check(v.toString().isEmpty() && v.intValue() == 0 && n == 0);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto plist = readPropertyListFromData(bytes);
    if (plist) {
        check(plist->root().isDict());
        walk(plist->root());
    }
    return 0;
}
