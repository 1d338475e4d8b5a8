#include "core/export/Common.h"
#include "core/platform/Localization.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <climits>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// ---- colours

TEST(ColourTest, ReadsPairsLikeStrtolBase16)
{
    struct Case
    {
        const char *rgb;
        int red, green, blue;
    };
    const Case cases[] = {
        { "e7e7e7", 231, 231, 231 },
        { "FFFFFF", 255, 255, 255 },
        { "000000", 0, 0, 0 },
        { "7f0aA0", 127, 10, 160 },
        { "g11gzz", 0, 1, 0 }, // reading stops at the first non-digit; no digit gives 0
        { " f+f-1", 15, 15, -1 }, // white space and a sign are taken; no clamping
        { "123456789", 0x12, 0x34, 0x56 }, // characters after the sixth are ignored
        { "ab", 0xab, 0, 0 }, // missing pairs read as 0
        { "abcde", 0xab, 0xcd, 0xe },
        { "", 0, 0, 0 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rgb);
        const RGBColor colour = Common::RGBStringToNSColor(QString::fromUtf8(c.rgb));
        EXPECT_EQ(colour.red, float(c.red) / 255.0f);
        EXPECT_EQ(colour.green, float(c.green) / 255.0f);
        EXPECT_EQ(colour.blue, float(c.blue) / 255.0f);
    }
}

TEST(ColourTest, EveryComponentValueRoundTrips)
{
    for (int v = 0; v < 256; ++v) {
        SCOPED_TRACE(v);
        const QString pair = u"%1"_s.arg(v, 2, 16, QChar(u'0'));
        const QString others[] = { pair + u"0000"_s, u"00"_s + pair + u"00"_s, u"0000"_s + pair };
        for (const QString &rgb : others) {
            EXPECT_EQ(Common::NSColorToRGBString(Common::RGBStringToNSColor(rgb)), rgb);
            EXPECT_EQ(Common::NSColorToRGBString(Common::RGBStringToNSColor(rgb.toUpper())), rgb);
        }
    }
}

TEST(ColourTest, WritesTruncatedLowerCaseDigits)
{
    EXPECT_EQ(Common::NSColorToRGBString(RGBColor { 0.5f, 0.0f, 1.0f }), u"7f00ff"_s); // 127.5 truncates
    EXPECT_EQ(Common::NSColorToRGBString(RGBColor { 0.999f, 0.004f, 0.0039f }), u"fe0100"_s);
    // Components no colour well can hold still give six digits.
    EXPECT_EQ(
        Common::NSColorToRGBString(RGBColor { -0.2f, 1.5f, std::numeric_limits<float>::quiet_NaN() }), u"00ff00"_s);
}

// ---- duplicate removal

class DuplicateRemovalTest : public ::testing::Test
{
protected:
    void SetUp() override { Localization::setTable({}); }

    SongList removeBoth(const SongList &songs, const QStringList &fields)
    {
        env.setFields(fields, {});
        SongList fast = songs;
        SongList pairwise = songs;
        Common::removeDuplicateSongsFromList(fast);
        Common::removeDuplicateSongsPairwise(pairwise);
        EXPECT_EQ(fast, pairwise) << "fields " << fields.join(u',').toStdString();
        return fast;
    }

    CoreEnvironment env;
};

SongPtr song(const QString &name, const QString &artist, int year = 0, int discCount = 0)
{
    Song::Values v;
    v.name = name;
    v.artist = artist;
    v.year = year;
    v.discCount = discCount;
    return makeSong(v);
}

