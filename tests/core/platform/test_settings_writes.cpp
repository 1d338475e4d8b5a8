#include "core/platform/FileManager.h"
#include "core/platform/UserDefaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

int s_syncs = 0;

int countingSync(int)
{
    ++s_syncs;
    return 0;
}

// A disk or a network share that reports the lost write only when asked to sync.
int failingSync(int)
{
    ++s_syncs;
    errno = EIO;
    return -1;
}

// Puts a sync call in place for one scope; every atomic write syncs exactly once through it.
class SyncSwap
{
public:
    explicit SyncSwap(FileManager::SyncFunction sync)
        : m_previous(FileManager::setSyncFunction(sync))
    {
        s_syncs = 0;
    }
    ~SyncSwap() { FileManager::setSyncFunction(m_previous); }

private:
    FileManager::SyncFunction m_previous;
};

const QByteArray oldFile = R"({"k1": "old", "k2": "old", "k3": "old"})";

} // namespace

TEST(SettingsWrites, AFailedWriteLeavesTheFileAndIsReportedOnce)
{
    // A single write and a group fail alike: the file stays, the values stay in effect, the handler hears once.
    for (const bool grouped : { false, true }) {
        SCOPED_TRACE(grouped ? "group" : "single write");
        CoreEnvironment env;
        const QString file = env.path(u"settings.json"_s);
        writeFileBytes(file, oldFile);
        UserDefaults store(file);
        QStringList reasons;
        store.setWriteFailureHandler([&](const QString &reason) { reasons.append(reason); });
        {
            const SyncSwap failing(failingSync);
            if (grouped) {
                UserDefaults::Group group(store);
                store.setObject(u"new"_s, u"k1"_s);
                store.setObject(u"new"_s, u"k2"_s);
                EXPECT_FALSE(group.commit());
            } else {
                EXPECT_FALSE(store.setObject(u"new"_s, u"k1"_s));
                EXPECT_FALSE(store.setObject(u"new"_s, u"k2"_s));
            }
            EXPECT_GE(s_syncs, 1);
            EXPECT_EQ(readFileBytes(file), oldFile);
            EXPECT_EQ(store.stringForKey(u"k1"_s), u"new"_s);
            EXPECT_FALSE(store.lastError().isEmpty());
            EXPECT_TRUE(store.lastError().contains(QDir::toNativeSeparators(file))) << store.lastError().toStdString();
            EXPECT_FALSE(store.setObject(u"new"_s, u"k3"_s));
            EXPECT_EQ(reasons.size(), 1);
        }
        // The next write that succeeds stores what the failed ones could not.
        EXPECT_TRUE(store.setObject(u"later"_s, u"k4"_s));
        EXPECT_TRUE(store.lastError().isEmpty());
        UserDefaults again(file);
        EXPECT_EQ(again.userValues(),
            (QVariantMap {
                { u"k1"_s, u"new"_s }, { u"k2"_s, u"new"_s }, { u"k3"_s, u"new"_s }, { u"k4"_s, u"later"_s } }));
        // Armed again after that success.
        const SyncSwap failing(failingSync);
        EXPECT_FALSE(store.setObject(u"again"_s, u"k1"_s));
        EXPECT_EQ(reasons.size(), 2);
    }
}

TEST(SettingsWrites, AGroupWritesTheFileOnce)
{
    CoreEnvironment env;
    UserDefaults &store = env.store();
    const SyncSwap counting(countingSync);
    {
        UserDefaults::Group group(store);
        for (int i = 0; i < 20; ++i)
            store.setInteger(i, u"key"_s + QString::number(i));
        {
            UserDefaults::Group inner(store);
            store.setBool(true, u"inner"_s);
            EXPECT_TRUE(inner.commit());
        }
        EXPECT_EQ(s_syncs, 0);
        EXPECT_FALSE(QFile::exists(store.filePath()));
        // No commit(): the end of the scope writes.
    }
    EXPECT_EQ(s_syncs, 1);
    EXPECT_EQ(UserDefaults(store.filePath()).userValues().size(), 21);

    // Outside a group every change is written at once; a value the key already holds is no change.
    store.setInteger(5, u"key5"_s);
    EXPECT_EQ(s_syncs, 1);
    store.setInteger(6, u"key5"_s);
    store.setObject(u"6"_s, u"key5"_s); // another kind is a change
    EXPECT_EQ(s_syncs, 3);
    EXPECT_EQ(UserDefaults(store.filePath()).objectForKey(u"key5"_s), QVariant(u"6"_s));
    UserDefaults::Group empty(store);
    EXPECT_TRUE(empty.commit());
    EXPECT_EQ(s_syncs, 3);
}

