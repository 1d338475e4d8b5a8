// The field-selection sheet: adding and removing fields (by mouse and by keyboard), the selection rule between the two
// chosen lists, the button enabling, the playlist-order box, reordering by drag and drop on the list models, and its
// modal run.
#include "GuiTestSupport.h"
#include "core/settings/Preferences.h"
#include "gui/FieldListModel.h"
#include "gui/FieldSelectionSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class FieldSheetTest : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        start();
        s = sheet();
        s->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(s));
    }

    void clickRow(QListView *table, const QString &title)
    {
        const auto *model = static_cast<const FieldListModel *>(table->model());
        // Item positions are laid out lazily, after the list changed.
        table->doItemsLayout();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->titleAt(row) == title) {
                const QRect rect = table->visualRect(model->index(row, 0));
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
                return;
            }
        }
        ADD_FAILURE() << "no row " << title.toStdString();
    }

    void doubleClickRow(QListView *table, int row)
    {
        table->doItemsLayout();
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        // mouseDClick() sends the double-click event alone; a real one follows a click.
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static int selectedRow(QListView *table)
    {
        const QModelIndexList rows = table->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

    FieldSelectionSheet *s = nullptr;
};

TEST_F(FieldSheetTest, AddingAndRemovingKeepsTheListsInStep)
{
    EXPECT_FALSE(s->addFieldButton()->isEnabled());
    EXPECT_FALSE(s->removeFieldButton()->isEnabled());

    selectTitle(s->optionsView(), u"Artist"_s);
    EXPECT_TRUE(s->addFieldButton()->isEnabled());
    s->addFieldButton()->click();
    selectTitle(s->optionsView(), u"Year"_s);
    s->addFieldButton()->click();
    EXPECT_EQ(titles(s->fieldView()), QStringList({ u"Artist"_s, u"Year"_s }));
    EXPECT_EQ(titles(s->sortView()), QStringList({ u"Artist"_s, u"Year"_s }));
    EXPECT_EQ(titles(s->optionsView()).size(), 16);
    EXPECT_FALSE(titles(s->optionsView()).contains(u"Artist"_s));
    EXPECT_TRUE(s->saveButton()->isEnabled());

    // Removing from the sort list removes from both and puts the title back in its sorted place.
    selectTitle(s->sortView(), u"Artist"_s);
    EXPECT_TRUE(s->removeFieldButton()->isEnabled());
    s->removeFieldButton()->click();
    EXPECT_EQ(titles(s->fieldView()), QStringList { u"Year"_s });
    EXPECT_EQ(titles(s->sortView()), QStringList { u"Year"_s });
    EXPECT_EQ(titles(s->optionsView()).indexOf(u"Artist"_s), 1);

    selectTitle(s->sortView(), u"Year"_s);
    s->sortView()->clearSelection();
    selectTitle(s->fieldView(), u"Year"_s);
    s->removeFieldButton()->click();
    EXPECT_TRUE(titles(s->fieldView()).isEmpty());
    EXPECT_TRUE(titles(s->sortView()).isEmpty());
    EXPECT_EQ(titles(s->optionsView()).size(), 18);
    EXPECT_FALSE(s->saveButton()->isEnabled());
    EXPECT_FALSE(s->removeFieldButton()->isEnabled()) << "nothing left to select";
}

TEST_F(FieldSheetTest, DoubleClicksAddAndRemove)
{
    doubleClickRow(s->optionsView(), 0);
    doubleClickRow(s->optionsView(), 0);
    EXPECT_EQ(titles(s->fieldView()), QStringList({ u"Album"_s, u"Artist"_s }));
    doubleClickRow(s->sortView(), 1);
    EXPECT_EQ(titles(s->fieldView()), QStringList { u"Album"_s });
    doubleClickRow(s->fieldView(), 0);
    EXPECT_TRUE(titles(s->fieldView()).isEmpty());
    EXPECT_EQ(titles(s->optionsView()).size(), 18);
}

TEST_F(FieldSheetTest, ClickingIntoOneChosenListClearsTheOther)
{
    addFields({ u"Name"_s, u"Genre"_s, u"Year"_s });
    clickRow(s->optionsView(), u"Album"_s);
    clickRow(s->fieldView(), u"Genre"_s);
    EXPECT_EQ(selectedRow(s->fieldView()), 1);
    clickRow(s->sortView(), u"Year"_s);
    EXPECT_EQ(selectedRow(s->sortView()), 2);
    EXPECT_EQ(selectedRow(s->fieldView()), -1);
    EXPECT_TRUE(s->removeFieldButton()->isEnabled());
    clickRow(s->fieldView(), u"Name"_s);
    EXPECT_EQ(selectedRow(s->sortView()), -1);
    EXPECT_EQ(selectedRow(s->optionsView()), 0) << "the options list neither clears nor is cleared";

    // The remove button acts on the list clicked last.
    s->removeFieldButton()->click();
    EXPECT_EQ(titles(s->fieldView()), QStringList({ u"Genre"_s, u"Year"_s }));
}

TEST_F(FieldSheetTest, KeepingThePlaylistOrderHidesTheSortRowsOnly)
{
    addFields({ u"Name"_s });
    s->iTunesOrderingButton()->setChecked(true);
    EXPECT_EQ(s->sortModel()->rowCount(), 0);
    addFields({ u"Artist"_s });
    EXPECT_EQ(s->sortModel()->rowCount(), 0);
    EXPECT_EQ(m_controller->getSortOrder(), QStringList({ u"Name"_s, u"Artist"_s }));
    s->iTunesOrderingButton()->setChecked(false);
    EXPECT_EQ(titles(s->sortView()), QStringList({ u"Name"_s, u"Artist"_s }));
}

struct DropCase
{
    const char *dragged;
    int row; // the drop row; -1 for the end
    bool ontoRow; // dropped onto the row rather than above it
    const char *expected;
};

void PrintTo(const DropCase &c, std::ostream *os)
{
    *os << c.dragged << (c.ontoRow ? " onto " : " above ") << c.row;
}

class FieldDropTest : public FieldSheetTest, public testing::WithParamInterface<DropCase>
{
};

TEST_P(FieldDropTest, DropPutsTheTitleAboveTheRow)
{
    const DropCase &c = GetParam();
    m_controller->getFieldOrder() = { u"A"_s, u"B"_s, u"C"_s, u"D"_s };
    m_controller->getSortOrder() = { u"D"_s, u"C"_s, u"B"_s, u"A"_s };
    s->reloadTables();
    FieldListModel *model = s->fieldModel();
    const int from = int(m_controller->getFieldOrder().indexOf(QLatin1StringView(c.dragged)));
    std::unique_ptr<QMimeData> drag(model->mimeData({ model->index(from, 0) }));
    ASSERT_TRUE(drag);
    EXPECT_EQ(drag->text(), QLatin1StringView(c.dragged));

    const QModelIndex onto = c.ontoRow ? model->index(c.row, 0) : QModelIndex();
    EXPECT_TRUE(model->canDropMimeData(drag.get(), Qt::CopyAction, c.ontoRow ? -1 : c.row, 0, onto));
    EXPECT_TRUE(model->dropMimeData(drag.get(), Qt::CopyAction, c.ontoRow ? -1 : c.row, 0, onto));
    EXPECT_EQ(m_controller->getFieldOrder().join(QString()), QLatin1StringView(c.expected));
    EXPECT_EQ(m_controller->getSortOrder().join(QString()), u"DCBA"_s) << "the other list stays as it is";
}

INSTANTIATE_TEST_SUITE_P(Moves, FieldDropTest,
    testing::Values(DropCase { "A", 2, false, "BACD" }, DropCase { "D", 1, false, "ADBC" },
        DropCase { "B", 1, false, "ABCD" }, DropCase { "B", 2, false, "ABCD" }, DropCase { "A", 4, false, "BCDA" },
        DropCase { "A", -1, false, "BCDA" }, DropCase { "D", -1, false, "ABCD" }, DropCase { "C", 0, false, "CABD" },
        DropCase { "A", 2, true, "BACD" }, DropCase { "D", 0, true, "DABC" }));

TEST_F(FieldSheetTest, DropsFromAnywhereButTheSameTableAreRefused)
{
    addFields({ u"Artist"_s, u"Name"_s });
    const QStringList fieldsBefore = m_controller->getFieldOrder();
    const QStringList sortBefore = m_controller->getSortOrder();

    std::unique_ptr<QMimeData> fromFields(s->fieldModel()->mimeData({ s->fieldModel()->index(1, 0) }));
    std::unique_ptr<QMimeData> fromOptions(s->optionsModel()->mimeData({ s->optionsModel()->index(0, 0) }));
    QMimeData fromElsewhere;
    fromElsewhere.setText(u"Artist"_s);

    struct Case
    {
        const char *what;
        FieldListModel *target;
        const QMimeData *data;
    };
    const Case cases[] = {
        { "field list to sort list", s->sortModel(), fromFields.get() },
        { "options to field list", s->fieldModel(), fromOptions.get() },
        { "options to sort list", s->sortModel(), fromOptions.get() },
        { "another application", s->fieldModel(), &fromElsewhere },
        { "field list to options", s->optionsModel(), fromFields.get() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.target->canDropMimeData(c.data, Qt::CopyAction, 0, 0, QModelIndex()));
        EXPECT_FALSE(c.target->dropMimeData(c.data, Qt::CopyAction, 0, 0, QModelIndex()));
    }
    EXPECT_EQ(m_controller->getFieldOrder(), fieldsBefore);
    EXPECT_EQ(m_controller->getSortOrder(), sortBefore);
    EXPECT_FALSE(s->optionsModel()->flags(s->optionsModel()->index(0, 0)) & Qt::ItemIsDragEnabled);
    EXPECT_FALSE(s->optionsView()->acceptDrops());
}

TEST_F(FieldSheetTest, TheSelectedTitleStaysSelectedAfterADrop)
{
    addFields({ u"Album"_s, u"Artist"_s, u"Name"_s, u"Year"_s });
    FieldListModel *model = s->fieldModel();
    const auto drop = [&](int from, int row) {
        std::unique_ptr<QMimeData> drag(model->mimeData({ model->index(from, 0) }));
        ASSERT_TRUE(model->dropMimeData(drag.get(), Qt::CopyAction, row, 0, QModelIndex()));
    };

    selectTitle(s->fieldView(), u"Artist"_s);
    drop(0, 3); // Album above Year
    EXPECT_EQ(titles(s->fieldView()), QStringList({ u"Artist"_s, u"Name"_s, u"Album"_s, u"Year"_s }));
    EXPECT_EQ(selectedRow(s->fieldView()), 0);

    drop(0, -1); // the selected Artist itself to the end
    EXPECT_EQ(titles(s->fieldView()), QStringList({ u"Name"_s, u"Album"_s, u"Year"_s, u"Artist"_s }));
    EXPECT_EQ(selectedRow(s->fieldView()), 3);
    EXPECT_EQ(s->fieldView()->currentIndex().row(), 3);
}

TEST_F(FieldSheetTest, RunsWindowModallyUntilConfirmOrCancel)
{
    s->hide();
    struct Case
    {
        const char *how;
        std::function<void()> end;
        bool confirmed;
    };
    const Case cases[] = {
        { "confirm", [this] { QTest::mouseClick(s->saveButton(), Qt::LeftButton); }, true },
        { "cancel", [this] { QTest::mouseClick(s->cancelButton(), Qt::LeftButton); }, false },
        { "escape", [this] { QTest::keyClick(s, Qt::Key_Escape); }, false },
    };
    addFields({ u"Name"_s });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        bool wasModal = false;
        QTimer::singleShot(0, s, [&] {
            wasModal
                = s->isVisible() && s->windowModality() == Qt::WindowModal && s->parentWidget() == m_controller.get();
            c.end();
        });
        // Never wait on the dialog, whatever goes wrong above.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, s, [this] { s->done(QDialog::Rejected); });
        guard.start(5000);
        EXPECT_EQ(s->runModal(), c.confirmed);
        EXPECT_TRUE(guard.isActive()) << "ended by the guard";
        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(s->isVisible());
    }
}

