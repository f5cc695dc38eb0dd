# The one place that instruments a build.
#
# MAROVIN_LIBFUZZER: real libFuzzer binaries. Everything they link (the core and
# whatever else) is compiled with coverage, AddressSanitizer and UndefinedBehavior-
# Sanitizer, so coverage grows inside the readers and a bad read there is caught;
# the fuzz targets themselves add the libFuzzer driver (MAROVIN_FUZZER_FLAGS).
#
# MAROVIN_SANITIZE: the whole project and its tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, every finding fatal.
option(MAROVIN_LIBFUZZER "Build libFuzzer binaries with the code under test instrumented (needs clang)" OFF)
option(MAROVIN_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer (needs clang)" OFF)

if(MAROVIN_LIBFUZZER OR MAROVIN_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MAROVIN_LIBFUZZER and MAROVIN_SANITIZE need clang (found ${CMAKE_CXX_COMPILER_ID}); "
                        "configure a separate build folder with -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(marovin_sanitizers address,undefined)
  set(marovin_compile_sanitizers ${marovin_sanitizers})
  if(MAROVIN_LIBFUZZER)
    set(marovin_compile_sanitizers fuzzer-no-link,${marovin_sanitizers})
  endif()
  add_compile_options(-fsanitize=${marovin_compile_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${marovin_sanitizers} -fno-sanitize-recover=all)
endif()
set(MAROVIN_FUZZER_FLAGS -fsanitize=fuzzer,address,undefined)
