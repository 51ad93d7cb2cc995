# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The login item and the permissions, in a private home.
tisko_add_test(tisko_services_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ServicesTests.cpp
  LIBS tisko_services tisko_test_support
  LABELS services)
tisko_qt_target(tisko_services_tests)
