#include "cli/ExportCommand.h"
#include "core/export/PlayerPlaylist.h"
#include "core/html/HTML.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built exporter with HOME and the configuration folder inside the test's temporary folder, and
// `extra` added to its environment.
Result runExporter(
    CoreEnvironment &env, const QStringList &arguments, const QList<std::pair<QString, QString>> &extra = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, env.home());
    environment.insert(u"XDG_CONFIG_HOME"_s, env.path(u"config"_s));
    for (const auto &[name, value] : extra)
        environment.insert(name, value);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(SETLISTRY_EXPORT_BINARY), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
        process.readAllStandardError() };
}

const QString sample = sampleLibraryPath();

// Folders, smart and built-in playlists, names that only case or normalisation tell apart, a 250-byte name.
QString fixture()
{
    return QStringLiteral(SETLISTRY_FIXTURES_DIR) + u"/cli/playlists.xml"_s;
}

QString writeErrorLine()
{
    return Localization::localizedString(u"WriteErrorTitle"_s) + u": "_s
        + Localization::localizedString(u"WriteErrorText"_s) + u"\n"_s;
}

// The exporter's environment for a disk whose fsync() and fdatasync() fail. The sanitizer runtime must
// otherwise be the first library loaded, before the preloaded one.
QList<std::pair<QString, QString>> failingSync()
{
    QString asan = qEnvironmentVariable("ASAN_OPTIONS");
    asan += (asan.isEmpty() ? u""_s : u":"_s) + u"verify_asan_link_order=0"_s;
    return { { u"LD_PRELOAD"_s, QStringLiteral(SYNC_FAILURE_SHIM) }, { u"SETLISTRY_FAIL_SYNC"_s, u"1"_s },
        { u"ASAN_OPTIONS"_s, asan } };
}

} // namespace

TEST(Cli, ListsThePlaylistNamesInLibraryOrder)
{
    CoreEnvironment env;
    const Result r = runExporter(env, { u"--library"_s, sample, u"--list"_s });
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
        u"Library\nRoad Trip\nJazz Favourites\nDownloaded\nTango Night\nRock/Pop\n"
        "Chansons & Cafés\nDownloaded\nEmpty Playlist\n90s\nPaths\n"_s);

    // Without --library the fixed places are searched, never the user asked.
    QDir().mkpath(env.home() + u"/Documents/iTunes"_s);
    QFile::copy(sample, env.home() + u"/Documents/iTunes/iTunes Music Library.xml"_s);
    EXPECT_EQ(runExporter(env, { u"--list"_s }).out, r.out);
    EXPECT_FALSE(QFile::exists(env.path(u"config/Setlistry/settings.json"_s)));
}

TEST(Cli, ListsForScripts)
{
    CoreEnvironment env;
    // A line break inside a name never splits it across lines.
    const Result lines = runExporter(env, { u"--library"_s, fixture(), u"--list"_s });
    ASSERT_EQ(lines.status, 0) << lines.err.toStdString();
    const QStringList names = QString::fromUtf8(lines.out).split(u'\n');
    ASSERT_EQ(names.size(), 11);
    EXPECT_TRUE(names[3] == u"Late  Show"_s || names[3] == u"Late Show"_s) << names[3].toStdString();

    const Result json = runExporter(env, { u"--library"_s, fixture(), u"--list"_s, u"--json"_s });
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonArray array = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(array.size(), 10);
    const auto entry = [](const char *name, const QJsonValue &id, int items, const QJsonValue &parent, bool folder,
                           bool builtIn, bool smart, int index) {
        return QJsonObject { { u"name"_s, QString::fromUtf8(name) }, { u"persistentId"_s, id }, { u"items"_s, items },
            { u"parentPersistentId"_s, parent }, { u"folder"_s, folder }, { u"builtIn"_s, builtIn },
            { u"smart"_s, smart }, { u"index"_s, index } };
    };
    const QJsonValue none = QJsonValue::Null;
    EXPECT_EQ(array[0].toObject(), entry("Library", u"0A00000000000001"_s, 3, none, false, true, false, 0));
    EXPECT_EQ(array[1].toObject(), entry("Music", u"0A00000000000002"_s, 3, none, false, true, false, 1));
    EXPECT_EQ(array[2].toObject(), entry("Gigs", u"0A00000000000003"_s, 0, none, true, false, false, 2));
    const QString lateShow = array[3].toObject().value(u"name"_s).toString();
    EXPECT_TRUE(lateShow == u"Late\r\nShow"_s || lateShow == u"Late\nShow"_s) << "the name exactly";
    EXPECT_EQ(array[3].toObject().value(u"parentPersistentId"_s), QJsonValue(u"0A00000000000003"_s));
    EXPECT_EQ(array[4].toObject(), entry("Favourites", u"0A00000000000005"_s, 1, none, false, false, true, 4));
    EXPECT_EQ(array[5].toObject(), entry("Rock", none, 1, none, false, false, false, 5));

    // Of the sample's two playlists named "Downloaded", the second one by its persistent ID.
    const Result sampleJson = runExporter(env, { u"--library"_s, sample, u"--list"_s, u"--json"_s });
    QStringList downloaded;
    for (const QJsonValue &playlist : QJsonDocument::fromJson(sampleJson.out).array()) {
        if (playlist[u"name"_s] == u"Downloaded"_s)
            downloaded.append(playlist[u"persistentId"_s].toString());
    }
    ASSERT_EQ(downloaded, (QStringList { u"00009A0B00000003"_s, u"00009A0B00000007"_s }));
    const QString out = env.path(u"second.m3u"_s);
    const QStringList byId = { u"--library"_s, sample, u"--format"_s, u"m3u"_s, u"--output"_s, out };
    const Result second = runExporter(env, byId + QStringList { u"--playlist-id"_s, downloaded[1] });
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_TRUE(readFileBytes(out).contains("Hunter"));
    EXPECT_FALSE(readFileBytes(out).contains("Energy Flow"));

    const Result unknown = runExporter(env, byId + QStringList { u"--playlist-id"_s, u"FFFF"_s });
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "setlistry-export: no playlist with the persistent ID \"FFFF\"\n");
    EXPECT_EQ(
        runExporter(env, byId + QStringList { u"--playlist-id"_s, u"FFFF"_s, u"--playlist"_s, u"x"_s }).status, 2);
    EXPECT_EQ(runExporter(env, { u"--library"_s, sample, u"--json"_s }).status, 2);
}

