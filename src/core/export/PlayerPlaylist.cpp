#include "PlayerPlaylist.h"

#include "Common.h"
#include "core/text/kwStringMethods.h"

#include <QFileInfo>
#include <QStringList>
#include <QVarLengthArray>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Options = PlayerPlaylistOptions;

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// A scheme of two or more characters and "://": "http://x", "smb://nas". One letter and ":" is a drive.
bool isURL(QStringView s)
{
    if (s.isEmpty() || !isAsciiLetter(s[0]))
        return false;
    for (qsizetype i = 1; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u':')
            return i >= 2 && s.sliced(i).startsWith("://"_L1);
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return false;
}

bool startsWithDrive(QStringView s)
{
    return s.size() >= 2 && isAsciiLetter(s[0]) && s[1] == u':' && (s.size() == 2 || isSeparator(s[2]));
}

bool startsWithUNC(QStringView s)
{
    return s.size() >= 2 && isSeparator(s[0]) && isSeparator(s[1]);
}

// A path taken apart: its root and its components, without empty ones (so doubled and trailing separators
// do not count). On a Windows path both "\" and "/" separate; elsewhere a "\" is part of a name. The parts are
// views: of a song's location, of a rule's own text, of the folder the playlist lives in. Taking apart tens of
// thousands of locations must not copy each of their names.
struct PathParts
{
    enum class Kind { Relative, Posix, Drive, UNC };
    Kind kind = Kind::Relative;
    QStringView drive; // "C:"
    QVarLengthArray<QStringView, 16> components; // of a UNC path the first two are the server and the share

    bool isWindows() const { return kind == Kind::Drive || kind == Kind::UNC; }
    qsizetype rootComponents() const { return kind == Kind::UNC ? qMin<qsizetype>(2, components.size()) : 0; }

    // `path` must outlive the parts.
    static PathParts of(QStringView path, bool bothSeparators)
    {
        PathParts parts;
        parts.assign(path, bothSeparators);
        return parts;
    }

    void assign(QStringView path, bool bothSeparators)
    {
        kind = Kind::Relative;
        drive = {};
        components.clear();
        qsizetype start = 0;
        if (startsWithDrive(path)) {
            kind = Kind::Drive;
            drive = path.first(2);
            start = 2;
            bothSeparators = true;
        } else if (startsWithUNC(path)) {
            kind = Kind::UNC;
            start = 2;
            bothSeparators = true;
        } else if (!path.isEmpty() && (path[0] == u'/' || (bothSeparators && path[0] == u'\\'))) {
            kind = Kind::Posix;
            start = 1;
        }
        if (!bothSeparators) {
            // A song's location: one separator, found by the library's fast search.
            qsizetype from = start;
            while (from <= path.size()) {
                qsizetype slash = path.indexOf(u'/', from);
                if (slash < 0)
                    slash = path.size();
                if (slash > from)
                    components.append(path.sliced(from, slash - from));
                from = slash + 1;
            }
            return;
        }
        qsizetype from = start;
        for (qsizetype i = start; i <= path.size(); ++i) {
            if (i == path.size() || path[i] == u'/' || path[i] == u'\\') {
                if (i > from)
                    components.append(path.sliced(from, i - from));
                from = i + 1;
            }
        }
    }

    void appendText(QString &out, QChar separator) const
    {
        switch (kind) {
        case Kind::Posix:
            out.append(separator);
            break;
        case Kind::Drive:
            out.append(drive);
            out.append(separator);
            break;
        case Kind::UNC:
            out.append(separator);
            out.append(separator);
            break;
        case Kind::Relative:
            break;
        }
        for (qsizetype i = 0; i < components.size(); ++i) {
            if (i > 0)
                out.append(separator);
            out.append(components[i]);
        }
    }

    QString text(QChar separator) const
    {
        QString out;
        appendText(out, separator);
        return out;
    }
};

bool isAscii(QStringView s)
{
    return QtPrivate::isAscii(s);
}

// Names compare equal also when one is NFC and the other NFD, as a typed path and a macOS library's often are.
// Two ASCII names are their own NFC, so only names with other letters are worth normalising.
bool sameName(QStringView a, QStringView b, Qt::CaseSensitivity cs)
{
    if (cs == Qt::CaseSensitive ? a == b : a.compare(b, cs) == 0)
        return true;
    if (isAscii(a) && isAscii(b))
        return false;
    return a.toString()
               .normalized(QString::NormalizationForm_C)
               .compare(b.toString().normalized(QString::NormalizationForm_C), cs)
        == 0;
}

bool sameRoot(const PathParts &a, const PathParts &b)
{
    if (a.kind != b.kind)
        return false;
    if (a.kind == PathParts::Kind::Drive)
        return a.drive.compare(b.drive, Qt::CaseInsensitive) == 0;
    return true;
}

// A user-typed path: a "file:" URL is read as the path it names, with the same conversion as the library's.
QString typedPath(const QString &typed)
{
    return Song::locationFromURL(typed);
}

