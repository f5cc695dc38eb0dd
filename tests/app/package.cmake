# The Debian package as a user gets it: made by cpack from the build, unpacked
# into a scratch root, holding both programs and every desktop file, its
# dependencies found by dpkg-shlibdeps, its metainfo and desktop entry accepted
# by the desktop's validators, and its thumbnailer drawing with the unpacked
# marovin-cli.
# Needs BUILD (the build tree), SOURCE (the source tree), OUT (a directory to work
# in), CPACK, DPKG_DEB, APPSTREAMCLI and DESKTOP_FILE_VALIDATE.
include(${CMAKE_CURRENT_LIST_DIR}/desktop_run.cmake)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

run(${CPACK} -G DEB --config ${BUILD}/CPackConfig.cmake -B ${OUT}/package)
file(GLOB packages ${OUT}/package/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "cpack made ${count} packages: ${packages}")
endif()
run(${DPKG_DEB} --field ${packages} Package Depends)
if(NOT run_output MATCHES "Package: marovin\n")
  message(FATAL_ERROR "the package is not named marovin:\n${run_output}")
endif()
# The libraries the programs link, as dpkg-shlibdeps names their packages, and
# what they load by name.
foreach(dependency libc6 libqt6widgets6 libpng16-16 libzip4 libgl1-mesa-dri)
  if(NOT run_output MATCHES "[ ,]${dependency}[ ,\n]")
    message(FATAL_ERROR "the package does not depend on ${dependency}:\n${run_output}")
  endif()
endforeach()

set(root ${OUT}/root)
run(${DPKG_DEB} -x ${packages} ${root})
set(share ${root}/usr/share)
foreach(installed bin/marovin bin/marovin-cli share/applications/marovin.desktop
                  share/icons/hicolor/scalable/apps/marovin.svg share/mime/packages/marovin-models.xml
                  share/mime/packages/marovin-scene.xml share/thumbnailers/marovin.thumbnailer
                  share/metainfo/io.github.marovin.marovin.metainfo.xml share/marovin/samples/scenes/demo.dv)
  if(NOT EXISTS ${root}/usr/${installed})
    message(FATAL_ERROR "the package installs no /usr/${installed}")
  endif()
endforeach()

run(${APPSTREAMCLI} validate --no-net ${share}/metainfo/io.github.marovin.marovin.metainfo.xml)
run(${DESKTOP_FILE_VALIDATE} ${share}/applications/marovin.desktop)

file(READ ${share}/thumbnailers/marovin.thumbnailer entry)
run_thumbnailer("${entry}" ${root}/usr/bin/marovin-cli ${SOURCE}/samples/models/banner/tris.md2
                ${OUT}/thumbnail.png ${OUT}/cache)
