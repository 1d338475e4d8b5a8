// Every playlist of the sample library, written as a player playlist into the playlist folder of a music
// server (MPD) that holds the music tree with NFC names: loading each must queue every written entry, in order,
// as a song the server knows. MPD drops an entry it does not know without a word, so the queue tells. Written
// once with absolute paths into the server's music folder and once relative to it (mappings to nothing).
#include "ExportTestSupport.h"
#include "SilentWav.h"
#include "core/export/PlayerPlaylist.h"
#include "core/library/XMLAccessor.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// The roots the sample's file locations lie under, as the library names them after decoding.
const QStringList libraryRoots
    = { u"/Users/alex/Music/iTunes/iTunes Music"_s, u"C:/Users/alex/Music/iTunes/iTunes Music"_s, u"//nas/music"_s };

// The server's names of the songs of `playlist` that have a file, in order, each put in place under `root`.
QStringList expectedFor(const Playlist &playlist, const QString &root)
{
    QStringList names;
    for (const SongPtr &song : playlist.getSongs()) {
        const QString &location = song->getLocation();
        for (const QString &libraryRoot : libraryRoots) {
            if (!location.startsWith(libraryRoot + u'/'))
                continue;
            const QString name = location.sliced(libraryRoot.size() + 1).normalized(QString::NormalizationForm_C);
            const QString file = root + u'/' + name;
            EXPECT_TRUE(QDir().mkpath(QFileInfo(file).path()));
            if (!QFileInfo::exists(file))
                writeFileBytes(file, silentWav());
            names.append(name);
        }
    }
    return names;
}

// An MPD of its own over `musicDir` and `playlistDir`, on a local socket, for the object's lifetime.
class Server
{
public:
    Server(const QString &musicDir, const QString &playlistDir)
    {
        if (!m_dir.isValid())
            return;
        m_socket = m_dir.filePath(u"socket"_s);
        const QString config = m_dir.filePath(u"mpd.conf"_s);
        writeFileBytes(config,
            (u"music_directory \"%1\"\nplaylist_directory \"%2\"\ndb_file \"%3\"\nlog_file \"%4\"\n"
             "bind_to_address \"%5\"\nzeroconf_enabled \"no\"\nauto_update \"no\"\n"
             "audio_output {\n    type \"null\"\n    name \"null\"\n}\n"_s)
                .arg(musicDir, playlistDir, m_dir.filePath(u"database"_s), m_dir.filePath(u"log"_s), m_socket)
                .toUtf8());
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStandardPaths::findExecutable(u"mpd"_s), { u"--no-daemon"_s, config });
        if (!m_process.waitForStarted(10000))
            return;
        // Started when it listens; the wait ends at once then, so it only bounds a server that never comes up.
        for (int i = 0; i < 200 && !QFileInfo::exists(m_socket) && m_process.state() != QProcess::NotRunning; ++i)
            QThread::msleep(50);
    }

    ~Server()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    bool isRunning() const { return QFileInfo::exists(m_socket) && m_process.state() == QProcess::Running; }
    // What the server said, on its output and in its log.
    QString output() { return QString::fromUtf8(m_process.readAll() + readFileBytes(m_dir.filePath(u"log"_s))); }

    // mpc's lines for `arguments`; a failure fails the test with mpc's words.
    QStringList mpc(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"MPD_HOST"_s, m_socket);
        process.setProcessEnvironment(environment);
        process.start(QStandardPaths::findExecutable(u"mpc"_s), arguments);
        EXPECT_TRUE(process.waitForFinished(60000)) << "mpc did not finish";
        EXPECT_EQ(process.exitCode(), 0) << "mpc " << arguments.join(u' ').toStdString() << ": "
                                         << QString::fromUtf8(process.readAllStandardError()).toStdString();
        return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    // A short path: a local socket's name has a small limit.
    QTemporaryDir m_dir { u"/tmp/setlistry-mpd-XXXXXX"_s };
    QString m_socket;
    QProcess m_process;
};

class PlayerPlaylistMpdTest : public ExportTest
{
};

TEST_F(PlayerPlaylistMpdTest, EveryWrittenEntryIsASongTheServerKnows)
{
    ASSERT_FALSE(
        QStandardPaths::findExecutable(u"mpd"_s).isEmpty() || QStandardPaths::findExecutable(u"mpc"_s).isEmpty())
        << "mpd or mpc is missing: install them (scripts/install-deps.sh test) to run this test";

    const QString root = env.path(u"Server Müsic"_s);
    const QString playlistDir = env.path(u"Server Playlists"_s);
    ASSERT_TRUE(QDir().mkpath(root));
    ASSERT_TRUE(QDir().mkpath(playlistDir));
    const QStringList from = { u"file://localhost/Users/alex/Music/iTunes/iTunes%20Music/"_s,
        u"C:\\Users\\alex\\Music\\iTunes\\iTunes Music"_s, u"file://localhost//nas/music"_s };
    struct Form
    {
        const char *name;
        QString to;
    };
    const Form forms[] = { { "absolute", root }, { "music-root", QString() } };

    // Every playlist in both forms is in place before the server starts: it reads them as they are loaded.
    const XMLAccessor accessor(sampleLibraryPath());
    QList<std::pair<QString, QStringList>> lists; // the name to load and the songs it must queue
    int index = 0;
    accessor.forEachPlaylist([&](const Playlist &playlist) {
        SCOPED_TRACE(playlist.getName().toStdString());
        const QStringList expected = expectedFor(playlist, root);
        for (const Form &form : forms) {
            PlayerPlaylistOptions options; // the defaults, NFC included
            for (const QString &f : from)
                options.mappings.append({ f, form.to });
            // The server's own playlists are the ".m3u" files of its playlist folder.
            const QString name = u"playlist-%1-%2"_s.arg(index).arg(QLatin1StringView(form.name));
            PlayerPlaylistReport report;
            PlayerPlaylist::savePlayerPlaylistTo(playlistDir + u'/' + name + u".m3u"_s, playlist, options, &report);
            EXPECT_EQ(report.written, expected.size());
            EXPECT_EQ(report.skippedOutsideMappings, 0);
            lists.append({ name, expected });
        }
        ++index;
    });

    Server server(root, playlistDir);
    ASSERT_TRUE(server.isRunning()) << "mpd did not start:\n" << server.output().toStdString();
    server.mpc({ u"-q"_s, u"update"_s, u"--wait"_s });
    ASSERT_FALSE(server.mpc({ u"listall"_s }).isEmpty()) << "the server found no songs";

    qsizetype queued = 0;
    for (const auto &[name, expected] : lists) {
        SCOPED_TRACE(name.toStdString());
        server.mpc({ u"-q"_s, u"clear"_s });
        server.mpc({ u"-q"_s, u"load"_s, name });
        const QStringList queue = server.mpc({ u"playlist"_s, u"-f"_s, u"%file%"_s });
        EXPECT_EQ(queue.join(u'\n').toStdString(), expected.join(u'\n').toStdString());
        queued += queue.size();
    }
    EXPECT_GE(queued, 80); // both forms of the sample's files really went through the server
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

} // namespace
