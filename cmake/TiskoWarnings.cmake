# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

include(${CMAKE_CURRENT_LIST_DIR}/TiskoHardening.cmake)
option(TISKO_SANITIZE "Build every project target with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

# tisko_set_warnings(target): the project's warning set, as errors when TISKO_WERROR is on,
# the hardening every target of the project is built with, and the sanitizers when
# TISKO_SANITIZE is on.
function(tisko_set_warnings target)
  tisko_harden(${target})
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wconversion -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
  if(TISKO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(TISKO_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined,float-cast-overflow -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined,float-cast-overflow)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined,float-cast-overflow)
  endif()
endfunction()

# tisko_qt_target(target): definitions every Qt target of the project carries.
function(tisko_qt_target target)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
    TISKO_APP_ID="${TISKO_APP_ID}" TISKO_VERSION="${PROJECT_VERSION}")
endfunction()
