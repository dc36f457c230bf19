// One main for every test program: a QGuiApplication (or a QApplication for
// widget tests) so that image, font and event-loop code behaves as in the
// program. Without a platform named, tests run offscreen.
#ifdef OMBRAVELLE_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifdef OMBRAVELLE_TEST_ON_DISPLAY
    // Tests of what a real window system shows take the X display when
    // there is one (xvfb-run gives one); elsewhere they skip themselves.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
#endif
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
