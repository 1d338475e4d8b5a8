// The desktop answers to the core's questions: the save dialog as a sheet on the main window, the alerts, the
// colour dialog and the About box.
#include "gui/WidgetInteraction.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Runs `answer` on the dialog that opens next; never lets a test hang on it.
void whenModalDialogOpens(const std::function<void(QWidget *)> &answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog";
            return;
        }
        answer(dialog);
    });
    QTimer::singleShot(5000, qApp, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            dialog->close();
    });
}

} // namespace

class WidgetInteractionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_window.show();
        m_interaction.setMainWindow(&m_window);
    }

    QFileDialog *openSavePanel(const QString &proposedName, const QString &extension)
    {
        m_result.reset();
        m_calls = 0;
        m_interaction.beginSavePanel({ m_dir.path(), proposedName, extension }, [this](std::optional<QString> path) {
            ++m_calls;
            m_result = path;
        });
        return m_window.findChild<QFileDialog *>();
    }

    QTemporaryDir m_dir;
    QMainWindow m_window;
    WidgetInteraction m_interaction;
    std::optional<QString> m_result;
    int m_calls = 0;
};

TEST_F(WidgetInteractionTest, SavePanelIsASheetThatReportsItsEndLater)
{
    QFileDialog *panel = openSavePanel(u"Rock-Pop.html"_s, u"html"_s);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(m_calls, 0) << "the call returns before the user answers";
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
    EXPECT_EQ(panel->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(QDir(panel->directory()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    ASSERT_EQ(panel->selectedFiles().size(), 1);
    EXPECT_EQ(QFileInfo(panel->selectedFiles().first()).fileName(), u"Rock-Pop.html"_s);
    static_cast<QDialog *>(panel)->accept();
    EXPECT_EQ(m_calls, 1);
    ASSERT_TRUE(m_result);
    EXPECT_EQ(QFileInfo(*m_result).fileName(), u"Rock-Pop.html"_s);
}

TEST_F(WidgetInteractionTest, TheChosenNameAlwaysEndsWithTheRequiredExtension)
{
    const struct
    {
        const char *typed;
        const char *extension;
        const char *chosen;
    } cases[] = {
        { "list", "txt", "list.txt" },
        { "list.txt", "txt", "list.txt" },
        { "list.csv", "txt", "list.csv.txt" },
        { "Mix.m3u", "playlist", "Mix.m3u.playlist" },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QFileDialog *panel = openSavePanel(u"Proposed"_s, QString::fromLatin1(c.extension));
        ASSERT_NE(panel, nullptr);
        panel->selectFile(QString::fromLatin1(c.typed));
        static_cast<QDialog *>(panel)->accept();
        ASSERT_TRUE(m_result);
        EXPECT_EQ(QFileInfo(*m_result).fileName(), QLatin1StringView(c.chosen));
        delete panel;
    }
}

TEST_F(WidgetInteractionTest, CancellingTheSavePanelReportsNothing)
{
    QFileDialog *panel = openSavePanel(u"Mix.m3u"_s, u"m3u"_s);
    ASSERT_NE(panel, nullptr);
    panel->reject();
    EXPECT_EQ(m_calls, 1);
    EXPECT_FALSE(m_result);
}

TEST_F(WidgetInteractionTest, AlertsAnswerWithTheButtonPressed)
{
    using Button = UserInteraction::AlertButton;
    const auto clickButton = [](const QString &text) {
        return [text](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == text)
                    button->click();
            }
        };
    };

    whenModalDialogOpens(clickButton(u"Quit"_s));
    EXPECT_EQ(m_interaction.runCriticalAlert(u"Title"_s, u"Message"_s, u"Find"_s, u"Quit"_s), Button::Alternate);
    whenModalDialogOpens(clickButton(u"Find"_s));
    EXPECT_EQ(m_interaction.runCriticalAlert(u"Title"_s, u"Message"_s, u"Find"_s, u"Quit"_s), Button::Default);
    whenModalDialogOpens([](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(m_interaction.runCriticalAlert(u"Title"_s, u"Message"_s, u"Find"_s, u"Quit"_s), Button::Alternate);

    whenModalDialogOpens([](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->buttons().size(), 1) << "no alternate button given, none shown";
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(m_interaction.runCriticalAlert(u"Title"_s, u"Message"_s, u"OK"_s), Button::Default);
}

TEST_F(WidgetInteractionTest, ColorDialogAnswersSixDigitsOrNothing)
{
    whenModalDialogOpens([](QWidget *dialog) {
        auto *chooser = qobject_cast<QColorDialog *>(dialog);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), u"Odd row color"_s);
        EXPECT_EQ(chooser->currentColor(), QColor(u"#e7e7e7"_s)) << "starts on the colour given";
        chooser->setCurrentColor(QColor(u"#1A2b3C"_s));
        chooser->accept();
    });
    EXPECT_EQ(m_interaction.chooseColor(u"e7e7e7"_s, u"Odd row color"_s), std::optional<QString>(u"1a2b3c"_s));

    whenModalDialogOpens([](QWidget *dialog) { dialog->close(); });
    EXPECT_EQ(m_interaction.chooseColor(u"FFFFFF"_s, u"Text color"_s), std::nullopt);
}

TEST_F(WidgetInteractionTest, AboutBoxShowsTitleAndText)
{
    whenModalDialogOpens([](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), u"About Setlistry"_s);
        EXPECT_EQ(box->text(), u"<h3>Setlistry</h3>"_s);
        box->accept();
    });
    m_interaction.showAbout(u"About Setlistry"_s, u"<h3>Setlistry</h3>"_s);
}