TEST(Cli, ExitStatuses)
{
    CoreEnvironment env;
    const QString out = env.path(u"out.m3u"_s);
    writeFileBytes(env.path(u"broken.xml"_s), "<plist><dict>");
    const struct
    {
        const char *what;
        QStringList arguments;
        int status;
        const char *stderrHas;
    } cases[] = {
        { "nothing to do", {}, 2, "exactly one of" },
        { "two commands", { u"--library"_s, sample, u"--list"_s, u"--all"_s }, 2, "exactly one of" },
        { "unknown option", { u"--frobnicate"_s }, 2, "frobnicate" },
        { "bad format",
            { u"--library"_s, sample, u"--playlist"_s, u"Library"_s, u"--format"_s, u"pdf"_s, u"--output"_s, out }, 2,
            "--format" },
        { "no output", { u"--library"_s, sample, u"--playlist"_s, u"Library"_s, u"--format"_s, u"m3u"_s }, 2,
            "--output" },
        { "unknown key", { u"--library"_s, sample, u"--list"_s, u"--set"_s, u"NoSuchKey=1"_s }, 2, "NoSuchKey" },
        { "missing library file", { u"--library"_s, env.path(u"nope.xml"_s), u"--list"_s }, 2, "no library file" },
        { "no library anywhere", { u"--list"_s }, 2, "no iTunes library found" },
        { "unreadable library", { u"--library"_s, env.path(u"broken.xml"_s), u"--list"_s }, 1, "cannot read" },
        { "unknown playlist",
            { u"--library"_s, sample, u"--playlist"_s, u"library"_s, u"--format"_s, u"m3u"_s, u"--output"_s, out }, 1,
            "no playlist named" },
        { "alert",
            { u"--library"_s, sample, u"--playlist"_s, u"Library"_s, u"--format"_s, u"m3u"_s, u"--output"_s,
                env.path(u"no/such/dir/x.m3u"_s) },
            1, "" },
        { "help", { u"--help"_s }, 0, "" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = runExporter(env, c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.toStdString();
    }

    // An alert is one line "Title: message" in the localised texts.
    const Result alert = runExporter(env, cases[10].arguments);
    EXPECT_EQ(QString::fromUtf8(alert.err),
        Localization::localizedString(u"WriteErrorTitle"_s) + u": "_s
            + Localization::localizedString(u"WriteErrorText"_s) + u"\n"_s);

    const Result ok = runExporter(
        env, { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, u"m3u"_s, u"--output"_s, out });
    EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.isEmpty());
    EXPECT_TRUE(readFileBytes(out).startsWith("#EXTINF:"));
}

TEST(Cli, SettingsAreReadNeverWrittenAndCanBeOverridden)
{
    CoreEnvironment env;
    const QString settings = env.path(u"config/Setlistry/settings.json"_s);
    QDir().mkpath(env.path(u"config/Setlistry"_s));
    const QByteArray stored
        = R"({"FieldOrder": ["Name", "Artist"], "SortOrder": ["Name"], "DelimitedTextPadding": true})";
    writeFileBytes(settings, stored);
    const QString out = env.path(u"d.txt"_s);
    const QStringList base
        = { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, u"txt"_s, u"--output"_s, out };

    ASSERT_EQ(runExporter(env, base).status, 0);
    EXPECT_EQ(
        readFileBytes(out), QByteArray("Energy Flow \t 坂本龍一\nUntitled Demo \t The Garage Band\nVoice Memo \t \n"));

    ASSERT_EQ(runExporter(env,
                  base
                      + QStringList { u"--set"_s, u"DelimitedTextDelimiter=1"_s, u"--set"_s,
                          uR"(FieldOrder=["Time"])"_s, u"--set"_s, u"DelimitedTextPadding=false"_s })
                  .status,
        0);
    EXPECT_EQ(readFileBytes(out), QByteArray("4:21\n0:59\n1:01\n"));
    EXPECT_EQ(readFileBytes(settings), stored);

    // Another settings file in the store's format.
    const QString other = env.path(u"other.json"_s);
    writeFileBytes(other, R"({"FieldOrder": ["Name"], "iTunesOrdering": true})");
    ASSERT_EQ(runExporter(env, base + QStringList { u"--settings"_s, other }).status, 0);
    EXPECT_EQ(readFileBytes(out), QByteArray("Energy Flow\nUntitled Demo\nVoice Memo\n"));
}

TEST(Cli, AllExportsEveryPlaylistUnderSafeNames)
{
    CoreEnvironment env;
    const QString dir = env.path(u"all"_s);
    const Result r
        = runExporter(env, { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"m3u"_s, u"--output-dir"_s, dir });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files,
        (QStringList { u"90s.m3u"_s, u"Chansons & Cafés.m3u"_s, u"Downloaded 2.m3u"_s, u"Downloaded.m3u"_s,
            u"Empty Playlist.m3u"_s, u"Jazz Favourites.m3u"_s, u"Library.m3u"_s, u"Paths.m3u"_s, u"Road Trip.m3u"_s,
            u"Rock-Pop.m3u"_s, u"Tango Night.m3u"_s }));
    // Each entry is itself: the second "Downloaded" has its own songs.
    EXPECT_TRUE(readFileBytes(dir + u"/Downloaded.m3u"_s).contains("Energy Flow"));
    EXPECT_TRUE(readFileBytes(dir + u"/Downloaded 2.m3u"_s).contains("Hunter"));
}

