// The test program of the frame: GoogleTest with one QApplication on the offscreen platform,
// so the windows can be built and inspected without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // as the program does: numbers in the fixed en-US form
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
