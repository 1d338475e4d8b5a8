// Opens generated page sets in a real browser (headless Chromium) and checks what a visitor would get: every
// page renders with its rows, every navigation link reaches the page it names, and markup from the library
// shows as text and never runs. Set SETLISTRY_SKIP_BROWSER=1 to skip where no browser can be installed;
// SETLISTRY_CHROMIUM names the browser binary when it is not on the PATH as "chromium".

#include "HTMLTestSupport.h"
#include "core/html/HTML.h"
#include "core/library/Playlist.h"
#include "core/settings/Preferences.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

const QString kScript = u"<script>document.title='PWNED'</script>"_s;
const QString kImage = u"<img src=x onerror=\"document.title='PWNED'\">"_s;

// Loads every page in a frame of its own, reads what the browser made of it, and follows each navigation
// link the way a click would (the browser resolves the href). The report goes out base64-encoded, so that
// the DOM dump cannot alter it.
const char *const kChecker = R"JS(
const pages = %1;
const scriptText = %2;
function load(url) {
  return new Promise((resolve) => {
    const frame = document.createElement('iframe');
    let settled = false;
    const settle = (ok) => { if (!settled) { settled = true; resolve(ok ? frame : null); } };
    frame.onload = () => settle(true);
    setTimeout(() => settle(false), 3000);
    frame.src = url;
    document.body.appendChild(frame);
  });
}
function describe(frame) {
  if (!frame) return null;
  try {
    const d = frame.contentDocument;
    const right = d.querySelector('td[align=right]');
    const nav = Array.from(d.querySelectorAll('p[align=center] a'));
    return {
      file: decodeURIComponent(new URL(d.URL).pathname),
      title: d.title,
      songRows: d.querySelectorAll('tr.alt, tr.nonalt').length,
      albumBlocks: d.querySelectorAll('table[border="1"]').length,
      trackRows: d.querySelectorAll('td.alt[width], td.nonalt[width]').length,
      elementsFromData: d.querySelectorAll('script, img').length,
      pageText: right ? right.textContent : null,
      scriptShown: d.body.textContent.split(scriptText).length - 1,
      navLinks: nav.map(a => ({ text: a.textContent, href: a.href })),
      otherLinks: Array.from(d.querySelectorAll('a')).filter(a => !nav.includes(a))
                       .map(a => a.getAttribute('href')),
    };
  } catch (e) {
    return { error: String(e) };
  } finally {
    frame.remove();
  }
}
function publish(report, complete) {
  const json = JSON.stringify({ complete, pages: report });
  document.getElementById('out').textContent = btoa(unescape(encodeURIComponent(json)));
}
(async () => {
  const report = [];
  for (const url of pages) {
    const page = describe(await load(url));
    for (const link of (page && page.navLinks) || []) {
      const target = describe(await load(link.href));
      link.reachedFile = target ? target.file : null;
      link.reachedPageText = target ? target.pageText : null;
    }
    report.push({ url, page });
    publish(report, false); // so that a browser stopped early still tells how far it got
  }
  publish(report, true);
})();
)JS";

QString chromiumPath()
{
    const QString configured = qEnvironmentVariable("SETLISTRY_CHROMIUM");
    if (!configured.isEmpty())
        return configured;
    for (const QString &name : { u"chromium"_s, u"chromium-browser"_s })
        if (const QString path = QStandardPaths::findExecutable(name); !path.isEmpty())
            return path;
    return {};
}

// A JavaScript string literal that may stand inside a script element ("</" would end the element).
QString jsString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray { text }).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2)).replace(u"</"_s, u"<\\/"_s);
}

