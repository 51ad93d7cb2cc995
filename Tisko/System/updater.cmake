# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Update offers: the feed, its schedule and what a finding shows.
# No feed is published yet, so a build checks nothing unless one is given here or in the
# "updateFeedURL" setting: an address nobody serves would only log failures every few hours.
set(TISKO_UPDATE_FEED "" CACHE STRING
  "Address of the update feed (HTTPS); empty turns update checks off")

add_library(tisko_updater STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Appcast.cpp ${CMAKE_CURRENT_LIST_DIR}/Appcast.h
  ${CMAKE_CURRENT_LIST_DIR}/AppcastFetcher.cpp ${CMAKE_CURRENT_LIST_DIR}/AppcastFetcher.h
  ${CMAKE_CURRENT_LIST_DIR}/AppcastItem.h
  ${CMAKE_CURRENT_LIST_DIR}/UpdateOutcome.h
  ${CMAKE_CURRENT_LIST_DIR}/UpdateSchedule.cpp ${CMAKE_CURRENT_LIST_DIR}/UpdateSchedule.h
  ${CMAKE_CURRENT_LIST_DIR}/Updater.cpp ${CMAKE_CURRENT_LIST_DIR}/Updater.h)
target_include_directories(tisko_updater PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tisko_updater
  PUBLIC tisko_core tisko_support tisko_notifications Qt6::Core Qt6::Gui Qt6::Network)
target_compile_definitions(tisko_updater PRIVATE TISKO_UPDATE_FEED="${TISKO_UPDATE_FEED}")
tisko_set_warnings(tisko_updater)
tisko_qt_target(tisko_updater)
