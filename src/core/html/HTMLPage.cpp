#include "HTMLPage.h"

#include "HTMLEscape.h"
#include "HTMLLinks.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

QString text(QLatin1StringView key)
{
    return Localization::localizedString(key);
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

QString headFor(const QString &playlistName)
{
    const QString bg = HTMLPage::colourFor(Preferences::prHTMLBGColor);
    const QString fg = HTMLPage::colourFor(Preferences::prHTMLTextColor);
    const QString odd = HTMLPage::colourFor(Preferences::prHTMLOddColor);
    const QString even = HTMLPage::colourFor(Preferences::prHTMLEvenColor);
    const qint64 fontSize = Preferences::integerFor(Preferences::prHTMLFontSize);

    QString head;
    head.reserve(1200 + playlistName.size());
    head.append("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\n"
                "\"http://www.w3.org/TR/1999/REC-html401-19991224/loose.dtd\">\n\n"
                "<html>\n<head>\n<title>"_L1);
    HTMLEscape::append(head, playlistName);
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
    return head;
}

// The same on every page.
QString footerFor(const QString &playlistName, const SongList &songs)
{
    QString footer;
    footer.append("<p align=\"center\"><b><font size=\"-1\">"_L1);
    HTMLEscape::append(footer, playlistName);
    footer.append(": "_L1);
    kwStringMethods::appendDecimal(songs.size(), footer);
    footer.append(u' ' % text("songs"_L1) % ", "_L1);
    footer.append(HTMLPage::totalTimeText(songs) % ", "_L1 % HTMLPage::totalSizeText(songs));
    footer.append("</font></b></p>\n"_L1);
    return footer;
}

} // namespace

HTMLPage::HTMLPage(const Layout &layout, const QString &playlistName, const QStringList &filePaths,
    const SongList &songs, qsizetype items, qint64 limit)
    : m_layout(layout)
    , m_items(items)
    , m_perPage(clampedLimit(limit) > 0 ? clampedLimit(limit) : items)
    , m_head(headFor(playlistName))
    , m_pageWord(text("Page"_L1))
    , m_footer(footerFor(playlistName, songs))
{
    m_tableStart = "<table"_L1 % layout.tableAttributes
        % " align=\"center\" border=\"0\" cellpadding=\"5\" cellspacing=\"0\">\n"_L1;

    m_titleRowStart
        = "<tr><td"_L1 % layout.titleSpan % ">\n<strong class=\"header\">"_L1 % text("Playlist"_L1) % ": "_L1;
    HTMLEscape::append(m_titleRowStart, playlistName);
    m_titleRowStart.append("</strong></td>\n<td align=\"right\""_L1 % layout.pageNumberAttributes % u'>');

    m_fullRowStart = "<tr><td"_L1 % layout.fullSpan % u'>';
    const QString header = Preferences::stringFor(Preferences::prHTMLHeader);
    if (!header.isEmpty())
        m_headerRow = m_fullRowStart % header % "</td></tr>\n"_L1;

    const int count = pagesNeeded(items, limit);
    m_hrefs.reserve(count);
    for (int k = 0; k < count; ++k)
        m_hrefs.append(k < filePaths.size() ? HTMLLinks::pageHref(filePaths[k]) : QString());
}

int HTMLPage::pagesNeeded(qint64 items, qint64 limit)
{
    if (items <= 0)
        return 0;
    const qint64 step = clampedLimit(limit) > 0 ? clampedLimit(limit) : items;
    const qint64 pages = items / step + (items % step != 0 ? 1 : 0);
    return int(std::min<qint64>(pages, std::numeric_limits<int>::max()));
}

qint64 HTMLPage::clampedLimit(qint64 limit)
{
    return std::clamp<qint64>(limit, 0, std::numeric_limits<int>::max());
}

bool HTMLPage::isColour(const QString &text)
{
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    });
}

QString HTMLPage::colourFor(QLatin1StringView key)
{
    const QString value = Preferences::stringFor(key);
    if (isColour(value))
        return value;
    const Preferences::Key *known = Preferences::findKey(key);
    return known ? known->registeredDefault.toString() : QString();
}

QString HTMLPage::totalTimeText(const SongList &songs)
{
    return kwStringMethods::getTimeAsNiceVagueString(totalSeconds(songs));
}

QString HTMLPage::totalSizeText(const SongList &songs)
{
    return kwStringMethods::kilobytesToMBString(totalKilobytes(songs));
}

qsizetype HTMLPage::firstItem(int page) const
{
    // m_perPage is at most the int range and page - 1 below it, so the product fits.
    return std::min<qint64>(m_perPage * (page - 1), m_items);
}

QString HTMLPage::navigation(int page) const
{
    QString nav;
    nav.reserve(m_fullRowStart.size() + 40 + m_hrefs.size() * 40);
    nav.append(m_fullRowStart % "<p align=\"center\">"_L1 % m_pageWord % ": "_L1);
    for (int k = 1; k <= pages(); ++k) {
        if (k == page) {
            kwStringMethods::appendDecimal(k, nav);
        } else {
            nav.append("<a href=\""_L1 % m_hrefs[k - 1] % "\">"_L1);
            kwStringMethods::appendDecimal(k, nav);
            nav.append("</a>"_L1);
        }
        if (k != pages())
            nav.append(" | "_L1);
    }
    nav.append("</p></td></tr>\n"_L1);
    return nav;
}

void HTMLPage::appendTop(QString &out, int page, const QString &navigation) const
{
    out.append(m_head);
    out.append(m_tableStart);
    out.append(m_titleRowStart);
    out.append(m_pageWord % ": "_L1);
    kwStringMethods::appendDecimal(page, out);
    out.append(u'/');
    kwStringMethods::appendDecimal(pages(), out);
    out.append("</td></tr>"_L1);
    out.append(m_headerRow);
    out.append(navigation);
    out.append(m_layout.columnHeader);
}

void HTMLPage::appendBottom(QString &out, const QString &navigation) const
{
    out.append(navigation);
    out.append("</table>\n"_L1);
    out.append(m_footer);
    out.append("</body>\n</html>\n"_L1);
}

qsizetype HTMLPage::estimate(qsizetype items) const
{
    const qsizetype perItem = m_itemsMade > 0 ? m_bodyChars / m_itemsMade + 1 : m_layout.guessPerItem;
    return m_head.size() + m_tableStart.size() + m_titleRowStart.size() + m_headerRow.size()
        + m_layout.columnHeader.size() + m_footer.size() + 2 * (pages() * 40 + 200) + items * perItem;
}