class HTMLBrowserTest : public HTMLTest
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariable("SETLISTRY_SKIP_BROWSER") == "1"_L1)
            GTEST_SKIP() << "SETLISTRY_SKIP_BROWSER=1: the browser checks of the HTML pages are skipped";
        chromium = chromiumPath();
        ASSERT_FALSE(chromium.isEmpty())
            << "Chromium is needed for the browser checks of the HTML pages: apt-get install -y chromium "
               "(or set SETLISTRY_CHROMIUM to its binary, or SETLISTRY_SKIP_BROWSER=1 to skip)";
        ASSERT_TRUE(work.isValid());
        set(Preferences::priTunesOrdering, true);
        set(Preferences::prHTMLAddWebServerLinks, true);
        set(Preferences::prWebServerPath, u"/music"_s);
        set(Preferences::prMusicFolderPath, u"/Users/a/Music"_s);
    }

    // The browser's report on `pages`, one object per page; fails the test when the browser gives none.
    QJsonArray browse(const QStringList &pages)
    {
        QJsonArray urls;
        for (const QString &page : pages)
            urls.append(QUrl::fromLocalFile(page).toString(QUrl::FullyEncoded));
        const QString checker = work.filePath(u"checker.html"_s);
        const QString script = QString::fromUtf8(kChecker).arg(
            QString::fromUtf8(QJsonDocument(urls).toJson(QJsonDocument::Compact)), jsString(kScript));
        writeFileBytes(checker,
            (u"<!DOCTYPE html><html><head><title>checker</title></head><body>"
             "<pre id=\"out\"></pre><script>"_s
                + script + u"</script></body></html>\n"_s)
                .toUtf8());

        QProcess browser;
        browser.setProcessChannelMode(QProcess::SeparateChannels);
        const QStringList arguments = { u"--headless"_s, u"--no-sandbox"_s, u"--disable-gpu"_s, u"--disable-quic"_s,
            u"--no-first-run"_s, u"--disable-background-networking"_s, u"--disable-component-update"_s,
            u"--disable-sync"_s, u"--user-data-dir="_s + work.filePath(u"profile"_s),
            // Frames of file pages may be read by the checker page beside them; nothing else is loosened.
            u"--allow-file-access-from-files"_s, u"--virtual-time-budget=600000"_s, u"--dump-dom"_s,
            QUrl::fromLocalFile(checker).toString(QUrl::FullyEncoded) };
        browser.start(chromium, arguments);
        const bool finished = browser.waitForFinished(180000);
        if (!finished)
            browser.kill();
        const QByteArray dom = browser.readAllStandardOutput();
        const QByteArray errors = browser.readAllStandardError();
        EXPECT_TRUE(finished) << "Chromium did not finish within 3 minutes";
        const QRegularExpression out(u"<pre id=\"out\">([A-Za-z0-9+/=]*)</pre>"_s);
        const QRegularExpressionMatch match = out.match(QString::fromUtf8(dom));
        if (!match.hasMatch() || match.captured(1).isEmpty()) {
            ADD_FAILURE() << "Chromium gave no report (exit " << browser.exitCode() << ")\n"
                          << dom.left(2000).toStdString() << "\n"
                          << errors.right(4000).toStdString();
            return {};
        }
        const QJsonObject report
            = QJsonDocument::fromJson(QByteArray::fromBase64(match.captured(1).toLatin1())).object();
        EXPECT_TRUE(report[u"complete"_s].toBool())
            << "the browser stopped after " << report[u"pages"_s].toArray().size() << " of " << pages.size()
            << " pages";
        return report[u"pages"_s].toArray();
    }

    // The checks that hold for every page of a set: it rendered, under its own title, as page `p` of the
    // set, its navigation reaching each page it names, and no element made of library data.
    void checkCommon(const QJsonArray &report, const QStringList &paths, const QString &playlistName)
    {
        ASSERT_EQ(report.size(), paths.size());
        const qsizetype pages = paths.size();
        for (qsizetype p = 1; p <= pages; ++p) {
            SCOPED_TRACE(str(paths[p - 1]));
            const QJsonObject page = report[p - 1].toObject()[u"page"_s].toObject();
            ASSERT_FALSE(page.isEmpty()) << "the page did not load";
            ASSERT_FALSE(page.contains(u"error"_s)) << str(page[u"error"_s].toString());
            EXPECT_EQ(str(page[u"file"_s].toString()), str(paths[p - 1]));
            EXPECT_EQ(str(page[u"title"_s].toString()), str(playlistName));
            EXPECT_EQ(page[u"elementsFromData"_s].toInt(), 0);
            EXPECT_EQ(str(page[u"pageText"_s].toString()),
                str(u"Page: "_s + QString::number(p) + u'/' + QString::number(pages)));

            const QJsonArray links = page[u"navLinks"_s].toArray();
            EXPECT_EQ(links.size(), pages > 1 ? 2 * (pages - 1) : 0);
            for (const QJsonValue &value : links) {
                const QJsonObject link = value.toObject();
                const int k = link[u"text"_s].toString().toInt();
                SCOPED_TRACE(
                    str(u"link to page "_s + link[u"text"_s].toString() + u": "_s + link[u"href"_s].toString()));
                ASSERT_GE(k, 1);
                ASSERT_LE(k, pages);
                EXPECT_NE(k, p);
                EXPECT_EQ(str(link[u"reachedFile"_s].toString()), str(paths[k - 1]));
                EXPECT_EQ(str(link[u"reachedPageText"_s].toString()),
                    str(u"Page: "_s + QString::number(k) + u'/' + QString::number(pages)));
            }
        }
    }

    QString chromium;
    QTemporaryDir work;
};

