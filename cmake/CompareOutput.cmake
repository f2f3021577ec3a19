# Runs a program and compares what it prints with a checked-in file, line ends
# normalised (a Windows program under Wine ends its lines in CR LF):
#   cmake -DEXPECTED=<file> [options] -P CompareOutput.cmake -- <command> [args...]
# The command is the program, or the emulator's words then the program.
#   SORT=ON              compare the lines in byte order (each system lists a
#                        folder in its own order)
#   EACH=<groups>        run the command once per group, each group's words
#                        (separated by blanks) added to it; the output is, per
#                        run, "$ <group>", "(failed)" when its status is not 0,
#                        then what it printed. Without EACH the command must
#                        succeed.
#   CONTAINS=<texts>     instead of EXPECTED: each text must be in the output
#   WORKING_DIRECTORY    where the command runs
#   PLACE=<files> PLACE_IN=<folder>   the folder is made anew holding copies of
#                        the files before the command runs
#   COPIES=<n> COPY_OF=<file>   WORKING_DIRECTORY is made anew holding n copies
#                        of the file, m0.dll to m<n-1>.dll
# With the environment variable VOSTREL_UPDATE_EXPECTED set, the output is
# written to EXPECTED instead (sorted under SORT): how the files are made, from
# the Linux build: VOSTREL_UPDATE_EXPECTED=1 ctest --test-dir build -L checks
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/ScriptCommand.cmake")
vostrel_script_command(command)
if(NOT command OR (NOT EXPECTED AND NOT CONTAINS))
  message(FATAL_ERROR "usage: cmake -DEXPECTED=<file> [options] -P CompareOutput.cmake -- <command> [args...]")
endif()
if(COPIES AND NOT WORKING_DIRECTORY)
  message(FATAL_ERROR "COPIES needs a WORKING_DIRECTORY of its own: it is made anew")
elseif(NOT WORKING_DIRECTORY)
  set(WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
endif()

if(PLACE_IN)
  file(REMOVE_RECURSE "${PLACE_IN}")
  file(MAKE_DIRECTORY "${PLACE_IN}")
  file(COPY ${PLACE} DESTINATION "${PLACE_IN}")
endif()
if(COPIES)
  file(REMOVE_RECURSE "${WORKING_DIRECTORY}")
  file(MAKE_DIRECTORY "${WORKING_DIRECTORY}")
  math(EXPR last_copy "${COPIES} - 1")
  foreach(i RANGE ${last_copy})
    file(COPY_FILE "${COPY_OF}" "${WORKING_DIRECTORY}/m${i}.dll")
  endforeach()
endif()

# Runs the command with the given words added; sets output and status.
function(run extra)
  execute_process(COMMAND ${command} ${extra} WORKING_DIRECTORY "${WORKING_DIRECTORY}" INPUT_FILE /dev/null
    OUTPUT_VARIABLE printed RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" printed "${printed}")
  set(output "${printed}" PARENT_SCOPE)
  set(status "${status}" PARENT_SCOPE)
endfunction()

if(EACH)
  set(actual "")
  foreach(group IN LISTS EACH)
    separate_arguments(extra UNIX_COMMAND "${group}")
    run("${extra}")
    string(APPEND actual "$ ${group}\n")
    if(NOT status EQUAL 0)
      string(APPEND actual "(failed)\n")
    endif()
    string(APPEND actual "${output}")
  endforeach()
else()
  run("")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${command}: status ${status}; it printed:\n${output}")
  endif()
  set(actual "${output}")
endif()

if(CONTAINS)
  foreach(text IN LISTS CONTAINS)
    string(FIND "${actual}" "${text}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "The output lacks [${text}]:\n${actual}")
    endif()
  endforeach()
  return()
endif()

if(SORT)
  # As a list of lines: the characters a list gives meaning to are swapped
  # for control characters, which the outputs compared never hold.
  string(ASCII 1 semicolon_stand_in)
  string(ASCII 2 open_stand_in)
  string(ASCII 3 close_stand_in)
  string(REPLACE ";" "${semicolon_stand_in}" lines "${actual}")
  string(REPLACE "[" "${open_stand_in}" lines "${lines}")
  string(REPLACE "]" "${close_stand_in}" lines "${lines}")
  string(REGEX REPLACE "\n$" "" lines "${lines}")
  string(REPLACE "\n" ";" lines "${lines}")
  list(SORT lines)
  list(JOIN lines "\n" actual)
  string(REPLACE "${semicolon_stand_in}" ";" actual "${actual}\n")
  string(REPLACE "${open_stand_in}" "[" actual "${actual}")
  string(REPLACE "${close_stand_in}" "]" actual "${actual}")
endif()

if(DEFINED ENV{VOSTREL_UPDATE_EXPECTED})
  file(WRITE "${EXPECTED}" "${actual}")
  message("wrote ${EXPECTED}")
  return()
endif()

file(READ "${EXPECTED}" expected)
string(REPLACE "\r\n" "\n" expected "${expected}")
if(actual STREQUAL expected)
  return()
endif()

# Where the whole output is kept, and the first lines that differ.
get_filename_component(name "${EXPECTED}" NAME)
set(kept "${CMAKE_CURRENT_BINARY_DIR}/found-${name}")
file(WRITE "${kept}" "${actual}")
execute_process(COMMAND diff -u --label expected --label found "${EXPECTED}" "${kept}" OUTPUT_VARIABLE difference)
string(SUBSTRING "${difference}" 0 4000 difference)
message(FATAL_ERROR "The output differs from ${EXPECTED} (kept in ${kept}):\n${difference}")