TEST(Cli, FormatCSVIsTheTextExportWithTheComma)
{
    CoreEnvironment env;
    const QString dir = env.path(u"csv"_s);
    const QStringList fields { u"--set"_s, uR"(FieldOrder=["Name","Time"])"_s };
    // The short form wins over a delimiter given with --set, and names the files ".csv".
    const Result all = runExporter(env,
        QStringList { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"csv"_s, u"--output-dir"_s, dir, u"--set"_s,
            u"DelimitedTextDelimiter=1"_s, u"--set"_s, u"DelimitedTextHeaderRow=true"_s }
            + fields);
    ASSERT_EQ(all.status, 0) << all.err.toStdString();
    const QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 11);
    EXPECT_TRUE(std::all_of(files.cbegin(), files.cend(), [](const QString &f) { return f.endsWith(u".csv"_s); }))
        << files.join(u' ').toStdString();
    EXPECT_EQ(readFileBytes(dir + u"/Downloaded.csv"_s),
        QByteArray("Name,Time\r\nEnergy Flow,0:04:21\r\nUntitled Demo,0:00:59\r\nVoice Memo,0:01:01\r\n"));

    // "txt" keeps its output and its name; the stored comma alone makes it CSV, named so.
    const QString txtDir = env.path(u"txt"_s);
    const QStringList txt { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"txt"_s, u"--output-dir"_s, txtDir };
    ASSERT_EQ(runExporter(env, txt + fields).status, 0);
    EXPECT_EQ(readFileBytes(txtDir + u"/Downloaded.txt"_s),
        QByteArray("Energy Flow\t4:21\nUntitled Demo\t0:59\nVoice Memo\t1:01\n"));
    ASSERT_EQ(runExporter(env, txt + fields + QStringList { u"--set"_s, u"DelimitedTextDelimiter=3"_s }).status, 0);
    EXPECT_TRUE(QFileInfo::exists(txtDir + u"/Downloaded.csv"_s));
}

