# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Probes of the session: connected displays, screen lock, presence and waking from sleep.
find_package(X11 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)

# The compositor's idle notification: its C glue, generated from the protocol's description.
enable_language(C)
set(TISKO_IDLE_PROTOCOL ${WAYLAND_PROTOCOLS_DIR}/staging/ext-idle-notify/ext-idle-notify-v1.xml
    CACHE INTERNAL "The idle notification protocol, for the probes and their tests")
set(TISKO_WAYLAND_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/wayland)
# And activation, for a window that asks for attention.
set(TISKO_ACTIVATION_PROTOCOL ${WAYLAND_PROTOCOLS_DIR}/staging/xdg-activation/xdg-activation-v1.xml)
set(wayland_glue)
foreach(protocol ${TISKO_IDLE_PROTOCOL} ${TISKO_ACTIVATION_PROTOCOL})
  get_filename_component(stem ${protocol} NAME_WE)
  add_custom_command(
    OUTPUT ${TISKO_WAYLAND_GENERATED}/${stem}-client-protocol.h
           ${TISKO_WAYLAND_GENERATED}/${stem}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TISKO_WAYLAND_GENERATED}
    COMMAND ${WAYLAND_SCANNER} client-header ${protocol}
            ${TISKO_WAYLAND_GENERATED}/${stem}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${protocol}
            ${TISKO_WAYLAND_GENERATED}/${stem}-protocol.c
    DEPENDS ${protocol} VERBATIM)
  list(APPEND wayland_glue ${TISKO_WAYLAND_GENERATED}/${stem}-protocol.c
       ${TISKO_WAYLAND_GENERATED}/${stem}-client-protocol.h)
endforeach()
add_library(tisko_wayland_protocols STATIC ${wayland_glue})
target_include_directories(tisko_wayland_protocols SYSTEM PUBLIC ${TISKO_WAYLAND_GENERATED})
target_link_libraries(tisko_wayland_protocols PUBLIC PkgConfig::WAYLAND_CLIENT)

add_library(tisko_probes STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Chassis.cpp ${CMAKE_CURRENT_LIST_DIR}/Chassis.h
  ${CMAKE_CURRENT_LIST_DIR}/DBusQuery.cpp ${CMAKE_CURRENT_LIST_DIR}/DBusQuery.h
  ${CMAKE_CURRENT_LIST_DIR}/DBusScreenState.cpp ${CMAKE_CURRENT_LIST_DIR}/DBusScreenState.h
  ${CMAKE_CURRENT_LIST_DIR}/DisplaySet.cpp ${CMAKE_CURRENT_LIST_DIR}/DisplaySet.h
  ${CMAKE_CURRENT_LIST_DIR}/DisplayWatcher.cpp ${CMAKE_CURRENT_LIST_DIR}/DisplayWatcher.h
  ${CMAKE_CURRENT_LIST_DIR}/Edid.cpp ${CMAKE_CURRENT_LIST_DIR}/Edid.h
  ${CMAKE_CURRENT_LIST_DIR}/EdidSource.h
  ${CMAKE_CURRENT_LIST_DIR}/LinuxPresence.cpp ${CMAKE_CURRENT_LIST_DIR}/LinuxPresence.h
  ${CMAKE_CURRENT_LIST_DIR}/Presence.h
  ${CMAKE_CURRENT_LIST_DIR}/ScreenState.h
  ${CMAKE_CURRENT_LIST_DIR}/SysfsDrm.cpp ${CMAKE_CURRENT_LIST_DIR}/SysfsDrm.h
  ${CMAKE_CURRENT_LIST_DIR}/WakeWatcher.cpp ${CMAKE_CURRENT_LIST_DIR}/WakeWatcher.h
  ${CMAKE_CURRENT_LIST_DIR}/WaylandAttention.cpp ${CMAKE_CURRENT_LIST_DIR}/WaylandAttention.h
  ${CMAKE_CURRENT_LIST_DIR}/WaylandIdle.cpp ${CMAKE_CURRENT_LIST_DIR}/WaylandIdle.h
  ${CMAKE_CURRENT_LIST_DIR}/X11Display.cpp ${CMAKE_CURRENT_LIST_DIR}/X11Display.h
  ${CMAKE_CURRENT_LIST_DIR}/X11TraySelection.cpp ${CMAKE_CURRENT_LIST_DIR}/X11TraySelection.h)
target_include_directories(tisko_probes PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tisko_probes
  PUBLIC Qt6::Core Qt6::Gui Qt6::DBus
  PRIVATE tisko_support tisko_wayland_protocols X11::X11 X11::Xrandr X11::Xss X11::Xext X11::Xfixes)
tisko_set_warnings(tisko_probes)
tisko_qt_target(tisko_probes)
