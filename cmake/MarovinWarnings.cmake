# One place for the compiler warnings every target of ours uses.
add_library(marovin_warnings INTERFACE)
target_compile_options(marovin_warnings INTERFACE
  -Wall -Wextra -Wpedantic $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wformat=2 -Wimplicit-fallthrough)
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "" AND NOT "$ENV{CI}" STREQUAL "false")
  message(STATUS "CI build: warnings are errors")
  target_compile_options(marovin_warnings INTERFACE -Werror)
endif()
