#include "HTMLLinks.h"

#include "HTMLEscape.h"
#include "core/library/Song.h"
#include "core/platform/PathUtils.h"
#include "core/settings/Preferences.h"
#include "core/text/kwStringMethods.h"

#include <QStringView>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QStringList componentsWithoutRoot(const QString &path)
{
    QStringList components = PathUtils::pathComponents(path);
    if (!components.isEmpty() && components.first() == "/"_L1)
        components.removeFirst();
    return components;
}

// A folder typed in the preferences and a name from the library are one name also when one is composed (NFC)
// and the other decomposed, as a typed path and a macOS library's locations often are.
bool sameName(QStringView typed, QStringView fromLibrary)
{
    if (typed == fromLibrary)
        return true;
    return typed.toString().normalized(QString::NormalizationForm_C)
        == fromLibrary.toString().normalized(QString::NormalizationForm_C);
}

std::optional<QString> dropComponents(const QStringList &base, const QString &fullPath)
{
    const QStringList full = PathUtils::pathComponents(fullPath);
    const qsizetype first = !full.isEmpty() && full.first() == "/"_L1 ? 1 : 0;
    if (full.size() - first <= base.size())
        return std::nullopt;
    for (qsizetype i = 0; i < base.size(); ++i) {
        if (!sameName(base[i], full[first + i]))
            return std::nullopt;
    }
    return PathUtils::pathWithComponents(full.mid(first + base.size()));
}

// A location without doubled or trailing separators, as the library's file addresses are: its components are
// the pieces between single "/", so the rest below the music folder is a plain substring of it.
bool isPlainPath(const QString &location)
{
    return !location.isEmpty() && !location.endsWith(u'/') && !location.contains("//"_L1);
}

// Where the rest of a plain location below `base` begins; -1 when it does not lie below it.
qsizetype restOfPlainPath(const QStringList &base, const QString &location)
{
    qsizetype at = location.startsWith(u'/') ? 1 : 0;
    for (const QString &component : base) {
        const qsizetype slash = location.indexOf(u'/', at);
        if (slash < 0 || !sameName(component, QStringView(location).mid(at, slash - at)))
            return -1;
        at = slash + 1;
    }
    return at < location.size() ? at : -1;
}

// The characters that would make a file name mean something else in a relative link: the URL delimiters
// "%", "#" and "?", a ":" that would read as a scheme, a backslash that browsers take for "/", controls, and
// spaces at either end, which are stripped from attribute values.
QString hrefForFileName(const QString &name)
{
    QString href;
    href.reserve(name.size() + 8);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool encode = c == u'%' || c == u'#' || c == u'?' || c == u':' || c == u'\\' || c < 0x20 || c == 0x7f
            || (c == u' ' && (i == 0 || i == name.size() - 1));
        if (encode) {
            href.append(u'%');
            href.append(QString::number(c, 16).rightJustified(2, u'0').toUpper());
        } else {
            href.append(name[i]);
        }
    }
    return href;
}

// The music folder as the preferences hold it, as components to compare with the decoded locations: a "file:"
// URL is read as the path it names, and a trailing "/" names the same folder as none.
QStringList musicFolderComponents(const QString &typed)
{
    QStringList components = componentsWithoutRoot(Song::locationFromURL(typed));
    if (!components.isEmpty() && components.last() == "/"_L1)
        components.removeLast();
    return components;
}

bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

// The part of a link taken from a file's decoded location, made to fetch that file: "%", "#" and "?" would
// start an escape, a fragment or a query, and controls cannot stand in a URL, so they are percent-encoded as
// UTF-8. Everything else stays as it is, for the page's own escaping.
QString hrefOfLocation(QStringView location)
{
    QString href;
    href.reserve(location.size() + 8);
    for (qsizetype i = 0; i < location.size(); ++i) {
        const QChar c = location[i];
        if (c != u'%' && c != u'#' && c != u'?' && !isControl(c.unicode())) {
            href.append(c);
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            href += u'%' + QString::number(uchar(byte), 16).rightJustified(2, u'0').toUpper();
    }
    return href;
}

} // namespace