// Where a song's file lives on the target: a path, or a URL when a mapping leads to one.
struct Target
{
    PathParts path;
    QString url; // not empty for a URL
};

// A mapping taken apart once per export. Its parts view its own texts, so a rule stays where it was made.
struct Rule
{
    QString fromText;
    QString toText;
    PathParts from;
    Qt::CaseSensitivity cs = Qt::CaseSensitive;
    std::optional<PathParts> to; // none when `toURL` is used
    QString toURL;

    // How many components of `path` the rule covers, or -1 when it does not match.
    qsizetype match(const PathParts &path) const
    {
        if (!sameRoot(from, path) || from.components.size() > path.components.size())
            return -1;
        for (qsizetype i = 0; i < from.components.size(); ++i) {
            if (!sameName(from.components[i], path.components[i], cs))
                return -1;
        }
        return from.components.size();
    }

    void apply(const PathParts &path, Target &target) const
    {
        const qsizetype skipped = from.components.size();
        if (to) {
            target.path = *to;
            for (qsizetype i = skipped; i < path.components.size(); ++i)
                target.path.components.append(path.components[i]);
            target.url.clear();
        } else {
            target.url = toURL;
            for (qsizetype i = skipped; i < path.components.size(); ++i) {
                target.url.append(u'/');
                target.url.append(path.components[i]);
            }
        }
    }
};

std::vector<Rule> rulesOf(const QList<Options::Mapping> &mappings)
{
    std::vector<Rule> rules;
    for (const Options::Mapping &m : mappings) {
        if (m.from.isEmpty())
            continue;
        Rule &rule = rules.emplace_back();
        rule.fromText = typedPath(m.from);
        rule.toText = typedPath(m.to);
    }
    // Taken apart only now that the rules stay put.
    for (Rule &rule : rules) {
        rule.from = PathParts::of(rule.fromText, true);
        // Letter case only counts where the file system's names usually do: not on Windows drives and shares.
        rule.cs = rule.from.isWindows() ? Qt::CaseInsensitive : Qt::CaseSensitive;
        if (isURL(rule.toText)) {
            rule.toURL = rule.toText;
            while (rule.toURL.endsWith(u'/') && !rule.toURL.endsWith("://"_L1))
                rule.toURL.chop(1);
        } else {
            rule.to = PathParts::of(rule.toText, true);
        }
    }
    return rules;
}

// The target of `path` under the rules into `target`: the longest matching rule (the first of equally long
// ones), false when rules exist and none matches, the path itself without rules.
bool mapped(const std::vector<Rule> &rules, const PathParts &path, Target &target)
{
    if (rules.empty()) {
        target.path = path;
        target.url.clear();
        return true;
    }
    const Rule *best = nullptr;
    qsizetype bestLength = -1;
    for (const Rule &rule : rules) {
        const qsizetype length = rule.match(path);
        if (length > bestLength) {
            best = &rule;
            bestLength = length;
        }
    }
    if (!best)
        return false;
    best->apply(path, target);
    return true;
}

// `path` written from inside `folder`, or `path` itself where the two share no root.
PathParts relativeTo(const PathParts &path, const PathParts &folder)
{
    // Two relative paths are both below the music root, so they share it.
    if (!sameRoot(path, folder))
        return path;
    const Qt::CaseSensitivity cs = path.isWindows() ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const qsizetype root = path.rootComponents();
    if (folder.rootComponents() != root)
        return path;
    qsizetype common = 0;
    const qsizetype most = qMin(path.components.size(), folder.components.size());
    while (common < most && sameName(path.components[common], folder.components[common], cs))
        ++common;
    if (common < root)
        return path; // another server or share
    PathParts relative;
    for (qsizetype i = common; i < folder.components.size(); ++i)
        relative.components.append(u"..");
    for (qsizetype i = common; i < path.components.size(); ++i)
        relative.components.append(path.components[i]);
    if (relative.components.isEmpty())
        relative.components.append(u".");
    return relative;
}

QString normalized(const QString &text, Options::Normalization form)
{
    switch (form) {
    case Options::Normalization::NFC:
        return text.normalized(QString::NormalizationForm_C);
    case Options::Normalization::NFD:
        return text.normalized(QString::NormalizationForm_D);
    case Options::Normalization::AsIs:
        break;
    }
    return text;
}

// Below this code unit no character changes in the form: under U+0300 every character is already composed (the
// combining marks begin there), under U+00C0 none can be decomposed.
char16_t firstChangeable(Options::Normalization form)
{
    switch (form) {
    case Options::Normalization::NFC:
        return 0x300;
    case Options::Normalization::NFD:
        return 0xC0;
    case Options::Normalization::AsIs:
        break;
    }
    return 0xFFFF;
}

