# The Debian package of this build: lintian and desktop-file-validate find
# nothing in it. It needs a build configured for a package (Debian's layout for
# games and dpkg-buildflags, as ./test.sh configures its first build); in any
# other it shows as disabled. Label package.
if(TARVOLEN_GAMES_LAYOUT AND TARVOLEN_DEB_BUILDFLAGS)
  find_program(LINTIAN lintian REQUIRED)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
endif()
add_test(NAME DebianPackageIsLintianClean
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DBUILD_DIR=${CMAKE_BINARY_DIR}
    -DVERSION=${PROJECT_VERSION} -DCPACK=${CMAKE_CPACK_COMMAND} -DLINTIAN=${LINTIAN}
    -DDESKTOP_FILE_VALIDATE=${DESKTOP_FILE_VALIDATE} -DDESKTOP_ENTRY=${PROJECT_SOURCE_DIR}/app/desktop/tarvolen.desktop
    -P ${PROJECT_SOURCE_DIR}/cmake/package_check.cmake)
# cpack installs the build too, writing install_manifest.txt like the install test.
set_tests_properties(DebianPackageIsLintianClean PROPERTIES LABELS package TIMEOUT 180
  RESOURCE_LOCK install_manifest)
if(NOT (TARVOLEN_GAMES_LAYOUT AND TARVOLEN_DEB_BUILDFLAGS))
  set_tests_properties(DebianPackageIsLintianClean PROPERTIES DISABLED ON)
endif()
