// The database tests need a Qt application for the SQL drivers and dialogs.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // No test here draws on a real display, listing the tests included.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
