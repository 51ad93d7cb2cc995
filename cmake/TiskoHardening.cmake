# SPDX-FileCopyrightText: 2025-2026 The Tisko developers
# SPDX-License-Identifier: GPL-3.0-or-later

# tisko_harden(target): the hardening a Debian package build gets from dpkg-buildflags with
# every feature on (stack protector, fortify, format checks, PIE, full RELRO with immediate
# binding), in the optimised builds the package comes from. Fortify needs the optimiser, and
# debug builds stay as they are so they share the compiler cache.
option(TISKO_HARDENING "Build with Debian's hardening flags" ON)

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)

function(tisko_harden target)
  if(NOT TISKO_HARDENING OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    return()
  endif()
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${target} PRIVATE
    -fstack-protector-strong -Wformat -Werror=format-security)
  target_compile_definitions(${target} PRIVATE _FORTIFY_SOURCE=2)
  # Link options only reach executables and shared libraries.
  target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
endfunction()