TEST(Cli, SafeFileNames)
{
    const QString longName = QString(300, u'é');
    const struct
    {
        QString name;
        QString file;
    } cases[] = {
        { u"Rock/Pop"_s, u"Rock-Pop.m3u"_s },
        { u"../../etc/passwd"_s, u"_.-..-etc-passwd.m3u"_s },
        { u".hidden"_s, u"_hidden.m3u"_s },
        { QString(u"a\0b"_s), u"ab.m3u"_s },
        { u""_s, u"Untitled.m3u"_s },
        { QString(), u"Untitled 2.m3u"_s },
        // Line breaks and tabs read as spaces; other controls and the bidirectional controls are dropped.
        { u"Late\r\nShow\tTwo\u2028Three"_s, u"Late  Show Two Three.m3u"_s },
        { u"a\u0001\u001f\u007f\u0085b"_s, u"a b.m3u"_s },
        { u"\u202egnp.exe\u202a\u202b\u202c\u202d\u2066\u2067\u2068\u2069"_s, u"gnp.exe.m3u"_s },
        { u"\u202e"_s, u"Untitled 3.m3u"_s },
        // Names that only letter case or normalisation tell apart are the same name.
        { u"Rock"_s, u"Rock.m3u"_s },
        { u"rock"_s, u"rock 2.m3u"_s },
        { u"ROCK 2"_s, u"ROCK 2 2.m3u"_s },
        { u"Caf\u00e9"_s, u"Caf\u00e9.m3u"_s },
        { u"Cafe\u0301"_s, u"Cafe\u0301 2.m3u"_s },
        { u"CAF\u00c9"_s, u"CAF\u00c9 3.m3u"_s },
    };
    QStringList taken;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(ExportCommand::safeFileName(c.name, u"m3u"_s, taken), c.file);
    }
    // Cut to 255 bytes without splitting a character, numbering included.
    const QString cut = ExportCommand::safeFileName(longName, u"html"_s, taken);
    EXPECT_EQ(cut, QString(125, u'é') + u".html"_s);
    const QString cut2 = ExportCommand::safeFileName(longName, u"html"_s, taken);
    EXPECT_LE(cut2.toUtf8().size(), 255);
    EXPECT_TRUE(cut2.endsWith(u" 2.html"_s));
    const QString emoji = ExportCommand::safeFileName(
        QString(70, u'x') + QString(60, QChar(0xD83C)).replace(QString(QChar(0xD83C)), u"\U0001F3B5"_s), u"txt"_s,
        taken);
    EXPECT_LE(emoji.toUtf8().size(), 255);
    EXPECT_FALSE(emoji.toUtf8().contains('?'));
    EXPECT_TRUE(QString::fromUtf8(emoji.toUtf8()) == emoji);

    // A page set's name leaves room for the number of its last page, whatever the extension.
    for (const QString &extension : { u"html"_s, u"htm"_s, u"playlist"_s }) {
        for (const QString &name : { QString(250, u'x'), QString(300, u'\u00e9'), QString(100, u'\u6771') }) {
            SCOPED_TRACE(QString(extension + u' ' + name.left(1)).toStdString());
            QStringList names;
            for (int k = 0; k < 3; ++k) {
                const QString safe = ExportCommand::safeFileName(name, extension, names, true);
                const QString last = HTML::pagePaths(safe, HTML::maxPageFiles).constLast();
                EXPECT_LE(last.toUtf8().size(), 255);
                EXPECT_GE(last.toUtf8().size(), 252) << "cut no more than needed";
                EXPECT_EQ(QString::fromUtf8(safe.toUtf8()), safe);
            }
        }
    }
}

TEST(Cli, AllWritesEveryPageOfALongName)
{
    CoreEnvironment env;
    const QString dir = env.path(u"all"_s);
    const Result r = runExporter(env,
        { u"--library"_s, fixture(), u"--all"_s, u"--format"_s, u"html"_s, u"--output-dir"_s, dir, u"--set"_s,
            u"HTMLMaxSongsPerFile=1"_s });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QString stem = QString(248, u'x');
    EXPECT_EQ(QDir(dir + u'/' + stem).entryList(QDir::Files, QDir::Name),
        (QStringList { stem + u".html"_s, stem + u"2.html"_s, stem + u"3.html"_s }));
    // Case and normalisation twins get their own page sets.
    EXPECT_TRUE(QFileInfo::exists(dir + u"/rock 2/rock 2.html"_s));
    EXPECT_TRUE(QFileInfo::exists(dir + u"/Cafe\u0301 2/Cafe\u0301 2.html"_s));
}

