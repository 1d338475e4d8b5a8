#include "ExportCommand.h"

#include "CliInteraction.h"
#include "core/export/PlayerPlaylistSettings.h"
#include "core/flow/ExportFlow.h"
#include "core/flow/ExportFormat.h"
#include "core/html/HTML.h"
#include "core/html/HTMLPage.h"
#include "core/library/XMLAccessor.h"
#include "core/platform/FileManager.h"
#include "core/platform/PathUtils.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/ExportChoices.h"
#include "core/settings/Preferences.h"
#include "core/settings/ScopedCoreGlobals.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <optional>

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

enum CharacterUse { Keep, Space, Drop };

// Line breaks and tabs would break a name across lines in every listing; other controls and the bidirectional
// overrides and isolates would make the name shown differ from the name stored.
CharacterUse fileNameCharacter(char16_t c)
{
    if ((c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0x2028 || c == 0x2029)
        return Space;
    if (c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069))
        return Drop;
    return Keep;
}

// Two names that a case-insensitive or normalising file system (or a person) takes for the same file.
QString sameNameKey(const QString &name)
{
    return name.normalized(QString::NormalizationForm_C).toCaseFolded();
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

// The pages use the default in place of a colour setting that is not one; said once per run, not per page.
void warnOfColoursNotUsed()
{
    for (const QLatin1StringView key : { Preferences::prHTMLBGColor, Preferences::prHTMLTextColor,
             Preferences::prHTMLOddColor, Preferences::prHTMLEvenColor }) {
        const QString value = Preferences::stringFor(key);
        if (!HTMLPage::isColour(value))
            printError(key + u" \""_s + value + u"\" is not a colour; the default "_s + HTMLPage::colourFor(key)
                + u" is used"_s);
    }
}

// One name a line: a line break inside a name would read as two playlists.
QByteArray playlistLines(const XMLAccessor &library)
{
    QByteArray out;
    for (QString name : library.getPlaylistNames()) {
        name.replace(u'\r', u' ').replace(u'\n', u' ');
        out += name.toUtf8() + '\n';
    }
    return out;
}

QByteArray playlistsAsJson(const XMLAccessor &library)
{
    const auto orNull = [](const std::optional<QString> &text) { return text ? QJsonValue(*text) : QJsonValue(); };
    QJsonArray array;
    qsizetype index = 0;
    for (const XMLAccessor::PlaylistSummary &playlist : library.getPlaylistSummaries()) {
        QJsonObject object;
        object.insert(u"name"_s, playlist.name);
        object.insert(u"persistentId"_s, orNull(playlist.persistentId));
        object.insert(u"items"_s, qint64(playlist.items));
        object.insert(u"parentPersistentId"_s, orNull(playlist.parentPersistentId));
        object.insert(u"folder"_s, playlist.folder);
        object.insert(u"builtIn"_s, playlist.builtIn);
        object.insert(u"smart"_s, playlist.smart);
        object.insert(u"index"_s, qint64(index++));
        array.append(object);
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

// Every file --all writes lands in its folder: a symbolic link where a file goes is removed (never what it
// points to), so that the new file takes its place.
bool removeLinks(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (FileManager::isSymbolicLinkAtPath(path) && !QFile::remove(path)) {
            printError(u"cannot replace the symbolic link "_s + path);
            return false;
        }
    }
    return true;
}

// A file that leaves songs out says so, so that a skip is never silent; the exit status stays a success.
void tell(const ExportFormat::Outcome &outcome)
{
    if (outcome.leftOutSongs)
        printError(outcome.summary);
}

// The player playlist's options of the command line, each the setting it overrides for this run.
struct ChoiceOption
{
    const char *name;
    QLatin1StringView key;
    const char *valueName;
    const char *description;
};

const ChoiceOption choiceOptions[] = {
    { "paths", Preferences::prPPPaths, "FORM", "m3u8: absolute paths, or relative to the playlist folder." },
    { "separator", Preferences::prPPSeparator, "SEP", "m3u8: the path separator: auto, / or \\." },
    { "unicode", Preferences::prPPUnicode, "FORM", "m3u8: the Unicode form of names: nfc, nfd or asis." },
    { "eol", Preferences::prPPLineEnd, "EOL", "m3u8: line ends, lf or crlf." },
    { "streams", Preferences::prPPStreams, "WHAT", "m3u8: skip or include stream addresses." },
    { "extension", Preferences::prPPExtension, "EXT", "m3u8: the file type --all gives the files: m3u8 or m3u." },
};

// Writes one playlist of --all into `dir`; answers false, with the reason already printed, when it was not
// written.
bool exportInto(const QString &dir, const Playlist &playlist, const ExportFormat &format, bool albumBased,
    QStringList &taken, const CliInteraction &interaction)
{
    const int alertsBefore = interaction.alertCount();
    const QString name = safeFileName(playlist.getName(), format.fileExtension(), taken, format.writesPageSet);
    if (format.writesPageSet) {
        // Each page set in a folder of its own, so that further pages of two playlists never collide.
        const QString folder = dir + u'/' + PathUtils::stringByDeletingPathExtension(name);
        // A link in place of the folder would lead the pages out of DIR: it gives way to a real folder.
        if (FileManager::isSymbolicLinkAtPath(folder) && !QFile::remove(folder)) {
            printError(u"cannot replace the symbolic link "_s + folder);
            return false;
        }
        const bool existed = QFileInfo::exists(folder);
        if (!QDir().mkpath(folder)) {
            printError(u"cannot make the folder "_s + folder);
            return false;
        }
        const QString first = folder + u'/' + name;
        if (!removeLinks(HTML::pagePaths(first, HTML::maxPageFiles)))
            return false;
        tell(format.save(first, playlist, albumBased));
        // A playlist with nothing to show writes no page; leave no empty folder behind for it.
        if (!existed)
            QDir().rmdir(folder);
    } else {
        const QString file = dir + u'/' + name;
        if (!removeLinks({ file }))
            return false;
        tell(format.save(file, playlist, albumBased));
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
    // Where each playlist goes, by its index among the named entries: a folder playlist is a folder holding
    // what the library puts in it (and no file of its own), unless --flat puts everything straight in DIR.
    const QList<XMLAccessor::PlaylistSummary> summaries = library.getPlaylistSummaries();
    QList<QString> folderOf(summaries.size(), dir);
    QList<bool> skipped(summaries.size(), false);
    QHash<QString, QStringList> takenIn;
    if (!options.flat) {
        QList<QString> below { dir };
        for (const ExportFlow::PlaylistItem &item : ExportFlow::playlistItems(summaries)) {
            below.resize(item.depth + 1);
            folderOf[item.index] = below[item.depth];
            if (!item.folder)
                continue;
            skipped[item.index] = true;
            // Named like a file in the same folder would be, so that it never takes a playlist's name there.
            const QString file = safeFileName(
                item.title, options.format->fileExtension(), takenIn[below[item.depth]], options.format->writesPageSet);
            below.append(below[item.depth] + u'/' + PathUtils::stringByDeletingPathExtension(file));
        }
    }
    qsizetype index = 0;
    std::optional<QString> failed;
    library.forEachPlaylist([&](const Playlist &playlist) {
        const qsizetype at = index++;
        // The visit cannot be cut short: once a playlist failed, the rest are passed over. A failure is most
        // often the folder (full, or gone), and every further playlist would only repeat the same alert.
        if (failed || skipped.value(at))
            return;
        const QString into = folderOf.value(at, dir);
        // A link in place of a folder playlist's folder would lead its files out of DIR (DIR itself may be one).
        if (into != dir && FileManager::isSymbolicLinkAtPath(into) && !QFile::remove(into)) {
            printError(u"cannot replace the symbolic link "_s + into);
            failed = playlist.getName();
            return;
        }
        if (!QDir().mkpath(into)) {
            printError(u"cannot make the folder "_s + into);
            failed = playlist.getName();
            return;
        }
        if (!exportInto(into, playlist, *options.format, albumBased, takenIn[into], interaction))
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

QString safeFileName(const QString &playlistName, const QString &extension, QStringList &taken, bool pageSet)
{
    QString base;
    base.reserve(playlistName.size());
    for (const QChar ch : playlistName) {
        switch (fileNameCharacter(ch.unicode())) {
        case Keep:
            base += ch == u'/' ? u'-' : ch;
            break;
        case Space:
            base += u' ';
            break;
        case Drop:
            break;
        }
    }
    if (base.startsWith(u'.'))
        base[0] = u'_';
    if (base.isEmpty())
        base = u"Untitled"_s;

    // Room for the number of a page set's last page, which goes between the name and the extension.
    const QString pageNumber = pageSet ? QString(QString::number(HTML::maxPageFiles).size(), u'0') : QString();
    const QString dotExtension = u"."_s + extension;
    const auto fits = [&](const QString &suffix) -> QString {
        const QString name = fitted(base, suffix + pageNumber + dotExtension, HTML::maxFileNameBytes);
        return name.chopped(pageNumber.size() + dotExtension.size()) + dotExtension;
    };
    QString name = fits(QString());
    for (int n = 2; taken.contains(sameNameKey(name)); ++n)
        name = fits(u" "_s + QString::number(n));
    taken.append(sameNameKey(name));
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
        u"Exports the playlists of an iTunes library as HTML pages, delimited text, M3U, a QuickTime "
        "Streaming Server playlist or a player playlist (extended M3U in UTF-8), with the settings of the Setlistry application."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption libraryOption(
        u"library"_s, u"Read the library FILE instead of searching for it."_s, u"FILE"_s);
    const QCommandLineOption listOption(u"list"_s, u"Print the playlist names, one per line."_s);
    const QCommandLineOption jsonOption(u"json"_s,
        u"With --list: print a JSON array of the playlists (name, persistentId, items, parentPersistentId, "
        "folder, builtIn, smart, index)."_s);
    const QCommandLineOption playlistOption(u"playlist"_s, u"Export the first playlist named NAME."_s, u"NAME"_s);
    const QCommandLineOption playlistIdOption(
        u"playlist-id"_s, u"Export the playlist whose persistent ID is ID."_s, u"ID"_s);
    const QCommandLineOption allOption(u"all"_s,
        u"Export every playlist into --output-dir; a folder playlist becomes a folder of its playlists' files."_s);
    const QCommandLineOption flatOption(
        u"flat"_s, u"With --all: every playlist straight in DIR, folder playlists as files of their own."_s);
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
    const QCommandLineOption mapOption(u"map"_s,
        u"m3u8: write paths starting with OLD as starting with NEW; repeatable, the longest match wins."_s,
        u"OLD=NEW"_s);
    const QCommandLineOption playlistDirOption(
        u"playlist-dir"_s, u"m3u8: the folder relative paths start from."_s, u"DIR"_s);
    parser.addOptions(
        { libraryOption, listOption, jsonOption, playlistOption, playlistIdOption, allOption, flatOption, formatOption,
            outputOption, outputDirOption, albumOption, settingsOption, setOption, mapOption, playlistDirOption });
    for (const ChoiceOption &choice : choiceOptions)
        parser.addOption(QCommandLineOption(QString::fromLatin1(choice.name), QString::fromLatin1(choice.description),
            QString::fromLatin1(choice.valueName)));

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
    const bool byId = parser.isSet(playlistIdOption);
    const bool one = parser.isSet(playlistOption) || byId;
    const bool all = parser.isSet(allOption);
    if (int(list) + int(parser.isSet(playlistOption)) + int(byId) + int(all) != 1) {
        printError(u"give exactly one of --list, --playlist NAME, --playlist-id ID or --all (see --help)"_s);
        return Usage;
    }
    if (parser.isSet(jsonOption) && !list) {
        printError(u"--json goes with --list"_s);
        return Usage;
    }
    options.json = parser.isSet(jsonOption);
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
        options.flat = parser.isSet(flatOption);
        options.playlistName = parser.value(playlistOption);
        if (byId)
            options.playlistId = parser.value(playlistIdOption);
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

    // After --set: an option of its own is the more specific, so it wins over a --set of the same key.
    if (parser.isSet(mapOption)) {
        const QStringList entries = parser.values(mapOption);
        for (const QString &entry : entries) {
            if (!entry.contains(u'=') || entry.startsWith(u'=')) {
                printError(u"--map needs OLD=NEW with OLD not empty: "_s + entry);
                return Usage;
            }
        }
        options.overrides.append({ QString(Preferences::prPPMappings), entries });
    }
    if (parser.isSet(playlistDirOption))
        options.overrides.append({ QString(Preferences::prPPDir), parser.value(playlistDirOption) });
    for (const ChoiceOption &choice : choiceOptions) {
        const QString name = QString::fromLatin1(choice.name);
        if (!parser.isSet(name))
            continue;
        const QString word = parser.value(name);
        if (!PlayerPlaylistSettings::isChoice(choice.key, word)) {
            printError(u"--"_s + name + u" must be "_s + PlayerPlaylistSettings::wordsFor(choice.key));
            return Usage;
        }
        options.overrides.append({ QString(choice.key), word });
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
    // After --set: "--format csv" asks for CSV whatever else is stored or given.
    if (options.format && !options.format->presetKey.isEmpty())
        store.setInteger(options.format->presetValue, QString(options.format->presetKey));

    CliInteraction interaction;
    ExportChoices choices;
    choices.fillFromSettings(store);
    const ScopedCoreGlobals globals(store, interaction, &choices);

    const std::optional<QString> libraryPath = findLibrary(options);
    if (!libraryPath)
        return Usage;
    // Held so that one playlist's export can let the document go once the playlist is built from it.
    std::optional<XMLAccessor> held;
    const XMLAccessor &library = held.emplace(*libraryPath);
    if (!library.hasDocument()) {
        printError(u"cannot read the library "_s + *libraryPath + u" ("_s + library.readError() + u')');
        return Failure;
    }

    if (options.command == ExportOptions::Command::List) {
        const QByteArray out = options.json ? playlistsAsJson(library) : playlistLines(library);
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return Success;
    }

    const bool albumBased = options.albumBased || store.boolForKey(QString(Preferences::prHTMLAlbumBased));
    if (options.format->writesPageSet)
        warnOfColoursNotUsed();

    if (options.command == ExportOptions::Command::Playlist) {
        const auto playlist = options.playlistId ? library.getPlaylistByPersistentId(*options.playlistId)
                                                 : library.getPlaylist(options.playlistName);
        if (!playlist) {
            printError(options.playlistId ? u"no playlist with the persistent ID \""_s + *options.playlistId + u"\""_s
                                          : u"no playlist named \""_s + options.playlistName + u"\""_s);
            return Failure;
        }
        // The songs keep copies of their values: the document, most of the memory a large library takes, is
        // no longer needed while the file is made.
        held.reset();
        tell(options.format->save(absolutePath(options.output), *playlist, albumBased));
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
