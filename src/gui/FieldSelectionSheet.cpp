#include "FieldSelectionSheet.h"

#include "FieldListModel.h"
#include "core/platform/Localization.h"
#include "core/settings/ExportChoices.h"
#include "ui_FieldSelectionSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QIcon>
#include <QKeyEvent>
#include <QListView>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
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
    m_saveButton = ui->buttonBox->button(QDialogButtonBox::Ok);
    m_cancelButton = ui->buttonBox->button(QDialogButtonBox::Cancel);
    m_saveButton->setObjectName(u"saveButton"_s);
    m_cancelButton->setObjectName(u"cancelButton"_s);
    m_saveButton->setText(Localization::localizedString(u"ContinueButtonText"_s));
    m_cancelButton->setText(Localization::localizedString(u"CancelButtonText"_s));
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
    connect(ui->moveUpButton, &QPushButton::clicked, this, [this] { moveField(-1); });
    connect(ui->moveDownButton, &QPushButton::clicked, this, [this] { moveField(1); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { endFieldSelect(m_saveButton); });
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { endFieldSelect(m_cancelButton); });

    // Alt+arrows rather than the buttons' own mnemonics: the arrows are what the lists themselves move by.
    auto *up = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Up), this);
    auto *down = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), this);
    connect(up, &QShortcut::activated, this, [this] { moveField(-1); });
    connect(down, &QShortcut::activated, this, [this] { moveField(1); });
    // Return in the options adds; Delete in a chosen list removes. Both must not reach the dialog, where
    // Return would confirm the sheet.
    for (QListView *table : { ui->optionsView, ui->fieldView, ui->sortView })
        table->installEventFilter(this);
    // The move buttons follow the list the user is in, and focus moves without any selection changing.
    connect(qApp, &QApplication::focusChanged, this, &FieldSelectionSheet::updateMoveButtons);
}

FieldSelectionSheet::~FieldSelectionSheet()
{
    // Focus moves while the widgets go, after ui is gone.
    disconnect(qApp, nullptr, this, nullptr);
}

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

QPushButton *FieldSelectionSheet::moveUpButton() const
{
    return ui->moveUpButton;
}

QPushButton *FieldSelectionSheet::moveDownButton() const
{
    return ui->moveDownButton;
}

QPushButton *FieldSelectionSheet::saveButton() const
{
    return m_saveButton;
}

QPushButton *FieldSelectionSheet::cancelButton() const
{
    return m_cancelButton;
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
    m_saveButton->setEnabled(m_fieldModel->rowCount() > 0);
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

QListView *FieldSelectionSheet::activeChosenList() const
{
    QWidget *focus = focusWidget();
    if ((focus == ui->fieldView || focus == ui->sortView)
        && static_cast<QListView *>(focus)->selectionModel()->hasSelection())
        return static_cast<QListView *>(focus);
    return ui->sortView->selectionModel()->hasSelection() ? ui->sortView : ui->fieldView;
}

void FieldSelectionSheet::selectCurrentIfNone(QListView *table)
{
    // A list entered by the keyboard shows its current row without selecting it; keys act on that row then.
    const QModelIndex current = table->currentIndex();
    if (!table->selectionModel()->hasSelection() && current.isValid())
        table->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
}

void FieldSelectionSheet::moveField(int by)
{
    if (QWidget *focus = focusWidget(); focus == ui->fieldView || focus == ui->sortView)
        selectCurrentIfNone(static_cast<QListView *>(focus));
    QListView *table = activeChosenList();
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    auto *model = static_cast<FieldListModel *>(table->model());
    if (!model->moveRowBy(selected.first().row(), by))
        return;
    table->scrollTo(table->selectionModel()->selectedRows().value(0));
    updateMoveButtons();
}

void FieldSelectionSheet::updateMoveButtons()
{
    QListView *table = activeChosenList();
    const QModelIndexList selected = table->selectionModel()->selectedRows();
    const int row = selected.isEmpty() ? -1 : selected.first().row();
    ui->moveUpButton->setEnabled(row > 0);
    ui->moveDownButton->setEnabled(row >= 0 && row + 1 < table->model()->rowCount());
}

bool FieldSelectionSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return QDialog::eventFilter(watched, event);
    if (watched == ui->optionsView && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        selectCurrentIfNone(ui->optionsView);
        addField();
        return true;
    }
    if ((watched == ui->fieldView || watched == ui->sortView)
        && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)) {
        selectCurrentIfNone(static_cast<QListView *>(watched));
        removeField();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FieldSelectionSheet::removeField()
{
    QListView *source = activeChosenList();
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
    updateMoveButtons();
}

void FieldSelectionSheet::updateAddRemoveButtons()
{
    // A model reset clears selections without telling anyone.
    ui->addFieldButton->setEnabled(ui->optionsView->selectionModel()->hasSelection());
    ui->removeFieldButton->setEnabled(
        ui->fieldView->selectionModel()->hasSelection() || ui->sortView->selectionModel()->hasSelection());
    updateMoveButtons();
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
    m_fieldSelectOK = sender == m_saveButton;
    QDialog::done(m_fieldSelectOK ? QDialog::Accepted : QDialog::Rejected);
}

void FieldSelectionSheet::reject()
{
    // Escape and closing the window count as cancel.
    m_fieldSelectOK = false;
    QDialog::reject();
}
