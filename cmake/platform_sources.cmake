# The one way a service picks its platform's side: its portable sources, then the sources listed
# under each platform this build is for.
#
#   tessera_service_library(NAME
#     PORTABLE a.cpp b.cpp
#     POSIX posix/c.cpp       # POSIX systems
#     X11 x11/d.cpp           # the X window system
#     WIN32 win32/c.cpp win32/d.cpp
#     WEB web/d.cpp)          # a browser page
#
# A platform a service has nothing for is left out of its call.
set(TESSERA_KNOWN_PLATFORMS POSIX X11 WIN32 WEB)
if(WIN32)
  set(TESSERA_PLATFORMS WIN32)
elseif(EMSCRIPTEN)
  set(TESSERA_PLATFORMS WEB)
else()
  set(TESSERA_PLATFORMS POSIX X11)
endif()

function(tessera_service_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PORTABLE;${TESSERA_KNOWN_PLATFORMS}")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tessera_service_library(${name}): ${arg_UNPARSED_ARGUMENTS} under no platform")
  endif()
  set(sources ${arg_PORTABLE})
  foreach(platform IN LISTS TESSERA_PLATFORMS)
    list(APPEND sources ${arg_${platform}})
  endforeach()
  add_library(${name} STATIC ${sources})
endfunction()
