// The widget-free steps of the main window's export flow.
#include "core/flow/ExportFlow.h"
#include "core/flow/ExportFormat.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace Preferences;

TEST(ExportFlowTest, ProposedNamesReplaceSlashesAndAddTheExtension)
{
    CoreEnvironment env;
    const struct
    {
        QString title;
        int tab;
        QString name;
    } cases[] = {
        { u"Rock/Pop"_s, ExportFlow::HTMLTab, u"Rock-Pop.html"_s },
        { u"Rock/Pop"_s, ExportFlow::QTSSTab, u"Rock-Pop.playlist"_s },
        { u"//a/b/"_s, ExportFlow::DelimitedTextTab, u"--a-b-.txt"_s },
        { u"Mix"_s, ExportFlow::M3UTab, u"Mix.m3u"_s },
        { u"Ça va: 90's"_s, ExportFlow::M3UTab, u"Ça va: 90's.m3u"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        EXPECT_EQ(ExportFlow::proposedFileName(c.title, c.tab), c.name);
    }
}

TEST(ExportFlowTest, OnlySongBasedFormatsAskForFields)
{
    EXPECT_TRUE(ExportFlow::needsFieldSelection(ExportFlow::HTMLTab, false));
    EXPECT_FALSE(ExportFlow::needsFieldSelection(ExportFlow::HTMLTab, true));
    EXPECT_TRUE(ExportFlow::needsFieldSelection(ExportFlow::DelimitedTextTab, true));
    EXPECT_FALSE(ExportFlow::needsFieldSelection(ExportFlow::M3UTab, false));
    EXPECT_FALSE(ExportFlow::needsFieldSelection(ExportFlow::QTSSTab, false));
}

TEST(ExportFlowTest, SaveFolderStartsAtTheLastExportOrElseAtHome)
{
    CoreEnvironment env;
    EXPECT_EQ(ExportFlow::saveStartFolder(), env.home()) << "the registered \"~\"";

    const QString folder = env.home() + u"/Exports"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    env.store().setObject(u"~/Exports/"_s, QString(prLastSaveDir));
    EXPECT_EQ(ExportFlow::saveStartFolder(), folder);
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_EQ(ExportFlow::saveStartFolder(), env.home());
    env.store().setObject(QString(), QString(prLastSaveDir));
    EXPECT_EQ(ExportFlow::saveStartFolder(), env.home());
}

TEST(ExportFlowTest, FinishingStoresTheFolderEvenWithoutAPlaylist)
{
    CoreEnvironment env;
    const XMLAccessor library(env.path(u"no library.xml"_s));
    const QString chosen = env.path(u"out/gone.m3u"_s);

    EXPECT_FALSE(ExportFlow::finishExport(library, u"No such playlist"_s, ExportFlow::M3UTab, false, chosen));
    EXPECT_EQ(env.store().stringForKey(QString(prLastSaveDir)), env.path(u"out"_s));
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_TRUE(env.interaction().alerts.isEmpty()) << "a vanished playlist ends the export silently";
}

TEST(ExportFlowTest, PopUpTitlesKeepOneItemPerTitle)
{
    EXPECT_EQ(
        ExportFlow::popUpTitles({ u"A"_s, u"B"_s, u"A"_s, u"C"_s, u"B"_s }), QStringList({ u"A"_s, u"C"_s, u"B"_s }));
    EXPECT_EQ(ExportFlow::popUpTitles({}), QStringList());
}

TEST(ExportFlowTest, FontSizesMapBothWays)
{
    CoreEnvironment env;
    Localization::setTable(
        { { u"Larger"_s, u"Größer"_s }, { u"Smaller"_s, u"Kleiner"_s }, { u"Normal"_s, u"Normal"_s } });
    const struct
    {
        qint64 stored;
        QString title;
        QString storedAgain;
    } cases[] = {
        { 1, u"Größer"_s, u"1"_s },
        { -1, u"Kleiner"_s, u"-1"_s },
        { 0, u"Normal"_s, u"0"_s },
        { 2, u"Normal"_s, u"0"_s },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(ExportFlow::fontSizeTitle(c.stored), c.title);
        EXPECT_EQ(ExportFlow::fontSizeValue(c.title), c.storedAgain);
        EXPECT_TRUE(ExportFlow::fontSizeTitles().contains(c.title));
    }
}

TEST(ExportFlowTest, PageSizeItemsAgreeInTitleAndTagAndKeepUnofferedValues)
{
    CoreEnvironment env;
    const QList<ExportFlow::PageSizeItem> offered = ExportFlow::pageSizeItems();
    ASSERT_FALSE(offered.isEmpty());
    EXPECT_EQ(offered.first(), (ExportFlow::PageSizeItem { u"Unlimited"_s, 0 }));
    for (qsizetype i = 1; i < offered.size(); ++i) {
        EXPECT_EQ(offered.at(i).title, QString::number(offered.at(i).tag));
        EXPECT_LT(offered.at(i - 1).tag, offered.at(i).tag);
    }

    const struct
    {
        qint64 integerRead;
        QString stringRead;
        QString shown;
        qsizetype items;
    } cases[] = {
        { 0, u"0"_s, u"Unlimited"_s, offered.size() },
        { 0, u"abc"_s, u"Unlimited"_s, offered.size() },
        { 50, u"50"_s, u"50"_s, offered.size() },
        { 30, u"30"_s, u"30"_s, offered.size() + 1 },
        { 50, u"050"_s, u"50"_s, offered.size() },
        { -5, u"-5"_s, u"Unlimited"_s, offered.size() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stringRead.toStdString());
        const auto items = ExportFlow::pageSizeItemsFor(c.integerRead, c.stringRead);
        EXPECT_EQ(items.size(), c.items);
        const qsizetype index = ExportFlow::pageSizeIndex(items, c.integerRead, c.stringRead);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, items.size());
        EXPECT_EQ(items.at(index).title, c.shown);
        EXPECT_EQ(items.at(index).title, index == 0 ? u"Unlimited"_s : QString::number(items.at(index).tag));
    }
}

