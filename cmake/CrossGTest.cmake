# Cross builds have no GoogleTest for the target: build it from Debian's sources.
# For Windows it needs std::mutex: the posix thread model of mingw-w64, which
# the toolchain files choose.
set(VOSTREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
# On Windows GoogleTest locks with Win32 primitives: it need not link pthread.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory("${VOSTREL_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)  # GoogleTest 1.12 names them itself
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# Without a Wine that runs here, only the checks that run no Windows program
# are registered (OutputTests.cmake).
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  message(STATUS "The tests that run Windows programs are not registered: ${vostrel_wine_unusable_reason}")
endif()

# The tests list themselves under the emulator (Wine) when CTest starts; make
# its prefix now, so that the first listing does not wait for it.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} RESULT_VARIABLE vostrel_emulator_status)
  if(NOT vostrel_emulator_status EQUAL 0)
    message(WARNING "The test emulator is not ready: ${CMAKE_CROSSCOMPILING_EMULATOR}")
  endif()
endif()

# The tests this build's Wine does not run (see WineRun.cmake), said at once.
if(VOSTREL_WINE_EXCLUDED_TESTS AND EXISTS "${VOSTREL_WINE_EXCLUDED_TESTS}")
  string(REPLACE ";" " " vostrel_wine_shown "${VOSTREL_WINE}")
  file(STRINGS "${VOSTREL_WINE_EXCLUDED_TESTS}" vostrel_excluded_entries)
  foreach(vostrel_excluded_entry IN LISTS vostrel_excluded_entries)
    string(REGEX REPLACE "#.*" "" vostrel_excluded_entry "${vostrel_excluded_entry}")
    if(vostrel_excluded_entry MATCHES "^[ \t]*([^ \t]+)[ \t]+(.*[^ \t])[ \t]*$")
      message(STATUS "Not run under ${vostrel_wine_shown}: ${CMAKE_MATCH_1}: ${CMAKE_MATCH_2}")
    endif()
  endforeach()
endif()
