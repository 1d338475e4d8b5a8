#include "UserDefaults.h"

#include "FileManager.h"
#include "Localization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLockFile>
#include <QStandardPaths>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

UserDefaults *s_standard = nullptr;

// A write holds the lock for milliseconds; one this old was left by a program that hangs or by another
// machine sharing the folder. (A lock whose process is gone on this machine counts as stale at once.)
constexpr int staleLockMilliseconds = 10000;

enum class FileState { Missing, Readable, Unreadable };

// The file's bytes; Unreadable when it exists but cannot be read.
FileState readFile(const QString &path, QByteArray *bytes)
{
    bytes->clear();
    QFile file(path);
    if (!file.exists())
        return FileState::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return FileState::Unreadable;
    *bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? FileState::Readable : FileState::Unreadable;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    // QVariant's == converts between kinds ("1" == 1), and the store keeps kinds apart.
    return a.typeId() == b.typeId() && a == b;
}

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

UserDefaults::~UserDefaults() = default;

UserDefaults::Group::Group(UserDefaults &store)
    : m_store(store)
{
    ++m_store.m_groupDepth;
}

UserDefaults::Group::~Group()
{
    commit();
}

bool UserDefaults::Group::commit()
{
    if (m_ended)
        return m_result;
    m_ended = true;
    m_result = --m_store.m_groupDepth > 0 || m_store.persist();
    return m_result;
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

bool UserDefaults::setObject(const QVariant &value, const QString &key)
{
    const QVariant stored = normalised(value);
    // Not a change: the window stores every control at quit, and rewriting the unchanged ones would put back
    // values another instance changed meanwhile.
    auto it = m_values.constFind(key);
    if (it != m_values.cend() && sameValue(*it, stored) && !m_changed.contains(key))
        return true;
    m_values.insert(key, stored);
    m_changed.insert(key);
    return m_groupDepth > 0 || persist();
}

bool UserDefaults::setBool(bool value, const QString &key)
{
    return setObject(QVariant(value), key);
}

bool UserDefaults::setInteger(qint64 value, const QString &key)
{
    return setObject(QVariant(value), key);
}

bool UserDefaults::removeObject(const QString &key)
{
    if (!m_values.contains(key) && !m_changed.contains(key))
        return true;
    m_values.remove(key);
    m_changed.insert(key);
    return m_groupDepth > 0 || persist();
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
    m_diskBytes.clear();
    if (m_filePath.isEmpty())
        return;
    QByteArray bytes;
    switch (readFile(m_filePath, &bytes)) {
    case FileState::Missing:
        return;
    case FileState::Readable:
        if (parseJson(bytes, &m_values)) {
            m_diskBytes = bytes;
            return;
        }
        break;
    case FileState::Unreadable:
        break;
    }
    m_values.clear();
    moveDamagedFileAside();
}

void UserDefaults::moveDamagedFileAside()
{
    // Kept under another name so that nothing the user had is lost; the next write starts afresh.
    for (int n = 1; n < 1000; ++n) {
        const QString aside = m_filePath + u".damaged-"_s + QString::number(n);
        if (!QFileInfo::exists(aside)) {
            QFile::rename(m_filePath, aside);
            break;
        }
    }
}

bool UserDefaults::persist()
{
    if (!m_persistent || m_filePath.isEmpty() || m_changed.isEmpty())
        return true;
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());

    // Another store may write the file at any moment: the lock keeps its read-merge-write and ours apart.
    QLockFile lock(m_filePath + u".lock"_s);
    lock.setStaleLockTime(staleLockMilliseconds);
    if (!lock.tryLock(m_lockTimeout)) {
        // A folder we may not write to fails here already, and is no matter of another program.
        if (lock.error() != QLockFile::LockFailedError) {
            return fail(
                Localization::localizedString("SettingsFileNotWritten"_L1).arg(QDir::toNativeSeparators(m_filePath)));
        }
        return fail(Localization::localizedString("SettingsFileLocked"_L1)
                        .arg(QDir::toNativeSeparators(m_filePath + u".lock"_s)));
    }

    QVariantMap merged;
    QByteArray bytes;
    const FileState state = readFile(m_filePath, &bytes);
    if (state != FileState::Missing && !(state == FileState::Readable && parseJson(bytes, &merged))) {
        // Damaged since we read it: what this store holds is the best there is to start the fresh file from.
        moveDamagedFileAside();
        merged = m_values;
    }
    for (const QString &key : std::as_const(m_changed)) {
        auto it = m_values.constFind(key);
        if (it == m_values.cend())
            merged.remove(key);
        else
            merged.insert(key, *it);
    }

    QJsonObject object;
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        object.insert(it.key(), toJson(it.value()));
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    if (!FileManager::writeToFileAtomically(json, m_filePath)) {
        return fail(
            Localization::localizedString("SettingsFileNotWritten"_L1).arg(QDir::toNativeSeparators(m_filePath)));
    }
    // The keys another store wrote meanwhile are ours to read now too.
    m_values = merged;
    m_changed.clear();
    m_diskBytes = json;
    m_lastError.clear();
    m_failing = false;
    return true;
}

bool UserDefaults::fail(const QString &reason)
{
    m_lastError = reason;
    // Last, as a handler may show a modal alert and so run the event loop (and a reload) before it returns.
    if (!std::exchange(m_failing, true) && m_failureHandler)
        m_failureHandler(reason);
    return false;
}

bool UserDefaults::reloadFromDisk()
{
    if (m_filePath.isEmpty())
        return false;
    QByteArray bytes;
    QVariantMap onDisk;
    const FileState state = readFile(m_filePath, &bytes);
    if (state == FileState::Unreadable || (state == FileState::Readable && !parseJson(bytes, &onDisk)))
        return false;
    if (bytes == m_diskBytes)
        return false;
    m_diskBytes = bytes;
    // What this store changed and has not written yet (in a group, or after a failed write) stays.
    for (const QString &key : std::as_const(m_changed)) {
        auto it = m_values.constFind(key);
        if (it == m_values.cend())
            onDisk.remove(key);
        else
            onDisk.insert(key, *it);
    }
    if (onDisk == m_values)
        return false;
    m_values = onDisk;
    return true;
}

void UserDefaults::watchFile(std::function<void()> changed)
{
    m_watchCallback = std::move(changed);
    if (m_filePath.isEmpty() || m_watcher)
        return;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    QDir().mkpath(folder);
    m_watcher = std::make_unique<QFileSystemWatcher>();
    // The folder tells of a file made or replaced (every write replaces it); the file of an edit in place.
    m_watcher->addPath(folder);
    if (QFileInfo::exists(m_filePath))
        m_watcher->addPath(m_filePath);
    QObject::connect(
        m_watcher.get(), &QFileSystemWatcher::fileChanged, m_watcher.get(), [this] { watchedPathChanged(); });
    QObject::connect(
        m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(), [this] { watchedPathChanged(); });
}

void UserDefaults::watchedPathChanged()
{
    // A replaced file drops out of the watch.
    if (!m_watcher->files().contains(m_filePath) && QFileInfo::exists(m_filePath))
        m_watcher->addPath(m_filePath);
    if (reloadFromDisk() && m_watchCallback)
        m_watchCallback();
}
