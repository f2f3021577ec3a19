# Project-wide warning flags, applied to every target through this interface library.
add_library(vostrel_warnings INTERFACE)
target_compile_options(vostrel_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
if(VOSTREL_WERROR)
  target_compile_options(vostrel_warnings INTERFACE -Werror)
endif()
