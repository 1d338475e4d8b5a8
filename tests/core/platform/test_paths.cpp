#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(Paths, OperationsTable)
{
    CoreEnvironment env;
    const QString home = env.home();
    struct Case
    {
        const char *op;
        QString in;
        QString out;
    };
    const Case cases[] = {
        { "standardize", u"~"_s, home },
        { "standardize", u"~/Music/iTunes/"_s, home + u"/Music/iTunes"_s },
        { "standardize", u"/a//b/./c/../d"_s, u"/a/b/d"_s },
        { "standardize", u"~other/x"_s, u"~other/x"_s },
        { "standardize", u"/"_s, u"/"_s },
        { "standardize", u""_s, u""_s },
        { "deleteLast", u"/Users/a/Mix.html"_s, u"/Users/a"_s },
        { "deleteLast", u"/Users/a/"_s, u"/Users"_s },
        { "deleteLast", u"/a"_s, u"/"_s },
        { "deleteLast", u"/"_s, u"/"_s },
        { "deleteLast", u"Mix.html"_s, u""_s },
        { "last", u"/Users/a/Mix.html"_s, u"Mix.html"_s },
        { "last", u"/Users/a/"_s, u"a"_s },
        { "last", u"/"_s, u"/"_s },
        { "ext", u"/a/My.Mix.html"_s, u"html"_s },
        { "ext", u"/a.b/Mix"_s, u""_s },
        { "ext", u"/a/Mix."_s, u""_s },
        { "deleteExt", u"/a/My.Mix.html"_s, u"/a/My.Mix"_s },
        { "deleteExt", u"/a.b/Mix"_s, u"/a.b/Mix"_s },
        { "deleteExt", u"/a/Mix."_s, u"/a/Mix"_s },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.op) + " " + c.in.toStdString());
        const std::string op = c.op;
        QString got;
        if (op == "standardize")
            got = PathUtils::stringByStandardizingPath(c.in);
        else if (op == "deleteLast")
            got = PathUtils::stringByDeletingLastPathComponent(c.in);
        else if (op == "last")
            got = PathUtils::lastPathComponent(c.in);
        else if (op == "ext")
            got = PathUtils::pathExtension(c.in);
        else
            got = PathUtils::stringByDeletingPathExtension(c.in);
        EXPECT_EQ(got, c.out);
    }

    EXPECT_EQ(PathUtils::stringByAppendingPathComponent(u"/a/b/"_s, u"iTunes Music Library.xml"_s),
        u"/a/b/iTunes Music Library.xml"_s);
    EXPECT_EQ(PathUtils::stringByAppendingPathComponent(u"/"_s, u"x"_s), u"/x"_s);
    EXPECT_EQ(PathUtils::stringByAppendingPathComponent(u"/a"_s, u"/x"_s), u"/a/x"_s);
    EXPECT_EQ(PathUtils::homeDirectory(), home);
}

TEST(Paths, ComponentsSplitAndJoin)
{
    struct Case
    {
        QString path;
        QStringList components;
    };
    const Case cases[] = {
        { u"/Users/a/Music"_s, { u"/"_s, u"Users"_s, u"a"_s, u"Music"_s } },
        { u"/Users/a/Music/"_s, { u"/"_s, u"Users"_s, u"a"_s, u"Music"_s, u"/"_s } },
        { u"//music//"_s, { u"/"_s, u"music"_s, u"/"_s } },
        { u"a/b"_s, { u"a"_s, u"b"_s } },
        { u"/"_s, { u"/"_s } },
        { u""_s, {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(PathUtils::pathComponents(c.path), c.components);
    }
    EXPECT_EQ(
        PathUtils::pathWithComponents({ u"Artist"_s, u"Album"_s, u"01 Song.mp3"_s }), u"Artist/Album/01 Song.mp3"_s);
    EXPECT_EQ(PathUtils::pathWithComponents({ u"/"_s, u"a"_s, u"b"_s }), u"/a/b"_s);
}

TEST(Files, ExistenceFollowsLinksAndWritesAreAtomic)
{
    CoreEnvironment env;
    const QString file = env.path(u"f.txt"_s);
    writeFileBytes(file, "old");
    QFile::link(file, env.path(u"link"_s));
    QFile::link(env.path(u"missing"_s), env.path(u"dangling"_s));

    EXPECT_TRUE(FileManager::fileExistsAtPath(file));
    EXPECT_TRUE(FileManager::fileExistsAtPath(env.path(u"link"_s)));
    EXPECT_FALSE(FileManager::fileExistsAtPath(env.path(u"dangling"_s)));
    EXPECT_TRUE(FileManager::fileExistsAtPath(env.home()));
    EXPECT_FALSE(FileManager::fileExistsAtPath(u""_s));
    EXPECT_TRUE(FileManager::isWritableFileAtPath(file));
    EXPECT_FALSE(FileManager::isWritableFileAtPath(env.path(u"missing"_s)));

    EXPECT_TRUE(FileManager::writeToFileAtomically("new", file));
    EXPECT_EQ(readFileBytes(file), QByteArray("new"));
    EXPECT_FALSE(FileManager::writeToFileAtomically("x", env.path(u"no/such/folder/f.txt"_s)));
    // A folder in the way is never replaced.
    QDir().mkpath(env.path(u"folder"_s));
    EXPECT_FALSE(FileManager::writeToFileAtomically("x", env.path(u"folder"_s)));
    EXPECT_TRUE(QFileInfo(env.path(u"folder"_s)).isDir());
    // No temporary file is left behind.
    EXPECT_TRUE(QDir(env.path(QString())).entryList({ u"f.txt?*"_s }, QDir::Files | QDir::Hidden).isEmpty());
}

TEST(Localization, KeysWithoutEntriesStandForThemselves)
{
    CoreEnvironment env;
    EXPECT_EQ(Localization::localizedString(u"No Such Key"_s), u"No Such Key"_s);
    // Field titles, unit and page words read as their keys; alerts get real texts.
    for (const char *key : { "Disc Number", "BPM", "seconds", "K", "Page", "songs", "Total Time" })
        EXPECT_EQ(Localization::localizedString(QString::fromLatin1(key)), QString::fromLatin1(key));
    for (const char *key : { "WriteErrorTitle", "DataNotFoundErrorText1", "QuitButtonText", "FileExistsErrorText2" })
        EXPECT_NE(Localization::localizedString(QString::fromLatin1(key)), QString::fromLatin1(key));

    Localization::setTable({ { u"Name"_s, u"Nom"_s } });
    EXPECT_EQ(Localization::localizedString(u"Name"_s), u"Nom"_s);
    EXPECT_EQ(Localization::localizedString(u"WriteErrorTitle"_s), u"WriteErrorTitle"_s);
}
