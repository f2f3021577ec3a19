# Runs the cross-built programs (tests and their discovery) under Wine, in a
# Wine prefix of the build's own (see WineRun.cmake). Included by both
# toolchain files:
#   x86_64  64-bit Wine: /usr/lib/wine/wine64
#   i686    32-bit Wine: /usr/lib/wine/wine (Debian's wine32:i386), a 32-bit
#           Linux program itself, which the kernel runs beside the 64-bit ones.
#           The prefix it makes is the usual 64-bit one: its services run under
#           64-bit Wine, the tests in 32-bit processes.
# VOSTREL_WINE may name an emulator before the loader (qemu-i386 -L / ...), but
# that adds nothing: the loader starts its Windows process by running itself
# again, which qemu-user leaves to the kernel, so the tests run natively anyway.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(vostrel_wine_default "/usr/lib/wine/wine")
  set(vostrel_wine_excluded_default "${CMAKE_CURRENT_LIST_DIR}/wine32-excluded-tests.txt")
else()
  set(vostrel_wine_default "/usr/lib/wine/wine64")
  set(vostrel_wine_excluded_default "")
endif()
set(VOSTREL_WINE "${vostrel_wine_default}" CACHE STRING
  "The command that runs the tests' programs, as a list of words without blanks: the Wine loader, or an emulator, its arguments and the loader")
set(VOSTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "The Wine prefix the tests run in")
set(VOSTREL_WINE_EXCLUDED_TESTS "${vostrel_wine_excluded_default}" CACHE FILEPATH
  "A file naming the tests not run under this build's Wine, each with its reason (see WineRun.cmake)")

# Usable when the command's program is found and every absolute path in it exists...
list(GET VOSTREL_WINE 0 vostrel_wine_program)
find_program(vostrel_wine_found NAMES "${vostrel_wine_program}" NO_CACHE)
set(vostrel_wine_usable FALSE)
if(vostrel_wine_found)
  set(vostrel_wine_usable TRUE)
  foreach(vostrel_wine_word IN LISTS VOSTREL_WINE)
    if(IS_ABSOLUTE "${vostrel_wine_word}" AND NOT EXISTS "${vostrel_wine_word}")
      set(vostrel_wine_usable FALSE)
    endif()
  endforeach()
endif()

# ... and when it starts: a 32-bit loader on a kernel that runs no 32-bit
# programs is there but cannot run. CrossGTest.cmake says why.
set(vostrel_wine_unusable_reason "")
if(NOT vostrel_wine_usable)
  set(vostrel_wine_unusable_reason "${VOSTREL_WINE} is not installed")
else()
  execute_process(COMMAND ${VOSTREL_WINE} --version RESULT_VARIABLE vostrel_wine_status
    OUTPUT_QUIET ERROR_VARIABLE vostrel_wine_said ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT vostrel_wine_status EQUAL 0)
    set(vostrel_wine_usable FALSE)
    set(vostrel_wine_unusable_reason "${VOSTREL_WINE} does not start (${vostrel_wine_status} ${vostrel_wine_said})")
  endif()
endif()

if(vostrel_wine_usable)
  # WineRun.cmake takes the command as one text, its words separated by blanks.
  list(JOIN VOSTREL_WINE " " vostrel_wine_text)
  set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-DWINE=${vostrel_wine_text};-DWINEPREFIX=${VOSTREL_WINEPREFIX}"
    "-DEXCLUDED_TESTS=${VOSTREL_WINE_EXCLUDED_TESTS};-P;${CMAKE_CURRENT_LIST_DIR}/WineRun.cmake;--")
  # Listing the tests runs them under Wine: do it when the tests run, not when
  # they are built, so that building needs no Wine.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
