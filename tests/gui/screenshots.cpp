// Screenshots of the main window's tabs, the field-selection sheet and the preferences, on a throw-away home
// folder and settings store. Usage: setlistry_screenshots OUTPUT_DIR [LIBRARY_FILE]
#include "GuiTestSupport.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/Preferences.h"
#include "core/settings/ScopedCoreGlobals.h"
#include "gui/FieldSelectionSheet.h"
#include "gui/PrefsPanel.h"
#include "gui/SLController.h"
#include "gui/slTextView.h"
#include "support/ScriptedInteraction.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

void save(QWidget *widget, const QString &path)
{
    QApplication::processEvents();
    if (!widget->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

void select(QListView *table, const QString &title)
{
    for (int row = 0; row < table->model()->rowCount(); ++row) {
        const QModelIndex index = table->model()->index(row, 0);
        if (index.data().toString() == title)
            table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s;
    QDir().mkpath(out);

    QTemporaryDir temp;
    const QString home = temp.filePath(u"home"_s);
    const QString libraryFolder = home + u"/Music/iTunes"_s;
    QDir().mkpath(libraryFolder);
    const QString library = libraryFolder + u"/iTunes Music Library.xml"_s;
    if (argc > 2)
        QFile::copy(QString::fromLocal8Bit(argv[2]), library);
    else
        writeFileBytes(library, standardLibraryXml());
    qputenv("HOME", QFile::encodeName(home));

    UserDefaults store(temp.filePath(u"settings.json"_s));
    ScriptedInteraction interaction;
    const ScopedCoreGlobals globals(store, interaction);
    SLController::initialize();
    store.setObject(QStringList { u"Artist"_s, u"Name"_s, u"Album"_s, u"Time"_s }, QString(Preferences::prFieldOrder));
    store.setObject(QStringList { u"Artist"_s, u"Album"_s, u"Name"_s, u"Time"_s }, QString(Preferences::prSortOrder));
    store.setObject(u"My favourite songs, as played on Friday."_s, QString(Preferences::prHTMLHeader));
    store.setObject(
        QStringList { u"/Users/alex/Music/iTunes/iTunes Music=D:\\Music"_s, u"/Volumes/Music=smb://nas/music"_s },
        QString(Preferences::prPPMappings));

    {
        SLController controller;
        controller.show();
        auto *tabs = controller.findChild<QTabWidget *>(u"mainTabView"_s);
        const char *const names[] = { "main-html", "main-text", "main-m3u", "main-qtss", "main-player" };
        for (int tab = 0; tab < tabs->count(); ++tab) {
            tabs->setCurrentIndex(tab);
            save(&controller, out + u'/' + QLatin1StringView(names[tab]) + u".png"_s);
        }
        // The status bar after an export, with the summary of the playlist exported.
        tabs->setCurrentIndex(2);
        controller.findChild<QComboBox *>(u"playlistPopUp"_s)->setCurrentText(u"Rock/Pop"_s);
        interaction.savePanelAnswers.push_back(temp.filePath(u"Rock-Pop.m3u"_s));
        controller.startExport();
        save(&controller, out + u"/main-exported.png"_s);
        tabs->setCurrentIndex(0);

        FieldSelectionSheet *sheet = controller.fieldSelectionSheet();
        sheet->show();
        select(sheet->optionsView(), u"Genre"_s);
        select(sheet->fieldView(), u"Album"_s);
        save(sheet, out + u"/sheet.png"_s);
        sheet->hide();

        PrefsPanel::sharedInstance().showPanel();
        PrefsPanel::sharedInstance().musicPathField()->setText(home + u"/Music"_s);
        PrefsPanel::sharedInstance().serverPathField()->setText(u"/music"_s);
        save(PrefsPanel::sharedInstance().window(), out + u"/prefs.png"_s);
        PrefsPanel::destroySharedInstance();
    }
    return 0;
}
