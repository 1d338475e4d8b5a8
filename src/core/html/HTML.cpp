#include "HTML.h"

#include "core/export/Common.h"
#include "core/fields/FieldVocabulary.h"
#include "core/library/SongSort.h"
#include "core/platform/FileManager.h"
#include "core/platform/Localization.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserInteraction.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <QStringView>
#include <algorithm>
#include <iterator>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

// More page files than this in one folder is almost certainly a mistaken per-file limit.
constexpr int kMaxPageFiles = 75;

QString text(QLatin1StringView key)
{
    return Localization::localizedString(key);
}

// Library and settings texts are written through this, once, where they go into a page: markup in a track's
// metadata must show as text, never act as markup on a published page.
void appendEscaped(QString &out, QStringView value)
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

// The decimal form of `value` (intAsString's form) without a temporary string: this runs for most cells.
void appendDecimal(QString &out, qint64 value)
{
    char16_t digits[24];
    qsizetype at = std::size(digits);
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[--at] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0)
        digits[--at] = u'-';
    out.append(QStringView(digits + at, qsizetype(std::size(digits)) - at));
}

// appendInt with printZero off.
void appendNonZero(QString &out, int value)
{
    if (value != 0)
        appendDecimal(out, value);
}

// getTimeAsString's form: minutes, ":", two-digit seconds; nothing for 0.
void appendTime(QString &out, int seconds)
{
    if (seconds == 0)
        return;
    appendDecimal(out, seconds / 60);
    out.append(u':');
    if (seconds % 60 <= 9)
        out.append(u'0');
    appendDecimal(out, seconds % 60);
}

// Page counts and page ranges for one per-file limit; a limit of 0 (or a stray negative one) means one page.
int pagesNeeded(qint64 items, qint64 limit)
{
    if (items <= 0)
        return 0;
    const qint64 step = limit > 0 ? limit : items;
    const qint64 pages = (items + step - 1) / step;
    return int(std::min<qint64>(pages, std::numeric_limits<int>::max()));
}

qint64 itemsPerPage(qint64 items, qint64 limit)
{
    return limit > 0 ? limit : items;
}

// The 32-bit sums of the totals: wrapping as the record's 32-bit fields would, without signed overflow.
int totalSeconds(const SongList &songs)
{
    quint32 sum = 0;
    for (const SongPtr &song : songs)
        sum += quint32(song->getTime());
    return int(sum);
}

quint32 totalKilobytes(const SongList &songs)
{
    quint32 sum = 0;
    for (const SongPtr &song : songs)
        sum += quint32(song->getSize() / 1024);
    return sum;
}

// The characters that would make a file name mean something else in a relative link: the URL delimiters
// "%", "#" and "?", a ":" that would read as a scheme, a backslash that browsers take for "/", controls, and
// spaces at either end, which are stripped from attribute values.
QString hrefForFileName(const QString &name)
{
    QString href;
    href.reserve(name.size() + 8);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool encode = c == u'%' || c == u'#' || c == u'?' || c == u':' || c == u'\\' || c < 0x20 || c == 0x7f
            || (c == u' ' && (i == 0 || i == name.size() - 1));
        if (encode) {
            href.append(u'%');
            href.append(QString::number(c, 16).rightJustified(2, u'0').toUpper());
        } else {
            href.append(name[i]);
        }
    }
    return href;
}

// The link settings, read once for a whole page set: they cannot change while it is made.
struct LinkSettings
{
    bool on = false;
    QString prefix; // the web server path with a "/" at both ends
    QString foldedPrefix; // the same with its "//" folded, escaped: the start of every plain link
    QStringList musicFolder; // its components, without a leading "/"

    static LinkSettings read()
    {
        LinkSettings s;
        s.on = Preferences::boolFor(Preferences::prHTMLAddWebServerLinks);
        if (!s.on)
            return s;
        s.prefix = Preferences::stringFor(Preferences::prWebServerPath);
        HTML::ensureEndSlash(s.prefix);
        HTML::ensureStartSlash(s.prefix);
        QString folded = s.prefix;
        kwStringMethods::replaceString(u"//"_s, folded, u"/"_s);
        s.foldedPrefix = HTML::escape(folded);
        s.musicFolder = PathUtils::pathComponents(Preferences::stringFor(Preferences::prMusicFolderPath));
        if (!s.musicFolder.isEmpty() && s.musicFolder.first() == "/"_L1)
            s.musicFolder.removeFirst();
        return s;
    }
};

