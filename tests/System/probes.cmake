# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Probe tests. The session tests talk to the headless desktop of tests/harness/run-headless and
# share one lock: they change the X server and the logind stand-in that all of them see.
find_package(Qt6 REQUIRED COMPONENTS Test)
find_package(X11 REQUIRED)

# A Wayland server offering the compositor's idle notification, for the probe that reads it.
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_SERVER REQUIRED IMPORTED_TARGET wayland-server)
set(idle_server_header ${CMAKE_CURRENT_BINARY_DIR}/wayland/ext-idle-notify-v1-server-protocol.h)
add_custom_command(OUTPUT ${idle_server_header}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/wayland
  COMMAND ${WAYLAND_SCANNER} server-header ${TISKO_IDLE_PROTOCOL} ${idle_server_header}
  DEPENDS ${TISKO_IDLE_PROTOCOL} VERBATIM)

tisko_add_test(tisko_probes_tests
  SOURCES ProbesTests.cpp FakeDisplays.h
    ${idle_server_header}
  LIBS tisko_probes tisko_test_support tisko_wayland_protocols PkgConfig::WAYLAND_SERVER
  LABELS probes)
tisko_qt_target(tisko_probes_tests)
target_include_directories(tisko_probes_tests SYSTEM PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/wayland)

add_executable(tisko_probes_session_tests SessionTests.cpp FakeDisplays.h)
tisko_set_warnings(tisko_probes_session_tests)
tisko_qt_target(tisko_probes_session_tests)
target_link_libraries(tisko_probes_session_tests PRIVATE tisko_probes tisko_test_support Qt6::Test X11::X11 X11::Xrandr
  GTest::gtest GTest::gmock)
gtest_discover_tests(tisko_probes_session_tests DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS integration RESOURCE_LOCK tisko_session)
