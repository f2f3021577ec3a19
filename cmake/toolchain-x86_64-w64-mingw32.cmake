# Cross build for 64-bit Windows with Debian's mingw-w64 (x86_64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# Debian ships each compiler in two thread models. win32, the default, needs no
# threading DLL and has no std::thread or std::mutex; posix has them (through
# winpthread) and is what GoogleTest needs, so the test builds use it.
set(VOSTREL_MINGW_THREADS win32 CACHE STRING "Thread model of the mingw-w64 compilers: win32 or posix")
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VOSTREL_MINGW_THREADS)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${VOSTREL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${VOSTREL_MINGW_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The compiler's runtime is linked in, so that Vostrel.exe and Peloc.dll need
# nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# The tests run under 64-bit Wine.
include("${CMAKE_CURRENT_LIST_DIR}/Wine.cmake")