TEST_F(DuplicateRemovalTest, KeepsTheFirstOfEachGroupInPlace)
{
    const SongPtr a = song(u"Intro"_s, u"Band"_s, 1999);
    const SongPtr b = song(u"Outro"_s, u"Band"_s, 1999);
    const SongPtr a2 = song(u"Intro"_s, u"Band"_s, 2004); // differs from a only in a field not exported
    const SongPtr upper = song(u"INTRO"_s, u"Band"_s, 1999);
    const SongPtr d1 = song(u"Intro"_s, u"Band"_s, 1999, 1);
    const SongPtr d2 = song(u"Intro"_s, u"Band"_s, 1999, 2);
    const QStringList nameArtist { u"Name"_s, u"Artist"_s };

    struct Case
    {
        const char *what;
        SongList songs;
        QStringList fields;
        SongList expected;
    };
    const Case cases[] = {
        { "empty list", {}, nameArtist, {} },
        { "one song", { a }, nameArtist, { a } },
        { "A, B, A'", { a, b, a2 }, nameArtist, { a, b } },
        { "three equal in a row", { a, a2, a }, nameArtist, { a } },
        { "same record twice", { b, a, b, a }, nameArtist, { b, a } },
        { "an exported field differs", { a, a2 }, { u"Name"_s, u"Year"_s }, { a, a2 } },
        { "letter case differs", { a, upper }, nameArtist, { a, upper } },
        { "Disc Count compared when listed", { d1, d2, d1 }, { u"Disc Count"_s }, { d1, d2 } },
        { "empty field order keeps only the first", { b, a, upper }, {}, { b } },
        { "a title naming no field removes nothing", { a, a, a2 }, { u"Name"_s, u"Titel"_s }, { a, a, a2 } },
        { "a title in the wrong letter case names no field", { a, a }, { u"name"_s }, { a, a } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(removeBoth(c.songs, c.fields), c.expected);
    }
}

TEST_F(DuplicateRemovalTest, MatchesThePairwiseLoopOnGeneratedLists)
{
    // Small value sets so that duplicates, near-duplicates and case variants are frequent.
    QRandomGenerator random(20240611);
    const QString texts[] = { u""_s, u"a"_s, u"A"_s, u"b"_s, u"\u00e9"_s, u"e\u0301"_s };
    auto pick = [&](int n) { return int(random.bounded(n)); };
    SongList songs;
    for (int i = 0; i < 300; ++i) {
        Song::Values v;
        v.name = texts[pick(6)];
        v.artist = texts[pick(3)];
        v.album = texts[pick(2)];
        v.comments = texts[pick(6)];
        v.kind = texts[pick(2)];
        v.time = pick(3);
        v.rating = pick(6);
        v.year = pick(2) ? 0 : -1;
        v.discNumber = pick(2);
        v.discCount = pick(2);
        v.size = pick(2) ? INT_MIN : INT_MAX;
        songs.append(makeSong(v));
        if (pick(4) == 0)
            songs.append(songs.at(pick(int(songs.size())))); // the same record again
    }
    const QStringList orders[] = {
        { u"Name"_s },
        { u"Name"_s, u"Artist"_s },
        { u"Artist"_s, u"Time"_s, u"Rating"_s },
        { u"Comments"_s, u"Kind"_s, u"Disc Number"_s, u"Disc Count"_s, u"Size"_s, u"Year"_s },
        { u"Album"_s, u"Album"_s },
        { u"Location"_s },
        { u"Name"_s, u"Artist"_s, u"Album"_s, u"Comments"_s, u"Kind"_s, u"Time"_s, u"Rating"_s, u"Year"_s,
            u"Disc Number"_s, u"Disc Count"_s, u"Size"_s },
        { u"Artist"_s, u"Nonsense"_s },
        {},
    };
    for (const QStringList &fields : orders) {
        SCOPED_TRACE(fields.join(u',').toStdString());
        const SongList result = removeBoth(songs, fields);
        EXPECT_LE(result.size(), songs.size());
    }
}

// ---- write-error alert and the export write steps

class WriteStepsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Localization::setTable({ { u"WriteErrorTitle"_s, u"Could not save"_s },
            { u"WriteErrorText"_s, u"The file was not written."_s }, { u"OKButtonText"_s, u"OK"_s } });
    }
    void TearDown() override
    {
        for (const QString &path : std::as_const(m_locked))
            setLocked(path, false);
    }

    void expectOneWriteError()
    {
        EXPECT_EQ(env.interaction().beeps, 1);
        ASSERT_EQ(env.interaction().alerts.size(), 1);
        const ScriptedInteraction::Alert &alert = env.interaction().alerts.first();
        EXPECT_EQ(alert.title, u"Could not save"_s);
        EXPECT_EQ(alert.message, u"The file was not written."_s);
        EXPECT_EQ(alert.defaultButton, u"OK"_s);
        EXPECT_TRUE(alert.alternateButton.isEmpty());
    }
    void expectNoAlert()
    {
        EXPECT_EQ(env.interaction().beeps, 0);
        EXPECT_TRUE(env.interaction().alerts.isEmpty());
    }

    // Makes `path` unwritable for this process. Permission bits do not stop root, the immutable attribute
    // does; answers false when neither is available here.
    bool lock(const QString &path)
    {
        if (!setLocked(path, true))
            return false;
        m_locked.append(path);
        return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
    }

    static bool setLocked(const QString &path, bool locked)
    {
        if (::geteuid() != 0) {
            const QFile::Permissions writable = QFile::WriteOwner | QFile::WriteUser;
            const QFile::Permissions now = QFile::permissions(path);
            return QFile::setPermissions(path, locked ? now & ~writable : now | writable);
        }
        return QProcess::execute(u"chattr"_s, { locked ? u"+i"_s : u"-i"_s, path }) == 0;
    }

    static QStringList entries(const QString &folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    CoreEnvironment env;

private:
    QStringList m_locked;
};

