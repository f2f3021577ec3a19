# Runs a program with --help and compares the options its help names with
# those its manual page documents, both ways:
#   cmake -DMANUAL=<page.1> -P CompareHelpWithManual.cmake -- <program> --help
# The manual page's options are the tags of its OPTIONS section (the lines
# after each .TP); the help's are every option word in what it prints.
cmake_minimum_required(VERSION 3.25)

include("${CMAKE_CURRENT_LIST_DIR}/ScriptCommand.cmake")
vostrel_script_command(command)
if(command STREQUAL "" OR NOT MANUAL)
  message(FATAL_ERROR "usage: cmake -DMANUAL=<page.1> -P CompareHelpWithManual.cmake -- <program> --help")
endif()

# The option words of a text: "-x", "--long-name" (without "=VALUE") and
# "--" standing alone, each where a word begins, so that "tab-separated" and
# "C.UTF-8" are no options.
function(option_words text out)
  set(words)
  # Brackets and semicolons would bind or split CMake's list items.
  string(REGEX REPLACE "[][;]" " " text "${text}")
  string(REGEX MATCHALL "[^A-Za-z0-9_./\\\\-]--?[a-z][a-z-]*" found "\n${text}")
  foreach(match IN LISTS found)
    string(SUBSTRING "${match}" 1 -1 word)
    list(APPEND words "${word}")
  endforeach()
  if("\n${text}\n" MATCHES "[^A-Za-z0-9_-]--[^A-Za-z0-9_=-]")
    list(APPEND words "--")
  endif()
  list(REMOVE_DUPLICATES words)
  list(SORT words)
  set(${out} "${words}" PARENT_SCOPE)
endfunction()

list(JOIN command " " shown)
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE help ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${shown} failed (${status}): ${errors}")
endif()
option_words("${help}" help_options)

file(STRINGS "${MANUAL}" lines)
set(tags)
set(in_options FALSE)
set(tag_follows FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\.SH ")
    set(in_options FALSE)
    if(line MATCHES "^\\.SH \"?OPTIONS\"?$")
      set(in_options TRUE)
    endif()
  elseif(in_options AND tag_follows)
    string(APPEND tags "${line}\n")
  endif()
  set(tag_follows FALSE)
  if(in_options AND line STREQUAL ".TP")
    set(tag_follows TRUE)
  endif()
endforeach()
# roff: "\-" is a minus, "\fB" and the like change the font, quotes group.
string(REPLACE "\\-" "-" tags "${tags}")
string(REGEX REPLACE "\\\\f[A-Z]" "" tags "${tags}")
string(REPLACE "\"" " " tags "${tags}")
option_words("${tags}" manual_options)

if(NOT help_options OR NOT manual_options)
  message(FATAL_ERROR "no options found: the help names \"${help_options}\", "
                      "the OPTIONS of ${MANUAL} \"${manual_options}\"")
endif()
set(only_help ${help_options})
list(REMOVE_ITEM only_help ${manual_options})
set(only_manual ${manual_options})
list(REMOVE_ITEM only_manual ${help_options})
if(only_help OR only_manual)
  message(FATAL_ERROR "${shown} and ${MANUAL} disagree:\n"
                      "  in the help, not among the manual's OPTIONS: ${only_help}\n"
                      "  among the manual's OPTIONS, not in the help: ${only_manual}")
endif()
message(STATUS "${help_options}")
