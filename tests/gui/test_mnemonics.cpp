// Every Alt+letter of a window reaches one control. Controls on a tab page are live only while their page is
// shown, so a page's letters must differ among themselves and from everything around the tab widget (the
// window's other controls, the tab titles and the application's menu titles), not from other pages'.
#include "GuiTestSupport.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMap>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>

using namespace Qt::StringLiterals;

namespace {

// The mnemonic letter of a text ("Sa&ve" gives 'v'), or nothing; "&&" is a literal ampersand.
QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// The tab page `widget` lies on, or null when it is outside every tab widget's pages.
const QWidget *pageOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QWidget *stack = w->parentWidget();
        if (qobject_cast<const QStackedWidget *>(stack) && qobject_cast<const QTabWidget *>(stack->parentWidget()))
            return w;
    }
    return nullptr;
}

struct Texts
{
    QStringList common;
    QMap<const QWidget *, QStringList> pages;
};

Texts mnemonicTexts(const QWidget *window, const QStringList &menuTitles)
{
    Texts texts;
    texts.common = menuTitles;
    const auto add = [&texts, window](const QWidget *widget, const QString &text) {
        // Dialogs are children of the main window, but windows of their own.
        if (widget->window() != window || mnemonic(text).isNull())
            return;
        if (const QWidget *page = pageOf(widget))
            texts.pages[page].append(text);
        else
            texts.common.append(text);
    };
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        add(button, button->text());
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy())
            add(label, label->text());
    }
    for (const QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i)
            add(tabs, tabs->tabText(i));
    }
    return texts;
}

// The texts that share a letter, as "v: Sa&ve, Remo&ve"; empty when every letter is used once.
QStringList clashes(const QStringList &texts)
{
    QMap<QChar, QStringList> byLetter;
    for (const QString &text : texts)
        byLetter[mnemonic(text)].append(text);
    QStringList found;
    for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it) {
        if (it->size() > 1)
            found.append(QString(it.key()) + u": "_s + it->join(u", "_s));
    }
    return found;
}

void expectUniqueMnemonics(const QWidget *window, const QStringList &menuTitles)
{
    SCOPED_TRACE(window->objectName().toStdString());
    const Texts texts = mnemonicTexts(window, menuTitles);
    EXPECT_EQ(clashes(texts.common), QStringList());
    for (auto it = texts.pages.cbegin(); it != texts.pages.cend(); ++it) {
        SCOPED_TRACE(it.key()->objectName().toStdString());
        EXPECT_EQ(clashes(texts.common + *it), QStringList());
    }
}

} // namespace

TEST(Mnemonics, ClashesAreFoundAndNamed)
{
    EXPECT_EQ(mnemonic(u"Sa&ve"_s), u'v');
    EXPECT_EQ(mnemonic(u"R&&B &Songs"_s), u's');
    EXPECT_TRUE(mnemonic(u"R&&B"_s).isNull());
    EXPECT_EQ(clashes({ u"&File"_s, u"&Font size:"_s, u"&Odd rows:"_s, u"Cancel"_s }),
        QStringList { u"f: &File, &Font size:"_s });
}

class MnemonicsTest : public GuiTest
{
protected:
    void TearDown() override
    {
        PrefsPanel::destroySharedInstance();
        GuiTest::TearDown();
    }
};

TEST_F(MnemonicsTest, EveryWindowGivesEachLetterToOneControl)
{
    start();
    QStringList menuTitles;
    for (const QAction *menu : m_controller->findChild<QMenuBar *>()->actions())
        menuTitles.append(menu->text());
    ASSERT_EQ(menuTitles.size(), 3);
    for (const QString &title : menuTitles)
        EXPECT_FALSE(mnemonic(title).isNull()) << title.toStdString();

    expectUniqueMnemonics(m_controller.get(), menuTitles);
    // The menus are the application's: the other windows keep off their letters too.
    expectUniqueMnemonics(sheet(), menuTitles);
    PrefsPanel::sharedInstance().showPanel();
    expectUniqueMnemonics(PrefsPanel::sharedInstance().window(), menuTitles);

    // Every control the user reaches by a label or its own text has a letter.
    const QWidget *windows[] = { m_controller.get(), sheet(), PrefsPanel::sharedInstance().window() };
    for (const QWidget *window : windows) {
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            // A button box's standard buttons carry the platform's texts (with or without a letter); Return
            // and Escape reach them.
            // The status bar's buttons come and go with what they report; Tab reaches them, and the window has
            // no letter left that would not take one from a control that is always there.
            if (button->window() != window || qobject_cast<const QDialogButtonBox *>(button->parentWidget())
                || qobject_cast<const QStatusBar *>(button->parentWidget()))
                continue;
            if (!button->text().isEmpty()) {
                EXPECT_FALSE(mnemonic(button->text()).isNull()) << button->text().toStdString();
            }
        }
        for (const QLabel *label : window->findChildren<QLabel *>()) {
            if (label->window() == window && label->buddy()) {
                EXPECT_FALSE(mnemonic(label->text()).isNull()) << label->text().toStdString();
            }
        }
        for (const QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
            for (int i = 0; i < tabs->count(); ++i)
                EXPECT_FALSE(mnemonic(tabs->tabText(i)).isNull()) << tabs->tabText(i).toStdString();
        }
    }
}
