#include <gtest/gtest.h>

#include <QApplication>

// The interface tests share one QApplication. They draw off screen unless the headless
// desktop gives them a display (the tray tests need one and skip themselves without it).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