TEST(Cli, AllStopsAtTheFirstPlaylistThatIsNotWritten)
{
    CoreEnvironment env;
    const QString dir = env.path(u"all"_s);
    // A folder where the second playlist's file goes: root may write anywhere, but no file replaces a folder.
    ASSERT_TRUE(QDir().mkpath(dir + u"/Road Trip.m3u"_s));
    const Result r
        = runExporter(env, { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"m3u"_s, u"--output-dir"_s, dir });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(QString::fromUtf8(r.err),
        Localization::localizedString(u"WriteErrorTitle"_s) + u": "_s
            + Localization::localizedString(u"WriteErrorText"_s)
            + u"\nsetlistry-export: \"Road Trip\" was not written\n"_s);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files, QDir::Name), QStringList { u"Library.m3u"_s })
        << "the playlists after the failed one are not written";

    // A page set's folder that cannot be made is the same failure.
    const QString htmlDir = env.path(u"html"_s);
    ASSERT_TRUE(QDir().mkpath(htmlDir));
    writeFileBytes(htmlDir + u"/Library"_s, "a file where the first playlist's folder goes");
    const Result html = runExporter(
        env, { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"html"_s, u"--output-dir"_s, htmlDir });
    EXPECT_EQ(html.status, 1);
    EXPECT_EQ(QString::fromUtf8(html.err),
        u"setlistry-export: cannot make the folder "_s + htmlDir
            + u"/Library\nsetlistry-export: \"Library\" was not written\n"_s);
    EXPECT_EQ(QDir(htmlDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
}

TEST(Cli, SetChecksTheKindOfTheValue)
{
    const auto key = [](const char *storedKey) { return *Preferences::findKey(QLatin1StringView(storedKey)); };
    const struct
    {
        const char *key;
        QString text;
        std::optional<QVariant> stored;
    } cases[] = {
        // Text settings keep the text as typed, numbers included; a quoted JSON string is unwrapped.
        { "HTMLOddColor", u"123456"_s, QVariant(u"123456"_s) },
        { "HTMLOddColor", u"123e45"_s, QVariant(u"123e45"_s) },
        { "HTMLHeader", u"42"_s, QVariant(u"42"_s) },
        { "HTMLHeader", u"1.50"_s, QVariant(u"1.50"_s) },
        { "HTMLHeader", u"true"_s, QVariant(u"true"_s) },
        { "HTMLHeader", u"<b>Mix</b>"_s, QVariant(u"<b>Mix</b>"_s) },
        { "HTMLHeader", uR"("quoted")"_s, QVariant(u"quoted"_s) },
        { "HTMLHeader", u""_s, QVariant(u""_s) },
        { "HTMLHeader", uR"(["a"])"_s, std::nullopt },
        { "HTMLMaxSongsPerFile", u"10"_s, QVariant(qint64(10)) },
        { "HTMLFontSize", u"-1"_s, QVariant(qint64(-1)) },
        { "DelimitedTextDelimiter", u"1"_s, QVariant(qint64(1)) },
        { "HTMLMaxSongsPerFile", u"ten"_s, std::nullopt },
        { "HTMLMaxSongsPerFile", u"2.5"_s, std::nullopt },
        { "HTMLMaxSongsPerFile", uR"("10")"_s, std::nullopt },
        { "HTMLMaxSongsPerFile", u"true"_s, std::nullopt },
        { "DelimitedTextPadding", u"false"_s, QVariant(false) },
        { "DelimitedTextHeaderRow", u"true"_s, QVariant(true) },
        { "DelimitedTextHeaderRow", u"1"_s, std::nullopt },
        { "DelimitedTextDelimiter", u"3"_s, QVariant(qint64(3)) },
        { "HTMLUseStars", u"true"_s, QVariant(true) },
        { "HTMLUseStars", u"1"_s, std::nullopt },
        { "HTMLUseStars", u"yes"_s, std::nullopt },
        { "FieldOrder", uR"(["Name","Artist"])"_s, QVariant(QStringList { u"Name"_s, u"Artist"_s }) },
        { "FieldOrder", u"[]"_s, QVariant(QStringList()) },
        { "FieldOrder", u"Name"_s, std::nullopt },
        { "FieldOrder", uR"(["Name",3])"_s, std::nullopt },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.text.toStdString());
        const std::optional<QVariant> stored = ExportCommand::settingValue(key(c.key), c.text);
        ASSERT_EQ(stored.has_value(), c.stored.has_value());
        if (stored) {
            EXPECT_EQ(stored->typeId(), c.stored->typeId());
            EXPECT_EQ(*stored, *c.stored);
        }
    }

    CoreEnvironment env;
    const struct
    {
        const char *assignment;
        const char *message;
    } refused[] = {
        { "HTMLMaxSongsPerFile=ten", "setlistry-export: --set HTMLMaxSongsPerFile wants an integer\n" },
        { "HTMLUseStars=1", "setlistry-export: --set HTMLUseStars wants true or false\n" },
        { "HTMLHeader=[]", "setlistry-export: --set HTMLHeader wants a string\n" },
        { "SortOrder=Name", "setlistry-export: --set SortOrder wants a JSON array of strings\n" },
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.assignment);
        const Result r
            = runExporter(env, { u"--library"_s, sample, u"--list"_s, u"--set"_s, QString::fromUtf8(c.assignment) });
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, QByteArray(c.message));
        EXPECT_TRUE(r.out.isEmpty());
    }

    // A text setting given a number still exports the number as its text.
    const QString out = env.path(u"h.html"_s);
    ASSERT_EQ(runExporter(env,
                  { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, u"html"_s, u"--output"_s,
                      out, u"--set"_s, u"HTMLHeader=4242"_s, u"--set"_s, u"HTMLOddColor=123456"_s })
                  .status,
        0);
    const QByteArray page = readFileBytes(out);
    EXPECT_TRUE(page.contains("4242</td></tr>"));
    EXPECT_TRUE(page.contains("123456}\n.nonalt"));
}

TEST(Cli, AWriteErrorReportedOnlyAtSyncIsAWriteError)
{
    CoreEnvironment env;
    for (const QString &format : { u"txt"_s, u"m3u"_s, u"playlist"_s, u"html"_s }) {
        SCOPED_TRACE(format.toStdString());
        const QString dir = env.path(format);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QString out = dir + u"/out."_s + format;
        const QByteArray earlier = "the earlier export\n";
        writeFileBytes(out, earlier);
        const QStringList arguments
            = { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, format, u"--output"_s, out };

        const Result r = runExporter(env, arguments, failingSync());
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(QString::fromUtf8(r.err), writeErrorLine());
        EXPECT_EQ(readFileBytes(out), earlier);
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList { u"out."_s + format }) << "no temporary file left";

        // The same run on a sound disk replaces the file.
        const Result ok = runExporter(env, arguments);
        EXPECT_EQ(ok.status, 0) << ok.err.toStdString();
        EXPECT_NE(readFileBytes(out), earlier);
    }
}

