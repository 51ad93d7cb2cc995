# Probes of the session: connected displays, screen lock, presence and waking from sleep.
find_package(X11 REQUIRED)

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
  ${CMAKE_CURRENT_LIST_DIR}/X11Display.cpp ${CMAKE_CURRENT_LIST_DIR}/X11Display.h)
target_include_directories(tisko_probes PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tisko_probes
  PUBLIC Qt6::Core Qt6::Gui Qt6::DBus
  PRIVATE X11::X11 X11::Xrandr X11::Xss X11::Xext)
tisko_set_warnings(tisko_probes)
tisko_qt_target(tisko_probes)
