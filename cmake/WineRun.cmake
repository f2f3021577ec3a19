# Runs a Windows program under Wine:
#   cmake "-DWINE=<wine command>" -DWINEPREFIX=<dir> [-DEXCLUDED_TESTS=<file>] -P WineRun.cmake -- [<program> [args...]]
# The wine command is the loader with whatever runs it, its words separated by
# blanks as in a shell (one argument to cmake: its own option parsing would
# take a word such as -L even after "--"):
#   64-bit:  /usr/lib/wine/wine64
#   32-bit:  qemu-i386 -L / /usr/lib/wine/wine
# Without a program it only makes the prefix ready. The prefix is made on first
# use, with the null display driver, so that windows can be created and tested
# without an X server. Exits non-zero when the program does. With the
# environment variable VOSTREL_WINE_TERMINAL set, the program runs on a
# pseudo-terminal, as on a console.
#
# EXCLUDED_TESTS names a file of tests that are not run under this command: one
# a line, the full GoogleTest name (Suite.Test, as CTest lists it), blanks, and
# the reason; "#" starts a comment. When the program is asked to run one of
# them (--gtest_filter=<that name>), it is not started: the reason is printed
# after "[  SKIPPED ]", which CTest reports as a skipped test.
cmake_minimum_required(VERSION 3.25)

separate_arguments(wine_command UNIX_COMMAND "${WINE}")
if(NOT wine_command)
  message(FATAL_ERROR "usage: cmake -DWINE=<wine command> -DWINEPREFIX=<dir> -P WineRun.cmake -- [<program> [args...]]")
endif()
include("${CMAKE_CURRENT_LIST_DIR}/ScriptCommand.cmake")
vostrel_script_command(command)

if(command AND EXCLUDED_TESTS AND EXISTS "${EXCLUDED_TESTS}")
  foreach(argument IN LISTS command)
    if(argument MATCHES "^--gtest_filter=(.+)$")
      set(test "${CMAKE_MATCH_1}")
      file(STRINGS "${EXCLUDED_TESTS}" entries)
      foreach(entry IN LISTS entries)
        string(REGEX REPLACE "#.*" "" entry "${entry}")
        if(entry MATCHES "^[ \t]*([^ \t]+)[ \t]+(.*[^ \t])[ \t]*$" AND CMAKE_MATCH_1 STREQUAL test)
          message("[  SKIPPED ] ${test}: not run under ${WINE}: ${CMAKE_MATCH_2} (listed in ${EXCLUDED_TESTS})")
          return()
        endif()
      endforeach()
    endif()
  endforeach()
endif()

set(ENV{WINEPREFIX} "${WINEPREFIX}")
set(ENV{WINEDEBUG} "-all")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")  # no .NET or HTML engine installers

set(ready "${WINEPREFIX}/.vostrel-ready")
if(NOT EXISTS "${ready}")
  get_filename_component(parent "${WINEPREFIX}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(LOCK "${WINEPREFIX}.lock" GUARD PROCESS TIMEOUT 600)
  if(NOT EXISTS "${ready}")
    execute_process(COMMAND ${wine_command} wineboot -i OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND ${wine_command} reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f
      OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot prepare the Wine prefix ${WINEPREFIX}")
    endif()
    file(TOUCH "${ready}")
  endif()
endif()

if(NOT command)
  return()
endif()

set(run ${wine_command} ${command})
set(watched ERROR_VARIABLE errors ECHO_ERROR_VARIABLE)
if(DEFINED ENV{VOSTREL_WINE_TERMINAL})
  # The program's standard streams on a pseudo-terminal (util-linux's script),
  # which Wine makes the program's console; what the terminal is sent is
  # printed.
  set(line "")
  foreach(word IN LISTS run)
    string(REPLACE "'" "'\\''" word "${word}")
    string(APPEND line " '${word}'")
  endforeach()
  set(run script -qec "${line}" /dev/null)
  set(watched OUTPUT_VARIABLE errors ECHO_OUTPUT_VARIABLE)
endif()
if(NOT DEFINED ENV{VOSTREL_WINE_TERMINAL})
  list(APPEND watched OUTPUT_VARIABLE output ECHO_OUTPUT_VARIABLE)
endif()
# A program that loses the wineserver as it starts ("wine client error: ...
# recvmsg", when a server that was ending is reached), or fails having said
# nothing at all (it never got to run), is run once more; a real failure
# fails both times.
foreach(attempt 1 2)
  set(output "")
  execute_process(COMMAND ${run} RESULT_VARIABLE status ${watched})
  if(status EQUAL 0 OR NOT (errors MATCHES "wine client error" OR (output STREQUAL "" AND errors STREQUAL "")))
    break()
  endif()
  message("Wine did not start the program whole: it runs once more")
endforeach()
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${command}: exit status ${status}")
endif()
