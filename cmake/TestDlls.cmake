# Real Windows DLLs for the tests, built at test-build time by Debian's mingw-w64
# compilers from small C sources kept beside the tests.
find_program(VOSTREL_MINGW32_CC i686-w64-mingw32-gcc)
find_program(VOSTREL_MINGW64_CC x86_64-w64-mingw32-gcc)
if(NOT VOSTREL_MINGW32_CC OR NOT VOSTREL_MINGW64_CC)
  message(FATAL_ERROR "The tests need gcc-mingw-w64-i686 and gcc-mingw-w64-x86-64 to build their DLLs")
endif()

set(VOSTREL_TEST_DLL_DIR "${CMAKE_BINARY_DIR}/testdlls" CACHE INTERNAL "")
file(MAKE_DIRECTORY "${VOSTREL_TEST_DLL_DIR}")
add_custom_target(vostrel_test_dlls)

# vostrel_add_test_dll(NAME <file name without .dll> SOURCE <c file> [ARCH i686|x86_64]
#                      [OUTPUT_DIR <folder>] [FILE <file name>])
# Builds <OUTPUT_DIR>/<NAME>.dll (OUTPUT_DIR defaults to ${VOSTREL_TEST_DLL_DIR};
# FILE names the file otherwise, for a DLL another folder also has by that name)
# as the target vostrel_test_dll_<NAME>, which vostrel_test_dlls depends on;
# NAME is unique across the build.
function(vostrel_add_test_dll)
  cmake_parse_arguments(arg "" "NAME;SOURCE;ARCH;OUTPUT_DIR;FILE" "" ${ARGN})
  if(NOT arg_ARCH)
    set(arg_ARCH i686)
  endif()
  if(arg_ARCH STREQUAL "x86_64")
    set(cc "${VOSTREL_MINGW64_CC}")
  elseif(arg_ARCH STREQUAL "i686")
    set(cc "${VOSTREL_MINGW32_CC}")
  else()
    message(FATAL_ERROR "vostrel_add_test_dll(${arg_NAME}): ARCH is i686 or x86_64, not ${arg_ARCH}")
  endif()
  if(NOT arg_OUTPUT_DIR)
    set(arg_OUTPUT_DIR "${VOSTREL_TEST_DLL_DIR}")
  endif()
  file(MAKE_DIRECTORY "${arg_OUTPUT_DIR}")
  get_filename_component(source "${arg_SOURCE}" ABSOLUTE)
  if(NOT arg_FILE)
    set(arg_FILE "${arg_NAME}.dll")
  endif()
  set(output "${arg_OUTPUT_DIR}/${arg_FILE}")
  add_custom_command(OUTPUT "${output}"
    COMMAND "${cc}" -shared -s -O1 -o "${output}" "${source}"
    DEPENDS "${source}"
    COMMENT "Building test DLL ${arg_FILE} (${arg_ARCH})"
    VERBATIM)
  add_custom_target(vostrel_test_dll_${arg_NAME} DEPENDS "${output}")
  add_dependencies(vostrel_test_dlls vostrel_test_dll_${arg_NAME})
endfunction()