TEST(ExportFlowTest, EncodingAndDelimiterIndexesFallBackToWhatTheExportWrites)
{
    EXPECT_EQ(ExportFlow::encodingTitles(), QStringList({ u"UTF-8"_s, u"Latin-1 (ISO 8859-1)"_s, u"ASCII"_s }));
    EXPECT_EQ(ExportFlow::encodingIndex(u"ASCII"_s), 2);
    EXPECT_EQ(ExportFlow::encodingIndex(u"ascii"_s), 0);
    EXPECT_EQ(ExportFlow::delimiterTitles().size(), 4);
    EXPECT_EQ(ExportFlow::delimiterTitles().at(3), u"Comma (CSV)"_s);
    for (const auto &[stored, index] : { std::pair { 0, 0 }, { 1, 1 }, { 2, 2 }, { 3, 3 }, { 4, 0 }, { -1, 0 } })
        EXPECT_EQ(ExportFlow::delimiterIndex(stored), index) << stored;
    for (const auto &[index, pads] : { std::pair { 0, true }, { 1, true }, { 2, true }, { 3, false }, { 9, true } })
        EXPECT_EQ(ExportFlow::paddingApplies(index), pads) << index;
}

TEST(ExportFlowTest, TheDelimitedTextIsNamedAfterItsDelimiter)
{
    CoreEnvironment env;
    const ExportFormat *csv = ExportFormat::forCommandLineName(u"csv");
    ASSERT_NE(csv, nullptr);
    for (const auto &[stored, extension] :
        { std::pair { 0, "txt" }, { 1, "txt" }, { 2, "txt" }, { 3, "csv" }, { 7, "txt" } }) {
        SCOPED_TRACE(stored);
        env.store().setInteger(stored, prDTDelimiter);
        const QString dotted = u"."_s + QLatin1StringView(extension);
        EXPECT_EQ(ExportFlow::proposedFileName(u"a/b"_s, ExportFlow::DelimitedTextTab), u"a-b"_s + dotted);
        const auto request = ExportFlow::savePanelRequest(u"a"_s, ExportFlow::DelimitedTextTab);
        EXPECT_EQ(request.proposedName, u"a"_s + dotted);
        EXPECT_EQ(request.requiredExtension, QLatin1StringView(extension));
        // The short form writes what its preset makes of the same row; the other tabs never change.
        EXPECT_EQ(csv->fileExtension(), QLatin1StringView(extension));
        EXPECT_EQ(ExportFlow::extensionForTab(ExportFlow::M3UTab), u"m3u"_s);
    }
}

