#include "core/platform/Localization.h"
#include "core/text/kwStringMethods.h"

#include <QLocale>
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every unit key stands for itself, so the expected texts read like the tables users see in English.
class KeysAsTexts : public ::testing::Test
{
protected:
    void SetUp() override { Localization::setTable({}); }
    void TearDown() override { Localization::resetTable(); }
};

QByteArray bytes(std::initializer_list<unsigned char> values)
{
    QByteArray out;
    for (unsigned char v : values)
        out += char(v);
    return out;
}

struct IntCase
{
    qint64 input;
    const char *expected;
};

using FormattingTest = KeysAsTexts;

TEST_F(FormattingTest, TimeAsString)
{
    const IntCase cases[] = {
        { 0, "" },
        { 5, "0:05" },
        { 10, "0:10" },
        { 59, "0:59" },
        { 60, "1:00" },
        { 599, "9:59" },
        { 3599, "59:59" },
        { 3600, "60:00" },
        { 4000, "66:40" },
        { 36000, "600:00" },
        { 61, "1:01" },
        { 69, "1:09" },
        { 70, "1:10" },
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(kwStringMethods::getTimeAsString(int(c.input)), QString::fromUtf8(c.expected));
    }
}

TEST_F(FormattingTest, TimeAsNiceVagueStringTruncatesTenths)
{
    const IntCase cases[] = {
        { 0, "0 seconds" },
        { 1, "1 seconds" },
        { 59, "59 seconds" },
        { 60, "1.0 minutes" },
        { 65, "1.0 minutes" },
        { 66, "1.1 minutes" },
        { 90, "1.5 minutes" },
        { 3599, "59.9 minutes" },
        { 3600, "1.0 hours" },
        { 3660, "1.0 hours" },
        { 5400, "1.5 hours" },
        { 86399, "23.9 hours" },
        { 86400, "1.0 days" },
        { 90000, "1.0 days" },
        { 97200, "1.1 days" },
        { 129600, "1.5 days" },
        { INT_MAX, "24855.1 days" },
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(kwStringMethods::getTimeAsNiceVagueString(int(c.input)), QString::fromUtf8(c.expected));
    }
}

TEST_F(FormattingTest, KilobytesToMBStringTruncatesTenths)
{
    const IntCase cases[] = {
        { 0, "0 K" },
        { 1023, "1023 K" },
        { 1024, "1.0 MB" },
        { 1126, "1.0 MB" },
        { 1127, "1.1 MB" },
        { 1536, "1.5 MB" },
        { 1048575, "1023.9 MB" },
        { 1048576, "1.0 GB" },
        { 1572864, "1.5 GB" },
        { 4294967295, "4095.9 GB" },
    };
    for (const IntCase &c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(kwStringMethods::kilobytesToMBString(quint32(c.input)), QString::fromUtf8(c.expected));
    }
}

TEST_F(FormattingTest, UnitWordsComeFromTheStringTable)
{
    Localization::setTable({ { u"minutes"_s, u"Minuten"_s }, { u"seconds"_s, u"Sekunden"_s }, { u"GB"_s, u"Go"_s } });
    EXPECT_EQ(kwStringMethods::getTimeAsNiceVagueString(90), u"1.5 Minuten"_s);
    EXPECT_EQ(kwStringMethods::getTimeAsNiceVagueString(7), u"7 Sekunden"_s);
    EXPECT_EQ(kwStringMethods::kilobytesToMBString(1572864), u"1.5 Go"_s);
    // A key the table does not hold still stands for itself.
    EXPECT_EQ(kwStringMethods::getTimeAsNiceVagueString(5400), u"1.5 hours"_s);
}

TEST_F(FormattingTest, NeverFollowsTheLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(kwStringMethods::getTimeAsNiceVagueString(90), u"1.5 minutes"_s);
    EXPECT_EQ(kwStringMethods::kilobytesToMBString(1536), u"1.5 MB"_s);
    EXPECT_EQ(kwStringMethods::intAsString(1234567), u"1234567"_s);
    QLocale::setDefault(previous);
}

TEST(IntFormattingTest, IntAsStringAndAppendInt)
{
    EXPECT_EQ(kwStringMethods::intAsString(0), u"0"_s);
    EXPECT_EQ(kwStringMethods::intAsString(-3), u"-3"_s);
    EXPECT_EQ(kwStringMethods::intAsString(INT_MIN), u"-2147483648"_s);
    EXPECT_EQ(kwStringMethods::intAsString(INT_MAX), u"2147483647"_s);

    struct Case
    {
        int value;
        bool printZero;
        const char *expected;
    };
    const Case cases[] = {
        { 0, false, "x" },
        { 0, true, "x0" },
        { -3, false, "x-3" },
        { -3, true, "x-3" },
        { 42, false, "x42" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " printZero " << c.printZero);
        QString text = u"x"_s;
        kwStringMethods::appendInt(c.value, text, c.printZero);
        EXPECT_EQ(text, QString::fromUtf8(c.expected));
    }
}

