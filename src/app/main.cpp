#include "core/platform/UserDefaults.h"
#include "core/settings/ScopedCoreGlobals.h"
#include "gui/PrefsPanel.h"
#include "gui/SLController.h"
#include "gui/WidgetInteraction.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool displayAvailable()
{
    // Without any of these Qt would abort with a terse message of its own.
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("setlistry: no display found. For an export without a display use setlistry-export "
                   "(setlistry-export --help tells how).\n",
            stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Setlistry"_s);
    QApplication::setApplicationDisplayName(u"Setlistry"_s);
    QApplication::setApplicationVersion(QStringLiteral(SETLISTRY_VERSION));
    QApplication::setDesktopFileName(u"setlistry"_s);
    QApplication::setWindowIcon(QIcon(u":/icons/setlistry-256.png"_s));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Publishes the playlists of an iTunes library."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(u"file"_s, u"The library file to open instead of searching for one."_s, u"[file]"_s);
    parser.process(app);
    // Stored for the next start, so it must not depend on the folder this one was started in.
    const QStringList files = parser.positionalArguments();
    const QString libraryPath = files.isEmpty() ? QString() : QFileInfo(files.first()).absoluteFilePath();

    // The user's own settings file, and its defaults registered, before the window reads a setting. The main
    // export choices are the controller's, installed when it wakes.
    UserDefaults store(UserDefaults::defaultFilePath());
    WidgetInteraction interaction;
    const ScopedCoreGlobals globals(store, interaction);
    SLController::initialize();

    int status = 0;
    {
        SLController controller(nullptr, libraryPath);
        // Quitting in the library search ends here, before the controls were loaded: nothing is stored.
        if (!interaction.isTerminating()) {
            interaction.setMainWindow(&controller);
            QObject::connect(
                &app, &QCoreApplication::aboutToQuit, &controller, &SLController::applicationWillTerminate);
            status = QApplication::exec();
        }
        PrefsPanel::destroySharedInstance();
    }
    return status;
}