std::optional<QString> dropComponents(const QStringList &base, const QString &fullPath)
{
    const QStringList full = PathUtils::pathComponents(fullPath);
    const qsizetype first = !full.isEmpty() && full.first() == "/"_L1 ? 1 : 0;
    if (full.size() - first <= base.size())
        return std::nullopt;
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (base[i] != full[first + i])
            return std::nullopt;
    }
    return PathUtils::pathWithComponents(full.mid(first + base.size()));
}

// A location without doubled or trailing separators, as the library's file addresses are: its components are
// the pieces between single "/", so the rest below the music folder is a plain substring of it.
bool isPlainPath(const QString &location)
{
    return !location.isEmpty() && !location.endsWith(u'/') && !location.contains("//"_L1);
}

// Where the rest of a plain location below `base` begins; -1 when it does not lie below it.
qsizetype restOfPlainPath(const QStringList &base, const QString &location)
{
    qsizetype at = location.startsWith(u'/') ? 1 : 0;
    for (const QString &component : base) {
        const qsizetype slash = location.indexOf(u'/', at);
        if (slash < 0 || QStringView(location).mid(at, slash - at) != component)
            return -1;
        at = slash + 1;
    }
    return at < location.size() ? at : -1;
}

void appendLinkedName(QString &out, const Song &song, const LinkSettings &links)
{
    const QString &name = song.getName();
    if (!links.on || name.isEmpty()) {
        appendEscaped(out, name);
        return;
    }
    const QString &location = song.getLocation();
    if (isPlainPath(location)) {
        // The rest holds no "//" and begins with no "/", so folding the whole target folds only the prefix.
        const qsizetype rest = restOfPlainPath(links.musicFolder, location);
        if (rest < 0) {
            appendEscaped(out, name);
            return;
        }
        out.append("<a href=\""_L1);
        out.append(links.foldedPrefix);
        appendEscaped(out, QStringView(location).mid(rest));
    } else {
        QString target;
        if (const std::optional<QString> rest = dropComponents(links.musicFolder, location)) {
            target = links.prefix + *rest;
            kwStringMethods::replaceString(u"//"_s, target, u"/"_s);
        }
        if (target.isEmpty()) {
            appendEscaped(out, name);
            return;
        }
        out.append("<a href=\""_L1);
        appendEscaped(out, target);
    }
    out.append("\">"_L1);
    appendEscaped(out, name);
    out.append("</a>"_L1);
}

// Everything a song row needs besides the song, worked out once for the whole list.
struct RowMaker
{
    QList<std::optional<Field>> fields;
    bool numberRows = false;
    bool useStars = false;
    LinkSettings links;

    static RowMaker read(const QStringList &titles)
    {
        RowMaker m;
        m.fields = FieldVocabulary::resolveTitles(titles, FieldVocabulary::htmlOrder());
        m.numberRows = Preferences::boolFor(Preferences::prHTMLShouldNumberRows);
        m.useStars = Preferences::boolFor(Preferences::prHTMLUseStars);
        m.links = LinkSettings::read();
        return m;
    }

    void appendCell(QString &row, const Song &song, Field field) const
    {
        switch (field) {
        case Field::Name:
            appendLinkedName(row, song, links);
            break;
        case Field::Artist:
            appendEscaped(row, song.getArtist());
            break;
        case Field::Album:
            appendEscaped(row, song.getAlbum());
            break;
        case Field::Location:
            appendEscaped(row, song.getLocation());
            break;
        case Field::Genre:
            appendEscaped(row, song.getGenre());
            break;
        case Field::Composer:
            appendEscaped(row, song.getComposer());
            break;
        case Field::Kind:
            appendEscaped(row, song.getKind());
            break;
        case Field::Comments:
            appendEscaped(row, song.getComments());
            break;
        case Field::SampleRate:
            appendNonZero(row, song.getSampleRate());
            break;
        case Field::Time:
            appendTime(row, song.getTime());
            break;
        case Field::BitRate:
            appendNonZero(row, song.getBitRate());
            break;
        case Field::Rating:
            if (useStars && song.getRating() != 0) {
                // A library holds ratings of 0 to 100, five stars at most; a damaged one must not make a
                // cell of millions of stars.
                row.append(QLatin1StringView("*****", std::clamp(song.getRating(), 0, 5)));
            } else {
                appendNonZero(row, song.getRating());
            }
            break;
        case Field::PlayCount:
            appendNonZero(row, song.getPlaycount());
            break;
        case Field::TrackNumber:
            appendNonZero(row, song.getTrackNumber());
            break;
        case Field::Year:
            appendNonZero(row, song.getYear());
            break;
        case Field::BPM:
            appendNonZero(row, song.getBPM());
            break;
        case Field::DiscNumber:
            if (song.getDiscNumber() > 0)
                appendDecimal(row, song.getDiscNumber());
            else
                row.append(u'?');
            row.append(" of "_L1);
            if (song.getDiscCount() > 0)
                appendDecimal(row, song.getDiscCount());
            else
                row.append(u'?');
            break;
        case Field::Size:
            appendEscaped(row, kwStringMethods::kilobytesToMBString(quint32(song.getSize() / 1024)));
            break;
        case Field::DiscCount:
            break;
        }
    }

