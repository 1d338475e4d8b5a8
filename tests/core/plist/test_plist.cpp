#include "core/plist/PropertyList.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <optional>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

QByteArray inDict(const QByteArray &body)
{
    return kHeader + "<plist version=\"1.0\">\n<dict>\n" + body + "\n</dict>\n</plist>\n";
}

QString fixture(const char *name)
{
    return QStringLiteral(SETLISTRY_FIXTURES_DIR "/plist/") + QLatin1StringView(name);
}

QByteArray utf16(const QString &text, bool bigEndian)
{
    QByteArray out(bigEndian ? "\xFE\xFF" : "\xFF\xFE", 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    }
    return out;
}

// A canonical text of a value, to compare two readings of one document.
void dump(const PlistValue &v, QString &out)
{
    switch (v.type()) {
    case PlistValue::Type::Dict:
        out += u'{';
        for (qsizetype i = 0; i < v.count(); ++i) {
            out += v.keyAt(i) + u'=';
            dump(v.valueAt(i), out);
            out += u';';
        }
        out += u'}';
        break;
    case PlistValue::Type::Array:
        out += u'[';
        for (qsizetype i = 0; i < v.count(); ++i) {
            dump(v.valueAt(i), out);
            out += u',';
        }
        out += u']';
        break;
    case PlistValue::Type::Integer:
        out += u'i' + v.stringValue();
        break;
    case PlistValue::Type::String:
        out += u'"' + v.toString() + u'"';
        break;
    default:
        out += QString::number(int(v.type()));
        break;
    }
}

QString dump(const std::shared_ptr<const PropertyList> &plist)
{
    QString out;
    if (plist)
        dump(plist->root(), out);
    return out;
}

} // namespace

TEST(PropertyList, ReadsALibraryTheWayTheAccessorsDo)
{
    const auto plist = readPropertyList(fixture("library.xml"));
    ASSERT_TRUE(plist);
    const PlistValue root = plist->root();
    ASSERT_TRUE(root.isDict());
    EXPECT_EQ(root.value(u"Major Version").intValue(), 1);
    EXPECT_TRUE(root.value(u"Show Content Ratings").boolValue());
    EXPECT_EQ(root.value(u"Date").type(), PlistValue::Type::Date);

    const PlistValue tracks = root.value(u"Tracks");
    ASSERT_EQ(tracks.count(), 3);
    EXPECT_EQ(tracks.keyAt(0), u"153"_s);
    EXPECT_EQ(tracks.keyAt(2), u"4294967449"_s);
    const PlistValue bjork = tracks.valueAt(0);
    EXPECT_EQ(bjork.value("Name"_L1).toString(), u"Jóga"_s);
    EXPECT_EQ(bjork.value("Artist"_L1).toString(), u"Björk"_s);
    EXPECT_EQ(bjork.value("Size"_L1).intValue(), INT_MAX); // 3 GiB saturates instead of turning negative
    EXPECT_EQ(bjork.value("Size"_L1).int64Value(), 3221225472LL);
    EXPECT_EQ(bjork.value("Play Date"_L1).stringValue(), u"3295604161"_s);
    EXPECT_TRUE(bjork.value("Composer"_L1).isNone());
    EXPECT_EQ(tracks.value(u"155").value("Artist"_L1).toString(), u"Simon & Garfunkel"_s);
    EXPECT_EQ(tracks.value(u"155").value("Comments"_L1).toString(), u"Vinyl rip <side A>"_s);
    EXPECT_EQ(tracks.value(u"4294967449").value("Name"_L1).toString(), u"東京 🎵"_s);

    const PlistValue playlists = root.value(u"Playlists");
    ASSERT_EQ(playlists.count(), 3);
    EXPECT_EQ(playlists.valueAt(1).value(u"Name").toString(), u"90’s Music"_s);
    EXPECT_EQ(playlists.valueAt(1).value(u"Smart Info").type(), PlistValue::Type::Data);
    EXPECT_TRUE(playlists.valueAt(2).value(u"Playlist Items").isNone());
    // Items find their tracks through the decimal text of the id; a 64-bit id does not wrap onto 153.
    const PlistValue items = playlists.valueAt(0).value(u"Playlist Items");
    ASSERT_EQ(items.count(), 3);
    for (qsizetype i = 0; i < items.count(); ++i) {
        const PlistValue track = tracks.value(items.valueAt(i).value(u"Track ID").stringValue());
        ASSERT_TRUE(track.isDict()) << i;
        EXPECT_EQ(track.value(u"Track ID").stringValue(), tracks.keyAt(i));
    }
}

