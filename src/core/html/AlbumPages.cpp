#include "AlbumPages.h"

#include "HTMLEscape.h"
#include "core/platform/Localization.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

using namespace Qt::StringLiterals;

namespace {

qint64 albumsPerPage()
{
    return HTMLPage::clampedLimit(Preferences::integerFor(Preferences::prHTMLMaxAlbumsPerFile));
}

HTMLPage::Layout albumLayout()
{
    HTMLPage::Layout layout;
    layout.tableAttributes = " width=\"100%\""_L1;
    layout.fullSpan = u" colspan=\"2\""_s;
    layout.guessPerItem = 2048;
    return layout;
}

} // namespace

AlbumPages::AlbumPages(const Playlist &playlist, const QStringList &filePaths)
    : m_albums(playlist.getAlbums())
    , m_links(HTMLLinks::read())
    , m_totalTimeLabel("<br><br>"_L1 % Localization::localizedString("Total Time"_L1) % ": "_L1)
    , m_totalSizeLabel("<br>"_L1 % Localization::localizedString("Total File Size"_L1) % ": "_L1)
    , m_page(albumLayout(), playlist.getName(), filePaths, playlist.getSongs(), m_albums.size(), albumsPerPage())
{
}

int AlbumPages::pagesNeeded(qsizetype albums)
{
    return HTMLPage::pagesNeeded(albums, albumsPerPage());
}

QString AlbumPages::page(int p)
{
    return m_page.make(p, [this](QString &out, qsizetype first, qsizetype last) {
        for (qsizetype a = first; a < last; ++a)
            appendBlock(out, m_albums[a]);
    });
}

// The heading values are the album's first song's.
void AlbumPages::appendBlock(QString &out, const SongList &album) const
{
    const Song &first = *album.first();
    out.append("<tr><td colspan=\"2\">\n"
               "<table width=\"100%\" border=\"1\" cellpadding=\"5\" cellspacing=\"0\">\n"
               "<tr><td width=\"40%\" valign=\"top\">\n"
               "<b><font size=\"+1\">"_L1);
    HTMLEscape::append(out, first.getArtist());
    out.append("</font></b>\n<br><b>"_L1);
    HTMLEscape::append(out, first.getAlbum());
    out.append("</b>\n<br><i>"_L1);
    kwStringMethods::appendInt(first.getYear(), out, false);
    if (!first.getGenre().isEmpty()) {
        if (first.getYear() != 0)
            out.append(", "_L1);
        HTMLEscape::append(out, first.getGenre());
    }
    out.append("</i>\n"_L1);
    out.append(m_totalTimeLabel);
    out.append(HTMLPage::totalTimeText(album));
    out.append(m_totalSizeLabel);
    out.append(HTMLPage::totalSizeText(album));
    out.append("</td>\n<td width=\"60%\" valign=\"top\">\n"
               "<table width=\"100%\" border=\"0\" cellpadding=\"5\" cellspacing=\"0\">\n"_L1);
    // The alternation starts again with every album.
    for (qsizetype t = 0; t < album.size(); ++t) {
        const Song &song = *album[t];
        const bool alt = t % 2 == 0;
        out.append(alt ? "<tr>\n<td class=\"alt\">"_L1 : "<tr>\n<td class=\"nonalt\">"_L1);
        if (song.getTrackNumber() != 0) {
            kwStringMethods::appendDecimal(song.getTrackNumber(), out);
            out.append(u'.');
        }
        out.append(
            alt ? "</td>\n<td class=\"alt\" width=\"100%\">"_L1 : "</td>\n<td class=\"nonalt\" width=\"100%\">"_L1);
        m_links.appendLinkedName(out, song);
        out.append(alt ? "</td>\n<td class=\"alt\">"_L1 : "</td>\n<td class=\"nonalt\">"_L1);
        kwStringMethods::appendTime(song.getTime(), out);
        out.append("</td>\n</tr>\n"_L1);
    }
    out.append("</table>\n</td></tr></table>\n</td></tr>\n"_L1);
}
