#include "FieldListModel.h"

#include "core/settings/ExportChoices.h"

#include <QMimeData>

using namespace Qt::StringLiterals;

FieldListModel::FieldListModel(Kind kind, QStringList *list, QObject *parent)
    : QAbstractListModel(parent)
    , m_kind(kind)
    , m_list(list)
{
}

QString FieldListModel::sourceMimeType()
{
    return u"application/x-setlistry-field-source"_s;
}

QByteArray FieldListModel::sourceMark() const
{
    // Only ever compared within this process, where the address names the model.
    return QByteArray::number(reinterpret_cast<quintptr>(this));
}

QString FieldListModel::titleAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return QString();
    return m_list->at(row);
}

void FieldListModel::setRowsHidden(bool hidden)
{
    if (hidden == m_rowsHidden)
        return;
    beginResetModel();
    m_rowsHidden = hidden;
    endResetModel();
}

void FieldListModel::reload()
{
    beginResetModel();
    endResetModel();
}

int FieldListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || m_rowsHidden)
        return 0;
    return int(m_list->size());
}

QVariant FieldListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_list->at(index.row());
    return QVariant();
}

Qt::ItemFlags FieldListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_kind == Kind::Options ? Qt::NoItemFlags : Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_kind != Kind::Options)
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QStringList FieldListModel::mimeTypes() const
{
    return { u"text/plain"_s, sourceMimeType() };
}

QMimeData *FieldListModel::mimeData(const QModelIndexList &indexes) const
{
    // Every operation acts on one row: the first one dragged.
    if (indexes.isEmpty() || !indexes.first().isValid())
        return nullptr;
    auto *data = new QMimeData;
    data->setText(m_list->at(indexes.first().row()));
    data->setData(sourceMimeType(), sourceMark());
    return data;
}

Qt::DropActions FieldListModel::supportedDragActions() const
{
    // A copy, so the view never removes the dragged row itself: the drop does the whole move.
    return Qt::CopyAction;
}

Qt::DropActions FieldListModel::supportedDropActions() const
{
    return Qt::CopyAction;
}

bool FieldListModel::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &) const
{
    if (m_kind == Kind::Options || m_rowsHidden || !data)
        return false;
    return data->hasText() && data->data(sourceMimeType()) == sourceMark();
}

bool FieldListModel::dropMimeData(
    const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent)
{
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const QString title = data->text();
    const qsizetype from = m_list->indexOf(title);
    if (from < 0)
        return false;

    const qsizetype count = m_list->size();
    const qsizetype dropRow = parent.isValid() ? parent.row() : row;
    const qsizetype destination = (dropRow < 0 || dropRow > count) ? count : dropRow;
    // Above itself or above the row just below it: the list stays as it is.
    if (destination == from || destination == from + 1)
        return true;

    beginMoveRows(QModelIndex(), int(from), int(from), QModelIndex(), int(destination));
    ExportChoices::moveByDrop(*m_list, title, destination == count ? -1 : destination);
    endMoveRows();
    return true;
}

bool FieldListModel::moveRowBy(int row, int by)
{
    if (m_kind == Kind::Options || m_rowsHidden || (by != -1 && by != 1))
        return false;
    if (row < 0 || row + by < 0 || row + by >= rowCount())
        return false;
    // The destination of a move is the row the title ends up above, counted before the move.
    beginMoveRows(QModelIndex(), row, row, QModelIndex(), by < 0 ? row - 1 : row + 2);
    if (by < 0)
        ExportChoices::moveUp(*m_list, row);
    else
        ExportChoices::moveDown(*m_list, row);
    endMoveRows();
    return true;
}
