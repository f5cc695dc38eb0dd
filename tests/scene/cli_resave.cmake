# Runs "marovin-cli resave" on a scene file and checks that the copy is the same,
# byte for byte. Needs CLI, IN and OUT.
get_filename_component(out_dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${out_dir})
execute_process(COMMAND ${CLI} resave ${IN} ${OUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "resave failed with ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${IN} ${OUT} RESULT_VARIABLE different)
if(NOT different EQUAL 0)
  message(FATAL_ERROR "${OUT} differs from ${IN}")
endif()
