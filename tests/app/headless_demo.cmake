# Runs the program where there is no display, from a directory that is not the
# demo's: it must render the demo scene (found on its own) into
# marovin-preview.png with every file of the demo found, and exit 0.
# Needs APP (the program) and OUT (a directory to run in).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                        ${APP}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "marovin without a display exited with ${result}\n${out}${err}")
endif()
if(NOT EXISTS ${OUT}/marovin-preview.png)
  message(FATAL_ERROR "no marovin-preview.png was written\n${out}${err}")
endif()
foreach(expected "demo.dv" "marovin-preview.png" "xvfb-run")
  string(FIND "${out}${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${expected}\" in what it said:\n${out}${err}")
  endif()
endforeach()
# A file of the demo that was not found shows up as a message or a prompt.
foreach(unexpected "Could not" "not found" "Locate")
  string(FIND "${out}${err}" "${unexpected}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the demo did not load cleanly:\n${out}${err}")
  endif()
endforeach()
file(READ ${OUT}/marovin-preview.png signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
  message(FATAL_ERROR "marovin-preview.png is not a PNG file")
endif()
