# Cross build for 32-bit Windows with Debian's mingw-w64 (i686).
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake")

# This machine's kernel runs no 32-bit Windows programs under Wine: no emulator,
# so the tests are built for x86_64 only.
