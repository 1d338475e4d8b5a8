#include "ExportFormat.h"

#include "ExportFlow.h"
#include "core/export/DelimitedText.h"
#include "core/export/DelimitedTextItems.h"
#include "core/export/M3U.h"
#include "core/export/QTSS.h"
#include "core/html/HTML.h"
#include "core/settings/Preferences.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

using Id = ExportFormat::Id;
using FieldLists = ExportFormat::FieldLists;

void saveDelimitedText(const QString &path, const Playlist &playlist, bool)
{
    DelimitedText::saveDTTo(path, playlist);
}

const std::array<ExportFormat, 5> formats { {
    { Id::DelimitedText, "txt"_L1, "txt"_L1, ExportFlow::DelimitedTextTab, FieldLists::Always, false,
        "Delimited text"_L1, &saveDelimitedText },
    { Id::DelimitedText, "csv"_L1, "csv"_L1, ExportFlow::DelimitedTextTab, FieldLists::Always, false,
        "Comma-separated values"_L1, &saveDelimitedText, Preferences::prDTDelimiter, DelimitedTextItems::csvIndex },
    { Id::M3U, "m3u"_L1, "m3u"_L1, ExportFlow::M3UTab, FieldLists::None, false, "M3U playlists"_L1,
        [](const QString &path, const Playlist &playlist, bool) { M3U::saveM3UTo(path, playlist); } },
    { Id::QTSS, "playlist"_L1, "playlist"_L1, ExportFlow::QTSSTab, FieldLists::None, false, "QTSS playlists"_L1,
        [](const QString &path, const Playlist &playlist, bool) { QTSS::saveQTSSTo(path, playlist); } },
    { Id::HTML, "html"_L1, "html"_L1, ExportFlow::HTMLTab, FieldLists::SongBasedOnly, true, "HTML pages"_L1,
        &HTML::saveHTMLTo },
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

QString ExportFormat::fileExtension() const
{
    if (id == Id::DelimitedText)
        return DelimitedTextItems::delimiterFor(Preferences::integerFor(Preferences::prDTDelimiter)).extension;
    return extension;
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
