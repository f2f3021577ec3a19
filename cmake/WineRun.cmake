# Runs a Windows program under Wine:
#   cmake -DWINE=<wine64> -DWINEPREFIX=<dir> -P WineRun.cmake -- <program> [args...]
# Without a program it only makes the prefix ready. The prefix is made on first
# use, with the null display driver, so that windows can be created and tested
# without an X server. Exits non-zero when the program does.
cmake_minimum_required(VERSION 3.25)

set(ENV{WINEPREFIX} "${WINEPREFIX}")
set(ENV{WINEDEBUG} "-all")
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")  # no .NET or HTML engine installers

set(ready "${WINEPREFIX}/.vostrel-ready")
if(NOT EXISTS "${ready}")
  get_filename_component(parent "${WINEPREFIX}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(LOCK "${WINEPREFIX}.lock" GUARD PROCESS TIMEOUT 600)
  if(NOT EXISTS "${ready}")
    execute_process(COMMAND "${WINE}" wineboot -i OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND "${WINE}" reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f
      OUTPUT_QUIET ERROR_QUIET RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot prepare the Wine prefix ${WINEPREFIX}")
    endif()
    file(TOUCH "${ready}")
  endif()
endif()

set(command)
set(seen_separator FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(seen_separator)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(seen_separator TRUE)
  endif()
endforeach()
if(NOT command)
  return()
endif()

execute_process(COMMAND "${WINE}" ${command} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${command}: exit status ${status}")
endif()
