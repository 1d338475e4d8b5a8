#pragma once

#include "core/library/Song.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

// The frame that every page of a set has, song pages and album pages alike: the head with its style sheet, the
// title row with the page number, the user's header, the navigation row above and below the body, and the
// footer with the playlist's totals. A page kind gives only its layout and its body.
//
// Pages are made one at a time, each in one pass into a text reserved from what the pages before needed, so
// that a page can be written before the next is made.
class HTMLPage
{
public:
    // What tells the frames of the page kinds apart.
    struct Layout
    {
        QLatin1StringView tableAttributes; // of the outer table, before the ones all pages share
        QString titleSpan; // the colspan attribute of the title cell, or nothing
        QLatin1StringView pageNumberAttributes; // of the cell beside it, with the page number
        QString fullSpan; // the colspan attribute of a cell across the whole table
        QString columnHeader; // the row above the body, or nothing
        qsizetype guessPerItem = 0; // room for one item of the body before any page has been made
    };

    // A set of `items` body items at `limit` a page for the playlist `playlistName`, whose pages are stored at
    // `filePaths`; the footer gives the totals of `songs`.
    HTMLPage(const Layout &layout, const QString &playlistName, const QStringList &filePaths, const SongList &songs,
        qsizetype items, qint64 limit);

    // Page counts for one per-file limit; a limit of 0 (or a stray negative one) means one page.
    static int pagesNeeded(qint64 items, qint64 limit);
    // A per-file limit as the settings hold it, within 0 (one page) and the most items a page set can have, so
    // that no page arithmetic can overflow whatever a settings file says.
    static qint64 clampedLimit(qint64 limit);
    // Whether `text` is a colour the pages can use: exactly six hexadecimal digits.
    static bool isColour(const QString &text);
    // The colour setting `key` when it is a colour, else its registered default: a setting is never written
    // into the style sheet as it stands.
    static QString colourFor(QLatin1StringView key);
    static QString totalTimeText(const SongList &songs);
    static QString totalSizeText(const SongList &songs);

    int pages() const { return int(m_hrefs.size()); }

    // Page `page` (from 1), its body made by `appendItems(out, first, last)` for the items [first, last).
    template<typename AppendItems> QString make(int page, AppendItems &&appendItems)
    {
        const qsizetype first = firstItem(page);
        const qsizetype last = firstItem(page + 1);
        const QString navigation = pages() > 1 ? this->navigation(page) : QString();
        QString out;
        out.reserve(estimate(last - first));
        appendTop(out, page, navigation);
        const qsizetype bodyStart = out.size();
        appendItems(out, first, last);
        m_bodyChars += out.size() - bodyStart;
        m_itemsMade += last - first;
        appendBottom(out, navigation);
        return out;
    }

private:
    qsizetype firstItem(int page) const;
    // The navigation row of page `page`: the other pages as links, this one as a plain number.
    QString navigation(int page) const;
    void appendTop(QString &out, int page, const QString &navigation) const;
    void appendBottom(QString &out, const QString &navigation) const;
    qsizetype estimate(qsizetype items) const;

    const Layout m_layout;
    const qsizetype m_items;
    const qint64 m_perPage;
    QString m_head;
    QString m_tableStart;
    QString m_titleRowStart;
    QString m_fullRowStart;
    QString m_headerRow; // the user's own markup, written as it is, in a row of its own
    QString m_pageWord;
    QString m_footer;
    QStringList m_hrefs; // the link target of each page
    qsizetype m_bodyChars = 0;
    qsizetype m_itemsMade = 0;
};
