# `cpack -G DEB` in the build folder makes a Debian package of what the install
# rules lay out: both programs, the desktop entry, the icon, the MIME types, the
# thumbnailer entry, the AppStream metainfo, the guide and the samples, under /usr.
set(CPACK_PACKAGE_NAME marovin)
set(CPACK_PACKAGE_VENDOR "The Marovin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D scene composer for Quake II-era game models")
set(CPACK_PACKAGE_DESCRIPTION
    "Builds scenes of primitives, animated game models (Quake 2, Quake, Half-Life, SiN, sprites) and lights, "
    "textured from disk, paks, zip archives, WADs or game folders, and saves the scene, the picture or a glTF "
    "export. File managers get thumbnails of the game files through its command-line tool.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
# The programs are built with their debugging information: the package is for
# running them, and stripped it packs in a few seconds instead of a minute.
set(CPACK_STRIP_FILES ON)
set(MAROVIN_PACKAGE_MAINTAINER "The Marovin developers <marovin@localhost>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MAROVIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The shared libraries the programs link decide the dependencies (dpkg-shlibdeps);
# the rest is what they run or load by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri, libegl-mesa0, fonts-liberation2 | fonts-dejavu-core, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS shared-mime-info)
include(CPack)
