# What the desktop-file checks share: a command that must succeed, and the
# thumbnailer entry's command line run as a file manager fills it in.

# Runs the command; its output is left in run_output. A failure ends the check.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} exited with ${result}\n${out}${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# Runs the Exec line of the thumbnailer entry `entry` (its text) with the
# marovin-cli at `cli`, for `input`, into `png` (a 64-pixel thumbnail), with no
# display and `cache` as the user's cache; with `environment` (NAME=value ...)
# added. Fails unless a PNG was written.
function(run_thumbnailer entry cli input png cache)
  string(REGEX MATCH "\nExec=marovin-cli ([^\n]+)\n" ignored "${entry}")
  if(NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "the thumbnailer entry runs no marovin-cli:\n${entry}")
  endif()
  set(exec "${cli} ${CMAKE_MATCH_1}")
  string(REPLACE "%s" "64" exec "${exec}")
  string(REPLACE "%i" "${input}" exec "${exec}")
  string(REPLACE "%o" "${png}" exec "${exec}")
  separate_arguments(exec UNIX_COMMAND "${exec}")
  file(REMOVE ${png})
  run(${CMAKE_COMMAND} -E env --unset=DISPLAY XDG_CACHE_HOME=${cache} ${ARGN} ${exec})
  file(READ ${png} signature LIMIT 8 HEX)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "the thumbnailer wrote no PNG")
  endif()
endfunction()
