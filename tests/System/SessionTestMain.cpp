// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "SessionHarness.h"

#include <QGuiApplication>

#include <iostream>

// The session tests share one QGuiApplication on the harness's X server. Listing the tests
// (as the build does) needs no desktop; running them outside the harness fails at once.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    if (const ::testing::AssertionResult inside = tisko::test::insideHarness(); !inside) {
        std::cerr << inside.message() << '\n';
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
