#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class ExportChoices;
class FieldListModel;
class QCheckBox;
class QListView;
class QPushButton;
namespace Ui {
class FieldSelectionSheet;
}

// The field-selection sheet: the options, field and sort lists of the controller's export choices, with the
// add, remove and move buttons, the playlist-order check box, and confirm and cancel. It edits the controller's
// lists in place, so its changes stay even when it is cancelled.
class FieldSelectionSheet : public QDialog
{
    Q_OBJECT

public:
    FieldSelectionSheet(ExportChoices &choices, QWidget *parent = nullptr);
    ~FieldSelectionSheet() override;

    QListView *optionsView() const;
    QListView *fieldView() const;
    QListView *sortView() const;
    QPushButton *addFieldButton() const;
    QPushButton *removeFieldButton() const;
    QPushButton *moveUpButton() const;
    QPushButton *moveDownButton() const;
    QPushButton *saveButton() const;
    QPushButton *cancelButton() const;
    QCheckBox *iTunesOrderingButton() const;
    FieldListModel *optionsModel() const { return m_optionsModel; }
    FieldListModel *fieldModel() const { return m_fieldModel; }
    FieldListModel *sortModel() const { return m_sortModel; }

    // The add and remove buttons' images, from the application's resources.
    void setUpButtonImages();
    // Shows the three lists afresh and sets the buttons from them.
    void reloadTables();
    // The confirm button is usable only with at least one exported field.
    void updateSaveButton();

    // Moves the selected option to the end of the field list and of the sort list.
    void addField();
    // Returns the selected field of the sort list, or else of the field list, to the options.
    void removeField();
    // Moves the selected field of the chosen list in use one row up (`by` -1) or down (1), within that list
    // only: the column order and the sort order are set apart from each other.
    void moveField(int by);

    // Runs the sheet window-modally on its parent until confirm or cancel; answers fieldSelectOK(). A given
    // `runner` takes the place of the modal loop and must end the sheet itself (tests).
    bool runModal(const std::function<void(FieldSelectionSheet &)> &runner = {});
    // Ends the sheet: confirmed when `sender` is the confirm button, cancelled for anything else.
    void endFieldSelect(QObject *sender);
    bool fieldSelectOK() const { return m_fieldSelectOK; }

    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The chosen list the edit buttons act on: the one with the focus, else the one with a selection.
    QListView *activeChosenList() const;
    void updateMoveButtons();
    void tableSelectionDidChange(QListView *table);
    void updateAddRemoveButtons();
    void iTunesOrderingStateChanged();
    static void selectRow(QListView *table, int row);
    static void selectCurrentIfNone(QListView *table);

    const std::unique_ptr<Ui::FieldSelectionSheet> ui;
    ExportChoices &m_choices;
    FieldListModel *m_optionsModel;
    FieldListModel *m_fieldModel;
    FieldListModel *m_sortModel;
    QPushButton *m_saveButton;
    QPushButton *m_cancelButton;
    bool m_fieldSelectOK = false;
};
