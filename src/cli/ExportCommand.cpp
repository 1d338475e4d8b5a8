#include "ExportCommand.h"

#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/FileManager.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

UserInteraction::AlertButton CliInteraction::runCriticalAlert(
    const QString &title, const QString &message, const QString &, const QString &)
{
    ++m_alerts;
    std::fprintf(m_err, "%s\n", (title + u": "_s + message).toUtf8().constData());
    return AlertButton::Default;
}

namespace ExportCommand {

namespace {

const QStringList formats = { u"txt"_s, u"m3u"_s, u"playlist"_s, u"html"_s };

void printError(const QString &text)
{
    std::fprintf(stderr, "setlistry-export: %s\n", text.toUtf8().constData());
}

// Cuts `name` so that it and `suffix` fit in `maxBytes` of UTF-8, never inside a surrogate pair.
QString fitted(const QString &name, const QString &suffix, qsizetype maxBytes)
{
    const qsizetype budget = maxBytes - suffix.toUtf8().size();
    QString cut;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        qsizetype len = 1;
        char32_t code = name.at(i).unicode();
        if (name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            len = 2;
        const qsizetype size = len == 2 ? 4 : (code < 0x80 ? 1 : (code < 0x800 ? 2 : 3));
        if (bytes + size > budget)
            break;
        cut += name.mid(i, len);
        bytes += size;
        i += len - 1;
    }
    return cut + suffix;
}

void exportOne(const QString &format, const QString &path, const Playlist &playlist, bool albumBased)
{
    if (format == u"txt"_s)
        DelimitedText::saveDTTo(path, playlist);
    else if (format == u"m3u"_s)
        M3U::saveM3UTo(path, playlist);
    else if (format == u"playlist"_s)
        QTSS::saveQTSSTo(path, playlist);
    else
        HTML::saveHTMLTo(path, playlist, albumBased);
}

QString absolutePath(const QString &path)
{
    return QFileInfo(PathUtils::stringByStandardizingPath(path)).absoluteFilePath();
}

} // namespace

bool isFormat(const QString &format)
{
    return formats.contains(format);
}

QString safeFileName(const QString &playlistName, const QString &extension, QStringList &taken)
{
    QString base = playlistName;
    base.replace(u'/', u'-');
    base.remove(QChar(u'\0'));
    if (base.startsWith(u'.'))
        base[0] = u'_';
    if (base.isEmpty())
        base = u"Untitled"_s;

    const QString dotExtension = u"."_s + extension;
    QString name = fitted(base, dotExtension, 255);
    for (int n = 2; taken.contains(name); ++n)
        name = fitted(base, u" "_s + QString::number(n) + dotExtension, 255);
    taken.append(name);
    return name;
}

int run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Exports the playlists of an iTunes library as HTML pages, delimited text, M3U or a QuickTime "
        "Streaming Server playlist, with the settings of the Setlistry application."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption libraryOption(
        u"library"_s, u"Read the library FILE instead of searching for it."_s, u"FILE"_s);
    const QCommandLineOption listOption(u"list"_s, u"Print the playlist names, one per line."_s);
    const QCommandLineOption playlistOption(u"playlist"_s, u"Export the first playlist named NAME."_s, u"NAME"_s);
    const QCommandLineOption allOption(u"all"_s, u"Export every playlist into --output-dir."_s);
    const QCommandLineOption formatOption(u"format"_s, u"Export format: txt, m3u, playlist or html."_s, u"FORMAT"_s);
    const QCommandLineOption outputOption(u"output"_s, u"The file to write."_s, u"PATH"_s);
    const QCommandLineOption outputDirOption(u"output-dir"_s, u"The folder to write into, with --all."_s, u"DIR"_s);
    const QCommandLineOption albumOption(u"album-based"_s, u"HTML: album blocks instead of a song table."_s);
    const QCommandLineOption settingsOption(u"settings"_s,
        u"Read the settings from FILE (JSON) instead of the "
        "user's settings."_s,
        u"FILE"_s);
    const QCommandLineOption setOption(
        u"set"_s, u"Override one setting for this run; VALUE is JSON or a string."_s, u"KEY=VALUE"_s);
    parser.addOptions({ libraryOption, listOption, playlistOption, allOption, formatOption, outputOption,
        outputDirOption, albumOption, settingsOption, setOption });

    if (!parser.parse(arguments)) {
        printError(parser.errorText());
        return Usage;
    }
    if (parser.isSet(u"help"_s)) {
        std::fprintf(stdout, "%s", parser.helpText().toUtf8().constData());
        return Success;
    }
    if (parser.isSet(u"version"_s)) {
        std::fprintf(stdout, "%s %s\n", QCoreApplication::applicationName().toUtf8().constData(),
            QCoreApplication::applicationVersion().toUtf8().constData());
        return Success;
    }
    if (!parser.positionalArguments().isEmpty()) {
        printError(u"unexpected argument: "_s + parser.positionalArguments().constFirst());
        return Usage;
    }