HTMLLinks HTMLLinks::read()
{
    HTMLLinks links;
    links.m_on = Preferences::boolFor(Preferences::prHTMLAddWebServerLinks);
    if (!links.m_on)
        return links;
    links.m_prefix = Preferences::stringFor(Preferences::prWebServerPath);
    ensureEndSlash(links.m_prefix);
    ensureStartSlash(links.m_prefix);
    QString folded = links.m_prefix;
    kwStringMethods::replaceString(u"//"_s, folded, u"/"_s);
    links.m_foldedPrefix = HTMLEscape::escaped(folded);
    links.m_musicFolder = musicFolderComponents(Preferences::stringFor(Preferences::prMusicFolderPath));
    return links;
}

void HTMLLinks::appendLinkedName(QString &out, const Song &song) const
{
    const QString &name = song.getName();
    if (!m_on || name.isEmpty()) {
        HTMLEscape::append(out, name);
        return;
    }
    const QString &location = song.getLocation();
    if (isPlainPath(location)) {
        // The rest holds no "//" and begins with no "/", so folding the whole target folds only the prefix.
        const qsizetype rest = restOfPlainPath(m_musicFolder, location);
        if (rest < 0) {
            HTMLEscape::append(out, name);
            return;
        }
        out.append("<a href=\""_L1);
        out.append(m_foldedPrefix);
        HTMLEscape::append(out, hrefOfLocation(QStringView(location).mid(rest)));
    } else {
        // The web server path is the user's own URL text and stays as typed; only the file's part is encoded.
        QString target;
        if (const std::optional<QString> rest = dropComponents(m_musicFolder, location)) {
            target = m_prefix + hrefOfLocation(*rest);
            kwStringMethods::replaceString(u"//"_s, target, u"/"_s);
        }
        if (target.isEmpty()) {
            HTMLEscape::append(out, name);
            return;
        }
        out.append("<a href=\""_L1);
        HTMLEscape::append(out, target);
    }
    out.append("\">"_L1);
    HTMLEscape::append(out, name);
    out.append("</a>"_L1);
}

bool HTMLLinks::getsLink(const Song &song) const
{
    if (!m_on || song.getName().isEmpty())
        return false;
    const QString &location = song.getLocation();
    // The same two ways to the rest below the music folder as appendLinkedName; a rest always makes a target,
    // as the prefix is never empty.
    if (isPlainPath(location))
        return restOfPlainPath(m_musicFolder, location) >= 0;
    return dropComponents(m_musicFolder, location).has_value();
}

qsizetype HTMLLinks::countLinked(const SongList &songs, const QString &musicFolder)
{
    HTMLLinks links;
    links.m_on = true;
    links.m_prefix = u"/"_s;
    links.m_musicFolder = musicFolderComponents(musicFolder);
    return std::count_if(songs.begin(), songs.end(), [&links](const SongPtr &song) { return links.getsLink(*song); });
}

QString HTMLLinks::pageHref(const QString &filePath)
{
    return HTMLEscape::escaped(hrefForFileName(PathUtils::lastPathComponent(filePath)));
}

std::optional<QString> HTMLLinks::dropPath(const QString &basePath, const QString &fullPath)
{
    return dropComponents(componentsWithoutRoot(basePath), fullPath);
}

QString &HTMLLinks::ensureStartSlash(QString &path)
{
    if (path.isEmpty())
        path.append(u'/');
    else if (path.front() != u'/')
        path.prepend(u'/');
    return path;
}

QString &HTMLLinks::ensureEndSlash(QString &path)
{
    if (path.isEmpty() || path.back() != u'/')
        path.append(u'/');
    return path;
}
