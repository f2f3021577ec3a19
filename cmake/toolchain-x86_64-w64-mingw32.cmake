# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include("${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake")

# The tests run under 64-bit Wine.
include("${CMAKE_CURRENT_LIST_DIR}/Wine.cmake")
