#pragma once

#include <QAbstractListModel>
#include <QStringList>

// One of the three lists of field titles of the field-selection sheet, shown as a single-column table.
//
// The model works on the controller's own list, not a copy. Reordering goes through drag and drop within the
// same table only: a drag carries the dragged title as plain text together with a mark of the model it came
// from, and a model accepts a drop only when that mark is its own. Titles therefore never move between the
// field list and the sort list, and nothing from the options table or other applications is accepted.
class FieldListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum class Kind { Options, Fields, Sort };

    FieldListModel(Kind kind, QStringList *list, QObject *parent = nullptr);

    Kind kind() const { return m_kind; }
    QString titleAt(int row) const;

    // The sort table shows no rows while the playlist's own order is kept; the list itself is untouched.
    void setRowsHidden(bool hidden);
    bool rowsHidden() const { return m_rowsHidden; }
    // The list changed under the model: show it afresh.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) const override;
    // Moves the dropped title above row `row` (`parent` valid: a drop onto that row, taken as above it; -1:
    // to the end). Moved rows keep their selection, so the title selected before the drop stays selected
    // at its new row.
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

    // Moves row `row` one up (`by` -1) or down (1), keeping its selection; false when it cannot move.
    bool moveRowBy(int row, int by);

    // The MIME type that marks the model a drag started in.
    static QString sourceMimeType();

private:
    QByteArray sourceMark() const;

    Kind m_kind;
    QStringList *m_list;
    bool m_rowsHidden = false;
};
