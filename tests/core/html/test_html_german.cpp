// The pages in German: the table chosen from the user's language, its field titles as column headings and its
// words around them.
#include "HTMLTestSupport.h"
#include "core/html/HTML.h"
#include "core/library/Playlist.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

QJsonObject tableResource(const QString &language)
{
    QFile file(u":/strings/"_s + language + u".json"_s);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << str(language);
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The application's table for a user whose language is `locale`'s.
QHash<QString, QString> tableFor(const QLocale &locale)
{
    const QLocale previous;
    QLocale::setDefault(locale);
    QHash<QString, QString> table = Localization::applicationTable();
    QLocale::setDefault(previous);
    return table;
}

} // namespace

TEST(StringTables, GermanHasEveryEnglishKeyAndIsChosenForGermanUsers)
{
    const QJsonObject english = tableResource(u"en"_s);
    const QJsonObject german = tableResource(u"de"_s);
    EXPECT_EQ(german.keys(), english.keys());
    for (auto it = german.begin(); it != german.end(); ++it)
        EXPECT_FALSE(it.value().toString().isEmpty()) << str(it.key());

    const QHash<QString, QString> forGerman = tableFor(QLocale(QLocale::German, QLocale::Austria));
    EXPECT_EQ(forGerman.value(u"Name"_s), u"Titel"_s);
    EXPECT_EQ(forGerman.size(), german.size());
    // A language without a table falls back to English.
    EXPECT_EQ(tableFor(QLocale(QLocale::Finnish, QLocale::Finland)).value(u"Name"_s), u"Name"_s);
}

class GermanPagesTest : public HTMLTest
{
};

TEST_F(GermanPagesTest, SongPagesShowGermanTitlesAndWords)
{
    Localization::setTable(tableFor(QLocale(QLocale::German, QLocale::Germany)));
    // As the sheet offers them: the German titles.
    setFields({ u"Titel"_s, u"Interpret"_s, u"Dauer"_s, u"Abtastrate"_s });
    set(Preferences::priTunesOrdering, true);
    set(Preferences::prHTMLMaxSongsPerFile, 2);
    const Playlist playlist(u"Mix"_s,
        { makeSong({ .artist = u"Eins"_s, .name = u"Intro"_s, .sampleRate = 44100, .time = 65 }),
            makeSong({ .artist = u"Zwei"_s, .name = u"Zweites"_s, .time = 245 }),
            makeSong({ .artist = u"Drei"_s, .name = u"Drittes"_s, .time = 30 }) });

    const QString dir = env.path(u"out"_s);
    QDir().mkpath(dir);
    HTML::saveHTMLTo(dir + u"/Mix.html"_s, playlist, false);
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
    ASSERT_EQ(folderEntries(dir), (QStringList { u"Mix.html"_s, u"Mix2.html"_s }));

    const QString first = QString::fromUtf8(readFileBytes(dir + u"/Mix.html"_s));
    const QString second = QString::fromUtf8(readFileBytes(dir + u"/Mix2.html"_s));
    EXPECT_TRUE(first.contains(u"<td>44100</td>"_s)) << "the German title names the field";
    for (const QString &page : { first, second }) {
        for (const QString &heading : { u"Titel"_s, u"Interpret"_s, u"Dauer"_s, u"Abtastrate"_s })
            EXPECT_TRUE(page.contains(u"<b><i>"_s + heading + u"</i></b>"_s)) << str(heading);
        EXPECT_TRUE(page.contains(u"Wiedergabeliste: "_s));
        EXPECT_TRUE(page.contains(u"Mix: 3 Titel, "_s));
        EXPECT_TRUE(page.contains(u" Minuten"_s));
        for (const QString &english : { u"Playlist"_s, u"Page"_s, u"songs"_s, u"minutes"_s })
            EXPECT_FALSE(page.contains(english)) << str(english);
    }
    EXPECT_TRUE(first.contains(u"Seite: 1/2</td></tr>"_s));
    EXPECT_TRUE(second.contains(u"Seite: 2/2</td></tr>"_s));
}
