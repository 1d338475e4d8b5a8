#include "UserDefaults.h"

#include "FileManager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

UserDefaults *s_standard = nullptr;

QJsonValue toJson(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::QStringList:
        return QJsonArray::fromStringList(value.toStringList());
    default:
        return value.toString();
    }
}

// Leading decimal integer of a text, as a string's integer value is read: optional white space and sign,
// then digits; anything else ends it. Saturates rather than overflowing.
qint64 leadingInteger(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        const int digit = text.at(i).unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return negative ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

} // namespace

UserDefaults::UserDefaults(const QString &filePath)
    : m_filePath(filePath)
{
    load();
}

UserDefaults &UserDefaults::standardUserDefaults()
{
    // Falling back to a store over defaultFilePath() here once let tests and benchmarks write the user's file.
    Q_ASSERT_X(s_standard, "UserDefaults::standardUserDefaults", "no settings store installed");
    if (!s_standard)
        qFatal("UserDefaults::standardUserDefaults: no settings store installed");
    return *s_standard;
}

UserDefaults *UserDefaults::setStandardUserDefaults(UserDefaults *store)
{
    return std::exchange(s_standard, store);
}

QString UserDefaults::defaultFilePath()
{
    // AppConfigLocation is "<config>/<organisation>/<application>"; the store is per application only.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + u"/.config"_s;
    return base + u"/Setlistry/settings.json"_s;
}

void UserDefaults::registerDefaults(const QVariantMap &defaults)
{
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_defaults.insert(it.key(), normalised(it.value()));
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    auto it = m_values.constFind(key);
    if (it != m_values.cend())
        return *it;
    return m_defaults.value(key);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Bool:
        return value.toBool() ? u"1"_s : u"0"_s;
    default:
        return QString();
    }
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
        return value.toLongLong() != 0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        return text.compare(u"YES"_s, Qt::CaseInsensitive) == 0 || text.compare(u"true"_s, Qt::CaseInsensitive) == 0
            || leadingInteger(text) != 0;
    }
    default:
        return false;
    }
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return value.toLongLong();
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.trimmed().compare(u"YES"_s, Qt::CaseInsensitive) == 0)
            return 1;
        return leadingInteger(text);
    }
    default:
        return 0;
    }
}

QStringList UserDefaults::stringListForKey(const QString &key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList();
    return {};
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    m_values.insert(key, normalised(value));
    persist();
}

void UserDefaults::setBool(bool value, const QString &key)
{
    setObject(QVariant(value), key);
}

void UserDefaults::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(value), key);
}

QVariant UserDefaults::normalised(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::QStringList:
        return value;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QVariant(value.toLongLong());
    case QMetaType::QVariantList: {
        QStringList list;
        for (const QVariant &item : value.toList())
            list.append(item.toString());
        return list;
    }
    default:
        return QVariant(value.toString());
    }
}

bool UserDefaults::parseJson(const QByteArray &json, QVariantMap *out)
{
    out->clear();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject object = doc.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue v = it.value();
        switch (v.type()) {
        case QJsonValue::Bool:
            out->insert(it.key(), v.toBool());
            break;
        case QJsonValue::Double: {
            const double d = v.toDouble();
            if (d == std::floor(d) && std::abs(d) < 9.2e18)
                out->insert(it.key(), QVariant(qint64(d)));
            else
                out->insert(it.key(), QString::number(d));
            break;
        }
        case QJsonValue::String:
            out->insert(it.key(), v.toString());
            break;
        case QJsonValue::Array: {
            QStringList list;
            for (const QJsonValue &item : v.toArray()) {
                if (item.isString())
                    list.append(item.toString());
            }
            out->insert(it.key(), list);
            break;
        }
        default:
            // null and nested objects are no kind the store keeps
            break;
        }
    }
    return true;
}

QVariant UserDefaults::valueFromJsonText(const QString &text)
{
    // Wrap the text so that scalars parse through the same path as the file's values.
    QVariantMap map;
    if (parseJson("{\"v\":" + text.toUtf8() + '}', &map) && map.contains(u"v"_s))
        return map.value(u"v"_s);
    return QVariant(text);
}

void UserDefaults::load()
{
    m_values.clear();
    if (m_filePath.isEmpty())
        return;
    QFile file(m_filePath);
    if (!file.exists())
        return;
    QByteArray bytes;
    bool readable = file.open(QIODevice::ReadOnly);
    if (readable) {
        bytes = file.readAll();
        readable = file.error() == QFileDevice::NoError;
        file.close();
    }
    if (readable && parseJson(bytes, &m_values))
        return;

    // Damaged: keep it under another name so that nothing the user had is lost; the next write starts afresh.
    m_values.clear();
    for (int n = 1; n < 1000; ++n) {
        const QString aside = m_filePath + u".damaged-"_s + QString::number(n);
        if (!QFileInfo::exists(aside)) {
            QFile::rename(m_filePath, aside);
            break;
        }
    }
}

void UserDefaults::persist()
{
    if (!m_persistent || m_filePath.isEmpty())
        return;
    QJsonObject object;
    for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
        object.insert(it.key(), toJson(it.value()));
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    // The store reports no errors; a value that could not be written stays in memory for this run.
    FileManager::writeToFileAtomically(QJsonDocument(object).toJson(QJsonDocument::Indented), m_filePath);
}
