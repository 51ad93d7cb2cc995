# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Desktop notifications over org.freedesktop.Notifications: the posture warnings, the update
# notice, the login notice where no tray shows the icon, clicks on them and the permission status.
add_library(tisko_notifications STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DBusNotificationCenter.cpp ${CMAKE_CURRENT_LIST_DIR}/DBusNotificationCenter.h
  ${CMAKE_CURRENT_LIST_DIR}/LoginNotice.cpp ${CMAKE_CURRENT_LIST_DIR}/LoginNotice.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationCenter.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationPermission.cpp ${CMAKE_CURRENT_LIST_DIR}/NotificationPermission.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationRequest.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationRouter.cpp ${CMAKE_CURRENT_LIST_DIR}/NotificationRouter.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationStatus.cpp ${CMAKE_CURRENT_LIST_DIR}/NotificationStatus.h
  ${CMAKE_CURRENT_LIST_DIR}/NotificationSwitch.cpp ${CMAKE_CURRENT_LIST_DIR}/NotificationSwitch.h
  ${CMAKE_CURRENT_LIST_DIR}/Notifier.cpp ${CMAKE_CURRENT_LIST_DIR}/Notifier.h
  ${CMAKE_CURRENT_LIST_DIR}/PermissionState.cpp ${CMAKE_CURRENT_LIST_DIR}/PermissionState.h)
target_include_directories(tisko_notifications PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tisko_notifications PUBLIC tisko_core tisko_support Qt6::Core Qt6::Gui Qt6::DBus
  PRIVATE tisko_probes)
tisko_set_warnings(tisko_notifications)
tisko_qt_target(tisko_notifications)
