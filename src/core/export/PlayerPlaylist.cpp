#include "PlayerPlaylist.h"

#include "Common.h"
#include "core/text/kwStringMethods.h"

#include <QFileInfo>
#include <QStringList>
#include <optional>

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
// do not count). On a Windows path both "\" and "/" separate; elsewhere a "\" is part of a name.
struct PathParts
{
    enum class Kind { Relative, Posix, Drive, UNC };
    Kind kind = Kind::Relative;
    QString drive; // "C:"
    QStringList components; // of a UNC path the first two are the server and the share

    bool isWindows() const { return kind == Kind::Drive || kind == Kind::UNC; }
    qsizetype rootComponents() const { return kind == Kind::UNC ? qMin<qsizetype>(2, components.size()) : 0; }

    static PathParts of(const QString &path, bool bothSeparators)
    {
        PathParts parts;
        qsizetype start = 0;
        if (startsWithDrive(path)) {
            parts.kind = Kind::Drive;
            parts.drive = path.first(2);
            start = 2;
            bothSeparators = true;
        } else if (startsWithUNC(path)) {
            parts.kind = Kind::UNC;
            start = 2;
            bothSeparators = true;
        } else if (!path.isEmpty() && (path[0] == u'/' || (bothSeparators && path[0] == u'\\'))) {
            parts.kind = Kind::Posix;
            start = 1;
        }
        qsizetype from = start;
        for (qsizetype i = start; i <= path.size(); ++i) {
            if (i == path.size() || path[i] == u'/' || (bothSeparators && path[i] == u'\\')) {
                if (i > from)
                    parts.components.append(path.sliced(from, i - from));
                from = i + 1;
            }
        }
        return parts;
    }

    QString text(QChar separator) const
    {
        const QString joined = components.join(separator);
        switch (kind) {
        case Kind::Posix:
            return separator + joined;
        case Kind::Drive:
            return drive + separator + joined;
        case Kind::UNC:
            return QString(2, separator) + joined;
        case Kind::Relative:
            break;
        }
        return joined;
    }
};

// Names compare equal also when one is NFC and the other NFD, as a typed path and a macOS library's often are.
bool sameName(const QString &a, const QString &b, Qt::CaseSensitivity cs)
{
    if (a.compare(b, cs) == 0)
        return true;
    return a.normalized(QString::NormalizationForm_C).compare(b.normalized(QString::NormalizationForm_C), cs) == 0;
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

struct Rule
{
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

    Target apply(const PathParts &path) const
    {
        const QStringList rest = path.components.sliced(from.components.size());
        Target target;
        if (to) {
            target.path = *to;
            target.path.components += rest;
        } else {
            target.url = rest.isEmpty() ? toURL : toURL + u'/' + rest.join(u'/');
        }
        return target;
    }
};

QList<Rule> rulesOf(const QList<Options::Mapping> &mappings)
{
    QList<Rule> rules;
    for (const Options::Mapping &m : mappings) {
        if (m.from.isEmpty())
            continue;
        Rule rule;
        rule.from = PathParts::of(typedPath(m.from), true);
        // Letter case only counts where the file system's names usually do: not on Windows drives and shares.
        rule.cs = rule.from.isWindows() ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QString to = typedPath(m.to);
        if (isURL(to)) {
            rule.toURL = to;
            while (rule.toURL.endsWith(u'/') && !rule.toURL.endsWith("://"_L1))
                rule.toURL.chop(1);
        } else {
            rule.to = PathParts::of(to, true);
        }
        rules.append(rule);
    }
    return rules;
}

// The target of `path` under the rules: the longest matching rule (the first of equally long ones), none
// when rules exist and none matches, the path itself without rules.
std::optional<Target> mapped(const QList<Rule> &rules, const PathParts &path)
{
    if (rules.isEmpty())
        return Target { path, {} };
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
        return std::nullopt;
    return best->apply(path);
}

PathParts partsOfLocation(const QString &location)
{
    return PathParts::of(location, false);
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
        relative.components.append(u".."_s);
    relative.components += path.components.sliced(common);
    if (relative.components.isEmpty())
        relative.components.append(u"."_s);
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
        const PathParts folder = PathParts::of(QFileInfo(path).absolutePath(), false);
        const std::optional<Target> target = mapped(rulesOf(options.mappings), folder);
        const Target where = target.value_or(Target { folder, {} });
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
    const QList<Rule> rules = rulesOf(options.mappings);
    const QString eol = options.lineEnd == Options::LineEnd::CRLF ? u"\r\n"_s : u"\n"_s;
    const auto written = [&options](const QString &value) {
        return normalized(kwStringMethods::withoutLineBreaks(value), options.normalization);
    };

    std::optional<PathParts> folder;
    if (options.pathForm == Options::PathForm::Relative && !options.playlistDir.isEmpty()) {
        const QString dir = typedPath(options.playlistDir);
        if (!isURL(dir))
            folder = PathParts::of(dir, false);
    }

    const SongList songs = playlist.getSongs();
    QString text;
    text.reserve(32 + songs.size() * 160);
    text += "#EXTM3U"_L1 + eol + "#PLAYLIST:"_L1 + written(playlist.getName()) + eol;
    for (const SongPtr &song : songs) {
        ++counts.songs;
        const QString &location = song->getLocation();
        QString path;
        if (location.isEmpty()) {
            ++counts.skippedWithoutFile;
            continue;
        }
        if (isURL(location)) {
            if (!options.includeStreams) {
                ++counts.skippedStreams;
                continue;
            }
            path = kwStringMethods::withoutLineBreaks(location); // a player wants the address exactly
        } else {
            const std::optional<Target> target = mapped(rules, partsOfLocation(location));
            if (!target) {
                ++counts.skippedOutsideMappings;
                continue;
            }
            if (!target->url.isEmpty()) {
                path = written(target->url);
            } else {
                QChar separator = u'/';
                if (options.separator == Options::Separator::Backslash
                    || (options.separator == Options::Separator::Automatic && target->path.isWindows()))
                    separator = u'\\';
                const PathParts parts = folder ? relativeTo(target->path, *folder) : target->path;
                path = written(parts.text(separator));
            }
        }
        ++counts.written;
        const QString &artist = song->getArtist();
        const QString title
            = artist.isEmpty() ? written(song->getName()) : written(artist) + " - "_L1 + written(song->getName());
        text += "#EXTINF:"_L1 % kwStringMethods::intAsString(song->getTime()) % u',' % title % eol % path % eol;
    }
    if (report)
        *report = counts;
    return text;
}
