// The test program of the charts: GoogleTest with one QGuiApplication on the offscreen
// platform, so the Qt backend can draw images without a display.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <clocale>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
