# What both mingw-w64 toolchains share; each sets CMAKE_SYSTEM_PROCESSOR first.
set(vostrel_mingw_triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
# Debian ships each compiler in two thread models. The win32 one's C++ library
# (GCC 12) has no std::thread or std::mutex, which the scan's workers and
# GoogleTest need; the posix one has them, through winpthread, which is
# linked in statically like the rest of the compiler's runtime (below).
set(VOSTREL_MINGW_THREADS posix CACHE STRING "Thread model of the mingw-w64 compilers: posix, which the program needs")
if(NOT VOSTREL_MINGW_THREADS STREQUAL "posix")
  message(FATAL_ERROR "The scan's worker threads need the posix thread model of mingw-w64: configure with -DVOSTREL_MINGW_THREADS=posix")
endif()
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VOSTREL_MINGW_THREADS)
set(CMAKE_C_COMPILER ${vostrel_mingw_triple}-gcc-${VOSTREL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${vostrel_mingw_triple}-g++-${VOSTREL_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${vostrel_mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${vostrel_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The compiler's runtime (winpthread too) is linked in, so that Vostrel.exe
# and Peloc.dll need nothing but the system's own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
