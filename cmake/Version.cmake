# The one version of the project is project(VERSION); users see it as
# MAJOR.MINOR with two digits of minor ("1.00"), as the window's version record
# has always shown it. Programs take both forms from a generated header
# (plain macros, so that the resource compiler can read it too).
if(PROJECT_VERSION_MINOR LESS 10)
  set(VOSTREL_VERSION "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
  set(VOSTREL_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
set(VOSTREL_VERSION_NUMBERS
  "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")

# Included as "vostrel/version.h": the generated folder is an include root.
configure_file("${CMAKE_CURRENT_LIST_DIR}/vostrel_version.h.in" "${CMAKE_BINARY_DIR}/generated/vostrel/version.h" @ONLY)
