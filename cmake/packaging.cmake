# cpack -G DEB: a Debian package of what cmake --install installs. Configure
# the build as README.md's "A Debian package" says: Debian's layout for games
# and the flags of dpkg-buildflags.

# The notice the license asks to go with every copy, and the changelog, in
# the form a Debian package carries them: in every install, not only the package.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
tarvolen_gzip(tarvolen_changelog ${CMAKE_CURRENT_LIST_DIR}/debian/changelog changelog changelog_gz)
install(FILES ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME tarvolen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvolen Games")
set(CPACK_PACKAGE_CONTACT "Tarvolen Games <games@tarvolen.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-sided artillery game over the Earth seen from orbit")
set(CPACK_PACKAGE_DESCRIPTION "Two launchers stand at the edges of a photograph of the Earth seen from orbit
and fire balls at each other in turns: a campaign of eight levels against the
computer, two players at one keyboard, or the computer against itself.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tarvolen.example/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries' packages come from dpkg-shlibdeps (dpkg-dev); what the
# program opens by path at run time has to be named: the bitmap font of its
# message boxes and a General MIDI soundfont for /usr/share/sounds/sf2/default-GM.sf2.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the program loads itself when first needed (late_library.h),
# so that the loader does not map them before the first picture, are not
# linked, and dpkg-shlibdeps cannot see them: SDL_ttf, fontconfig, libjpeg and
# libpng, and libfluidsynth3 (only for a piece without its recording).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-ttf-2.0-0, libfontconfig1, libjpeg62-turbo, libpng16-16, libfluidsynth3, \
fonts-wine, timgm6mb-soundfont | fluid-soundfont-gm | sf2-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, xdg-utils")

# Section games wants the program in /usr/games, and Debian builds every
# package hardened: refuse to write a package Debian would not take.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake)
if(TARVOLEN_GAMES_LAYOUT AND TARVOLEN_DEB_BUILDFLAGS)
  file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "")
else()
  file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "if(CPACK_GENERATOR STREQUAL \"DEB\")
  message(FATAL_ERROR \"A Debian package needs a build configured with -DTARVOLEN_GAMES_LAYOUT=ON \"
    \"-DTARVOLEN_DEB_BUILDFLAGS=ON (README.md, A Debian package).\")
endif()
")
endif()

include(CPack)
