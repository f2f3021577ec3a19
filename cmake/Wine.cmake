# Runs the cross-built x86_64 programs (tests and their discovery) under 64-bit
# Wine, in a Wine prefix of the build's own (see WineRun.cmake).
set(VOSTREL_WINE "/usr/lib/wine/wine64" CACHE FILEPATH "The 64-bit Wine loader that runs the tests")
set(VOSTREL_WINEPREFIX "${CMAKE_BINARY_DIR}/wine" CACHE PATH "The Wine prefix the tests run in")
if(EXISTS "${VOSTREL_WINE}")
  set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_COMMAND};-DWINE=${VOSTREL_WINE};-DWINEPREFIX=${VOSTREL_WINEPREFIX};-P;${CMAKE_CURRENT_LIST_DIR}/WineRun.cmake;--")
  # Listing the tests runs them under Wine: do it when the tests run, not when
  # they are built, so that building needs no Wine.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
