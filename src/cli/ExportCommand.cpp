#include "ExportCommand.h"

#include "CliInteraction.h"
#include "core/flow/ExportFormat.h"
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
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace ExportCommand {

namespace {

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

QString absolutePath(const QString &path)
{
    return QFileInfo(PathUtils::stringByStandardizingPath(path)).absoluteFilePath();
}

QString wantedKind(Preferences::Kind kind)
{
    switch (kind) {
    case Preferences::Kind::String:
        return u"a string"_s;
    case Preferences::Kind::Boolean:
        return u"true or false"_s;
    case Preferences::Kind::Integer:
        return u"an integer"_s;
    case Preferences::Kind::StringArray:
        return u"a JSON array of strings"_s;
    }
    return QString();
}

bool isArrayOfStrings(const QString &text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isArray())
        return false;
    const QJsonArray items = doc.array();
    return std::all_of(items.begin(), items.end(), [](const QJsonValue &item) { return item.isString(); });
}

// Reads the settings file into `store`; the file need not exist.
int readSettings(const QString &settingsFile, UserDefaults &store)
{
    if (!QFileInfo(settingsFile).isFile())
        return Success;
    QFile file(settingsFile);
    QVariantMap values;
    if (!file.open(QIODevice::ReadOnly) || !UserDefaults::parseJson(file.readAll(), &values)) {
        printError(u"cannot read the settings file "_s + settingsFile);
        return Failure;
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store.setObject(it.value(), it.key());
    return Success;
}

std::optional<QString> findLibrary(const ExportOptions &options)
{
    if (options.libraryPath) {
        if (!FileManager::fileExistsAtPath(*options.libraryPath)) {
            printError(u"no library file "_s + *options.libraryPath);
            return std::nullopt;
        }
        return options.libraryPath;
    }
    const auto found = XMLAccessor::findLibraryAutomatically();
    if (!found)
        printError(u"no iTunes library found in ~/Music/iTunes or ~/Documents/iTunes; "
                   "name one with --library FILE"_s);
    return found;
}

// Writes one playlist of --all into `dir`; answers false, with the reason already printed, when it was not
// written.
bool exportInto(const QString &dir, const Playlist &playlist, const ExportFormat &format, bool albumBased,
    QStringList &taken, const CliInteraction &interaction)
{
    const int alertsBefore = interaction.alertCount();
    const QString name = safeFileName(playlist.getName(), format.extension, taken);
    if (format.writesPageSet) {
        // Each page set in a folder of its own, so that further pages of two playlists never collide.
        const QString folder = dir + u'/' + PathUtils::stringByDeletingPathExtension(name);
        const bool existed = QFileInfo::exists(folder);
        if (!QDir().mkpath(folder)) {
            printError(u"cannot make the folder "_s + folder);
            return false;
        }
        format.save(folder + u'/' + name, playlist, albumBased);
        // A playlist with nothing to show writes no page; leave no empty folder behind for it.
        if (!existed)
            QDir().rmdir(folder);
    } else {
        format.save(dir + u'/' + name, playlist, albumBased);
    }
    // Every exporter reports a file it could not write with an alert.
    return interaction.alertCount() == alertsBefore;
}

int exportAll(
    const XMLAccessor &library, const ExportOptions &options, bool albumBased, const CliInteraction &interaction)
{
    const QString dir = absolutePath(options.output);
    if (!QDir().mkpath(dir)) {
        printError(u"cannot make the folder "_s + dir);
        return Failure;
    }
    QStringList taken;
    std::optional<QString> failed;
    library.forEachPlaylist([&](const Playlist &playlist) {
        // The visit cannot be cut short: once a playlist failed, the rest are passed over. A failure is most
        // often the folder (full, or gone), and every further playlist would only repeat the same alert.
        if (failed)
            return;
        if (!exportInto(dir, playlist, *options.format, albumBased, taken, interaction))
            failed = playlist.getName();
    });
    if (failed) {
        printError(u"\""_s + *failed + u"\" was not written"_s);
        return Failure;
    }
    return interaction.alertCount() == 0 ? Success : Failure;
}

} // namespace

bool isFormat(const QString &format)
{
    return ExportFormat::forCommandLineName(format) != nullptr;
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

std::optional<QVariant> settingValue(const Preferences::Key &key, const QString &valueText)
{
    const QVariant parsed = UserDefaults::valueFromJsonText(valueText);
    switch (key.kind) {
    case Preferences::Kind::String:
        if (parsed.typeId() == QMetaType::QStringList)
            return std::nullopt;
        // A number read as JSON would not keep the text: "1e3" would store 1000, and the colour "123e45" no
        // colour at all. Only a quoted JSON string is unwrapped.
        if (parsed.typeId() == QMetaType::QString && valueText.trimmed().startsWith(u'"'))
            return parsed;
        return QVariant(valueText);
    case Preferences::Kind::Boolean:
        if (parsed.typeId() == QMetaType::Bool)
            return parsed;
        return std::nullopt;
    case Preferences::Kind::Integer:
        if (parsed.typeId() == QMetaType::LongLong)
            return parsed;
        return std::nullopt;
    case Preferences::Kind::StringArray:
        // The store's reading drops items that are not strings; a list given here is wanted whole.
        if (isArrayOfStrings(valueText))
            return parsed;
        return std::nullopt;
    }
    return std::nullopt;
}

std::variant<ExportOptions, int> parseArguments(const QStringList &arguments)
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
    const QCommandLineOption formatOption(
        u"format"_s, u"Export format: "_s + ExportFormat::commandLineNames() + u"."_s, u"FORMAT"_s);
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

    ExportOptions options;
    const bool list = parser.isSet(listOption);
    const bool one = parser.isSet(playlistOption);
    const bool all = parser.isSet(allOption);
    if (int(list) + int(one) + int(all) != 1) {
        printError(u"give exactly one of --list, --playlist NAME or --all (see --help)"_s);
        return Usage;
    }
    options.command = list ? ExportOptions::Command::List
        : one              ? ExportOptions::Command::Playlist
                           : ExportOptions::Command::All;
    if (!list) {
        options.format = ExportFormat::forCommandLineName(parser.value(formatOption));
        if (!options.format) {
            printError(u"--format must be "_s + ExportFormat::commandLineNames());
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
        options.playlistName = parser.value(playlistOption);
        options.output = parser.value(one ? outputOption : outputDirOption);
    }

    options.settingsFile
        = parser.isSet(settingsOption) ? parser.value(settingsOption) : UserDefaults::defaultFilePath();
    if (parser.isSet(settingsOption) && !QFileInfo(options.settingsFile).isFile()) {
        printError(u"no settings file "_s + options.settingsFile);
        return Usage;
    }
    for (const QString &assignment : parser.values(setOption)) {
        const qsizetype eq = assignment.indexOf(u'=');
        const QString key = eq < 0 ? assignment : assignment.left(eq);
        const Preferences::Key *known = eq < 0 ? nullptr : Preferences::findKey(key);
        if (!known) {
            printError(u"--set needs KEY=VALUE with a known key: "_s + assignment);
            return Usage;
        }
        const std::optional<QVariant> value = settingValue(*known, assignment.mid(eq + 1));
        if (!value) {
            printError(u"--set "_s + key + u" wants "_s + wantedKind(known->kind));
            return Usage;
        }
        options.overrides.append({ key, *value });
    }

    if (parser.isSet(libraryOption))
        options.libraryPath = parser.value(libraryOption);
    options.albumBased = parser.isSet(albumOption);
    return options;
}

int run(const ExportOptions &options)
{
    // The user's settings are read, never written.
    UserDefaults store;
    store.setPersistent(false);
    if (const int status = readSettings(options.settingsFile, store); status != Success)
        return status;
    Preferences::registerDefaults(store);
    for (const auto &[key, value] : options.overrides)
        store.setObject(value, key);

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

    const std::optional<QString> libraryPath = findLibrary(options);
    if (!libraryPath)
        return Usage;
    const XMLAccessor library(*libraryPath);
    if (!library.hasDocument()) {
        printError(u"cannot read the library "_s + *libraryPath + u" ("_s + library.readError() + u')');
        return Failure;
    }

    if (options.command == ExportOptions::Command::List) {
        QByteArray out;
        for (const QString &name : library.getPlaylistNames())
            out += name.toUtf8() + '\n';
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return Success;
    }

    const bool albumBased = options.albumBased || store.boolForKey(QString(Preferences::prHTMLAlbumBased));

    if (options.command == ExportOptions::Command::Playlist) {
        const auto playlist = library.getPlaylist(options.playlistName);
        if (!playlist) {
            printError(u"no playlist named \""_s + options.playlistName + u"\""_s);
            return Failure;
        }
        options.format->save(absolutePath(options.output), *playlist, albumBased);
        return interaction.alertCount() == 0 ? Success : Failure;
    }

    return exportAll(library, options, albumBased, interaction);
}

int run(const QStringList &arguments)
{
    const std::variant<ExportOptions, int> parsed = parseArguments(arguments);
    if (const int *status = std::get_if<int>(&parsed))
        return *status;
    return run(std::get<ExportOptions>(parsed));
}

} // namespace ExportCommand
