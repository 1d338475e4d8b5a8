#include "ExportTestSupport.h"
#include "core/export/DelimitedText.h"
#include "core/export/M3U.h"
#include "core/export/QTSS.h"
#include "core/library/XMLAccessor.h"

using namespace Qt::StringLiterals;

namespace {

// The whole road from the library file to the bytes on disk, for one playlist of the bundled sample library
// (accented names, "%20" in locations, ratings in steps of 20, track numbers that repeat across discs).
class SampleLibraryTest : public ExportTest
{
protected:
    void SetUp() override
    {
        ExportTest::SetUp();
        const XMLAccessor accessor(sampleLibraryPath());
        std::optional<Playlist> found = accessor.getPlaylist(u"Tango Night"_s);
        ASSERT_TRUE(found.has_value());
        playlist = std::move(found);
    }

    std::optional<Playlist> playlist;
};

TEST_F(SampleLibraryTest, TangoNightInEveryTextFormat)
{
    env.setFields({ u"Name"_s, u"Artist"_s, u"Album"_s, u"Time"_s, u"Rating"_s, u"Disc Number"_s, u"Size"_s },
        { u"Artist"_s, u"Album"_s, u"TrackNumber"_s });
    const QString txt = env.path(u"Tango Night.txt"_s);
    const QString m3u = env.path(u"Tango Night.m3u"_s);
    const QString qtss = env.path(u"Tango Night.playlist"_s);
    DelimitedText::saveDTTo(txt, *playlist);
    M3U::saveM3UTo(m3u, *playlist);
    QTSS::saveQTSSTo(qtss, *playlist);

    EXPECT_EQ(readFileBytes(txt), exportFixture("sample-tango-night.txt"));
    EXPECT_EQ(readFileBytes(m3u), exportFixture("sample-tango-night.m3u"));
    EXPECT_EQ(readFileBytes(qtss), exportFixture("sample-tango-night.playlist"));
    EXPECT_TRUE(env.interaction().alerts.isEmpty());
}

} // namespace