    // Row `index` of the whole list: classes and numbers run on over the pages.
    void appendRow(QString &row, const Song &song, qsizetype index) const
    {
        row.append(index % 2 == 0 ? "<tr class=\"alt\">"_L1 : "<tr class=\"nonalt\">"_L1);
        for (qsizetype j = 0; j < fields.size(); ++j) {
            if (j == 0 && numberRows) {
                row.append("<td>"_L1);
                appendDecimal(row, index + 1);
                row.append(".</td>"_L1);
            }
            row.append("<td>"_L1);
            if (fields[j])
                appendCell(row, song, *fields[j]);
            row.append("</td>"_L1);
        }
        row.append("</tr>\n"_L1);
    }
};

QStringList currentFieldOrder()
{
    const ExportChoices *choices = ExportChoices::getMain();
    return choices ? choices->getFieldOrder() : QStringList();
}

// The parts shared by both page kinds, made once for a page set.
struct PageParts
{
    QString head;
    QString header; // the user's own markup, written as it is
    QString pageWord;
    QString playlistWord;
    QString footer; // the same on every page
    QStringList hrefs; // the link target of each page

    PageParts(const QString &playlistName, const QStringList &filePaths, int pages, qsizetype songs, int seconds,
        quint32 kilobytes)
    {
        const QString bg = Preferences::stringFor(Preferences::prHTMLBGColor);
        const QString fg = Preferences::stringFor(Preferences::prHTMLTextColor);
        const QString odd = Preferences::stringFor(Preferences::prHTMLOddColor);
        const QString even = Preferences::stringFor(Preferences::prHTMLEvenColor);
        const qint64 fontSize = Preferences::integerFor(Preferences::prHTMLFontSize);

        head.reserve(1200 + playlistName.size());
        head.append("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\n"
                    "\"http://www.w3.org/TR/1999/REC-html401-19991224/loose.dtd\">\n\n"
                    "<html>\n<head>\n<title>"_L1);
        appendEscaped(head, playlistName);
        head.append("</title>\n"
                    "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html;charset=UTF-8\">\n"
                    "<style type=\"text/css\">\n<!--\n"
                    "body {font-family: Verdana, Arial, Helvetica, sans-serif; background-color: #"_L1);
        head.append(bg % "; color: #"_L1 % fg % ";}\n"_L1);
        if (fontSize == 1)
            head.append("td {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: larger;}\n"_L1);
        else if (fontSize == -1)
            head.append("td {font-family: Verdana, Arial, Helvetica, sans-serif; font-size: smaller;}\n"_L1);
        else
            head.append("td {font-family: Verdana, Arial, Helvetica, sans-serif;}\n"_L1);
        for (const QLatin1StringView state : { "link"_L1, "visited"_L1, "hover"_L1, "active"_L1 })
            head.append("a:"_L1 % state % " {color: #"_L1 % fg % "; text-decoration: underline;}\n"_L1);
        head.append(".header {font-size: 140%; text-align: left;}\n"
                    ".alt {background: #"_L1);
        head.append(odd % "}\n.nonalt {background: #"_L1 % even % "}\n"_L1);
        head.append("-->\n</style>\n</head>\n<body bgcolor=\"#FFFFFF\">\n"_L1);

        header = Preferences::stringFor(Preferences::prHTMLHeader);
        pageWord = text("Page"_L1);
        playlistWord = text("Playlist"_L1);

        footer.append("<p align=\"center\"><b><font size=\"-1\">"_L1);
        appendEscaped(footer, playlistName);
        footer.append(": "_L1);
        appendDecimal(footer, songs);
        footer.append(u' ' % text("songs"_L1) % ", "_L1);
        footer.append(kwStringMethods::getTimeAsNiceVagueString(seconds) % ", "_L1
            % kwStringMethods::kilobytesToMBString(kilobytes));
        footer.append("</font></b></p>\n"_L1);

        for (int k = 0; k < pages; ++k) {
            const QString name = k < filePaths.size() ? PathUtils::lastPathComponent(filePaths[k]) : QString();
            hrefs.append(HTML::escape(hrefForFileName(name)));
        }
    }