TEST(ExportFormatTest, EveryRowIsFoundByItsNameTabAndExtension)
{
    CoreEnvironment env;
    const auto formats = ExportFormat::all();
    ASSERT_EQ(formats.size(), 6u);
    QList<int> tabs;
    for (const ExportFormat &format : formats) {
        SCOPED_TRACE(QString(format.commandLineName).toStdString());
        EXPECT_EQ(ExportFormat::forCommandLineName(QString(format.commandLineName)), &format);
        EXPECT_EQ(ExportFormat::forExtension(QString(format.extension)), &format);
        EXPECT_FALSE(format.fileType.isEmpty());
        if (!format.presetKey.isEmpty()) {
            // A short form: the tab belongs to the row it abbreviates, and its preset is a setting of the table.
            EXPECT_NE(ExportFormat::forTab(format.tab), &format);
            EXPECT_EQ(ExportFormat::forTab(format.tab)->id, format.id);
            ASSERT_NE(Preferences::findKey(format.presetKey), nullptr);
            EXPECT_EQ(Preferences::findKey(format.presetKey)->kind, Preferences::Kind::Integer);
            continue;
        }
        EXPECT_EQ(ExportFormat::forTab(format.tab), &format);
        EXPECT_EQ(ExportFlow::extensionForTab(format.tab), QString(format.extension));
        tabs.append(format.tab);
    }
    // The main window has one tab per format, numbered from 0.
    std::sort(tabs.begin(), tabs.end());
    EXPECT_EQ(tabs, (QList<int> { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(ExportFormat::forTab(ExportFlow::DelimitedTextTab)->id, ExportFormat::Id::DelimitedText);
    EXPECT_EQ(ExportFormat::forTab(ExportFlow::HTMLTab)->id, ExportFormat::Id::HTML);

    EXPECT_EQ(ExportFormat::forCommandLineName(u"HTML"), nullptr);
    EXPECT_EQ(ExportFormat::forTab(ExportFlow::PlayerPlaylistTab)->id, ExportFormat::Id::PlayerPlaylist);
    EXPECT_EQ(ExportFormat::forTab(5), nullptr);
    EXPECT_EQ(ExportFormat::forTab(-1), nullptr);
    EXPECT_EQ(ExportFlow::extensionForTab(5), QString());
    EXPECT_FALSE(ExportFlow::needsFieldSelection(5, false));
    EXPECT_FALSE(ExportFlow::needsFieldSelection(ExportFlow::PlayerPlaylistTab, false));
    EXPECT_EQ(ExportFormat::commandLineNames(), u"txt, csv, m3u, playlist, html or m3u8"_s);
}

TEST(ExportFormatTest, ThePlayerPlaylistsFileTypeFollowsItsSetting)
{
    CoreEnvironment env;
    const struct
    {
        const char *stored;
        const char *extension;
    } cases[] = { { nullptr, "m3u8" }, { "m3u", "m3u" }, { "m3u8", "m3u8" }, { "M3U", "m3u8" }, { "txt", "m3u8" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "default");
        if (c.stored)
            env.store().setObject(QString::fromLatin1(c.stored), QString(prPPExtension));
        const UserInteraction::SavePanelRequest request
            = ExportFlow::savePanelRequest(u"Road Trip"_s, ExportFlow::PlayerPlaylistTab);
        EXPECT_EQ(request.requiredExtension, QLatin1StringView(c.extension));
        EXPECT_EQ(request.proposedName, u"Road Trip."_s + QLatin1StringView(c.extension));
    }
    // The M3U row keeps its own file type whatever the player playlist's says.
    EXPECT_EQ(ExportFlow::extensionForTab(ExportFlow::M3UTab), u"m3u"_s);
    EXPECT_EQ(ExportFormat::forExtension(u"m3u"), ExportFormat::forTab(ExportFlow::M3UTab));
}

TEST(ExportFlowTest, FinishingWritesTheFormatOfTheTab)
{
    CoreEnvironment env;
    env.setFields({ u"Name"_s }, { u"Name"_s });
    const XMLAccessor library(sampleLibraryPath());
    const struct
    {
        int tab;
        QByteArray start;
    } cases[] = {
        { ExportFlow::HTMLTab, "<!DOCTYPE HTML" },
        { ExportFlow::DelimitedTextTab, "Energy Flow\nUntitled Demo\nVoice Memo\n" },
        { ExportFlow::M3UTab, "#EXTINF:" },
        { ExportFlow::QTSSTab, "*PLAY-LIST*\n" },
        { ExportFlow::PlayerPlaylistTab, "#EXTM3U\n#PLAYLIST:Downloaded\n#EXTINF:" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tab);
        const QString chosen = env.path(u"out/Downloaded."_s + ExportFlow::extensionForTab(c.tab));
        ASSERT_TRUE(QDir().mkpath(env.path(u"out"_s)));
        EXPECT_TRUE(ExportFlow::finishExport(library, u"Downloaded"_s, c.tab, false, chosen));
        EXPECT_TRUE(readFileBytes(chosen).startsWith(c.start)) << readFileBytes(chosen).left(80).toStdString();
    }
    EXPECT_FALSE(ExportFlow::finishExport(library, u"Downloaded"_s, 5, false, env.path(u"out/x"_s)));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

TEST(ExportFlowPlaylistItems, FoldersHoldTheirPlaylistsAndRepeatedNamesAreNumbered)
{
    using Summary = XMLAccessor::PlaylistSummary;
    const auto entry = [](const char *name, const char *id, const char *parent, bool folder) {
        Summary s;
        s.name = QString::fromUtf8(name);
        if (*id)
            s.persistentId = QString::fromUtf8(id);
        if (*parent)
            s.parentPersistentId = QString::fromUtf8(parent);
        s.folder = folder;
        return s;
    };
    using Item = ExportFlow::PlaylistItem;
    const struct
    {
        const char *what;
        QList<Summary> summaries;
        QList<Item> items;
    } cases[] = {
        { "children follow their folder, nested",
            { entry("Mix", "", "A", false), entry("A", "A", "", true), entry("B", "B", "A", true),
                entry("Mix", "", "B", false), entry("Top", "", "", false) },
            { { u"A"_s, 1, 0, true }, { u"Mix"_s, 0, 1, false }, { u"B"_s, 2, 1, true }, { u"Mix (2)"_s, 3, 2, false },
                { u"Top"_s, 4, 0, false } } },
        { "a parent that is missing or no folder leaves the playlist at the top",
            { entry("X", "X", "gone", false), entry("Y", "", "X", false) },
            { { u"X"_s, 0, 0, false }, { u"Y"_s, 1, 0, false } } },
        { "a loop of folders still shows every member", { entry("P", "P", "Q", true), entry("Q", "Q", "P", true) },
            { { u"P"_s, 0, 0, true }, { u"Q"_s, 1, 1, true } } },
        { "three of a name", { entry("D", "", "", false), entry("D", "", "", false), entry("D", "", "", false) },
            { { u"D"_s, 0, 0, false }, { u"D (2)"_s, 1, 0, false }, { u"D (3)"_s, 2, 0, false } } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QList<Item> items = ExportFlow::playlistItems(c.summaries);
        ASSERT_EQ(items.size(), c.items.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].title.toStdString(), c.items[i].title.toStdString()) << i;
            EXPECT_EQ(items[i], c.items[i]) << i;
        }
    }
    EXPECT_EQ(ExportFlow::playlistItemText({ u"Road"_s, 3, 2, false }), u"        Road"_s);
}
