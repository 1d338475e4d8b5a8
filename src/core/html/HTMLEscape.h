#pragma once

#include <QString>
#include <QStringView>

// Library and settings texts are written through this, once, where they go into a page: markup in a track's
// metadata must show as text, never act as markup on a published page.
class HTMLEscape
{
public:
    HTMLEscape() = delete;

    // Appends `value` with "&", "<", ">" and the double quote as character entities.
    static void append(QString &out, QStringView value);
    // The same as a text of its own; `value` itself (shared, not copied) when it holds none of the four.
    static QString escaped(const QString &value);
};
