#pragma once

#include <QString>
#include <QStringList>

class UserDefaults;

// The user's export choices: the options list (offered fields not chosen yet, sorted), the field list (the
// chosen fields in output order) and the sort list (the same fields in sort order). Owned by the main
// controller; the exporters, the ordering and the duplicate removal read the live lists through getMain().
class ExportChoices
{
public:
    ExportChoices() = default;

    // The choices of the main controller; nullptr until the controller (or a front end standing in for it)
    // has set them.
    static ExportChoices *getMain();
    // Answers the choices it replaces.
    static ExportChoices *setMain(ExportChoices *choices);

    QStringList &getFieldOrder() { return m_fieldOrder; }
    QStringList &getSortOrder() { return m_sortOrder; }
    QStringList &getExportOptions() { return m_exportOptions; }
    const QStringList &getFieldOrder() const { return m_fieldOrder; }
    const QStringList &getSortOrder() const { return m_sortOrder; }
    const QStringList &getExportOptions() const { return m_exportOptions; }

    // Fills the three lists from the stored "FieldOrder" and "SortOrder".
    void fillFromSettings(const UserDefaults &store);
    // Writes the field list and the sort list as "FieldOrder" and "SortOrder".
    void storeToSettings(UserDefaults &store) const;

    // Sorts a list the way the options list is kept: case-sensitive, by UTF-16 code unit.
    static void sortOptions(QStringList &list);

    // Editing, as the field-selection sheet does it.
    // Moves options row `row` to the end of the field list and of the sort list; false when out of range.
    bool addField(qsizetype optionsRow);
    // Removes `title` from the field list and the sort list and returns it to the options list.
    void removeField(const QString &title);
    // Moves `title` within `list` by a drop above row `dropRow` (-1: to the end). Answers the title's new
    // index, or -1 when the title is not in the list.
    static qsizetype moveByDrop(QStringList &list, const QString &title, qsizetype dropRow);
    // Swap row `row` of `list` with the one above (below); false when there is none. The keyboard's way of
    // reordering, so the field list and the sort list can be put in different orders without a mouse.
    static bool moveUp(QStringList &list, qsizetype row);
    static bool moveDown(QStringList &list, qsizetype row);

private:
    QStringList m_exportOptions;
    QStringList m_fieldOrder;
    QStringList m_sortOrder;
};
