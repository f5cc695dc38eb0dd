# The desktop's view of the game files, as an install leaves it: the MIME types
# are valid shared-mime-info that tells the two ".mdl" families apart by their
# first bytes and claims no ".def" file but SiN's, and the thumbnailer entry runs
# the installed marovin-cli for every type it lists.
# Needs BUILD (the build tree), SOURCE (the source tree), OUT (a directory to work
# in), XMLLINT, UPDATE_MIME_DATABASE and GIO.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

include(${CMAKE_CURRENT_LIST_DIR}/desktop_run.cmake)

run(${XMLLINT} --noout ${SOURCE}/data/marovin-models.xml ${SOURCE}/data/marovin-scene.xml)
run(${CMAKE_COMMAND} --install ${BUILD} --prefix ${OUT}/prefix)
set(share ${OUT}/prefix/share)
foreach(installed thumbnailers/marovin.thumbnailer mime/packages/marovin-models.xml mime/packages/marovin-scene.xml)
  if(NOT EXISTS ${share}/${installed})
    message(FATAL_ERROR "the install left no share/${installed}")
  endif()
endforeach()
run(${UPDATE_MIME_DATABASE} ${share}/mime)

# Every type the thumbnailer lists is one the MIME package declares.
file(READ ${share}/thumbnailers/marovin.thumbnailer entry)
foreach(key "^\\[Thumbnailer Entry\\]\n" "\nTryExec=marovin-cli\n" "\nExec=[^\n]+\n" "\nMimeType=[^\n]+\n")
  if(NOT entry MATCHES "${key}")
    message(FATAL_ERROR "the thumbnailer lacks ${key}:\n${entry}")
  endif()
endforeach()
file(READ ${share}/mime/packages/marovin-models.xml package)
string(REGEX MATCH "\nMimeType=([^\n]+)\n" ignored "${entry}")
string(REPLACE ";" " " types "${CMAKE_MATCH_1}")
separate_arguments(types UNIX_COMMAND "${types}")
foreach(type IN LISTS types)
  string(FIND "${package}" "type=\"${type}\"" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the thumbnailer lists ${type}, which marovin-models.xml does not declare")
  endif()
endforeach()

# What the desktop calls each file, by its name and its first bytes. A studio
# model is Half-Life's at version 10 only (a little-endian int32 after "IDST");
# a later engine's (48) is none of ours, nor is a version whose low byte alone is 10.
file(WRITE ${OUT}/files/quake.mdl "IDPO....")
foreach(studio "halflife.mdl;\\012" "source.mdl;\\060" "version266.mdl;\\012\\001")
  list(GET studio 0 name)
  list(GET studio 1 version)
  execute_process(COMMAND printf "IDST${version}\\000\\000\\000....\\000" OUTPUT_FILE ${OUT}/files/${name}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot write ${name}")
  endif()
endforeach()
file(WRITE ${OUT}/files/model.md2 "IDP2....")
file(WRITE ${OUT}/files/sprite.spr "IDSP....")
file(WRITE ${OUT}/files/sprite.sp2 "IDS2....")
file(WRITE ${OUT}/files/figure.def "SDEF\npath models/sin\n")
file(WRITE ${OUT}/files/module.def "LIBRARY thing\nEXPORTS\n")
set(expected
  quake.mdl model/x-quake-mdl halflife.mdl model/x-halflife-mdl source.mdl application/octet-stream
  version266.mdl application/octet-stream model.md2 model/x-quake2-md2
  sprite.spr image/x-quake-sprite sprite.sp2 image/x-quake2-sprite figure.def text/x-sin-def module.def text/plain)
while(expected)
  list(POP_FRONT expected name type)
  run(${CMAKE_COMMAND} -E env XDG_DATA_HOME=${share} XDG_DATA_DIRS=/usr/share
      ${GIO} info --attributes=standard::content-type ${OUT}/files/${name})
  if(NOT run_output MATCHES "content-type: ${type}\n")
    message(FATAL_ERROR "${name} is not ${type}:\n${run_output}")
  endif()
endwhile()

# The thumbnailer's command line, as a file manager fills it in, with the
# installed program.
run_thumbnailer("${entry}" ${OUT}/prefix/bin/marovin-cli ${SOURCE}/samples/models/banner/tris.md2
                ${OUT}/thumbnail.png ${OUT}/cache)
