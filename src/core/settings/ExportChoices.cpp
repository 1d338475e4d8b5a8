#include "ExportChoices.h"

#include "Preferences.h"
#include "core/fields/FieldVocabulary.h"
#include "core/platform/UserDefaults.h"

#include <algorithm>
#include <utility>

namespace {
ExportChoices *s_main = nullptr;
}

ExportChoices *ExportChoices::getMain()
{
    return s_main;
}

ExportChoices *ExportChoices::setMain(ExportChoices *choices)
{
    return std::exchange(s_main, choices);
}

void ExportChoices::sortOptions(QStringList &list)
{
    // Plain code-unit order, upper case before lower case; stable so equal titles keep their order.
    std::stable_sort(list.begin(), list.end(),
        [](const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseSensitive) < 0; });
}

void ExportChoices::fillFromSettings(const UserDefaults &store)
{
    m_exportOptions = FieldVocabulary::offeredTitles();
    sortOptions(m_exportOptions);
    m_fieldOrder.clear();
    m_sortOrder.clear();

    const QStringList storedFields = store.stringListForKey(QString(Preferences::prFieldOrder));
    if (storedFields.isEmpty())
        return;
    // A stored title that names a field by its title key (as settings from before the titles were words do) is
    // read as the field's title of today, so that it counts as chosen and shows as the others; the store gets
    // the new titles on the next write. Titles that no longer name a field are taken as they stand.
    const auto currentTitles = [](const QStringList &stored) {
        QStringList titles;
        titles.reserve(stored.size());
        for (const QString &title : stored) {
            const std::optional<Field> field = FieldVocabulary::fieldForTitle(title, FieldVocabulary::compareOrder());
            titles.append(field ? FieldVocabulary::title(*field) : title);
        }
        return titles;
    };
    m_fieldOrder = currentTitles(storedFields);
    m_sortOrder = currentTitles(store.stringListForKey(QString(Preferences::prSortOrder)));
    for (const QString &title : std::as_const(m_fieldOrder))
        m_exportOptions.removeAll(title);
}

void ExportChoices::storeToSettings(UserDefaults &store) const
{
    // The two lists go together: a sort list of another field list is no order at all.
    UserDefaults::Group group(store);
    store.setObject(m_fieldOrder, QString(Preferences::prFieldOrder));
    store.setObject(m_sortOrder, QString(Preferences::prSortOrder));
}

bool ExportChoices::addField(qsizetype optionsRow)
{
    if (optionsRow < 0 || optionsRow >= m_exportOptions.size())
        return false;
    const QString title = m_exportOptions.at(optionsRow);
    m_fieldOrder.append(title);
    m_sortOrder.append(title);
    m_exportOptions.removeAt(optionsRow);
    return true;
}

void ExportChoices::removeField(const QString &title)
{
    m_exportOptions.append(title);
    m_fieldOrder.removeAll(title);
    m_sortOrder.removeAll(title);
    sortOptions(m_exportOptions);
}

qsizetype ExportChoices::moveByDrop(QStringList &list, const QString &title, qsizetype dropRow)
{
    const qsizetype i = list.indexOf(title);
    if (i < 0)
        return -1;
    if (dropRow < 0 || dropRow > list.size()) {
        list.removeAt(i);
        list.append(title);
        return list.size() - 1;
    }
    if (dropRow > i) {
        list.insert(dropRow, title);
        list.removeAt(i);
        return dropRow - 1;
    }
    list.removeAt(i);
    list.insert(dropRow, title);
    return dropRow;
}

bool ExportChoices::moveUp(QStringList &list, qsizetype row)
{
    if (row < 1 || row >= list.size())
        return false;
    list.swapItemsAt(row, row - 1);
    return true;
}

bool ExportChoices::moveDown(QStringList &list, qsizetype row)
{
    if (row < 0 || row + 1 >= list.size())
        return false;
    list.swapItemsAt(row, row + 1);
    return true;
}
