#include <QApplication>
#include <gtest/gtest.h>

// Window tests run on the offscreen platform unless a display is asked for.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
