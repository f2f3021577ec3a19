# Cross build for 32-bit Windows with Debian's mingw-w64 (i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake")

# The tests run under 32-bit Wine.
include("${CMAKE_CURRENT_LIST_DIR}/Wine.cmake")
