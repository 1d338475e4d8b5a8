// Every playlist of the sample library, written as a player playlist, opened by a real player (mpv): each
// written entry must play, each song not written must be in the report. The music tree holds its names in one
// Unicode form, as a server's disk does: NFC as a Linux server usually holds them, with the default options,
// and NFD once, with the playlist written in NFD. The sample's locations mix the two forms, so a playlist that
// wrote them as they stand would miss files in either tree.
#include "ExportTestSupport.h"
#include "SilentWav.h"
#include "core/export/PlayerPlaylist.h"
#include "core/library/XMLAccessor.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

// The roots the sample's file locations lie under, as the library names them after decoding.
const QStringList libraryRoots
    = { u"/Users/alex/Music/iTunes/iTunes Music"_s, u"C:/Users/alex/Music/iTunes/iTunes Music"_s, u"//nas/music"_s };

struct Expected
{
    QStringList files; // in playlist order
    int withoutFile = 0;
    int streams = 0;
};

// What mpv must play for `playlist`, from the locations alone, files put in place under `root` as it goes with
// their names in `form`.
Expected expectedFor(const Playlist &playlist, const QString &root, QString::NormalizationForm form)
{
    Expected expected;
    for (const SongPtr &song : playlist.getSongs()) {
        const QString &location = song->getLocation();
        if (location.isEmpty()) {
            ++expected.withoutFile;
            continue;
        }
        if (location.startsWith("http://"_L1) || location.startsWith("https://"_L1)) {
            ++expected.streams;
            continue;
        }
        QString file;
        for (const QString &libraryRoot : libraryRoots) {
            if (location.startsWith(libraryRoot + u'/'))
                file = QString(root + location.sliced(libraryRoot.size())).normalized(form);
        }
        EXPECT_FALSE(file.isEmpty()) << "a location under no known root: " << location.toStdString();
        if (file.isEmpty())
            continue;
        EXPECT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        if (!QFileInfo::exists(file))
            writeFileBytes(file, silentWav());
        expected.files.append(QFileInfo(file).canonicalFilePath());
    }
    return expected;
}

// The files mpv started playing from `playlistFile`, in order, one a line (readable when a test fails).
std::string playedBy(const QString &mpv, const QString &playlistFile, const QString &workingDir)
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(mpv,
        { u"--no-config"_s, u"--ao=null"_s, u"--ao-null-untimed"_s, u"--vo=null"_s, u"--no-video"_s, u"--ytdl=no"_s,
            u"--load-scripts=no"_s, u"--input-terminal=no"_s, u"--really-quiet"_s,
            u"--msg-level=all=error,term-msg=info"_s, u"--term-playing-msg=PLAYING:${path}"_s,
            u"--playlist="_s + playlistFile });
    EXPECT_TRUE(process.waitForFinished(120000)) << "mpv did not finish";
    QStringList played;
    QStringList messages;
    for (const QString &line : QString::fromUtf8(process.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("PLAYING:"_L1))
            played.append(QFileInfo(QDir(workingDir), line.sliced(8)).canonicalFilePath());
        else
            messages.append(line);
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << "mpv failed on " << playlistFile.toStdString() << ":\n"
                                     << messages.join(u'\n').toStdString();
    return played.join(u'\n').toStdString();
}

struct TreeCase
{
    PlayerPlaylistOptions::PathForm pathForm;
    QString::NormalizationForm onDisk;
    const char *name;
};

class PlayerPlaylistMpvTest : public ExportTest, public ::testing::WithParamInterface<TreeCase>
{
};

// The tree proves the forms apart only if the sample really has a location whose forms differ.
TEST(PlayerPlaylistMpvSample, HoldsADecomposedName)
{
    CoreEnvironment env;
    const XMLAccessor accessor(sampleLibraryPath());
    bool decomposed = false;
    accessor.forEachPlaylist([&](const Playlist &playlist) {
        for (const SongPtr &song : playlist.getSongs())
            decomposed
                = decomposed || song->getLocation() != song->getLocation().normalized(QString::NormalizationForm_C);
    });
    EXPECT_TRUE(decomposed);
}

TEST_P(PlayerPlaylistMpvTest, EveryWrittenEntryPlays)
{
    const QString mpv = QStandardPaths::findExecutable(u"mpv"_s);
    ASSERT_FALSE(mpv.isEmpty()) << "mpv is missing: install it (scripts/install-deps.sh test) to run this test";

    // Spaces and an accent in the root too, so the written paths are not plain ASCII anywhere.
    const TreeCase tree = GetParam();
    const QString root = env.path(u"Target Müsic"_s).normalized(tree.onDisk);
    const QString listsDir = tree.pathForm == PlayerPlaylistOptions::PathForm::Relative
        ? root + u"/Playlists"_s // inside the tree: the entries climb out with "../"
        : env.path(u"lists"_s);
    ASSERT_TRUE(QDir().mkpath(listsDir));
    const QString elsewhere = env.path(u"cwd"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));

    PlayerPlaylistOptions options;
    options.pathForm = tree.pathForm;
    // NFC is left at its default: what is proven to play is what a user gets without choosing.
    if (tree.onDisk == QString::NormalizationForm_D)
        options.normalization = PlayerPlaylistOptions::Normalization::NFD;
    options.mappings = { { u"file://localhost/Users/alex/Music/iTunes/iTunes%20Music/"_s, root },
        { u"C:\\Users\\alex\\Music\\iTunes\\iTunes Music"_s, root }, { u"file://localhost//nas/music"_s, root } };

    const XMLAccessor accessor(sampleLibraryPath());
    int playlists = 0;
    int played = 0;
    // Names repeat ("Downloaded" twice), so every entry is visited in turn and its file named by position.
    accessor.forEachPlaylist([&](const Playlist &playlist) {
        SCOPED_TRACE(playlist.getName().toStdString());
        const Expected expected = expectedFor(playlist, root, tree.onDisk);
        const QString file = listsDir + u"/playlist-"_s + QString::number(playlists++) + u".m3u"_s;
        PlayerPlaylistReport report;
        PlayerPlaylist::savePlayerPlaylistTo(file, playlist, options, &report);
        ASSERT_TRUE(QFileInfo::exists(file));

        EXPECT_EQ(report.songs, playlist.getSongs().size());
        EXPECT_EQ(report.written, expected.files.size());
        EXPECT_EQ(report.skippedWithoutFile, expected.withoutFile);
        EXPECT_EQ(report.skippedStreams, expected.streams);
        EXPECT_EQ(report.skippedOutsideMappings, 0);
        if (tree.pathForm == PlayerPlaylistOptions::PathForm::Relative) {
            EXPECT_FALSE(readFileBytes(file).contains(root.toUtf8())) << "an entry is not relative";
        }

        EXPECT_EQ(playedBy(mpv, file, elsewhere), expected.files.join(u'\n').toStdString());
        played += expected.files.size();
    });
    EXPECT_EQ(playlists, accessor.getPlaylistNames().size());
    EXPECT_GE(played, 40); // the sample's files were really exercised, not an empty run
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Trees, PlayerPlaylistMpvTest,
    ::testing::Values(
        TreeCase { PlayerPlaylistOptions::PathForm::Absolute, QString::NormalizationForm_C, "AbsoluteNFC" },
        TreeCase { PlayerPlaylistOptions::PathForm::Relative, QString::NormalizationForm_C, "RelativeNFC" },
        TreeCase { PlayerPlaylistOptions::PathForm::Absolute, QString::NormalizationForm_D, "AbsoluteNFD" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