TEST_F(WriteStepsTest, WriteErrorBeepsThenShowsOneAlert)
{
    Common::handleWriteError();
    expectOneWriteError();
}

TEST_F(WriteStepsTest, WritesANewFileInTheChosenEncoding)
{
    const QString text = u"Bj\u00f6rk \u20ac\n"_s;
    struct Case
    {
        Common::Encoding encoding;
        QByteArray expected;
    };
    const Case cases[] = {
        { Common::Encoding::UTF8, QByteArray("Bj\xc3\xb6rk \xe2\x82\xac\n") },
        { Common::Encoding::Latin1, QByteArray("Bj\xf6rk ?\n") },
        { Common::Encoding::ASCII, QByteArray("Bj\\366rk \\u20ac\n") },
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n);
        const QString path = env.path(u"new-%1.txt"_s.arg(n++));
        EXPECT_TRUE(Common::writeExport(text, path, c.encoding));
        EXPECT_EQ(readFileBytes(path), c.expected);
    }
    const QString empty = env.path(u"empty.txt"_s);
    EXPECT_TRUE(Common::writeExport(QString(), empty, Common::Encoding::UTF8));
    EXPECT_TRUE(QFileInfo::exists(empty));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
    expectNoAlert();
}

TEST_F(WriteStepsTest, ReplacesAnExistingWritableFileAtomically)
{
    const QString folder = env.path(u"out"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + u"/list.txt"_s;
    writeFileBytes(target, "old contents\n");
    // A second name for the old file: written in place, it would show the new bytes too; replaced by a new
    // file moved over the target, it keeps the old ones.
    ASSERT_TRUE(::link(QFile::encodeName(target).constData(), QFile::encodeName(folder + u"/old"_s).constData()) == 0);

    EXPECT_TRUE(Common::writeExport(u"new\n"_s, target, Common::Encoding::UTF8));
    EXPECT_EQ(readFileBytes(target), QByteArray("new\n"));
    EXPECT_EQ(readFileBytes(folder + u"/old"_s), QByteArray("old contents\n"));
    EXPECT_EQ(entries(folder), (QStringList { u"list.txt"_s, u"old"_s })); // no temporary file left behind
    expectNoAlert();
}

TEST_F(WriteStepsTest, LeavesAnUnwritableFileUntouched)
{
    const QString target = env.path(u"locked.txt"_s);
    writeFileBytes(target, "keep me\n");
    if (!lock(target))
        GTEST_SKIP() << "cannot make a file unwritable here";

    EXPECT_FALSE(Common::writeExport(u"new\n"_s, target, Common::Encoding::UTF8));
    expectOneWriteError();
    EXPECT_EQ(readFileBytes(target), QByteArray("keep me\n"));
}

TEST_F(WriteStepsTest, AlertsWhenTheFolderCannotTakeTheFile)
{
    // A folder that does not exist: nothing is created on the way.
    const QString missing = env.path(u"no/such/folder/list.txt"_s);
    EXPECT_FALSE(Common::writeExport(u"x\n"_s, missing, Common::Encoding::UTF8));
    expectOneWriteError();
    EXPECT_FALSE(QFileInfo::exists(env.path(u"no"_s)));
}

TEST_F(WriteStepsTest, AlertsWhenTheTargetIsAFolder)
{
    const QString folder = env.path(u"a folder.txt"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/inside"_s));
    EXPECT_FALSE(Common::writeExport(u"x\n"_s, folder, Common::Encoding::UTF8));
    expectOneWriteError();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(entries(folder), QStringList { u"inside"_s });
    EXPECT_EQ(entries(QFileInfo(folder).absolutePath()).filter(u"a folder"_s), QStringList { u"a folder.txt"_s });
}

TEST_F(WriteStepsTest, AlertsInAnUnwritableFolder)
{
    const QString folder = env.path(u"readonly"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    writeFileBytes(folder + u"/list.txt"_s, "old\n");
    if (!lock(folder))
        GTEST_SKIP() << "cannot make a folder unwritable here";

    // A new file, and an existing (itself writable) one that cannot be replaced.
    EXPECT_FALSE(Common::writeExport(u"x\n"_s, folder + u"/new.txt"_s, Common::Encoding::UTF8));
    EXPECT_FALSE(Common::writeExport(u"x\n"_s, folder + u"/list.txt"_s, Common::Encoding::UTF8));
    EXPECT_EQ(env.interaction().beeps, 2);
    EXPECT_EQ(env.interaction().alerts.size(), 2);
    EXPECT_EQ(entries(folder), QStringList { u"list.txt"_s });
    EXPECT_EQ(readFileBytes(folder + u"/list.txt"_s), QByteArray("old\n"));
}

} // namespace
