# Every file marovin-cli writes, written on a disk that takes no more bytes: the
# shell's file size limit at 0 with SIGXFSZ ignored, so every write fails with
# EFBIG as on a full disk, for root as well. Each command must exit 1 saying why,
# keep the file that was there byte for byte and leave nothing beside it.
# Needs CLI, SAMPLES (the samples folder) and OUT (a directory to write into).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

# Names and hashes of everything below OUT.
function(listing var)
  file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${OUT} ${OUT}/*)
  list(SORT entries)
  set(text "")
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${OUT}/${entry})
      string(APPEND text "${entry}/\n")
    else()
      file(SHA256 ${OUT}/${entry} hash)
      string(APPEND text "${entry} ${hash}\n")
    endif()
  endforeach()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(run)
  execute_process(COMMAND ${CLI} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "marovin-cli ${ARGN}\nexited with ${result}\n${out}${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(fails_on_a_full_disk written)
  listing(before)
  execute_process(COMMAND sh -c "trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\"" ${CLI} ${ARGN}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 1)
    message(FATAL_ERROR "marovin-cli ${ARGN}\non a full disk exited with ${result}, expected 1\n${out}${err}")
  endif()
  string(FIND "${err}" "marovin-cli: cannot write '${OUT}/${written}': File too large" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "marovin-cli ${ARGN}\ndid not say why it failed on a full disk:\n${err}")
  endif()
  listing(after)
  if(NOT before STREQUAL after)
    message(FATAL_ERROR "marovin-cli ${ARGN}\nchanged the folder on a full disk.\nBefore:\n${before}After:\n${after}")
  endif()
endfunction()

set(scene ${SAMPLES}/scenes/primitives.dv)
set(model ${SAMPLES}/models/banner/tris.md2)
foreach(name old.png old.bmp old.jpg old.dv old.glb old.gltf old.bin old_0.png)
  file(WRITE ${OUT}/${name} "previous ${name}")
endforeach()

foreach(picture old.png old.bmp old.jpg)
  fails_on_a_full_disk(${picture} render ${scene} --size 64x48 -o ${OUT}/${picture})
endforeach()
# The scene is written before the picture: neither appears.
fails_on_a_full_disk(old.dv render ${scene} --size 64x48 --save-scene ${OUT}/old.dv -o ${OUT}/new.png)
fails_on_a_full_disk(old.dv resave ${scene} ${OUT}/old.dv)
fails_on_a_full_disk(old.png image ${SAMPLES}/scenes/checker.pcx -o ${OUT}/old.png)
fails_on_a_full_disk(old.glb export ${model} -o ${OUT}/old.glb)
# A .gltf writes its .bin first: that is the one that fails, and the earlier
# .gltf, .bin and picture stay as they were.
fails_on_a_full_disk(old.bin export ${model} -o ${OUT}/old.gltf)
fails_on_a_full_disk(new.bin export ${model} -o ${OUT}/new.gltf)

# Extracting over entries extracted before (one of them since changed).
set(pak ${SAMPLES}/models/sin/figure.sin)
run(pak extract ${pak} -C ${OUT}/extracted)
string(REGEX MATCH "[^\n]+" first "${run_output}")
file(RELATIVE_PATH first ${OUT} ${first})
file(WRITE ${OUT}/${first} "previous entry")
fails_on_a_full_disk(${first} pak extract ${pak} -C ${OUT}/extracted)