TEST_F(FieldSheetTest, TheKeyboardAloneSetsTheColumnsAndTheSortKeysApart)
{
    s->hide();
    // As in the application: the sheet opens over the active main window, and takes the keys from it. (The
    // sheet hidden while active stays the platform's focus window, so showing it again would not activate it.)
    m_controller->show();
    m_controller->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == m_controller.get(); }));
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        // Where the keyboard goes: the focus, as the user moved it.
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    };
    m_controller->setFieldSelectionRunner([&](FieldSelectionSheet &sheet) {
        sheet.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &sheet; }));
        key(Qt::Key_A, Qt::AltModifier); // Available fields
        ASSERT_EQ(QApplication::focusWidget(), sheet.optionsView());
        key(Qt::Key_Home);
        for (int i = 0; i < 3; ++i)
            key(Qt::Key_Return);
        key(Qt::Key_End);
        key(Qt::Key_Return);
        ASSERT_TRUE(sheet.isVisible()) << "Return adds; it does not confirm the sheet";
        ASSERT_EQ(titles(sheet.fieldView()), QStringList({ u"Album"_s, u"Artist"_s, u"BPM"_s, u"Year"_s }));

        key(Qt::Key_X, Qt::AltModifier); // Exported fields
        ASSERT_EQ(QApplication::focusWidget(), sheet.fieldView());
        key(Qt::Key_End);
        key(Qt::Key_Delete);
        key(Qt::Key_End);
        key(Qt::Key_Up, Qt::AltModifier);
        key(Qt::Key_Up, Qt::AltModifier);
        key(Qt::Key_Up, Qt::AltModifier); // already at the top: nothing more
        EXPECT_FALSE(sheet.moveUpButton()->isEnabled());
        EXPECT_TRUE(sheet.moveDownButton()->isEnabled());

        key(Qt::Key_S, Qt::AltModifier); // Sort by
        ASSERT_EQ(QApplication::focusWidget(), sheet.sortView());
        key(Qt::Key_Home);
        key(Qt::Key_Down, Qt::AltModifier);
        EXPECT_EQ(titles(sheet.fieldView()), QStringList({ u"BPM"_s, u"Album"_s, u"Artist"_s }))
            << "the sort keys move alone";

        key(Qt::Key_O, Qt::AltModifier); // Continue
        EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet.isVisible(); }));
    });
    interaction().savePanelAnswers.push_back(std::nullopt);
    m_controller->findChild<QTabWidget *>(u"mainTabView"_s)->setCurrentIndex(0);
    m_controller->findChild<QPushButton *>(u"exportButton"_s)->click();

    EXPECT_EQ(interaction().savePanelRequests.size(), 1) << "confirmed";
    EXPECT_EQ(store().stringListForKey(QString(Preferences::prFieldOrder)),
        QStringList({ u"BPM"_s, u"Album"_s, u"Artist"_s }));
    EXPECT_EQ(store().stringListForKey(QString(Preferences::prSortOrder)),
        QStringList({ u"Artist"_s, u"Album"_s, u"BPM"_s }));
}