    int pages() const { return int(hrefs.size()); }

    // The navigation row of page `page` (from 1): the other pages as links, this one as a plain number.
    QString navigation(const QString &rowStart, int page) const
    {
        QString nav;
        nav.reserve(rowStart.size() + 40 + hrefs.size() * 40);
        nav.append(rowStart % "<p align=\"center\">"_L1 % pageWord % ": "_L1);
        for (int k = 1; k <= pages(); ++k) {
            if (k == page) {
                appendDecimal(nav, k);
            } else {
                nav.append("<a href=\""_L1 % hrefs[k - 1] % "\">"_L1);
                appendDecimal(nav, k);
                nav.append("</a>"_L1);
            }
            if (k != pages())
                nav.append(" | "_L1);
        }
        nav.append("</p></td></tr>\n"_L1);
        return nav;
    }

    void appendPageNumber(QString &out, int page) const
    {
        out.append(pageWord % ": "_L1);
        appendDecimal(out, page);
        out.append(u'/');
        appendDecimal(out, pages());
    }

    // Room for a page, from what the pages made so far needed per item.
    qsizetype estimate(qsizetype items, qsizetype charsSoFar, qsizetype itemsSoFar, qsizetype guessPerItem) const
    {
        const qsizetype perItem = itemsSoFar > 0 ? charsSoFar / itemsSoFar + 1 : guessPerItem;
        return head.size() + header.size() + footer.size() + 2 * (pages() * 40 + 200) + items * perItem;
    }
};

QString colspan(qint64 columns)
{
    return " colspan=\""_L1 % QString::number(columns) % u'"';
}

// The song-based page set, made one page at a time so that a page can be written before the next is made.
class SongPages
{
public:
    SongPages(const SongList &songs, const QStringList &filePaths, const QString &playlistName)
        : m_songs(songs)
        , m_titles(currentFieldOrder())
        , m_rows(RowMaker::read(m_titles))
        , m_perPage(itemsPerPage(songs.size(), Preferences::integerFor(Preferences::prHTMLMaxSongsPerFile)))
        , m_parts(playlistName, filePaths, HTML::filesNeededSongs(int(songs.size())), songs.size(), totalSeconds(songs),
              totalKilobytes(songs))
    {
        // An empty field list never comes from the export flow; without columns no row spans any.
        const qint64 columns = m_titles.size();
        const QString titleSpan = columns > 1 ? colspan(m_rows.numberRows ? columns : columns - 1) : QString();
        const QString fullSpan = columns > 1 ? colspan(m_rows.numberRows ? columns + 1 : columns) : QString();
        m_fullRowStart = "<tr><td"_L1 % fullSpan % u'>';

        m_titleRowStart = "<tr><td"_L1 % titleSpan % ">\n<strong class=\"header\">"_L1 % m_parts.playlistWord % ": "_L1;
        appendEscaped(m_titleRowStart, playlistName);
        m_titleRowStart.append("</strong></td>\n<td align=\"right\" colspan=\"1\">"_L1);

        if (!m_parts.header.isEmpty())
            m_headerRow = m_fullRowStart % m_parts.header % "</td></tr>\n"_L1;

        m_columnHeader = u"<tr>"_s;
        if (m_rows.numberRows)
            m_columnHeader.append("<td><b><i>#</i></b></td>"_L1);
        const QString rating = text("Rating"_L1);
        for (const QString &title : m_titles) {
            m_columnHeader.append("<td><b><i>"_L1);
            appendEscaped(m_columnHeader, title == rating ? rating + " (1-5)"_L1 : title);
            m_columnHeader.append("</i></b></td>"_L1);
        }
        m_columnHeader.append("</tr>\n"_L1);
    }