TEST(Cli, SymbolicLinksDoNotLeadWritesOutOfTheFolder)
{
    CoreEnvironment env;
    const QString outside = env.path(u"outside"_s);
    ASSERT_TRUE(QDir().mkpath(outside + u"/folder"_s));
    writeFileBytes(outside + u"/target.m3u"_s, "keep");
    writeFileBytes(outside + u"/page.html"_s, "keep");
    const auto isFile = [](const QString &path) { return QFileInfo(path).isFile() && !QFileInfo(path).isSymLink(); };

    // --all: a link, live or dangling, where a file goes is replaced by the file.
    const QString dir = env.path(u"all"_s);
    ASSERT_TRUE(QDir().mkpath(dir));
    ASSERT_TRUE(QFile::link(outside + u"/target.m3u"_s, dir + u"/Library.m3u"_s));
    ASSERT_TRUE(QFile::link(outside + u"/ghost.m3u"_s, dir + u"/Road Trip.m3u"_s));
    Result r
        = runExporter(env, { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"m3u"_s, u"--output-dir"_s, dir });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(isFile(dir + u"/Library.m3u"_s));
    EXPECT_TRUE(isFile(dir + u"/Road Trip.m3u"_s));
    EXPECT_EQ(readFileBytes(outside + u"/target.m3u"_s), "keep");
    EXPECT_FALSE(QFileInfo::exists(outside + u"/ghost.m3u"_s));

    // --all of page sets: a link in place of a page set's folder gives way to a real folder, and a link in
    // place of a further page to the page.
    const QString html = env.path(u"html"_s);
    ASSERT_TRUE(QDir().mkpath(html + u"/Road Trip"_s));
    ASSERT_TRUE(QFile::link(outside + u"/folder"_s, html + u"/Library"_s));
    ASSERT_TRUE(QFile::link(outside + u"/page.html"_s, html + u"/Road Trip/Road Trip2.html"_s));
    r = runExporter(env,
        { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"html"_s, u"--output-dir"_s, html, u"--set"_s,
            u"HTMLMaxSongsPerFile=1"_s });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo(html + u"/Library"_s).isSymLink());
    EXPECT_TRUE(isFile(html + u"/Library/Library.html"_s));
    EXPECT_TRUE(QDir(outside + u"/folder"_s).isEmpty());
    EXPECT_TRUE(isFile(html + u"/Road Trip/Road Trip2.html"_s));
    EXPECT_EQ(readFileBytes(outside + u"/page.html"_s), "keep");

    // A single export writes through the link the user chose, but never creates the far end of a dangling one.
    const QString live = env.path(u"live.m3u"_s);
    const QString dangling = env.path(u"dangling.m3u"_s);
    ASSERT_TRUE(QFile::link(outside + u"/target.m3u"_s, live));
    ASSERT_TRUE(QFile::link(outside + u"/ghost.m3u"_s, dangling));
    const QStringList one = { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, u"m3u"_s };
    r = runExporter(env, one + QStringList { u"--output"_s, live });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo(live).isSymLink());
    EXPECT_TRUE(readFileBytes(outside + u"/target.m3u"_s).startsWith("#EXTINF:"));
    for (const QString &format : { u"m3u"_s, u"html"_s }) {
        SCOPED_TRACE(format.toStdString());
        r = runExporter(env,
            { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, format, u"--output"_s,
                dangling });
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(QString::fromUtf8(r.err), writeErrorLine());
        EXPECT_FALSE(QFileInfo::exists(outside + u"/ghost.m3u"_s));
    }
}

TEST(Cli, SettingsThatCannotHurt)
{
    CoreEnvironment env;
    const QString settings = env.path(u"crafted.json"_s);
    writeFileBytes(settings,
        R"({"HTMLBGColor": "fff;}</style><script>alert(1)</script><style>", "HTMLOddColor": "12345",
            "HTMLMaxSongsPerFile": 9223372036854775807, "HTMLMaxAlbumsPerFile": -9223372036854775807})");
    const QString out = env.path(u"p.html"_s);
    for (const bool albumBased : { false, true }) {
        SCOPED_TRACE(albumBased);
        QStringList arguments = { u"--library"_s, sample, u"--playlist"_s, u"Road Trip"_s, u"--format"_s, u"html"_s,
            u"--output"_s, out, u"--settings"_s, settings };
        if (albumBased)
            arguments.append(u"--album-based"_s);
        const Result r = runExporter(env, arguments);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.err,
            "setlistry-export: HTMLBGColor \"fff;}</style><script>alert(1)</script><style>\" is not a colour; the "
            "default FFFFFF is used\n"
            "setlistry-export: HTMLOddColor \"12345\" is not a colour; the default e7e7e7 is used\n");
        const QByteArray page = readFileBytes(out);
        EXPECT_FALSE(page.contains("<script>"));
        EXPECT_TRUE(page.contains("background-color: #FFFFFF;"));
        EXPECT_TRUE(page.contains(".alt {background: #e7e7e7}"));
        EXPECT_TRUE(page.contains("Page: 1/1"));
        QFile::remove(out);
    }
}

