# What a packager gets: cmake --install into a fresh prefix gives a working
# command, and the metainfo passes AppStream's validator.
add_test(NAME InstallIntoAPrefixGivesAWorkingCommand
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-test
    -DLINK_DIR=${TARVOLEN_LINK_DIR} -DINSTALL_DIR=${TARVOLEN_INSTALL_DIR} -DVERSION=${PROJECT_VERSION}
    -P ${PROJECT_SOURCE_DIR}/cmake/install_check.cmake)
# It writes install_manifest.txt into the build directory, as cpack does (package.cmake): one at a time.
set_tests_properties(InstallIntoAPrefixGivesAWorkingCommand PROPERTIES RESOURCE_LOCK install_manifest TIMEOUT 120)

find_program(APPSTREAMCLI appstreamcli REQUIRED)
# --no-net: the screenshot's address is checked for its form, not fetched.
add_test(NAME MetainfoIsValidAppStream COMMAND ${APPSTREAMCLI} validate --no-net ${TARVOLEN_METAINFO})
