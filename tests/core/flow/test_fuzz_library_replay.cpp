// Replays the seeds of the export fuzz target (fuzz/fuzz_library.cpp) through its entry point: the reader's
// fixtures and the sample library, under whatever sanitizers this build has.

#include "support/TestSupport.h"

#include <QDirIterator>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void replay(const QString &path)
{
    SCOPED_TRACE(path.toStdString());
    const QByteArray bytes = readFileBytes(path);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

} // namespace

TEST(FuzzLibrary, ReplaysTheSeeds)
{
    int files = 0;
    QDirIterator it(QStringLiteral(SETLISTRY_FIXTURES_DIR "/plist"), QDir::Files);
    while (it.hasNext()) {
        replay(it.next());
        ++files;
    }
    EXPECT_GT(files, 0);
    ASSERT_TRUE(QFileInfo::exists(sampleLibraryPath()));
    replay(sampleLibraryPath());
}
