# Where an install puts the programs. On Linux they live in a private folder
# beside the lookup library they look for in their own folder, with links on
# the search path (a program resolves its link to find its folder). On Windows
# everything sits in one folder, as it does next to a game's mission files.
# Whatever names no component of its own belongs to the program's package.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vostrel)
if(WIN32)
  set(VOSTREL_PROGRAM_DIR .)
else()
  set(VOSTREL_PROGRAM_DIR lib/vostrel)
endif()

# vostrel_install_program(<target> [LINK <name>]): installs the program into
# the program folder and, on Linux, the link bin/<name> to it.
function(vostrel_install_program target)
  cmake_parse_arguments(arg "" "LINK" "" ${ARGN})
  install(TARGETS ${target} RUNTIME DESTINATION "${VOSTREL_PROGRAM_DIR}")
  if(arg_LINK AND NOT WIN32)
    install(CODE "
      set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${arg_LINK}\")
      message(STATUS \"Installing: \${link}\")
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(CREATE_LINK \"../${VOSTREL_PROGRAM_DIR}/$<TARGET_FILE_NAME:${target}>\" \"\${link}\" SYMBOLIC)
    ")
  endif()
endfunction()
