# cpack in the Windows build writes the setup program and the zip:
#   Tarvolen-<version>-win64-setup.exe   NSIS: installed for the player alone (no
#                                        administrator), Start menu entry, uninstaller
#   Tarvolen-<version>-win64.zip         unpack anywhere and run tarvolen.exe
# Both hold what cmake --install installs: the program and its files, flat.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_PACKAGE_NAME Tarvolen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvolen Games")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two-sided artillery game over the Earth seen from orbit")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tarvolen.example/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tarvolen)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME Tarvolen-${PROJECT_VERSION}-win64)
set(CPACK_TARVOLEN_ICON ${CMAKE_BINARY_DIR}/tools/icons/tarvolen.ico)
# Our own NSIS script (cmake/windows/NSIS.template.in): CPack's is 32-bit,
# asks for an administrator and, on a 64-bit-only Wine, installs nothing.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)

set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE} "if(CPACK_GENERATOR STREQUAL \"NSIS\")
  set(CPACK_PACKAGE_FILE_NAME \"\${CPACK_PACKAGE_FILE_NAME}-setup\")
endif()
")

include(CPack)
