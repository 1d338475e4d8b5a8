#include "ExportFormat.h"

#include "ExportFlow.h"
#include "core/export/DelimitedText.h"
#include "core/export/DelimitedTextItems.h"
#include "core/export/M3U.h"
#include "core/export/PlayerPlaylistSettings.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
#include "core/platform/UserDefaults.h"
#include "core/settings/Preferences.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

using Id = ExportFormat::Id;
using FieldLists = ExportFormat::FieldLists;

using Outcome = ExportFormat::Outcome;

Outcome savePlayerPlaylist(const QString &path, const Playlist &playlist, bool)
{
    PlayerPlaylistReport report;
    PlayerPlaylist::savePlayerPlaylistTo(
        path, playlist, PlayerPlaylistSettings::optionsFrom(UserDefaults::standardUserDefaults()), &report);
    return { report.summary(), report.written < report.songs };
}

Outcome saveDelimitedText(const QString &path, const Playlist &playlist, bool)
{
    DelimitedText::saveDTTo(path, playlist);
    return {};
}

const std::array<ExportFormat, 6> formats { {
    { Id::DelimitedText, "txt"_L1, "txt"_L1, {}, ExportFlow::DelimitedTextTab, FieldLists::Always, false,
        "Delimited text"_L1, &saveDelimitedText },
    { Id::DelimitedText, "csv"_L1, "csv"_L1, {}, ExportFlow::DelimitedTextTab, FieldLists::Always, false,
        "Comma-separated values"_L1, &saveDelimitedText, Preferences::prDTDelimiter, DelimitedTextItems::csvIndex },
    { Id::M3U, "m3u"_L1, "m3u"_L1, {}, ExportFlow::M3UTab, FieldLists::None, false, "M3U playlists"_L1,
        [](const QString &path, const Playlist &playlist, bool) {
            M3U::saveM3UTo(path, playlist);
            return Outcome {};
        } },
    { Id::QTSS, "playlist"_L1, "playlist"_L1, {}, ExportFlow::QTSSTab, FieldLists::None, false, "QTSS playlists"_L1,
        [](const QString &path, const Playlist &playlist, bool) {
            QTSS::saveQTSSTo(path, playlist);
            return Outcome {};
        } },
    { Id::HTML, "html"_L1, "html"_L1, {}, ExportFlow::HTMLTab, FieldLists::SongBasedOnly, true, "HTML pages"_L1,
        [](const QString &path, const Playlist &playlist, bool albumBased) {
            HTML::saveHTMLTo(path, playlist, albumBased);
            return Outcome {};
        } },
    { Id::PlayerPlaylist, "m3u8"_L1, "m3u8"_L1, Preferences::prPPExtension, ExportFlow::PlayerPlaylistTab,
        FieldLists::None, false, "Player playlists"_L1, &savePlayerPlaylist },
} };

template<typename Matches> const ExportFormat *find(Matches matches)
{
    for (const ExportFormat &format : formats) {
        if (matches(format))
            return &format;
    }
    return nullptr;
}

} // namespace

QString ExportFormat::fileExtension() const
{
    if (id == Id::DelimitedText)
        return DelimitedTextItems::delimiterFor(Preferences::integerFor(Preferences::prDTDelimiter)).extension;
    if (extensionSetting.isEmpty())
        return extension;
    return PlayerPlaylistSettings::extensionFrom(UserDefaults::standardUserDefaults());
}

std::span<const ExportFormat> ExportFormat::all()
{
    return formats;
}

const ExportFormat *ExportFormat::forCommandLineName(QStringView name)
{
    return find([name](const ExportFormat &format) { return name == format.commandLineName; });
}

const ExportFormat *ExportFormat::forTab(int tab)
{
    return find([tab](const ExportFormat &format) { return tab == format.tab && format.presetKey.isEmpty(); });
}

const ExportFormat *ExportFormat::forExtension(QStringView extension)
{
    return find([extension](const ExportFormat &format) { return extension == format.extension; });
}

QString ExportFormat::commandLineNames()
{
    QString names;
    for (size_t i = 0; i < formats.size(); ++i) {
        if (i > 0)
            names += i + 1 == formats.size() ? u" or "_s : u", "_s;
        names += formats[i].commandLineName;
    }
    return names;
}
