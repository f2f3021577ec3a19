# Tests that run a program and compare what it prints with a checked-in file
# (CompareOutput.cmake), the same file for the Linux build and for the Windows
# builds under Wine, so that a difference fails on either side. All are
# labelled "checks"; in the Windows builds also "wine". The files are written
# again from the Linux build, after a change meant to change them, by
#   VOSTREL_UPDATE_EXPECTED=1 ctest --test-dir build -L checks

# A cross build runs its programs under the emulator (Wine); without one
# (cmake/Wine.cmake found none that runs here) the tests that run them are not
# registered, and the static checks of the files still are.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(vostrel_programs_run FALSE)
else()
  set(vostrel_programs_run TRUE)
endif()

# gtest_discover_tests where the test program can run. Listing the tests
# starts the program, under Wine in a cross build, which on a loaded machine
# takes far longer than the default 5 s: the bound is generous.
function(vostrel_discover_tests target)
  if(vostrel_programs_run)
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 ${ARGN})
  endif()
endfunction()

if(CMAKE_CROSSCOMPILING_EMULATOR)
  # The Wine prefix, made once before the tests that need it.
  add_test(NAME wine_prefix COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS "checks;wine")
endif()

if(WIN32)
  # The files users get (scripts/build-windows.sh strips them into this folder):
  # the checks of the programs run and inspect these, not the test build's.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(vostrel_shipped_default "${PROJECT_SOURCE_DIR}/out/windows-x86")
  else()
    set(vostrel_shipped_default "${PROJECT_SOURCE_DIR}/out/windows-x64")
  endif()
  set(VOSTREL_SHIPPED_DIR "${vostrel_shipped_default}" CACHE PATH
    "The folder of the shipped Vostrel.exe, Peloc.dll and vostrel-scan.exe that the checks run")
  set(VOSTREL_SHIPPED_FILES
    "${VOSTREL_SHIPPED_DIR}/Vostrel.exe;${VOSTREL_SHIPPED_DIR}/Peloc.dll;${VOSTREL_SHIPPED_DIR}/vostrel-scan.exe")
  # Fails, naming the file, when a shipped file is missing; the checks on them are not run then.
  add_test(NAME shipped_files COMMAND "${CMAKE_COMMAND}" -E true)
  set_tests_properties(shipped_files PROPERTIES
    REQUIRED_FILES "${VOSTREL_SHIPPED_FILES}" FIXTURES_SETUP shipped_files LABELS checks)
endif()

# The -D options of a script for the named options of the calling function.
macro(vostrel_script_definitions out)
  set(${out})
  foreach(option IN ITEMS ${ARGN})
    if(arg_${option})
      string(REPLACE ";" "\\;" value "${arg_${option}}")
      list(APPEND ${out} "-D${option}=${value}")
    endif()
  endforeach()
endmacro()

# vostrel_add_output_test(NAME <test> COMMAND <program> [args...]
#   EXPECTED <file> [SORT] | CONTAINS <texts>...
#   [EACH <groups>...] [TERMINAL] [LANG <locale>] [WORKING_DIRECTORY <folder>]
#   [PLACE <files>... PLACE_IN <folder>] [COPIES <n> COPY_OF <file>] [FIXTURES <fixtures>...])
# The options are CompareOutput.cmake's but TERMINAL. In a cross build the
# program runs under the emulator (Wine), with TERMINAL on a console. LANG is
# the only locale variable the program sees (it names the code page and the
# language of the program's messages; the expected output holds rows, whose
# texts no language changes); a locale other than C is generated first, if
# need be, by the test locale_<locale>.
function(vostrel_add_output_test)
  set(flags SORT)
  set(values EXPECTED WORKING_DIRECTORY PLACE_IN COPIES COPY_OF)
  set(lists EACH CONTAINS PLACE)
  if(NOT vostrel_programs_run)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 0 arg "TERMINAL;${flags}" "NAME;LANG;${values}" "COMMAND;FIXTURES;${lists}")
  vostrel_script_definitions(definitions ${flags} ${values} ${lists})
  add_test(NAME ${arg_NAME}
    COMMAND "${CMAKE_COMMAND}" ${definitions} -P "${PROJECT_SOURCE_DIR}/cmake/CompareOutput.cmake"
            -- ${CMAKE_CROSSCOMPILING_EMULATOR} ${arg_COMMAND})

  set(fixtures ${arg_FIXTURES})
  set(labels checks)
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    list(APPEND fixtures wine_prefix)
    list(APPEND labels wine)
  endif()
  set(environment)
  if(arg_TERMINAL)
    list(APPEND environment VOSTREL_WINE_TERMINAL=set:1)  # see WineRun.cmake
  endif()
  if(arg_LANG)
    list(APPEND environment LC_ALL=unset: LC_CTYPE=unset: LC_MESSAGES=unset: LANGUAGE=unset: LANG=set:${arg_LANG})
    if(NOT arg_LANG MATCHES "^C\\.")
      set(locale_test locale_${arg_LANG})
      if(NOT TEST ${locale_test})
        add_test(NAME ${locale_test}
          COMMAND "${CMAKE_COMMAND}" -DLOCALE=${arg_LANG} -P "${PROJECT_SOURCE_DIR}/cmake/EnsureLocales.cmake")
        set_tests_properties(${locale_test} PROPERTIES FIXTURES_SETUP ${locale_test} LABELS checks)
      endif()
      list(APPEND fixtures ${locale_test})
    endif()
  endif()
  set_tests_properties(${arg_NAME} PROPERTIES
    FIXTURES_REQUIRED "${fixtures}" LABELS "${labels}" ENVIRONMENT_MODIFICATION "${environment}")
endfunction()

# vostrel_add_pe_file_test(NAME <test> FILE <file> [PE32_I386] [IMPORTS <dlls>...] [EXPORTS <names>...]
#   [RESOURCES <type ids>...] [VERSION <text>] [IMPORT_LIBRARY <file> SYMBOLS <names>...]
#   [FIXTURES <fixtures>...])
# Checks a Windows file with objdump (CheckPeFile.cmake, whose options these are).
function(vostrel_add_pe_file_test)
  set(flags PE32_I386)
  set(values FILE VERSION IMPORT_LIBRARY)
  set(lists IMPORTS EXPORTS RESOURCES SYMBOLS)
  cmake_parse_arguments(PARSE_ARGV 0 arg "${flags}" "NAME;${values}" "FIXTURES;${lists}")
  vostrel_script_definitions(definitions ${flags} ${values} ${lists})
  add_test(NAME ${arg_NAME}
    COMMAND "${CMAKE_COMMAND}" -DOBJDUMP=${CMAKE_OBJDUMP} -DNM=${CMAKE_NM} ${definitions}
            -P "${PROJECT_SOURCE_DIR}/cmake/CheckPeFile.cmake")
  set_tests_properties(${arg_NAME} PROPERTIES FIXTURES_REQUIRED "${arg_FIXTURES}" LABELS checks)
endfunction()