    int pages() const { return m_parts.pages(); }

    QString page(int p)
    {
        const qsizetype first = std::min<qint64>(m_perPage * (p - 1), m_songs.size());
        const qsizetype last = std::min<qint64>(m_perPage * p, m_songs.size());
        const QString navigation = pages() > 1 ? m_parts.navigation(m_fullRowStart, p) : QString();

        QString page;
        page.reserve(m_parts.estimate(last - first, m_rowChars, m_rowsMade, 256) + m_titleRowStart.size()
            + m_columnHeader.size() + m_headerRow.size());
        page.append(m_parts.head);
        page.append("<table align=\"center\" border=\"0\" cellpadding=\"5\" cellspacing=\"0\">\n"_L1);
        page.append(m_titleRowStart);
        m_parts.appendPageNumber(page, p);
        page.append("</td></tr>"_L1);
        page.append(m_headerRow);
        page.append(navigation);
        page.append(m_columnHeader);
        const qsizetype rowsStart = page.size();
        for (qsizetype i = first; i < last; ++i)
            m_rows.appendRow(page, *m_songs[i], i);
        m_rowChars += page.size() - rowsStart;
        m_rowsMade += last - first;
        page.append(navigation);
        page.append("</table>\n"_L1);
        page.append(m_parts.footer);
        page.append("</body>\n</html>\n"_L1);
        return page;
    }

private:
    const SongList &m_songs;
    const QStringList m_titles;
    const RowMaker m_rows;
    const qint64 m_perPage;
    const PageParts m_parts;
    QString m_fullRowStart;
    QString m_titleRowStart;
    QString m_headerRow;
    QString m_columnHeader;
    qsizetype m_rowChars = 0;
    qsizetype m_rowsMade = 0;
};

// The album-based page set, one page at a time.
class AlbumPages
{
public:
    AlbumPages(const Playlist &playlist, const QStringList &filePaths)
        : m_albums(playlist.getAlbums())
        , m_perPage(itemsPerPage(m_albums.size(), Preferences::integerFor(Preferences::prHTMLMaxAlbumsPerFile)))
        , m_links(LinkSettings::read())
        , m_parts(makeParts(playlist, filePaths, HTML::filesNeededAlbums(int(m_albums.size()))))
        , m_totalTimeLabel("<br><br>"_L1 % text("Total Time"_L1) % ": "_L1)
        , m_totalSizeLabel("<br>"_L1 % text("Total File Size"_L1) % ": "_L1)
    {
        m_titleRowStart = "<tr><td>\n<strong class=\"header\">"_L1 % m_parts.playlistWord % ": "_L1;
        appendEscaped(m_titleRowStart, playlist.getName());
        m_titleRowStart.append("</strong></td>\n<td align=\"right\">"_L1);
        if (!m_parts.header.isEmpty())
            m_headerRow = kFullRowStart % m_parts.header % "</td></tr>\n"_L1;
    }

    int pages() const { return m_parts.pages(); }

    QString page(int p)
    {
        const qsizetype first = std::min<qint64>(m_perPage * (p - 1), m_albums.size());
        const qsizetype last = std::min<qint64>(m_perPage * p, m_albums.size());
        const QString navigation = pages() > 1 ? m_parts.navigation(kFullRowStart, p) : QString();

        QString page;
        page.reserve(m_parts.estimate(last - first, m_blockChars, m_blocksMade, 2048) + m_titleRowStart.size()
            + m_headerRow.size());
        page.append(m_parts.head);
        page.append("<table width=\"100%\" align=\"center\" border=\"0\" cellpadding=\"5\" cellspacing=\"0\">\n"_L1);
        page.append(m_titleRowStart);
        m_parts.appendPageNumber(page, p);
        page.append("</td></tr>"_L1);
        page.append(m_headerRow);
        page.append(navigation);
        const qsizetype blocksStart = page.size();
        for (qsizetype a = first; a < last; ++a)
            appendBlock(page, m_albums[a]);
        m_blockChars += page.size() - blocksStart;
        m_blocksMade += last - first;
        page.append(navigation);
        page.append("</table>\n"_L1);
        page.append(m_parts.footer);
        page.append("</body>\n</html>\n"_L1);
        return page;
    }

private:
    static inline const QString kFullRowStart = u"<tr><td colspan=\"2\">"_s;

