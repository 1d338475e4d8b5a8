#pragma once

#include "HTMLLinks.h"
#include "core/fields/FieldVocabulary.h"
#include "core/library/Song.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The table rows of songs, one cell per exported field. Everything a row needs besides the song is worked out
// once for the whole list.
class SongRows
{
public:
    // For the fields the export choices name, in their order.
    static SongRows forCurrentFields();

    const QStringList &titles() const { return m_titles; }
    bool numbersRows() const { return m_numberRows; }

    // Row `index` of the whole list: classes and numbers run on over the pages.
    void appendRow(QString &out, const Song &song, qsizetype index) const;

private:
    SongRows() = default;

    void appendCell(QString &out, const Song &song, Field field) const;

    QStringList m_titles;
    QList<std::optional<Field>> m_fields;
    bool m_numberRows = false;
    bool m_useStars = false;
    HTMLLinks m_links;
};
