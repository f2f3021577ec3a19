# uchardet, the charset detector that tells each mission's code page
# (scanner/code_page_detection.cpp), as the target vostrel_uchardet.
# Linux: Debian's libuchardet-dev. Windows: Debian builds it for no mingw-w64
# target, so the source of the same Debian version is fetched
# (scripts/debian-source.sh) and built here into the programs, which then
# detect as the Linux ones do. Built with SSE arithmetic on every x86, as
# upstream builds it: its confidences are floating point, and the x87's
# wider intermediates could tip a close call the other way.
add_library(vostrel_uchardet INTERFACE)
if(NOT WIN32)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(UCHARDET REQUIRED IMPORTED_TARGET uchardet)
  target_link_libraries(vostrel_uchardet INTERFACE PkgConfig::UCHARDET)
  return()
endif()

set(VOSTREL_UCHARDET_DEBIAN_VERSION 0.0.7-1 CACHE STRING "The Debian version of uchardet's source built for Windows")
set(VOSTREL_DEPS_DIR "${PROJECT_SOURCE_DIR}/build-deps" CACHE PATH
  "Where sources fetched for the Windows builds are kept, shared by them")
set(VOSTREL_UCHARDET_SOURCE_DIR "${VOSTREL_DEPS_DIR}/uchardet-${VOSTREL_UCHARDET_DEBIAN_VERSION}" CACHE PATH
  "uchardet's unpacked source (fetched from Debian when it is not there)")
set(vostrel_uchardet_src "${VOSTREL_UCHARDET_SOURCE_DIR}/src")
if(NOT EXISTS "${vostrel_uchardet_src}/uchardet.h")
  file(MAKE_DIRECTORY "${VOSTREL_DEPS_DIR}")
  # The Windows builds may be configured at once: one fetches, the others wait for it.
  file(LOCK "${VOSTREL_DEPS_DIR}/uchardet.lock" GUARD FILE RESULT_VARIABLE vostrel_lock_result TIMEOUT 600)
  if(NOT EXISTS "${vostrel_uchardet_src}/uchardet.h")
    message(STATUS "Fetching Debian's uchardet ${VOSTREL_UCHARDET_DEBIAN_VERSION} source")
    execute_process(
      COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/debian-source.sh" uchardet ${VOSTREL_UCHARDET_DEBIAN_VERSION}
        "${VOSTREL_UCHARDET_SOURCE_DIR}"
      RESULT_VARIABLE vostrel_fetch_status)
    if(NOT vostrel_fetch_status EQUAL 0 OR NOT EXISTS "${vostrel_uchardet_src}/uchardet.h")
      message(FATAL_ERROR "Cannot fetch Debian's uchardet ${VOSTREL_UCHARDET_DEBIAN_VERSION} source (it needs "
        "Debian's archive and dpkg-dev); or unpack it yourself and give -DVOSTREL_UCHARDET_SOURCE_DIR=FOLDER")
    endif()
  endif()
  file(LOCK "${VOSTREL_DEPS_DIR}/uchardet.lock" RELEASE)
endif()

file(GLOB vostrel_uchardet_sources "${vostrel_uchardet_src}/*.cpp" "${vostrel_uchardet_src}/LangModels/*.cpp")
add_library(vostrel_uchardet_static STATIC ${vostrel_uchardet_sources})
# Its own language and flags: the project's C++20 and warnings are not for it.
set_target_properties(vostrel_uchardet_static PROPERTIES CXX_STANDARD 11 CXX_EXTENSIONS OFF)
target_compile_definitions(vostrel_uchardet_static PRIVATE BUILDING_UCHARDET VERSION="${VOSTREL_UCHARDET_DEBIAN_VERSION}")
target_compile_options(vostrel_uchardet_static PRIVATE -w -msse2 -mfpmath=sse)
target_include_directories(vostrel_uchardet_static SYSTEM INTERFACE "${vostrel_uchardet_src}")
target_link_libraries(vostrel_uchardet INTERFACE vostrel_uchardet_static)
