#include "PathUtils.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace PathUtils {

QString homeDirectory()
{
    QString home = QDir::homePath();
    while (home.size() > 1 && home.endsWith(u'/'))
        home.chop(1);
    return home;
}

QStringList pathComponents(const QString &path)
{
    QStringList components;
    if (path.isEmpty())
        return components;
    if (path.startsWith(u'/'))
        components.append(u"/"_s);
    for (const QString &piece : path.split(u'/', Qt::SkipEmptyParts))
        components.append(piece);
    if (path.size() > 1 && path.endsWith(u'/'))
        components.append(u"/"_s);
    return components;
}

QString pathWithComponents(const QStringList &components)
{
    QString path;
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QString &c = components.at(i);
        if (c == u"/"_s) {
            if (i == 0)
                path = u"/"_s;
            continue; // a trailing "/" component adds nothing
        }
        if (!path.isEmpty() && !path.endsWith(u'/'))
            path += u'/';
        path += c;
    }
    return path;
}

QString stringByStandardizingPath(const QString &path)
{
    QString expanded = path;
    if (expanded == u"~"_s || expanded.startsWith(u"~/"_s))
        expanded = homeDirectory() + expanded.mid(1);
    if (expanded.isEmpty())
        return expanded;

    const bool absolute = expanded.startsWith(u'/');
    QStringList out;
    for (const QString &piece : expanded.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == u"."_s)
            continue;
        if (piece == u".."_s && absolute) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(piece);
    }
    QString result = out.join(u'/');
    if (absolute)
        result.prepend(u'/');
    return result;
}

QString stringByAppendingPathComponent(const QString &path, const QString &component)
{
    QString c = component;
    while (c.startsWith(u'/'))
        c.remove(0, 1);
    if (path.isEmpty())
        return c;
    QString base = path;
    while (base.size() > 1 && base.endsWith(u'/'))
        base.chop(1);
    if (c.isEmpty())
        return base;
    if (base.endsWith(u'/'))
        return base + c;
    return base + u'/' + c;
}

namespace {
QString withoutTrailingSlashes(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}
} // namespace

QString lastPathComponent(const QString &path)
{
    const QString p = withoutTrailingSlashes(path);
    if (p == u"/"_s)
        return p;
    const qsizetype slash = p.lastIndexOf(u'/');
    return slash < 0 ? p : p.mid(slash + 1);
}

QString stringByDeletingLastPathComponent(const QString &path)
{
    const QString p = withoutTrailingSlashes(path);
    if (p == u"/"_s)
        return p;
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0)
        return QString(u""_s);
    if (slash == 0)
        return u"/"_s;
    return withoutTrailingSlashes(p.left(slash));
}

QString pathExtension(const QString &path)
{
    const QString last = lastPathComponent(path);
    const qsizetype dot = last.lastIndexOf(u'.');
    if (dot < 0 || last == u"/"_s)
        return QString(u""_s);
    return last.mid(dot + 1);
}

QString stringByDeletingPathExtension(const QString &path)
{
    const QString p = withoutTrailingSlashes(path);
    const QString last = lastPathComponent(p);
    const qsizetype dot = last.lastIndexOf(u'.');
    if (dot < 0 || last == u"/"_s)
        return p;
    return p.left(p.size() - (last.size() - dot));
}

} // namespace PathUtils
