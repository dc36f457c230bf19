// One main for every test program: a QGuiApplication (offscreen under CTest)
// so that image, font and event-loop code behaves as in the program.
#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
