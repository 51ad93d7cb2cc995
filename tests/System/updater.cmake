# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Update offers: the feed reader and schedule, and the updater against a feed served on 127.0.0.1.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Network)

tisko_add_test(tisko_updater_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/UpdaterTests.cpp
  LIBS tisko_updater tisko_notification_test_servers Qt6::Network
  LABELS integration)
tisko_qt_target(tisko_updater_tests)
