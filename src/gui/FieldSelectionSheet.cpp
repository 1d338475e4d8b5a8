#include "FieldSelectionSheet.h"

#include "FieldListModel.h"
#include "core/settings/ExportChoices.h"
#include "ui_FieldSelectionSheet.h"

#include <QCheckBox>
#include <QIcon>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A little air between the rows, so that titles are easy to hit and to drop between.
class RowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(size.height() + 6);
        return size;
    }
};

} // namespace

FieldSelectionSheet::FieldSelectionSheet(ExportChoices &choices, QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::FieldSelectionSheet>())
    , m_choices(choices)
{
    ui->setupUi(this);
    m_optionsModel = new FieldListModel(FieldListModel::Kind::Options, &m_choices.getExportOptions(), this);
    m_fieldModel = new FieldListModel(FieldListModel::Kind::Fields, &m_choices.getFieldOrder(), this);
    m_sortModel = new FieldListModel(FieldListModel::Kind::Sort, &m_choices.getSortOrder(), this);
    ui->optionsView->setModel(m_optionsModel);
    ui->fieldView->setModel(m_fieldModel);
    ui->sortView->setModel(m_sortModel);

    // Double-clicks add from the options and remove from the chosen lists.
    connect(ui->optionsView, &QListView::doubleClicked, this, &FieldSelectionSheet::addField);
    connect(ui->fieldView, &QListView::doubleClicked, this, &FieldSelectionSheet::removeField);
    connect(ui->sortView, &QListView::doubleClicked, this, &FieldSelectionSheet::removeField);

    // Reordering by dragging within the field and the sort list; the options list takes no drops.
    for (QListView *table : { ui->fieldView, ui->sortView }) {
        table->setDragEnabled(true);
        table->setAcceptDrops(true);
        table->setDropIndicatorShown(true);
        table->setDragDropMode(QAbstractItemView::DragDrop);
        table->setDefaultDropAction(Qt::CopyAction);
        table->setDragDropOverwriteMode(false);
    }
    ui->optionsView->setDragEnabled(false);
    ui->optionsView->setAcceptDrops(false);

    for (QListView *table : { ui->optionsView, ui->fieldView, ui->sortView }) {
        table->setItemDelegate(new RowDelegate(table));
        table->setUniformItemSizes(true);
        connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, table] { tableSelectionDidChange(table); });
    }
    connect(ui->iTunesOrderingButton, &QCheckBox::toggled, this, &FieldSelectionSheet::iTunesOrderingStateChanged);
    connect(ui->addFieldButton, &QPushButton::clicked, this, &FieldSelectionSheet::addField);
    connect(ui->removeFieldButton, &QPushButton::clicked, this, &FieldSelectionSheet::removeField);
    connect(ui->saveButton, &QPushButton::clicked, this, [this] { endFieldSelect(ui->saveButton); });
    connect(ui->cancelButton, &QPushButton::clicked, this, [this] { endFieldSelect(ui->cancelButton); });
}

FieldSelectionSheet::~FieldSelectionSheet() = default;

QListView *FieldSelectionSheet::optionsView() const
{
    return ui->optionsView;
}

QListView *FieldSelectionSheet::fieldView() const
{
    return ui->fieldView;
}

QListView *FieldSelectionSheet::sortView() const
{
    return ui->sortView;
}

QPushButton *FieldSelectionSheet::addFieldButton() const
{
    return ui->addFieldButton;
}

QPushButton *FieldSelectionSheet::removeFieldButton() const
{
    return ui->removeFieldButton;
}

QPushButton *FieldSelectionSheet::saveButton() const
{
    return ui->saveButton;
}

QPushButton *FieldSelectionSheet::cancelButton() const
{
    return ui->cancelButton;
}

QCheckBox *FieldSelectionSheet::iTunesOrderingButton() const
{
    return ui->iTunesOrderingButton;
}

