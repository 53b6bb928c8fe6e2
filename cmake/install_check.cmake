# Installs the build into PREFIX and checks the result like a user would:
# the command runs, everything installed is in the manifest, the files the
# program reads lie beside it. Run with cmake -P (see install.cmake).
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

execute_process(COMMAND ${PREFIX}/${LINK_DIR}/tarvolen --version
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "^tarvolen ${VERSION}\n")
  message(FATAL_ERROR "${PREFIX}/${LINK_DIR}/tarvolen --version: status ${rc}, output '${out}', errors '${err}'")
endif()

file(STRINGS ${BUILD_DIR}/install_manifest.txt manifest)
file(GLOB_RECURSE installed LIST_DIRECTORIES false ${PREFIX}/*)
foreach(f ${installed})
  if(NOT f IN_LIST manifest)
    message(FATAL_ERROR "installed but not in install_manifest.txt: ${f}")
  endif()
endforeach()
foreach(f ${INSTALL_DIR}/tarvolen ${INSTALL_DIR}/0.mid ${INSTALL_DIR}/8.mid ${INSTALL_DIR}/1.bmp
          ${INSTALL_DIR}/8.bmp ${INSTALL_DIR}/hit.wav share/man/man6/tarvolen.6.gz share/doc/tarvolen/copyright
          share/applications/tarvolen.desktop share/icons/hicolor/256x256/apps/tarvolen.png)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${PREFIX}/${f}")
  endif()
endforeach()
# The nine pieces recorded ahead (none when the build had no sound font).
file(GLOB recordings ${PREFIX}/${INSTALL_DIR}/recordings/*.flac)
list(LENGTH recordings count)
if(NOT count EQUAL 9 AND EXISTS /usr/share/sounds/sf2/default-GM.sf2)
  message(FATAL_ERROR "${count} recordings installed in ${PREFIX}/${INSTALL_DIR}/recordings, not 9")
endif()
file(REMOVE_RECURSE ${PREFIX})