TEST(SettingsWrites, AFailedGroupLeavesEveryOldValue)
{
    CoreEnvironment env;
    const QString file = env.path(u"settings.json"_s);
    writeFileBytes(file, oldFile);
    UserDefaults store(file);
    {
        const SyncSwap failing(failingSync);
        UserDefaults::Group group(store);
        for (const QString &key : { u"k1"_s, u"k2"_s, u"k3"_s })
            store.setObject(u"new"_s, key);
        store.removeObject(u"k2"_s);
        EXPECT_FALSE(group.commit());
        EXPECT_EQ(s_syncs, 1);
    }
    EXPECT_EQ(UserDefaults(file).userValues(),
        (QVariantMap { { u"k1"_s, u"old"_s }, { u"k2"_s, u"old"_s }, { u"k3"_s, u"old"_s } }));
}

TEST(SettingsWrites, TwoStoresOnOneFileKeepEachOthersKeys)
{
    CoreEnvironment env;
    const QString file = env.path(u"shared/settings.json"_s);
    UserDefaults a(file);
    UserDefaults b(file);
    ASSERT_TRUE(a.setObject(u"a1"_s, u"k1"_s));
    ASSERT_TRUE(b.setObject(u"b2"_s, u"k2"_s));
    EXPECT_EQ(UserDefaults(file).userValues(), (QVariantMap { { u"k1"_s, u"a1"_s }, { u"k2"_s, u"b2"_s } }));

    // A never read B's key, and writes again: B's key stays.
    ASSERT_TRUE(a.setObject(u"a2"_s, u"k1"_s));
    EXPECT_EQ(UserDefaults(file).userValues(), (QVariantMap { { u"k1"_s, u"a2"_s }, { u"k2"_s, u"b2"_s } }));
    EXPECT_EQ(a.stringForKey(u"k2"_s), u"b2"_s);

    // A removal is a change too, and A's next write does not bring the removed key back.
    ASSERT_TRUE(b.removeObject(u"k2"_s));
    ASSERT_TRUE(a.setObject(u"a3"_s, u"k1"_s));
    EXPECT_EQ(UserDefaults(file).userValues(), (QVariantMap { { u"k1"_s, u"a3"_s } }));
    EXPECT_FALSE(a.hasUserValue(u"k2"_s));
}

TEST(SettingsWrites, ReloadTakesOthersValuesForTheKeysNotChangedHere)
{
    CoreEnvironment env;
    const QString file = env.path(u"settings.json"_s);
    writeFileBytes(file, oldFile);
    UserDefaults a(file);
    UserDefaults b(file);
    ASSERT_TRUE(a.setObject(u"mine"_s, u"k1"_s));
    // Our own write is no change.
    EXPECT_FALSE(a.reloadFromDisk());

    UserDefaults::Group pending(a);
    a.setObject(u"pending"_s, u"k3"_s);
    {
        UserDefaults::Group group(b);
        b.setObject(u"theirs"_s, u"k2"_s);
        b.setObject(u"theirs"_s, u"k3"_s);
        b.setObject(u"theirs"_s, u"k9"_s);
    }
    EXPECT_TRUE(a.reloadFromDisk());
    EXPECT_FALSE(a.reloadFromDisk());
    EXPECT_EQ(a.userValues(),
        (QVariantMap {
            { u"k1"_s, u"mine"_s }, { u"k2"_s, u"theirs"_s }, { u"k3"_s, u"pending"_s }, { u"k9"_s, u"theirs"_s } }));

    // A file damaged by hand is left alone by a reload; the values stay.
    writeFileBytes(file, "{\"k1\": ");
    EXPECT_FALSE(a.reloadFromDisk());
    EXPECT_EQ(a.stringForKey(u"k2"_s), u"theirs"_s);
    EXPECT_TRUE(QFile::exists(file));
}

TEST(SettingsWrites, TheLockIsHonoured)
{
    CoreEnvironment env;
    const QString file = env.path(u"settings.json"_s);
    writeFileBytes(file, oldFile);
    UserDefaults store(file);

    // Held past the timeout: the write fails cleanly and writes nothing.
    QLockFile held(file + u".lock"_s);
    ASSERT_TRUE(held.tryLock(0));
    store.setLockTimeout(100);
    EXPECT_FALSE(store.setObject(u"new"_s, u"k1"_s));
    EXPECT_TRUE(store.lastError().contains(u".lock"_s)) << store.lastError().toStdString();
    EXPECT_EQ(readFileBytes(file), oldFile);

    // Released while the write waits: it goes ahead then.
    store.setLockTimeout(10000);
    QElapsedTimer timer;
    timer.start();
    std::thread releaser([&held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        held.unlock();
    });
    const bool written = store.setObject(u"new"_s, u"k2"_s);
    releaser.join();
    EXPECT_TRUE(written) << store.lastError().toStdString();
    EXPECT_GE(timer.elapsed(), 250);
    EXPECT_EQ(UserDefaults(file).stringForKey(u"k1"_s), u"new"_s);

    // A lock left behind by a process that is gone does not stop the store.
    writeFileBytes(file + u".lock"_s, "999999999\nsetlistry\n" + QSysInfo::machineHostName().toUtf8() + '\n');
    store.setLockTimeout(2000);
    EXPECT_TRUE(store.setObject(u"after"_s, u"k3"_s)) << store.lastError().toStdString();
    EXPECT_FALSE(QFile::exists(file + u".lock"_s));
}