    const bool list = parser.isSet(listOption);
    const bool one = parser.isSet(playlistOption);
    const bool all = parser.isSet(allOption);
    if (int(list) + int(one) + int(all) != 1) {
        printError(u"give exactly one of --list, --playlist NAME or --all (see --help)"_s);
        return Usage;
    }
    const QString format = parser.value(formatOption);
    if (!list) {
        if (!isFormat(format)) {
            printError(u"--format must be txt, m3u, playlist or html"_s);
            return Usage;
        }
        if (one && !parser.isSet(outputOption)) {
            printError(u"--playlist needs --output PATH"_s);
            return Usage;
        }
        if (all && !parser.isSet(outputDirOption)) {
            printError(u"--all needs --output-dir DIR"_s);
            return Usage;
        }
    }

    // The user's settings are read, never written.
    const QString settingsFile
        = parser.isSet(settingsOption) ? parser.value(settingsOption) : UserDefaults::defaultFilePath();
    if (parser.isSet(settingsOption) && !QFileInfo(settingsFile).isFile()) {
        printError(u"no settings file "_s + settingsFile);
        return Usage;
    }
    UserDefaults store;
    store.setPersistent(false);
    if (QFileInfo(settingsFile).isFile()) {
        QFile file(settingsFile);
        QVariantMap values;
        if (!file.open(QIODevice::ReadOnly) || !UserDefaults::parseJson(file.readAll(), &values)) {
            printError(u"cannot read the settings file "_s + settingsFile);
            return Failure;
        }
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            store.setObject(it.value(), it.key());
    }
    Preferences::registerDefaults(store);
    for (const QString &assignment : parser.values(setOption)) {
        const qsizetype eq = assignment.indexOf(u'=');
        const QString key = eq < 0 ? assignment : assignment.left(eq);
        if (eq < 0 || !Preferences::findKey(key)) {
            printError(u"--set needs KEY=VALUE with a known key: "_s + assignment);
            return Usage;
        }
        store.setObject(UserDefaults::valueFromJsonText(assignment.mid(eq + 1)), key);
    }
    UserDefaults::setStandardUserDefaults(&store);

    CliInteraction interaction;
    UserInteraction::setCurrent(&interaction);
    ExportChoices choices;
    choices.fillFromSettings(store);
    ExportChoices::setMain(&choices);
    struct Restore
    {
        ~Restore()
        {
            ExportChoices::setMain(nullptr);
            UserInteraction::setCurrent(nullptr);
            UserDefaults::setStandardUserDefaults(nullptr);
        }
    } restore;

    QString libraryPath;
    if (parser.isSet(libraryOption)) {
        libraryPath = parser.value(libraryOption);
        if (!FileManager::fileExistsAtPath(libraryPath)) {
            printError(u"no library file "_s + libraryPath);
            return Usage;
        }
    } else {
        const auto found = XMLAccessor::findLibraryAutomatically();
        if (!found) {
            printError(u"no iTunes library found in ~/Music/iTunes or ~/Documents/iTunes; "
                       "name one with --library FILE"_s);
            return Usage;
        }
        libraryPath = *found;
    }
    const XMLAccessor library(libraryPath);
    if (!library.hasDocument()) {
        printError(u"cannot read the library "_s + libraryPath + u" (not an XML property list)"_s);
        return Failure;
    }

    if (list) {
        QByteArray out;
        for (const QString &name : library.getPlaylistNames())
            out += name.toUtf8() + '\n';
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return Success;
    }

    const bool albumBased = parser.isSet(albumOption) || store.boolForKey(QString(Preferences::prHTMLAlbumBased));

    if (one) {
        const auto playlist = library.getPlaylist(parser.value(playlistOption));
        if (!playlist) {
            printError(u"no playlist named \""_s + parser.value(playlistOption) + u"\""_s);
            return Failure;
        }
        exportOne(format, absolutePath(parser.value(outputOption)), *playlist, albumBased);
        return interaction.alertCount() == 0 ? Success : Failure;
    }

    const QString dir = absolutePath(parser.value(outputDirOption));
    if (!QDir().mkpath(dir)) {
        printError(u"cannot make the folder "_s + dir);
        return Failure;
    }
    QStringList taken;
    library.forEachPlaylist([&](const Playlist &playlist) {
        const QString name = safeFileName(playlist.getName(), format, taken);
        if (format == u"html"_s) {
            // Each page set in a folder of its own, so that further pages of two playlists never collide.
            const QString folder = dir + u'/' + PathUtils::stringByDeletingPathExtension(name);
            const bool existed = QFileInfo::exists(folder);
            if (!QDir().mkpath(folder)) {
                printError(u"cannot make the folder "_s + folder);
                interaction.terminate();
                return;
            }
            exportOne(format, folder + u'/' + name, playlist, albumBased);
            // A playlist with nothing to show writes no page; leave no empty folder behind for it.
            if (!existed)
                QDir().rmdir(folder);
        } else {
            exportOne(format, dir + u'/' + name, playlist, albumBased);
        }
    });
    return interaction.alertCount() == 0 && !interaction.isTerminating() ? Success : Failure;
}

} // namespace ExportCommand
