// The main of the test programs that build windows or run the Qt door: GoogleTest inside one
// QApplication on the offscreen platform, so nothing is shown and no display is needed.
#include <gtest/gtest.h>

#include <QApplication>

#include "QtEnvironment.h"

int main(int argc, char** argv) {
    vel::PrepareQtEnvironment(true);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