TEST(Cli, PlayerPlaylistChoicesRefuseBadValues)
{
    CoreEnvironment env;
    const QStringList base = { u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s, u"--format"_s, u"m3u8"_s,
        u"--output"_s, env.path(u"x.m3u8"_s) };
    const struct
    {
        QStringList arguments;
        const char *message;
    } refused[] = {
        { { u"--paths"_s, u"Absolute"_s }, "setlistry-export: --paths must be absolute or relative\n" },
        { { u"--separator"_s, u"|"_s }, "setlistry-export: --separator must be auto, / or \\\n" },
        { { u"--unicode"_s, u"nfkc"_s }, "setlistry-export: --unicode must be nfc, nfd or asis\n" },
        { { u"--eol"_s, u"cr"_s }, "setlistry-export: --eol must be lf or crlf\n" },
        { { u"--streams"_s, u""_s }, "setlistry-export: --streams must be skip or include\n" },
        { { u"--extension"_s, u".m3u"_s }, "setlistry-export: --extension must be m3u8 or m3u\n" },
        { { u"--map"_s, u"/a=/b"_s, u"--map"_s, u"/Users"_s },
            "setlistry-export: --map needs OLD=NEW with OLD not empty: /Users\n" },
        { { u"--map"_s, u"=/b"_s }, "setlistry-export: --map needs OLD=NEW with OLD not empty: =/b\n" },
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const Result r = runExporter(env, base + c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, QByteArray(c.message));
        EXPECT_FALSE(QFile::exists(env.path(u"x.m3u8"_s)));
    }
}

TEST(Cli, PlayerPlaylistOptionsOverrideTheStoredOnesAndSkipsAreTold)
{
    CoreEnvironment env;
    const QString settings = env.path(u"settings.json"_s);
    writeFileBytes(settings,
        R"({"PlayerPlaylistMappings": ["/Users/alex=/home/alex", "/Volumes=/mnt"], "PlayerPlaylistLineEnd": "crlf",
            "PlayerPlaylistUnicode": "nfd"})");
    const QString out = env.path(u"Downloaded.m3u8"_s);
    const QStringList base = { u"--settings"_s, settings, u"--library"_s, sample, u"--playlist"_s, u"Downloaded"_s,
        u"--format"_s, u"m3u8"_s, u"--output"_s, out };

    // The stored choices, then one --map in place of the whole stored list.
    Result r = runExporter(env, base);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(readFileBytes(out).startsWith("#EXTM3U\r\n#PLAYLIST:Downloaded\r\n#EXTINF:261,"));
    EXPECT_TRUE(readFileBytes(out).contains("\r\n/home/alex/Music/iTunes/iTunes Music/"));
    r = runExporter(env, base + QStringList { u"--map"_s, u"/Users/alex/Music/iTunes/iTunes Music=D:\\Music"_s });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(readFileBytes(out)),
        u"#EXTM3U\r\n#PLAYLIST:Downloaded\r\n#EXTINF:261,坂本龍一 - Energy Flow\r\n"
        "D:\\Music\\坂本龍一\\BTTB\\01 Energy Flow.m4a\r\n#EXTINF:59,The Garage Band - Untitled Demo\r\n"
        "D:\\Music\\The Garage Band\\Unknown Album\\00 Untitled Demo.m4a\r\n"_s);
    EXPECT_EQ(r.err, QByteArray("setlistry-export: \"Downloaded\": wrote 2 of 3 songs; skipped 1 without a file\n"));
    EXPECT_TRUE(r.out.isEmpty());

    // Every option at once writes what the exporter writes with the same options.
    const QStringList every = { u"--map"_s, u"/Users/alex/Music=/srv/music"_s, u"--map"_s,
        u"/Users/alex/Music/iTunes/iTunes Music/Nordlys/Vinter=/srv/winter"_s, u"--paths"_s, u"relative"_s,
        u"--playlist-dir"_s, u"/srv/music/lists"_s, u"--separator"_s, u"\\"_s, u"--unicode"_s, u"asis"_s, u"--eol"_s,
        u"lf"_s, u"--streams"_s, u"include"_s };
    const QString paths = env.path(u"Paths.m3u8"_s);
    r = runExporter(env,
        QStringList { u"--settings"_s, settings, u"--library"_s, sample, u"--playlist"_s, u"Paths"_s, u"--format"_s,
            u"m3u8"_s, u"--output"_s, paths }
            + every);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    PlayerPlaylistOptions options;
    options.mappings = { { u"/Users/alex/Music"_s, u"/srv/music"_s },
        { u"/Users/alex/Music/iTunes/iTunes Music/Nordlys/Vinter"_s, u"/srv/winter"_s } };
    options.pathForm = PlayerPlaylistOptions::PathForm::Relative;
    options.playlistDir = u"/srv/music/lists"_s;
    options.separator = PlayerPlaylistOptions::Separator::Backslash;
    options.normalization = PlayerPlaylistOptions::Normalization::AsIs;
    options.includeStreams = true;
    const XMLAccessor library(sample);
    const std::optional<Playlist> playlist = library.getPlaylist(u"Paths"_s);
    ASSERT_TRUE(playlist);
    PlayerPlaylistReport report;
    const QString expected = PlayerPlaylist::makeText(*playlist, options, &report);
    EXPECT_EQ(QString::fromUtf8(readFileBytes(paths)), expected);
    EXPECT_TRUE(expected.contains(u"..\\..\\winter\\"_s)) << expected.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.err), u"setlistry-export: "_s + report.summary() + u"\n"_s);
    EXPECT_GT(report.skippedOutsideMappings + report.skippedWithoutFile, 0);
}

