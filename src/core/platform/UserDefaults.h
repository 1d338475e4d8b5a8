#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

// The per-user settings store: registered defaults held in memory, over user values that persist as one
// JSON object file.
//
// Values keep their kind: QString, bool, qint64 or QStringList. Every write is persisted at once and
// atomically, so a value survives a crash right after it was written. A damaged or unreadable file never
// stops the program: the store starts from the defaults, keeps the damaged file beside it as
// "<name>.damaged-<n>", and the next write makes a fresh file.
class UserDefaults
{
public:
    // A store over `filePath`; an empty path keeps the user values in memory only.
    explicit UserDefaults(const QString &filePath = QString());

    // The one store of the application, as installed by the front end. There is no store by default: a core
    // that reads a setting before one was installed stops, rather than quietly working on the user's own file.
    static UserDefaults &standardUserDefaults();
    // Makes `store` the standard store (not owned; nullptr: none) and answers the one it replaces. For the
    // front ends and tests, by way of ScopedCoreGlobals.
    static UserDefaults *setStandardUserDefaults(UserDefaults *store);
    // "$XDG_CONFIG_HOME/Setlistry/settings.json", by way of QStandardPaths::AppConfigLocation.
    static QString defaultFilePath();

    QString filePath() const { return m_filePath; }

    // With persistence off, writes change the values in memory and the file is never written (the
    // command-line exporter reads the user's settings but never changes them).
    void setPersistent(bool persistent) { m_persistent = persistent; }
    bool isPersistent() const { return m_persistent; }

    void registerDefaults(const QVariantMap &defaults);

    // Typed reads: the user value if the key has one, else the registered default.
    // bool: a bool as stored; the strings "YES"/"true" read as true, "NO" and others as false; an integer is
    //       true when not 0.
    // integer: an integer as stored; a string reads as its leading decimal integer ("-1" is -1, "abc" 0);
    //          a bool as 1 or 0.
    // string: a string as stored; an integer as its decimal text; a bool as "1" or "0"; an array: null.
    // object: the value as stored; an invalid QVariant when the key has no value at all.
    QString stringForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    QVariant objectForKey(const QString &key) const;
    QStringList stringListForKey(const QString &key) const;

    // Writes; `value` must be a QString, bool, integer or QStringList (other kinds are stored as strings).
    void setObject(const QVariant &value, const QString &key);
    void setBool(bool value, const QString &key);
    void setInteger(qint64 value, const QString &key);

    // The user values only (what is persisted).
    QVariantMap userValues() const { return m_values; }
    bool hasUserValue(const QString &key) const { return m_values.contains(key); }

    // Parses the store's JSON format; returns false (and leaves `out` empty) when `json` is not a JSON object.
    static bool parseJson(const QByteArray &json, QVariantMap *out);
    // Turns one JSON text into a stored value as parseJson() would; a text that is not JSON is a string.
    static QVariant valueFromJsonText(const QString &text);

private:
    static QVariant normalised(const QVariant &value);
    void load();
    void persist();

    QString m_filePath;
    bool m_persistent = true;
    QVariantMap m_defaults;
    QVariantMap m_values;
};
