# Generates a UTF-8 locale the C library lacks, as root:
#   cmake -DLOCALE=pl_PL.UTF-8 -P EnsureLocales.cmake
# Wine takes the system's ANSI code page from LANG only when setlocale accepts
# it; for a locale that is not generated it falls back to 1252.
cmake_minimum_required(VERSION 3.25)

string(REGEX REPLACE "\\..*" "" name "${LOCALE}")
execute_process(COMMAND locale -a OUTPUT_VARIABLE generated)
string(TOLOWER "${generated}" generated)
string(TOLOWER "${name}" lower_name)
if(generated MATCHES "(^|\n)${lower_name}\\.utf8(\n|$)")
  return()
endif()
find_program(localedef localedef)
if(NOT localedef)
  message(FATAL_ERROR "${LOCALE} is not generated, and there is no localedef (Debian's package locales)")
endif()
execute_process(COMMAND "${localedef}" -i "${name}" -f UTF-8 "${LOCALE}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot generate the locale ${LOCALE}: as root, run localedef -i ${name} -f UTF-8 ${LOCALE}")
endif()
message("generated the locale ${LOCALE}")