    static PageParts makeParts(const Playlist &playlist, const QStringList &filePaths, int pages)
    {
        const SongList songs = playlist.getSongs();
        return PageParts(
            playlist.getName(), filePaths, pages, songs.size(), totalSeconds(songs), totalKilobytes(songs));
    }

    // The heading values are the album's first song's.
    void appendBlock(QString &page, const SongList &album) const
    {
        const Song &first = *album.first();
        page.append("<tr><td colspan=\"2\">\n"
                    "<table width=\"100%\" border=\"1\" cellpadding=\"5\" cellspacing=\"0\">\n"
                    "<tr><td width=\"40%\" valign=\"top\">\n"
                    "<b><font size=\"+1\">"_L1);
        appendEscaped(page, first.getArtist());
        page.append("</font></b>\n<br><b>"_L1);
        appendEscaped(page, first.getAlbum());
        page.append("</b>\n<br><i>"_L1);
        if (first.getYear() != 0)
            appendDecimal(page, first.getYear());
        if (!first.getGenre().isEmpty()) {
            if (first.getYear() != 0)
                page.append(", "_L1);
            appendEscaped(page, first.getGenre());
        }
        page.append("</i>\n"_L1);
        page.append(m_totalTimeLabel);
        page.append(HTML::getTotalTimeForSongsAsString(album));
        page.append(m_totalSizeLabel);
        page.append(HTML::getTotalFileSizeForSongsAsString(album));
        page.append("</td>\n<td width=\"60%\" valign=\"top\">\n"
                    "<table width=\"100%\" border=\"0\" cellpadding=\"5\" cellspacing=\"0\">\n"_L1);
        // The alternation starts again with every album.
        for (qsizetype t = 0; t < album.size(); ++t) {
            const Song &song = *album[t];
            const bool alt = t % 2 == 0;
            page.append(alt ? "<tr>\n<td class=\"alt\">"_L1 : "<tr>\n<td class=\"nonalt\">"_L1);
            if (song.getTrackNumber() != 0) {
                appendDecimal(page, song.getTrackNumber());
                page.append(u'.');
            }
            page.append(
                alt ? "</td>\n<td class=\"alt\" width=\"100%\">"_L1 : "</td>\n<td class=\"nonalt\" width=\"100%\">"_L1);
            appendLinkedName(page, song, m_links);
            page.append(alt ? "</td>\n<td class=\"alt\">"_L1 : "</td>\n<td class=\"nonalt\">"_L1);
            appendTime(page, song.getTime());
            page.append("</td>\n</tr>\n"_L1);
        }
        page.append("</table>\n</td></tr></table>\n</td></tr>\n"_L1);
    }

    const AlbumList m_albums;
    const qint64 m_perPage;
    const LinkSettings m_links;
    const PageParts m_parts;
    const QString m_totalTimeLabel;
    const QString m_totalSizeLabel;
    QString m_titleRowStart;
    QString m_headerRow;
    qsizetype m_blockChars = 0;
    qsizetype m_blocksMade = 0;
};

template<typename Pages> QStringList allPages(Pages &&set)
{
    QStringList result;
    result.reserve(set.pages());
    for (int p = 1; p <= set.pages(); ++p)
        result.append(set.page(p));
    return result;
}

// Each page is made, encoded and written before the next is made, so a page set never sits in memory whole.
template<typename Pages> void writePages(Pages &&set, const QStringList &paths)
{
    for (int p = 1; p <= set.pages() && p <= paths.size(); ++p) {
        const QByteArray bytes = kwStringMethods::convertToUTF8(set.page(p));
        if (!FileManager::writeToFileAtomically(bytes, paths[p - 1])) {
            Common::handleWriteError();
            return;
        }
    }
}

} // namespace

QString HTML::escape(const QString &value)
{
    const auto special = [](QChar c) { return c == u'&' || c == u'<' || c == u'>' || c == u'"'; };
    if (std::none_of(value.cbegin(), value.cend(), special))
        return value;
    QString out;
    out.reserve(value.size() + value.size() / 4 + 8);
    appendEscaped(out, value);
    return out;
}

int HTML::filesNeededSongs(int songs)
{
    return pagesNeeded(songs, Preferences::integerFor(Preferences::prHTMLMaxSongsPerFile));
}

