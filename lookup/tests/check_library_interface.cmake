# Checks the built shared library's interface as a program loading it sees it:
# exactly the exported functions GetOffset and GetOffsets, and no shared
# libraries needed beyond the C library and the loader.
#   cmake -DLIBRARY=<file> -DREADELF=<readelf> -DNM=<nm> -DSANITIZE=<ON|OFF> -P check_library_interface.cmake
if(SANITIZE)
  # The sanitizer runtimes are linked in then and bring their own needs.
  message("skipped: sanitizer build")
  return()
endif()

execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}"
  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported "")
foreach(line IN LISTS lines)
  # "<address> <type> <name>"
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] +" "" name "${line}")
  list(APPEND exported "${name}")
endforeach()
if(NOT exported STREQUAL "GetOffset;GetOffsets")
  message(FATAL_ERROR "exports must be exactly GetOffset and GetOffsets, found: ${exported}")
endif()
foreach(function IN LISTS exported)
  if(NOT symbols MATCHES " T ${function}\n")
    message(FATAL_ERROR "${function} must be a function in the text section:\n${symbols}")
  endif()
endforeach()

execute_process(COMMAND "${READELF}" -d --wide "${LIBRARY}"
  OUTPUT_VARIABLE dynamic RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${READELF} failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]*\\]" needed_lines "${dynamic}")
foreach(line IN LISTS needed_lines)
  string(REGEX REPLACE ".*\\[([^]]*)\\]" "\\1" needed "${line}")
  if(NOT needed MATCHES "^(libc\\.so\\.[0-9]+|ld-linux[-a-z0-9_.]*\\.so\\.[0-9]+)$")
    message(FATAL_ERROR "needs ${needed}; only the C library and the loader are allowed")
  endif()
  message("needs ${needed}")
endforeach()
message("exports: ${exported}")
