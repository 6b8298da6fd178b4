#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// ImageMagick keeps a few small strings of its own until the process ends (e.g. after reading
// a PNM header); they are not leaks of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:AcquireString\n";
}

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
