# Runs "marovin-cli render" as a user does: one run renders a scene and writes a
# copy of it, the next renders that copy, and both pictures must be the same.
# Then the other picture formats, the layout options, a posed Half-Life model and
# the failures with their exit codes. Needs CLI, IN (a scene file) and OUT (a directory to write into).
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

function(render expected)
  execute_process(COMMAND ${CLI} render ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL expected)
    message(FATAL_ERROR "marovin-cli render ${ARGN}\nexited with ${result}, expected ${expected}\n${out}${err}")
  endif()
  set(render_error "${err}" PARENT_SCOPE)
endfunction()

function(expect_bytes file offset hex)
  string(LENGTH "${hex}" digits)
  math(EXPR count "${digits} / 2")
  file(READ ${file} actual OFFSET ${offset} LIMIT ${count} HEX)
  if(NOT actual STREQUAL hex)
    message(FATAL_ERROR "${file} holds ${actual} at ${offset}, expected ${hex}")
  endif()
endfunction()

function(expect_error text)
  string(FIND "${render_error}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${text}\" among the messages, got:\n${render_error}")
  endif()
endfunction()

render(0 ${IN} --size 200x150 --save-scene ${OUT}/copy.dv -o ${OUT}/first.png)
render(0 ${OUT}/copy.dv --size 200x150 -o ${OUT}/second.png)
file(SHA256 ${OUT}/first.png first)
file(SHA256 ${OUT}/second.png second)
if(NOT first STREQUAL second)
  message(FATAL_ERROR "the scene written by the first run renders differently")
endif()
expect_bytes(${OUT}/second.png 0 "89504e470d0a1a0a")
expect_bytes(${OUT}/second.png 16 "000000c800000096")  # 200 x 150
expect_bytes(${OUT}/second.png 25 "02")               # RGB

render(0 ${OUT}/copy.dv --viewports 4 --camera top --mode wireframe --size 160x120 -o ${OUT}/four.bmp)
expect_bytes(${OUT}/four.bmp 0 "424d")
file(SIZE ${OUT}/four.bmp size)
if(NOT size EQUAL 57654)  # 54 + 160 * 3 * 120
  message(FATAL_ERROR "four.bmp has ${size} bytes")
endif()
# --fit moves the cameras onto the scene before drawing: a picture of its own.
render(0 ${OUT}/copy.dv --viewports 4 --size 160x120 -o ${OUT}/unfitted.png)
render(0 ${OUT}/copy.dv --fit --viewports 4 --size 160x120 -o ${OUT}/fitted.png)
file(SHA256 ${OUT}/unfitted.png unfitted)
file(SHA256 ${OUT}/fitted.png fitted)
if(unfitted STREQUAL fitted)
  message(FATAL_ERROR "--fit did not change the picture")
endif()
render(0 ${OUT}/copy.dv --quality 3 --size 64x48 -o ${OUT}/small.JPG)
expect_bytes(${OUT}/small.JPG 0 "ffd8ff")
render(0 ${OUT}/copy.dv --transparent --size 64x48 -o ${OUT}/cut.png)
expect_bytes(${OUT}/cut.png 25 "06")  # RGBA

# Usage errors: exit 2, nothing written.
render(2 ${OUT}/copy.dv)
render(2 --size 0x10 ${OUT}/copy.dv -o ${OUT}/bad.png)
render(2 --viewports 3 ${OUT}/copy.dv -o ${OUT}/bad.png)
render(2 --mode glossy ${OUT}/copy.dv -o ${OUT}/bad.png)
render(2 --quality 4 ${OUT}/copy.dv -o ${OUT}/bad.jpg)
render(2 --transparent ${OUT}/copy.dv -o ${OUT}/bad.bmp)
render(2 --animation run ${OUT}/copy.dv -o ${OUT}/bad.png)
render(2 ${OUT}/copy.dv -o ${OUT}/bad.gif)
expect_error("The file extension that you entered is not supported.")

# A Half-Life model posed: a bone controller and each end of a blend give pictures
# of their own; values that cannot be taken are usage errors.
get_filename_component(scenes ${IN} DIRECTORY)
set(figure ${scenes}/../models/figure/figure.mdl)
foreach(pose "plain" "turned;--controller;0=45" "low;--animation;aim;--blend;-30" "high;--animation;aim;--blend;30")
  list(POP_FRONT pose name)
  render(0 ${figure} --size 96x96 --fit ${pose} -o ${OUT}/figure-${name}.png)
  file(SHA256 ${OUT}/figure-${name}.png figure_${name})
endforeach()
if(figure_plain STREQUAL figure_turned OR figure_low STREQUAL figure_high)
  message(FATAL_ERROR "a controller or a blend left the figure's picture as it was")
endif()
render(2 ${figure} --controller 7=1 -o ${OUT}/bad.png)
render(2 ${figure} --blend x -o ${OUT}/bad.png)

# Inputs that do not open: exit 1 with the program's message.
file(WRITE ${OUT}/broken.dv "this is no scene")
render(1 ${OUT}/broken.dv -o ${OUT}/bad.png)
expect_error("is not a DUV File.")
render(1 ${OUT}/missing.dv -o ${OUT}/bad.png)
render(1 ${CLI} -o ${OUT}/bad.png)
foreach(bad bad.png bad.bmp bad.jpg bad.gif)
  if(EXISTS ${OUT}/${bad})
    message(FATAL_ERROR "a failed render wrote ${bad}")
  endif()
endforeach()
