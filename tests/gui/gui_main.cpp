#include <QApplication>
#include <gtest/gtest.h>

// The GUI tests need a QApplication before any widget exists, also when test discovery runs the binary at
// build time, where no display may be at hand.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