TEST_F(HTMLBrowserTest, SongBasedPagesWithLinks)
{
    setFields({ u"Name"_s, u"Artist"_s, u"Album"_s, u"Comments"_s, u"Location"_s, u"Time"_s });
    set(Preferences::prHTMLMaxSongsPerFile, 4);
    SongList songs;
    for (int i = 1; i <= 10; ++i) {
        songs.append(makeSong({ .artist = u"Artist & Co"_s,
            .name = u"Song "_s + QString::number(i),
            .location = u"/Users/a/Music/A/"_s + QString::number(i) + u".mp3"_s,
            .time = 60 + i }));
    }
    songs[1] = makeSong({ .artist = kImage,
        .name = kScript,
        .location = u"/Users/a/Music/\">"_s + kScript + u".mp3"_s,
        .comments = kScript });
    songs[9] = makeSong({ .album = kScript, .name = u"Tom \"&\" Jerry"_s, .location = u"/Elsewhere/x.mp3"_s });
    const QString name = kScript + u" Live: \"Mix\" & <b>more</b>"_s;
    const QString folder = work.filePath(u"Live: Mix #1 100%"_s);
    QDir().mkpath(folder);
    const QString chosen = folder + u"/Live: Mix #1 100%.html"_s;

    HTML::saveHTMLTo(chosen, Playlist(name, songs), false);
    ASSERT_TRUE(env.interaction().alerts.isEmpty());
    const QStringList paths = HTML::pagePaths(chosen, 3);
    ASSERT_EQ(folderEntries(folder).size(), 3);

    const QJsonArray report = browse(paths);
    checkCommon(report, paths, name);
    if (report.size() != 3)
        return;
    const int rows[] = { 4, 4, 2 };
    const int scriptsShown[] = { 2 + 3, 2, 2 + 1 }; // the playlist name twice, then the values holding it
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p + 1);
        const QJsonObject page = report[p].toObject()[u"page"_s].toObject();
        EXPECT_EQ(page[u"songRows"_s].toInt(), rows[p]);
        EXPECT_EQ(page[u"scriptShown"_s].toInt(), scriptsShown[p]);
    }
    // The song link's target comes back from the browser exactly as the library holds it.
    const QJsonArray songLinks = report[0].toObject()[u"page"_s].toObject()[u"otherLinks"_s].toArray();
    ASSERT_EQ(songLinks.size(), 4);
    EXPECT_EQ(str(songLinks[1].toString()), str(u"/music/\">"_s + kScript + u".mp3"_s));
}

TEST_F(HTMLBrowserTest, AlbumBasedPages)
{
    set(Preferences::prHTMLMaxAlbumsPerFile, 2);
    set(Preferences::prHTMLHeader, u"<b>Our <i>albums</i></b>"_s);
    SongList songs;
    for (int album = 1; album <= 5; ++album) {
        for (int track = 1; track <= album; ++track) {
            songs.append(makeSong({ .artist = u"Band "_s + QString::number(album),
                .album = u"Album "_s + QString::number(album),
                .name = u"Track "_s + QString::number(track),
                .trackNumber = track }));
        }
    }
    songs.append(makeSong({ .name = u"Without album"_s }));
    songs[0] = makeSong({ .artist = kImage,
        .album = u"Album 1"_s,
        .name = kScript,
        .genre = kScript,
        .location = u"/Users/a/Music/x.mp3"_s,
        .trackNumber = 1 });
    songs[3] = makeSong({ .artist = u"Band 3"_s, .album = u"Album 3"_s, .name = kScript + kScript, .trackNumber = 1 });
    const QString name = u"Albums & <more>"_s;
    const QString chosen = work.filePath(u"Albums.html"_s);

    HTML::saveHTMLTo(chosen, Playlist(name, songs), true);
    ASSERT_TRUE(env.interaction().alerts.isEmpty());
    const QStringList paths = HTML::pagePaths(chosen, 3);

    const QJsonArray report = browse(paths);
    checkCommon(report, paths, name);
    if (report.size() != 3)
        return;
    const int blocks[] = { 2, 2, 1 };
    const int tracks[] = { 1 + 2, 3 + 4, 5 };
    const int scriptsShown[] = { 2, 2, 0 };
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p + 1);
        const QJsonObject page = report[p].toObject()[u"page"_s].toObject();
        EXPECT_EQ(page[u"albumBlocks"_s].toInt(), blocks[p]);
        EXPECT_EQ(page[u"trackRows"_s].toInt(), tracks[p]);
        EXPECT_EQ(page[u"scriptShown"_s].toInt(), scriptsShown[p]);
    }
}

} // namespace
