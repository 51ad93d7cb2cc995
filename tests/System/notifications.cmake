# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Notifications: the desktop's switch, and the centre against python3-dbusmock's notification
# daemon on a bus of the test's own (PrivateBus, which the interface's tests use too).
find_package(Qt6 6.4 REQUIRED COMPONENTS Core DBus)

add_library(tisko_notification_test_servers INTERFACE)
target_include_directories(tisko_notification_test_servers INTERFACE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tisko_notification_test_servers
  INTERFACE tisko_notifications tisko_test_support Qt6::Core Qt6::DBus GTest::gtest)

tisko_add_test(tisko_notifications_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/NotificationTests.cpp
  LIBS tisko_notification_test_servers
  LABELS notifications)
tisko_qt_target(tisko_notifications_test)