// The appenders write after what the text holds already, in the same form as the functions that return texts.
TEST(IntFormattingTest, AppendDecimalAndAppendTime)
{
    const IntCase decimals[] = {
        { 0, "x0" },
        { 7, "x7" },
        { -3, "x-3" },
        { 1234567, "x1234567" },
        { INT64_MAX, "x9223372036854775807" },
        { INT64_MIN, "x-9223372036854775808" },
    };
    for (const IntCase &c : decimals) {
        SCOPED_TRACE(c.input);
        QString text = u"x"_s;
        kwStringMethods::appendDecimal(c.input, text);
        EXPECT_EQ(text, QString::fromUtf8(c.expected));
    }

    for (const int seconds : { 0, 9, 61, 4000, -61, INT_MAX, INT_MIN }) {
        SCOPED_TRACE(seconds);
        QString text = u"x"_s;
        kwStringMethods::appendTime(seconds, text);
        EXPECT_EQ(text, u"x"_s + kwStringMethods::getTimeAsString(seconds));
    }
}

TEST(ReplaceStringTest, ReplacesInPlaceWithoutRescanning)
{
    struct Case
    {
        const char *find, *text, *with, *expected;
    };
    const Case cases[] = {
        { "/", "AC/DC/Live", "-", "AC-DC-Live" }, { "//", "///", "/", "//" }, // replaced text is not searched again
        { "//", "a////b", "/", "a//b" }, { "&", "R&B & Soul", "&amp;", "R&amp;B &amp; Soul" },
        { "x", "no match here", "y", "no match here" }, { "a", "Aa", "b", "Ab" }, // letter case counts
        { "", "abc", "-", "abc" }, // nothing to find: unchanged
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QString text = QString::fromUtf8(c.text);
        QString &result = kwStringMethods::replaceString(QString::fromUtf8(c.find), text, QString::fromUtf8(c.with));
        EXPECT_EQ(&result, &text);
        EXPECT_EQ(text, QString::fromUtf8(c.expected));
    }
}

TEST(WithoutLineBreaksTest, EachCRAndEachLFBecomesOneSpace)
{
    struct Case
    {
        QString input, expected;
    };
    const Case cases[] = {
        { u"line one\nline two"_s, u"line one line two"_s },
        { u"a\r\nb"_s, u"a  b"_s }, // a CR LF pair is two characters, so two spaces
        { u"\r"_s, u" "_s },
        { u"\n\n"_s, u"  "_s },
        { u"tab\tquote\"bar|star*"_s, u"tab\tquote\"bar|star*"_s }, // nothing else changes
        { u"para\u2029line\u2028next\u0085"_s, u"para\u2029line\u2028next\u0085"_s },
        { QString(), QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        EXPECT_EQ(kwStringMethods::withoutLineBreaks(c.input), c.expected);
    }
}

TEST(EncodingTest, UTF8)
{
    EXPECT_EQ(kwStringMethods::convertToUTF8(u"\u00f6"_s), bytes({ 0xC3, 0xB6 }));
    EXPECT_EQ(kwStringMethods::convertToUTF8(u"a\u20ac\U0001F600"_s),
        bytes({ 'a', 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80 }));
    EXPECT_EQ(kwStringMethods::convertToUTF8(QString()), QByteArray());
}

TEST(EncodingTest, Latin1PassesItsRangeAndSubstitutesTheRest)
{
    QString all;
    QByteArray allBytes;
    for (int c = 0; c <= 0xFF; ++c) {
        all += QChar(char16_t(c));
        allBytes += char(c);
    }
    EXPECT_EQ(kwStringMethods::convertToLatin1(all), allBytes);

    EXPECT_EQ(kwStringMethods::convertToLatin1(u"\u00f6"_s), bytes({ 0xF6 }));
    EXPECT_EQ(kwStringMethods::convertToLatin1(u"5\u20ac"_s), QByteArray("5?"));
    // A character beyond the Basic Multilingual Plane is one character, so one substitute.
    EXPECT_EQ(kwStringMethods::convertToLatin1(u"a\U0001F600b"_s), QByteArray("a?b"));
    const QChar loneHigh(char16_t(0xD83D));
    EXPECT_EQ(kwStringMethods::convertToLatin1(u"a"_s + loneHigh + u"b"_s), QByteArray("a?b"));
    EXPECT_EQ(kwStringMethods::convertToLatin1(QString(loneHigh)), QByteArray("?"));
}

TEST(EncodingTest, EscapedASCII)
{
    struct Case
    {
        QString input;
        QByteArray expected;
    };
    const Case cases[] = {
        { u"a\\b"_s, QByteArray("a\\\\b") }, { u"\u00f6"_s, QByteArray("\\366") },
        { u"\u00e9t\u00e9"_s, QByteArray("\\351t\\351") }, { u"\u0080\u00ff"_s, QByteArray("\\200\\377") },
        { u"\u007f\t\n"_s, QByteArray("\x7f\t\n") }, { u"\u20ac"_s, QByteArray("\\u20ac") },
        { u"\u0100\uABCD"_s, QByteArray("\\u0100\\uabcd") },
        { u"\U0001F600"_s, QByteArray("\\ud83d\\ude00") }, // one escape per surrogate half
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(kwStringMethods::convertToASCII(c.input), c.expected);
    }
    QString ascii;
    for (char16_t c = 0; c < 0x80; ++c) {
        if (c != u'\\')
            ascii += QChar(c);
    }
    EXPECT_EQ(kwStringMethods::convertToASCII(ascii), ascii.toLatin1());
}

} // namespace