// `value` as written: line breaks as spaces, then in the chosen form. Most values hold no character the form
// changes (plain ASCII, or Latin letters under NFC), so they go in as they stand without the costly
// normalisation.
void appendWritten(QString &out, QStringView value, Options::Normalization form)
{
    const char16_t limit = firstChangeable(form);
    // No early exit: a loop that only gathers bits is one the compiler runs many characters at a time.
    bool special = false;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        special |= u >= limit || u == u'\n' || u == u'\r';
    }
    if (!special)
        out.append(value);
    else
        out.append(normalized(kwStringMethods::withoutLineBreaks(value.toString()), form));
}

QString plural(int count, const char *one, const char *many)
{
    return QString::number(count) + u' ' + QLatin1StringView(count == 1 ? one : many);
}

} // namespace

QString PlayerPlaylistReport::summary() const
{
    QString line = u'"' + kwStringMethods::withoutLineBreaks(playlistName) + "\": wrote "_L1 + QString::number(written)
        + " of "_L1 + plural(songs, "song", "songs");
    QStringList skips;
    if (skippedWithoutFile)
        skips.append(QString::number(skippedWithoutFile) + " without a file"_L1);
    if (skippedStreams)
        skips.append(plural(skippedStreams, "stream", "streams"));
    if (skippedOutsideMappings)
        skips.append(QString::number(skippedOutsideMappings) + " outside the path mappings"_L1);
    if (!skips.isEmpty())
        line += "; skipped "_L1 + skips.join(", "_L1);
    return line;
}

void PlayerPlaylist::savePlayerPlaylistTo(
    const QString &path, const Playlist &playlist, const PlayerPlaylistOptions &options, PlayerPlaylistReport *report)
{
    if (options.pathForm == Options::PathForm::Relative && options.playlistDir.isEmpty()) {
        // The playlist sits beside the output file on the target too, so its folder moves like the songs do.
        PlayerPlaylistOptions withFolder = options;
        const QString folderText = QFileInfo(path).absolutePath();
        const PathParts folder = PathParts::of(folderText, false);
        Target where;
        if (!mapped(rulesOf(options.mappings), folder, where))
            where = Target { folder, {} };
        withFolder.playlistDir = where.url.isEmpty() ? where.path.text(u'/') : where.url;
        Common::writeExport(makeText(playlist, withFolder, report), path, Common::Encoding::UTF8);
        return;
    }
    Common::writeExport(makeText(playlist, options, report), path, Common::Encoding::UTF8);
}

QString PlayerPlaylist::makeText(
    const Playlist &playlist, const PlayerPlaylistOptions &options, PlayerPlaylistReport *report)
{
    PlayerPlaylistReport counts;
    counts.playlistName = playlist.getName();
    const std::vector<Rule> rules = rulesOf(options.mappings);
    const Options::Normalization form = options.normalization;
    const QLatin1StringView eol = options.lineEnd == Options::LineEnd::CRLF ? "\r\n"_L1 : "\n"_L1;

    QString dir;
    std::optional<PathParts> folder;
    if (options.pathForm == Options::PathForm::Relative && !options.playlistDir.isEmpty()) {
        dir = typedPath(options.playlistDir);
        if (!isURL(dir))
            folder = PathParts::of(dir, false);
    }

    const SongList songs = playlist.getSongs();
    QString text;
    text.reserve(32 + songs.size() * 160);
    text += "#EXTM3U"_L1 + eol + "#PLAYLIST:"_L1;
    appendWritten(text, playlist.getName(), form);
    text += eol;
    // Made once and refilled for every song, so that the loop allocates next to nothing.
    PathParts location;
    Target target;
    QString path;
    QString composed;
    for (const SongPtr &song : songs) {
        ++counts.songs;
        const QString &songLocation = song->getLocation();
        path.resize(0);
        if (songLocation.isEmpty()) {
            ++counts.skippedWithoutFile;
            continue;
        }
        if (isURL(songLocation)) {
            if (!options.includeStreams) {
                ++counts.skippedStreams;
                continue;
            }
            path = kwStringMethods::withoutLineBreaks(songLocation); // a player wants the address exactly
        } else {
            location.assign(songLocation, false);
            if (!mapped(rules, location, target)) {
                ++counts.skippedOutsideMappings;
                continue;
            }
            if (!target.url.isEmpty()) {
                appendWritten(path, target.url, form);
            } else {
                QChar separator = u'/';
                if (options.separator == Options::Separator::Backslash
                    || (options.separator == Options::Separator::Automatic && target.path.isWindows()))
                    separator = u'\\';
                composed.resize(0);
                if (folder)
                    relativeTo(target.path, *folder).appendText(composed, separator);
                else
                    target.path.appendText(composed, separator);
                appendWritten(path, composed, form);
            }
        }
        ++counts.written;
        text += "#EXTINF:"_L1 % kwStringMethods::intAsString(song->getTime()) % u',';
        const QString &artist = song->getArtist();
        if (!artist.isEmpty()) {
            appendWritten(text, artist, form);
            text += " - "_L1;
        }
        appendWritten(text, song->getName(), form);
        text += eol % path % eol;
    }
    if (report)
        *report = counts;
    return text;
}
