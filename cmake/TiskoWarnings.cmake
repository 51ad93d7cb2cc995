include(${CMAKE_CURRENT_LIST_DIR}/TiskoHardening.cmake)

# tisko_set_warnings(target): the project's warning set, as errors when TISKO_WERROR is on,
# and the hardening every target of the project is built with.
function(tisko_set_warnings target)
  tisko_harden(${target})
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wconversion -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)
  if(TISKO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tisko_qt_target(target): definitions every Qt target of the project carries.
function(tisko_qt_target target)
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII
    TISKO_APP_ID="${TISKO_APP_ID}" TISKO_VERSION="${PROJECT_VERSION}")
endfunction()