TEST(PropertyList, ReaderCases)
{
    struct Case
    {
        const char *what;
        QByteArray input;
        std::optional<QString> text; // root "k" as text; nullopt: the file is unreadable
    };
    const QByteArray k = "<key>k</key>";
    const QString utf16Doc = QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<plist version=\"1.0\">"
                                               "<dict><key>k</key><string>Sigur Rós 🎵</string></dict></plist>\n");
    const Case cases[] = {
        // Encodings
        { "utf-8", inDict(k + "<string>Björk</string>"), u"Björk"_s },
        { "utf-8 with bom", "\xEF\xBB\xBF" + inDict(k + "<string>Björk</string>"), u"Björk"_s },
        { "no declaration", "<plist><dict>" + k + "<string>x</string></dict></plist>", u"x"_s },
        { "bare dict root", "<dict>" + k + "<string>x</string></dict>", u"x"_s },
        { "utf-16le", utf16(utf16Doc, false), u"Sigur Rós 🎵"_s },
        { "utf-16be", utf16(utf16Doc, true), u"Sigur Rós 🎵"_s },
        { "utf-16 unpaired surrogate", utf16(utf16Doc, false).replace("\xb5\xdf", 2, "A\x00", 2), std::nullopt },
        { "utf-16 declared, no bom", utf16Doc.toUtf8(), std::nullopt },
        { "iso-8859-1 declared",
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><dict>" + k
                + "<string>Caf\xE9 \xA9</string></dict></plist>",
            u"Café ©"_s },
        { "bad utf-8 byte", inDict(k + "<string>Bj\xF6rk</string>"), std::nullopt },
        { "overlong utf-8", inDict(k + "<string>\xC0\xAF</string>"), std::nullopt },
        { "encoded surrogate", inDict(k + "<string>\xED\xA0\x80</string>"), std::nullopt },
        { "bad byte in a comment", inDict("<!-- \xFF -->" + k + "<string>x</string>"), std::nullopt },
        { "other declared encoding",
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><plist><dict>" + k + "<string>x</string></dict></plist>",
            std::nullopt },
        { "bom contradicts declaration",
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><plist><dict></dict></plist>", std::nullopt },
        { "declaration not first", " <?xml version=\"1.0\"?><plist><dict/></plist>", std::nullopt },
        { "declaration without version", "<?xml encoding=\"UTF-8\"?><plist><dict/></plist>", std::nullopt },
        // References and entities
        { "predefined entities", inDict(k + "<string>&lt;&gt;&amp;&apos;&quot;</string>"), u"<>&'\""_s },
        { "character references", inDict(k + "<string>&#233;&#xe9;&#x1F3B5;&#38;</string>"), u"éé🎵&"_s },
        { "reference to nul", inDict(k + "<string>&#0;</string>"), std::nullopt },
        { "reference to a control", inDict(k + "<string>&#1;</string>"), std::nullopt },
        { "reference to a surrogate", inDict(k + "<string>&#xD800;</string>"), std::nullopt },
        { "reference beyond unicode", inDict(k + "<string>&#x110000;</string>"), std::nullopt },
        { "reference without digits", inDict(k + "<string>&#x;</string>"), std::nullopt },
        { "undeclared entity", inDict(k + "<string>&nbsp;</string>"), std::nullopt },
        { "bare ampersand", inDict(k + "<string>a & b</string>"), std::nullopt },
        { "unterminated reference", inDict(k + "<string>&amp</string>"), std::nullopt },
        { "internal subset skipped",
            "<!DOCTYPE plist [<!ENTITY e \"]>\"><!-- ]> --><?p ]>?>]><plist><dict>" + k
                + "<string>x</string></dict></plist>",
            u"x"_s },
        { "declared entity never expanded",
            "<!DOCTYPE plist [<!ENTITY e \"x\">]><plist><dict>" + k + "<string>&e;</string></dict></plist>",
            std::nullopt },
        { "second doctype", "<!DOCTYPE plist><!DOCTYPE plist><plist><dict/></plist>", std::nullopt },
        { "doctype after the root", "<plist><dict/></plist><!DOCTYPE plist>", std::nullopt },
        // Markup within and between values
        { "cdata", inDict(k + "<string>a<![CDATA[<b>&amp;]]]]><![CDATA[>]]></string>"), u"a<b>&amp;]]>"_s },
        { "comments and pis", inDict("<!--c-->" + k + "<?p x?><string>a<!-- x -->b<?p?>c</string><!---->"), u"abc"_s },
        { "double hyphen in comment", inDict("<!-- a -- b -->" + k + "<string>x</string>"), std::nullopt },
        { "xml pi inside", inDict(k + "<string>a<?xml version=\"1.0\"?></string>"), std::nullopt },
        { "cdata outside a value", inDict("<![CDATA[x]]>" + k + "<string>x</string>"), std::nullopt },
        { "]]> in text", inDict(k + "<string>a]]>b</string>"), std::nullopt },
        { "lone > in text", inDict(k + "<string>a>b]></string>"), u"a>b]>"_s },
        { "line ends", inDict(k + "<string>a\r\nb\rc\nd&#13;e<![CDATA[\r\n]]></string>"), u"a\nb\nc\nd\re\n"_s },
        { "attributes", "<plist version='1.0' x=\"&amp;\"><dict >" + k + "<string >x</string ></dict></plist >",
            u"x"_s },
        { "attribute without quotes", "<plist version=1.0><dict/></plist>", std::nullopt },
        { "entity in key", inDict("<key>&#107;</key><string>x</string>"), u"x"_s },
        { "text starting with U+FEFF", inDict(k + "<string>\xEF\xBB\xBF&#xFEFF;x\xEF\xBB\xBF</string>"),
            u"\uFEFF\uFEFFx\uFEFF"_s },
        // Structure
        { "empty string", inDict(k + "<string/>"), u""_s },
        { "empty string pair", inDict(k + "<string></string>"), u""_s },
        { "empty containers", inDict(k + "<string>x</string><key>a</key><array/><key>d</key><dict/>"), u"x"_s },
        { "true with content", inDict(k + "<true>x</true>"), std::nullopt },
        { "mismatched end tag", inDict(k + "<string>x</strin>"), std::nullopt },
        { "mismatched container end", "<plist><dict>" + k + "<array></dict></array></plist>", std::nullopt },
        { "key without value", inDict(k), std::nullopt },
        { "two keys", inDict(k + k + "<string>x</string>"), std::nullopt },
        { "value without key", inDict("<string>x</string>"), std::nullopt },
        { "key in an array", "<plist><dict>" + k + "<array><key>x</key></array></dict></plist>", std::nullopt },
        { "unknown element", inDict(k + "<strong>x</strong>"), std::nullopt },
        { "element inside a string", inDict(k + "<string>a<b/>c</string>"), std::nullopt },
        { "text between elements", inDict(k + "x<string>x</string>"), std::nullopt },
        { "second root in plist", "<plist><dict/><dict/></plist>", std::nullopt },
        { "second root element", "<plist><dict/></plist><plist><dict/></plist>", std::nullopt },
        { "text after the root", "<plist><dict/></plist>x", std::nullopt },
        { "trailing comment", "<plist><dict/></plist><!-- end -->\n", u""_s },
        { "plist inside a dict", inDict(k + "<plist><dict/></plist>"), std::nullopt },
        { "root not a dict", "<plist><array/></plist>", std::nullopt },
        { "root a string", "<plist><string>x</string></plist>", std::nullopt },
        { "empty plist", "<plist/>", std::nullopt },
        { "empty input", "", std::nullopt },
        { "only a declaration", "<?xml version=\"1.0\"?>", std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto plist = readPropertyListFromData(c.input);
        EXPECT_EQ(bool(plist), c.text.has_value());
        if (plist && c.text) {
            EXPECT_EQ(plist->root().value(u"k").toString(), *c.text);
        }
    }
}

TEST(PropertyList, FailuresTellTheLineAndReasonOfTheFirstError)
{
    struct Case
    {
        const char *what;
        QByteArray input;
        qint64 line;
        const char *reason;
    };
    const Case cases[] = {
        { "two keys", "<plist>\n<dict>\n<key>a</key>\n<key>b</key><string/>\n</dict></plist>", 4,
            "a key without its value" },
        { "key before the end of its dict", "<plist><dict>\n<key>a</key>\n\n</dict></plist>", 4,
            "a key without its value" },
        { "value without key", "<plist><dict>\n<key>a</key><true/>\n<false/>\n</dict></plist>", 3,
            "a value without its key" },
        { "mismatched end tag", "<plist><dict>\n<key>a</key><array>\n</dict>\n</array></dict></plist>", 3,
            "a mismatched end tag" },
        { "lone CR and CR LF end one line each", "<plist>\r\n<dict>\r<key>a</key>\r\n\n<string>&nbsp;</string>", 5,
            "an undeclared entity" },
        { "error inside a long text", "<plist><dict><key>a</key><string>one\ntwo\nthree &#1;</string>", 3,
            "a reference to a character XML does not allow" },
        { "syntax error before a bad byte", "<plist><dict>\n<key>a</key><strong/>\n<key>\xFF</key>", 2,
            "an unknown element" },
        { "bad byte", "<plist><dict>\n<key>a</key>\n<string>Bj\xF6rk</string>", 3, "malformed UTF-8" },
        { "unclosed element", "<plist>\n<dict>\n<key>a</key>\n<array>\n<string/>\n", 4,
            "an element that is never closed" },
        { "truncated in a value", "<plist><dict>\n<key>a</key><string>abc", 2,
            "the document ends in the middle of markup" },
        { "root not a dict", "<?xml version=\"1.0\"?>\n<plist>\n  <array/>\n</plist>\n", 3,
            "the root is not a dictionary" },
        { "second root", "<plist><dict/></plist>\n<plist><dict/></plist>", 2, "a second root element" },
        { "empty input", "", 1, "no value in the document" },
        { "utf-16 unpaired surrogate", utf16(u"<plist><dict>\n<key>\xD800</key></dict></plist>"_s, false), 2,
            "malformed UTF-16" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PropertyListError error;
        EXPECT_FALSE(readPropertyListFromData(c.input, &error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.reason, QString::fromUtf8(c.reason));
    }

    // The file reader drops what it has scanned: the line still counts from the top of the file.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"lines.xml"_s);
    writeFileBytes(path, "<plist><dict>" + QByteArray("\r\n").repeated(300'000) + "<key>a</key></dict></plist>");
    PropertyListError error;
    EXPECT_FALSE(readPropertyList(path, &error));
    EXPECT_EQ(error.toString(), u"line 300,001: a key without its value"_s);
    writeFileBytes(path, "<plist><dict>" + QByteArray(" ").repeated(300'000) + "\n<key>\xC3");
    EXPECT_FALSE(readPropertyList(path, &error));
    EXPECT_EQ(error.toString(), u"line 2: malformed UTF-8"_s);
    EXPECT_FALSE(readPropertyList(dir.filePath(u"missing.xml"_s), &error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.toString(), u"the file cannot be opened"_s);
    EXPECT_FALSE(readPropertyList(dir.path(), &error));
    EXPECT_EQ(error.toString(), u"not a regular file"_s);
}

TEST(PropertyList, Integers)
{
    struct Case
    {
        const char *text;
        bool valid;
        qint64 value;
        int intValue;
        const char *decimal;
    };
    const Case cases[] = {
        { "42", true, 42, 42, "42" },
        { " \n\t-7\r\n ", true, -7, -7, "-7" },
        { "+5", true, 5, 5, "5" },
        { "007", true, 7, 7, "7" },
        { "-0", true, 0, 0, "0" },
        { "&#52;2", true, 42, 42, "42" },
        { "2147483647", true, INT_MAX, INT_MAX, "2147483647" },
        { "2147483648", true, 2147483648LL, INT_MAX, "2147483648" },
        { "-2147483649", true, -2147483649LL, INT_MIN, "-2147483649" },
        { "3221225472", true, 3221225472LL, INT_MAX, "3221225472" },
        { "9223372036854775807", true, LLONG_MAX, INT_MAX, "9223372036854775807" },
        { "-9223372036854775808", true, LLONG_MIN, INT_MIN, "-9223372036854775808" },
        { "9223372036854775808", false, 0, 0, "" },
        { "-9223372036854775809", false, 0, 0, "" },
        { "123456789012345678901234567890", false, 0, 0, "" },
        { "12a", false, 0, 0, "" },
        { "1 2", false, 0, 0, "" },
        { "0x10", false, 0, 0, "" },
        { "1.5", false, 0, 0, "" },
        { "--1", false, 0, 0, "" },
        { "+", false, 0, 0, "" },
        { "", false, 0, 0, "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto plist = readPropertyListFromData(
            inDict(QByteArray("<key>n</key><integer>") + c.text + "</integer><key>e</key><integer/>"));
        ASSERT_TRUE(plist); // a bad number is a missing value, not an unreadable library
        const PlistValue n = plist->root().value(u"n");
        EXPECT_EQ(n.isInteger(), c.valid);
        EXPECT_EQ(n.isNone(), !c.valid);
        EXPECT_EQ(n.int64Value(), c.value);
        EXPECT_EQ(n.intValue(), c.intValue);
        EXPECT_EQ(n.stringValue(), QString::fromLatin1(c.decimal));
        EXPECT_TRUE(plist->root().value(u"e").isNone());
        EXPECT_EQ(plist->root().count(), 2);
    }
}

TEST(PropertyList, TruncatedFilesAreUnreadable)
{
    const QByteArray whole = readFileBytes(fixture("features.xml"));
    const qsizetype complete = whole.lastIndexOf("</plist>") + 8;
    ASSERT_GT(complete, 8);
    for (qsizetype n = 0; n <= whole.size(); ++n) {
        const bool readable = bool(readPropertyListFromData(whole.left(n)));
        ASSERT_EQ(readable, n >= complete) << "prefix of " << n << " bytes";
    }
    // The same through the file reader, whose buffer ends in other places.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"cut.xml"_s);
    for (qsizetype n : { qsizetype(0), qsizetype(1), complete / 2, complete - 1 }) {
        writeFileBytes(path, whole.left(n));
        EXPECT_FALSE(readPropertyList(path)) << n;
    }
}

TEST(PropertyList, DeepNestingDoesNotExhaustTheStack)
{
    constexpr int depth = 1'000'000;
    QByteArray deep = "<plist><dict><key>a</key>";
    deep += QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth);
    deep += "</dict></plist>";
    const auto plist = readPropertyListFromData(deep);
    ASSERT_TRUE(plist);
    PlistValue v = plist->root().value(u"a");
    int levels = 0;
    while (v.isArray()) {
        ++levels;
        v = v.valueAt(0);
    }
    EXPECT_EQ(levels, depth);

    // Unbalanced: unreadable, and no crash either.
    EXPECT_FALSE(readPropertyListFromData("<plist><dict><key>a</key>" + QByteArray("<array>").repeated(depth)));
}

TEST(PropertyList, DuplicateKeysLastWins)
{
    for (const int extra : { 0, 200 }) { // small dicts are scanned, large ones use an index
        SCOPED_TRACE(extra);
        QByteArray body = "<key>dup</key><string>first</string>";
        for (int i = 0; i < extra; ++i)
            body += "<key>k" + QByteArray::number(i) + "</key><integer>" + QByteArray::number(i) + "</integer>";
        body += "<key>dup</key><string>last</string>";
        const auto plist = readPropertyListFromData(inDict(body));
        ASSERT_TRUE(plist);
        const PlistValue root = plist->root();
        EXPECT_EQ(root.value(u"dup").toString(), u"last"_s);
        EXPECT_EQ(root.value("dup"_L1).toString(), u"last"_s);
        ASSERT_EQ(root.count(), extra + 2); // document order, duplicates included
        EXPECT_EQ(root.keyAt(0), u"dup"_s);
        EXPECT_EQ(root.valueAt(0).toString(), u"first"_s);
        for (int i = 0; i < extra; ++i)
            ASSERT_EQ(root.value(QString(u"k"_s + QString::number(i))).intValue(), i);
        EXPECT_TRUE(root.value(QString(u"k"_s + QString::number(extra))).isNone());
        EXPECT_TRUE(root.value(u"Dup").isNone());
    }
}

TEST(PropertyList, KeysMatchExactlyInEveryForm)
{
    const auto plist = readPropertyListFromData(
        inDict("<key>Café</key><integer>1</integer><key>🎵</key><integer>2</integer><key/><integer>3</integer>"
               "<key>a&amp;b</key><integer>4</integer><key>\xEF\xBB\xBF"
               "bom</key><integer>5</integer>"));
    ASSERT_TRUE(plist);
    const PlistValue root = plist->root();
    EXPECT_EQ(root.value(u"Café").intValue(), 1);
    EXPECT_EQ(root.value(QLatin1StringView("Caf\xE9")).intValue(), 1);
    EXPECT_TRUE(root.value(u"Cafe").isNone());
    EXPECT_EQ(root.value(u"🎵").intValue(), 2);
    EXPECT_EQ(root.value(u"").intValue(), 3);
    EXPECT_EQ(root.value(u"a&b").intValue(), 4);
    EXPECT_TRUE(root.value(QStringView(u"\xD83C")).isNone()); // a lone surrogate matches nothing
    EXPECT_EQ(root.keyAt(1), u"🎵"_s);
    EXPECT_EQ(root.keyAt(4), u"\uFEFFbom"_s);
    EXPECT_EQ(root.value(root.keyAt(4)).intValue(), 5);
}

TEST(PropertyList, AccessorsOnOtherTypesAnswerEmpty)
{
    const auto plist = readPropertyList(fixture("features.xml"));
    ASSERT_TRUE(plist);
    const PlistValue root = plist->root();
    EXPECT_EQ(root.value(u"entities").toString(), u"<>&'\" éé🎵"_s);
    EXPECT_EQ(root.value(u"cdata").toString(), u"a<b>&amp;]]>c"_s);
    EXPECT_EQ(root.value(u"comment").toString(), u"abc"_s);
    EXPECT_EQ(root.value(u"dup").toString(), u"last"_s);
    EXPECT_EQ(root.value(u"").stringValue(), u"0"_s);

    const PlistValue none, string = root.value(u"entities"), integer = root.value(u"big"),
                           array = root.value(u"nested"), real = root.value(u"real");
    EXPECT_EQ(integer.int64Value(), LLONG_MAX);
    EXPECT_TRUE(root.value(u"bad").isNone());
    EXPECT_EQ(real.type(), PlistValue::Type::Real);
    EXPECT_EQ(root.value(u"data").type(), PlistValue::Type::Data);
    EXPECT_TRUE(root.value(u"yes").boolValue());
    EXPECT_FALSE(root.value(u"no").boolValue());
    EXPECT_EQ(root.value(u"no").type(), PlistValue::Type::Boolean);
    EXPECT_TRUE(array.valueAt(1).isDict());
    EXPECT_EQ(array.valueAt(2).valueAt(0).toString(), u"deep"_s);

    for (const PlistValue &v : { none, string, integer, real }) {
        EXPECT_EQ(v.count(), 0);
        EXPECT_TRUE(v.value(u"entities").isNone());
        EXPECT_TRUE(v.valueAt(0).isNone());
        EXPECT_TRUE(v.keyAt(0).isEmpty());
    }
    EXPECT_TRUE(integer.toString().isEmpty());
    EXPECT_EQ(string.intValue(), 0);
    EXPECT_TRUE(string.stringValue().isEmpty());
    EXPECT_TRUE(array.value(u"x").isNone());
    EXPECT_TRUE(array.keyAt(0).isEmpty());
    EXPECT_TRUE(array.valueAt(3).isNone());
    EXPECT_TRUE(array.valueAt(-1).isNone());
    EXPECT_TRUE(root.keyAt(root.count()).isEmpty());
    EXPECT_TRUE(none.toString().isEmpty());
    EXPECT_FALSE(none.boolValue());
}

TEST(PropertyList, FilesReadLikeBytes)
{
    QTemporaryDir dir;
    // Larger than the reader's buffer, so that tags, references, multi-byte characters and one text larger
    // than the buffer itself all straddle its ends somewhere.
    QByteArray body;
    for (int i = 0; i < 6000; ++i) {
        body += "<key>" + QByteArray::number(i) + "</key><dict><key>Name</key><string>Mötley Crüe &#38; "
            + QByteArray("é").repeated(i % 7) + "🎵</string><key>Track ID</key><integer>" + QByteArray::number(i)
            + "</integer><!-- " + QByteArray(i % 50, '.') + " --></dict>\r\n";
    }
    body += "<key>long</key><string>" + QByteArray("ü&lt;").repeated(200'000) + "</string>";
    const QByteArray bytes = inDict(body);
    ASSERT_GT(bytes.size(), 1 << 20);
    const QString path = dir.filePath(u"big.xml"_s);
    writeFileBytes(path, bytes);
    const auto fromFile = readPropertyList(path);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->root().count(), 6001);
    EXPECT_EQ(fromFile->root().value(u"long").toString().size(), 400'000);
    EXPECT_EQ(dump(fromFile), dump(readPropertyListFromData(bytes)));

    for (const char *name : { "latin1.xml", "utf16le.xml", "utf16be.xml", "crlf.xml" }) {
        SCOPED_TRACE(name);
        const auto plist = readPropertyList(fixture(name));
        ASSERT_TRUE(plist);
        EXPECT_EQ(dump(plist), dump(readPropertyListFromData(readFileBytes(fixture(name)))));
    }
    EXPECT_EQ(readPropertyList(fixture("latin1.xml"))->root().value(u"Café").toString(), u"naïve ©"_s);
    EXPECT_EQ(readPropertyList(fixture("utf16be.xml"))->root().value(u"Name").toString(), u"Sigur Rós 🎵 ☺"_s);
    EXPECT_EQ(readPropertyList(fixture("crlf.xml"))->root().value(u"lines").toString(), u"a\nb\nc\nd\ref\ng"_s);

    // A malformed byte far into the file, and a multi-byte character cut by the end of the file.
    for (const qsizetype at : { bytes.size() / 2, bytes.size() - 100 }) {
        QByteArray bad = bytes;
        bad[at] = '\xFF';
        writeFileBytes(path, bad);
        EXPECT_FALSE(readPropertyList(path)) << at;
    }
    writeFileBytes(path, inDict("<key>k</key><string>x</string>") + "\xC3");
    EXPECT_FALSE(readPropertyList(path));
    EXPECT_FALSE(readPropertyList(dir.filePath(u"missing.xml"_s)));
    EXPECT_FALSE(readPropertyList(dir.path()));
    EXPECT_FALSE(readPropertyList(QString()));
}

TEST(PropertyList, ReplaysTheFuzzCorpus)
{
    // The reader's fixtures are seeds as well: the corpus holds only what they do not.
    int files = 0;
    for (const char *folder : { SETLISTRY_FIXTURES_DIR "/plist", SETLISTRY_SOURCE_DIR "/fuzz/corpus/plist" }) {
        QDirIterator it(QString::fromUtf8(folder), QDir::Files);
        int inFolder = 0;
        while (it.hasNext()) {
            const QByteArray bytes = readFileBytes(it.next());
            SCOPED_TRACE(it.filePath().toStdString());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++inFolder;
        }
        EXPECT_GT(inFolder, 0) << folder;
        files += inFolder;
    }
    EXPECT_GT(files, 0);
}
