#include "SongPages.h"

#include "HTMLEscape.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"

using namespace Qt::StringLiterals;

namespace {

qint64 songsPerPage()
{
    return HTMLPage::clampedLimit(Preferences::integerFor(Preferences::prHTMLMaxSongsPerFile));
}

QString colspan(qint64 columns)
{
    return " colspan=\""_L1 % QString::number(columns) % u'"';
}

HTMLPage::Layout layoutFor(const SongRows &rows)
{
    HTMLPage::Layout layout;
    // An empty field list never comes from the export flow; without columns no row spans any.
    const qint64 columns = rows.titles().size();
    if (columns > 1) {
        layout.titleSpan = colspan(rows.numbersRows() ? columns : columns - 1);
        layout.fullSpan = colspan(rows.numbersRows() ? columns + 1 : columns);
    }
    layout.pageNumberAttributes = " colspan=\"1\""_L1;

    layout.columnHeader = u"<tr>"_s;
    if (rows.numbersRows())
        layout.columnHeader.append("<td><b><i>#</i></b></td>"_L1);
    const QString rating = Localization::localizedString("Rating"_L1);
    for (const QString &title : rows.titles()) {
        layout.columnHeader.append("<td><b><i>"_L1);
        HTMLEscape::append(layout.columnHeader, title == rating ? rating + " (1-5)"_L1 : title);
        layout.columnHeader.append("</i></b></td>"_L1);
    }
    layout.columnHeader.append("</tr>\n"_L1);
    layout.guessPerItem = 256;
    return layout;
}

} // namespace

SongPages::SongPages(const SongList &songs, const QStringList &filePaths, const QString &playlistName)
    : m_songs(songs)
    , m_rows(SongRows::forCurrentFields())
    , m_page(layoutFor(m_rows), playlistName, filePaths, songs, songs.size(), songsPerPage())
{
}

int SongPages::pagesNeeded(qsizetype songs)
{
    return HTMLPage::pagesNeeded(songs, songsPerPage());
}

QString SongPages::page(int p)
{
    return m_page.make(p, [this](QString &out, qsizetype first, qsizetype last) {
        for (qsizetype i = first; i < last; ++i)
            m_rows.appendRow(out, *m_songs[i], i);
    });
}
