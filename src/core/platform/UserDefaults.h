#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <memory>

class QFileSystemWatcher;

// The per-user settings store: registered defaults held in memory, over user values that persist as one
// JSON object file.
//
// Values keep their kind: QString, bool, qint64 or QStringList. Every write is persisted at once and
// atomically, so a value survives a crash right after it was written; writes made inside a Group are persisted
// together by one atomic write when the group ends. A damaged or unreadable file never stops the program: the
// store starts from the defaults, keeps the damaged file beside it as "<name>.damaged-<n>", and the next write
// makes a fresh file.
//
// Several stores (two windows, or a window and the command-line exporter) may share one file. A write changes
// only the keys this store changed: under a lock file beside the settings file ("<name>.lock") it reads the
// file as it is on disk, merges the changed keys into it and writes it back, so keys another store wrote are
// kept. A write that fails (a full disk, a failed sync, a lock that another program holds past the timeout)
// leaves the file as it was and keeps the changed values in memory and pending: the next write that succeeds
// stores them too.
class UserDefaults
{
public:
    // A store over `filePath`; an empty path keeps the user values in memory only.
    explicit UserDefaults(const QString &filePath = QString());
    ~UserDefaults();
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    // Gathers the writes made while it lives into one atomic write of the file, made by commit() or, when
    // that was not called, by the destructor; a crash before then leaves every old value on disk. Groups
    // nest: only the outermost one writes.
    class Group
    {
    public:
        explicit Group(UserDefaults &store);
        ~Group();
        Group(const Group &) = delete;
        Group &operator=(const Group &) = delete;

        // Ends the group; answers whether its writes are on disk (see UserDefaults::lastError()). Later calls
        // answer the same.
        bool commit();

    private:
        UserDefaults &m_store;
        bool m_ended = false;
        bool m_result = true;
    };

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
    // Each answers whether the file now holds the value: false when the write failed (lastError() tells why;
    // the value stays in effect in memory). Inside a Group, or with persistence off, a write answers true and
    // the group's commit() reports. Writing the value a key already holds is no change and writes nothing.
    bool setObject(const QVariant &value, const QString &key);
    bool setBool(bool value, const QString &key);
    bool setInteger(qint64 value, const QString &key);
    // Drops the user value, so that the key reads its registered default again.
    bool removeObject(const QString &key);

    // Why the last write failed, for the user; empty once a write succeeded.
    QString lastError() const { return m_lastError; }
    // Called with lastError() when a write fails after the store's last write succeeded (or after it was
    // made), so that a front end tells the user once, not at every keystroke of a failing disk.
    void setWriteFailureHandler(std::function<void(const QString &reason)> handler)
    {
        m_failureHandler = std::move(handler);
    }
    // How long a write waits for the lock file that another store holds; then the write fails.
    void setLockTimeout(int milliseconds) { m_lockTimeout = milliseconds; }

    // Reads the file again when another program changed it: the keys this store has not changed since its
    // last write take the file's values. Answers whether any value changed. Our own writes, and a file that
    // does not parse (it is left alone here), change nothing.
    bool reloadFromDisk();
    // Watches the file (and its folder, for a file replaced or made by another store) and reloads it on every
    // change made by others, then calls `changed`. Needs a running event loop.
    void watchFile(std::function<void()> changed);

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
    void moveDamagedFileAside();
    bool persist();
    bool fail(const QString &reason);
    void watchedPathChanged();

    QString m_filePath;
    bool m_persistent = true;
    QVariantMap m_defaults;
    QVariantMap m_values;
    // Keys set or removed since the last write that succeeded: the only keys a write changes in the file.
    QSet<QString> m_changed;
    // The file as this store last read or wrote it (empty: no file), which tells our own writes from others'.
    QByteArray m_diskBytes;
    int m_groupDepth = 0;
    int m_lockTimeout = 2000;
    QString m_lastError;
    bool m_failing = false;
    std::function<void(const QString &)> m_failureHandler;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    std::function<void()> m_watchCallback;
};
