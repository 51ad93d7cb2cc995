// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <QApplication>

// The interface tests share one QApplication. Most draw off screen; the desktop tests use
// the headless desktop's X server or Wayland compositor when there is one (and skip themselves
// without it).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef TISKO_TESTS_OFF_SCREEN
    qputenv("QT_QPA_PLATFORM", "offscreen");
#else
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
