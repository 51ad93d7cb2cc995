# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What the user grants Tisko (camera, head tracker, notifications), the desktop's own panels
# for them, the autostart entry that opens Tisko at login, and what the settings window asks
# of the desktop (its small interfaces and this desktop's answers to them).
add_library(tisko_services STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CameraList.h
  ${CMAKE_CURRENT_LIST_DIR}/DesktopPlatform.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopPlatform.h
  ${CMAKE_CURRENT_LIST_DIR}/DisplayConnectors.h
  ${CMAKE_CURRENT_LIST_DIR}/LoginSwitch.h
  ${CMAKE_CURRENT_LIST_DIR}/PlatformServices.h
  ${CMAKE_CURRENT_LIST_DIR}/UpdateChecks.h
  ${CMAKE_CURRENT_LIST_DIR}/LoginItem.cpp ${CMAKE_CURRENT_LIST_DIR}/LoginItem.h
  ${CMAKE_CURRENT_LIST_DIR}/Permissions.cpp ${CMAKE_CURRENT_LIST_DIR}/Permissions.h)
target_include_directories(tisko_services PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tisko_services
  PUBLIC tisko_support tisko_camera tisko_notifications Qt6::Core Qt6::Gui Qt6::DBus Qt6::Network
  PRIVATE tisko_probes tisko_updater)
tisko_set_warnings(tisko_services)
tisko_qt_target(tisko_services)