TEST(Cli, PlayerPlaylistsOfAllTakeTheChosenFileTypeAndNothingSkippedPrintsNothing)
{
    CoreEnvironment env;
    const QString dir = env.path(u"all"_s);
    Result r = runExporter(env,
        { u"--library"_s, sample, u"--all"_s, u"--format"_s, u"m3u8"_s, u"--output-dir"_s, dir, u"--extension"_s,
            u"m3u"_s });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files.size(), 11);
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(file.endsWith(u".m3u"_s));
        EXPECT_TRUE(readFileBytes(dir + u'/' + file).startsWith("#EXTM3U\n#PLAYLIST:"));
    }
    // One line per playlist that left songs out, in library order.
    const QList<QByteArray> lines = r.err.trimmed().split('\n');
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().startsWith("setlistry-export: \"Library\": wrote ")) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains("Tango Night"));

    r = runExporter(env,
        { u"--library"_s, sample, u"--playlist"_s, u"Tango Night"_s, u"--format"_s, u"m3u8"_s, u"--output"_s,
            env.path(u"t.m3u8"_s) });
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST(Cli, AllNestsFolderPlaylistsUnlessFlat)
{
    CoreEnvironment env;
    const auto track = [](int id, const char *name) -> QByteArray {
        const QByteArray n = QByteArray::number(id);
        return "<key>" + n + "</key><dict><key>Track ID</key><integer>" + n + "</integer><key>Name</key><string>" + name
            + "</string><key>Total Time</key><integer>1000</integer><key>Location</key>" + "<string>file:///music/"
            + name + ".mp3</string></dict>";
    };
    const auto playlist = [](const char *name, const char *keys, std::initializer_list<int> ids) -> QByteArray {
        QByteArray items;
        for (int id : ids)
            items += "<dict><key>Track ID</key><integer>" + QByteArray::number(id) + "</integer></dict>";
        return "<dict><key>Name</key><string>" + QByteArray(name) + "</string>" + keys
            + "<key>Playlist Items</key><array>" + items + "</array></dict>";
    };
    const QByteArray xml
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>Tracks</key><dict>"
        + track(1, "Alpha") + track(2, "Beta") + "</dict><key>Playlists</key><array>"
        + playlist("Trips", "<key>Playlist Persistent ID</key><string>F1</string><key>Folder</key><true/>", { 1, 2 })
        + playlist("Road", "<key>Parent Persistent ID</key><string>F2</string>", { 1 })
        + playlist("Inner",
            "<key>Playlist Persistent ID</key><string>F2</string><key>Parent Persistent ID</key>"
            "<string>F1</string><key>Folder</key><true/>",
            { 1 })
        + playlist("Trips", "", { 2 }) + "</array></dict></plist>";
    const QString library = env.path(u"folders.xml"_s);
    writeFileBytes(library, xml);

    const struct
    {
        const char *what;
        QStringList extra;
        QStringList files; // relative to DIR, every file written
    } cases[] = {
        { "nested", {}, { u"Trips 2.m3u"_s, u"Trips/Inner/Road.m3u"_s } },
        { "flat", { u"--flat"_s }, { u"Inner.m3u"_s, u"Road.m3u"_s, u"Trips 2.m3u"_s, u"Trips.m3u"_s } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString dir = env.path(QString::fromLatin1(c.what));
        const Result r = runExporter(env,
            QStringList { u"--library"_s, library, u"--all"_s, u"--format"_s, u"m3u"_s, u"--output-dir"_s, dir }
                + c.extra);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QStringList files;
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(dir).relativeFilePath(it.next()));
        files.sort();
        EXPECT_EQ(files.join(u'|').toStdString(), c.files.join(u'|').toStdString());
    }
    EXPECT_TRUE(readFileBytes(env.path(u"nested/Trips/Inner/Road.m3u"_s)).contains("Alpha"));
    EXPECT_TRUE(readFileBytes(env.path(u"nested/Trips 2.m3u"_s)).contains("Beta"));
}
