# Runs "marovin-cli export" as a user does over the project's samples - a Quake 2
# model, a SiN model from its definition and from its pak, a Half-Life model and
# the demo scene - and has the Khronos validator check every file. Then the
# failures and their exit codes. Needs CLI, NODE, NPM_ROOT, VALIDATE, SAMPLES
# and OUT (a directory to write into).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(export expected)
  execute_process(COMMAND ${CLI} export ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL expected)
    message(FATAL_ERROR "marovin-cli export ${ARGN}\nexited with ${result}, expected ${expected}\n${out}${err}")
  endif()
  set(export_error "${err}" PARENT_SCOPE)
endfunction()

export(0 ${SAMPLES}/models/banner/tris.md2 -o ${OUT}/banner.glb)
export(0 ${SAMPLES}/models/banner/tris.md2 --animation wave --skin 0 -o ${OUT}/wave.gltf)
export(0 ${SAMPLES}/models/sin/figure.def -o ${OUT}/sin.glb)
export(0 ${SAMPLES}/models/sin/figure.sin models/sin/figure.def -o ${OUT}/sin-pak.glb)
export(0 ${SAMPLES}/models/figure/figure.mdl -o ${OUT}/halflife.glb)
export(0 ${SAMPLES}/scenes/demo.dv -o ${OUT}/demo.glb)
export(0 ${SAMPLES}/models/banner/tris.md2 --scene -o ${OUT}/banner-scene.gltf)
foreach(beside wave.bin wave_0.png banner-scene.bin)
  if(NOT EXISTS ${OUT}/${beside})
    message(FATAL_ERROR "a .gltf export wrote no ${beside} beside it")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${NPM_ROOT} ${NODE} ${VALIDATE}
                        ${OUT}/banner.glb ${OUT}/wave.gltf ${OUT}/sin.glb ${OUT}/sin-pak.glb ${OUT}/halflife.glb ${OUT}/demo.glb
                        ${OUT}/banner-scene.gltf
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the validator found errors:\n${report}")
endif()
message(STATUS "${report}")

export(2 ${SAMPLES}/models/banner/tris.md2)
export(2 ${SAMPLES}/models/banner/tris.md2 --skin x -o ${OUT}/x.glb)
export(1 ${SAMPLES}/models/banner/tris.md2 --animation fly -o ${OUT}/x.glb)
string(FIND "${export_error}" "no animation named 'fly'" at)
if(at EQUAL -1)
  message(FATAL_ERROR "expected the missing animation to be named, got:\n${export_error}")
endif()
export(1 ${SAMPLES}/models/banner/tris.md2 -o ${OUT}/x.obj)
export(1 ${OUT}/missing.md2 -o ${OUT}/x.glb)
if(EXISTS ${OUT}/x.glb OR EXISTS ${OUT}/x.obj)
  message(FATAL_ERROR "a failed export left a file behind")
endif()