void FieldSelectionSheet::setUpButtonImages()
{
    // Without an image reader for the resources the buttons still need something to show.
    const auto image = [this](const QString &resource, QStyle::StandardPixmap fallback) {
        const QPixmap pixmap(resource);
        return pixmap.isNull() ? style()->standardIcon(fallback) : QIcon(pixmap);
    };
    ui->addFieldButton->setIcon(image(u":/images/arrow_r.tif"_s, QStyle::SP_ArrowRight));
    ui->removeFieldButton->setIcon(image(u":/images/arrow_l.tif"_s, QStyle::SP_ArrowLeft));
}

void FieldSelectionSheet::reloadTables()
{
    m_optionsModel->reload();
    m_fieldModel->reload();
    m_sortModel->reload();
    updateAddRemoveButtons();
}

void FieldSelectionSheet::updateSaveButton()
{
    ui->saveButton->setEnabled(m_fieldModel->rowCount() > 0);
}

void FieldSelectionSheet::selectRow(QListView *table, int row)
{
    const int rows = table->model()->rowCount();
    if (rows == 0)
        return;
    const QModelIndex index = table->model()->index(std::clamp(row, 0, rows - 1), 0);
    table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void FieldSelectionSheet::addField()
{
    const QModelIndexList selected = ui->optionsView->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    if (!m_choices.addField(row))
        return;
    reloadTables();
    updateSaveButton();
    // The next option moves up into the row, so repeated adds take the options one after another.
    selectRow(ui->optionsView, row);
}

void FieldSelectionSheet::removeField()
{
    QListView *source = ui->sortView->selectionModel()->hasSelection() ? ui->sortView : ui->fieldView;
    const QModelIndexList selected = source->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.first().row();
    const QString title = static_cast<FieldListModel *>(source->model())->titleAt(row);
    m_choices.removeField(title);
    reloadTables();
    updateSaveButton();
    selectRow(source, row);
}

void FieldSelectionSheet::tableSelectionDidChange(QListView *table)
{
    // One selection between the two chosen lists: the one the user works in clears the other, so that
    // removeField() always acts on the list last clicked.
    if (focusWidget() == table) {
        if (table == ui->fieldView)
            ui->sortView->clearSelection();
        else if (table == ui->sortView)
            ui->fieldView->clearSelection();
    }
    if (table == ui->optionsView)
        ui->addFieldButton->setEnabled(table->selectionModel()->hasSelection());
    else
        ui->removeFieldButton->setEnabled(table->selectionModel()->hasSelection());
}

void FieldSelectionSheet::updateAddRemoveButtons()
{
    // A model reset clears selections without telling anyone.
    ui->addFieldButton->setEnabled(ui->optionsView->selectionModel()->hasSelection());
    ui->removeFieldButton->setEnabled(
        ui->fieldView->selectionModel()->hasSelection() || ui->sortView->selectionModel()->hasSelection());
}

void FieldSelectionSheet::iTunesOrderingStateChanged()
{
    const bool keepOrder = ui->iTunesOrderingButton->isChecked();
    m_sortModel->setRowsHidden(keepOrder);
    ui->sortView->setEnabled(!keepOrder);
    ui->sortLabel->setEnabled(!keepOrder);
    updateAddRemoveButtons();
}

bool FieldSelectionSheet::runModal(const std::function<void(FieldSelectionSheet &)> &runner)
{
    m_fieldSelectOK = false;
    setWindowModality(Qt::WindowModal);
    if (runner) {
        show();
        runner(*this);
        hide();
    } else {
        exec();
    }
    return m_fieldSelectOK;
}

void FieldSelectionSheet::endFieldSelect(QObject *sender)
{
    m_fieldSelectOK = sender == ui->saveButton;
    QDialog::done(m_fieldSelectOK ? QDialog::Accepted : QDialog::Rejected);
}

void FieldSelectionSheet::reject()
{
    // Escape and closing the window count as cancel.
    m_fieldSelectOK = false;
    QDialog::reject();
}
