#include <QCoreApplication>
#include <gtest/gtest.h>

// Engine tests need Qt Core's event loop for queued calls, never a display.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