int HTML::filesNeededAlbums(int albums)
{
    return pagesNeeded(albums, Preferences::integerFor(Preferences::prHTMLMaxAlbumsPerFile));
}

QString HTML::getTotalTimeForSongsAsString(const SongList &songs)
{
    return kwStringMethods::getTimeAsNiceVagueString(totalSeconds(songs));
}

QString HTML::getTotalFileSizeForSongsAsString(const SongList &songs)
{
    return kwStringMethods::kilobytesToMBString(totalKilobytes(songs));
}

QStringList HTML::getFileCenter(const SongList &songs)
{
    const RowMaker maker = RowMaker::read(currentFieldOrder());
    QStringList rows;
    rows.reserve(songs.size());
    for (qsizetype i = 0; i < songs.size(); ++i) {
        QString row;
        maker.appendRow(row, *songs[i], i);
        rows.append(std::move(row));
    }
    return rows;
}

QStringList HTML::makeExportStrings(const SongList &songs, const QStringList &filePaths, const QString &playlistName)
{
    return allPages(SongPages(songs, filePaths, playlistName));
}

QStringList HTML::makeAlbumBasedExportStrings(const Playlist &playlist, const QStringList &filePaths)
{
    return allPages(AlbumPages(playlist, filePaths));
}

QString HTML::getSongNameLinkedIfNecessary(const Song &song)
{
    QString out;
    appendLinkedName(out, song, LinkSettings::read());
    return out;
}

std::optional<QString> HTML::dropPath(const QString &basePath, const QString &fullPath)
{
    QStringList base = PathUtils::pathComponents(basePath);
    if (!base.isEmpty() && base.first() == "/"_L1)
        base.removeFirst();
    return dropComponents(base, fullPath);
}

QString &HTML::ensureStartSlash(QString &path)
{
    if (path.isEmpty())
        path.append(u'/');
    else if (path.front() != u'/')
        path.prepend(u'/');
    return path;
}

QString &HTML::ensureEndSlash(QString &path)
{
    if (path.isEmpty() || path.back() != u'/')
        path.append(u'/');
    return path;
}

QStringList HTML::pagePaths(const QString &chosenPath, int pages)
{
    QStringList paths;
    if (pages <= 0)
        return paths;
    paths.reserve(pages);
    paths.append(chosenPath);
    const QString stem = PathUtils::stringByDeletingPathExtension(chosenPath);
    const QString extension = PathUtils::pathExtension(chosenPath);
    for (int k = 2; k <= pages; ++k)
        paths.append(stem % QString::number(k) % u'.' % extension);
    return paths;
}

void HTML::saveHTMLTo(const QString &path, const Playlist &playlist, bool albumBased)
{
    SongList songs = playlist.getSongs();
    if (!albumBased) {
        // Duplicates go before the sort, so of two equal songs the one first in playlist order stays.
        if (Preferences::boolFor(Preferences::prHTMLRemoveDupes))
            Common::removeDuplicateSongsFromList(songs);
        if (!Preferences::boolFor(Preferences::priTunesOrdering))
            SongSort::sortWithMainSort(songs);
    }

    const int pages
        = albumBased ? filesNeededAlbums(int(playlist.getAlbums().size())) : filesNeededSongs(int(songs.size()));
    if (pages == 0)
        return;
    UserInteraction &ui = UserInteraction::current();
    if (pages > kMaxPageFiles) {
        ui.runCriticalAlert(
            text("TooManyFilesErrorTitle"_L1), text("TooManyFilesErrorText"_L1), text("OKButtonText"_L1));
        return;
    }

    const QStringList paths = pagePaths(path, pages);
    // The first page is the file the user chose to replace; a further page must never replace anything.
    // Checked before any page is made or written, so a refusal leaves every file as it was.
    for (int k = 1; k < pages; ++k) {
        if (FileManager::fileExistsAtPath(paths[k])) {
            ui.runCriticalAlert(text("FileExistsErrorTitle"_L1),
                text("FileExistsErrorText1"_L1) % PathUtils::lastPathComponent(paths[k])
                    % text("FileExistsErrorText2"_L1) % PathUtils::lastPathComponent(paths[0]) % "\"."_L1,
                text("OKButtonText"_L1));
            return;
        }
    }

    if (albumBased)
        writePages(AlbumPages(playlist, paths), paths);
    else
        writePages(SongPages(songs, paths, playlist.getName()), paths);
}
