# Writes the Debian package of the build in BUILD_DIR with cpack and checks it
# as Debian would: lintian says nothing (no error, warning, nor information
# such as a missing hardening flag), nor does desktop-file-validate about the
# desktop entry, and the changelog's latest entry is this version.
# Run with cmake -P (see tests/package.cmake).
cmake_minimum_required(VERSION 3.25)

file(STRINGS ${SOURCE_DIR}/cmake/debian/changelog latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^tarvolen \\(${VERSION}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog begins with '${latest}': it needs an entry for ${VERSION}")
endif()

file(GLOB old ${BUILD_DIR}/tarvolen_*.deb)
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND ${CPACK} -G DEB WORKING_DIRECTORY ${BUILD_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB deb ${BUILD_DIR}/tarvolen_${VERSION}_*.deb)
if(NOT rc EQUAL 0 OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "cpack -G DEB: status ${rc}, package '${deb}':\n${out}")
endif()

# Lintian's note that it runs as root goes to stderr; only its findings count.
foreach(check "${LINTIAN};--display-info;--fail-on;error,warning,info;${deb}"
              "${DESKTOP_FILE_VALIDATE};${DESKTOP_ENTRY}")
  execute_process(COMMAND ${check} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    list(JOIN check " " command)
    message(FATAL_ERROR "${command}: status ${rc}\n${out}${err}")
  endif()
endforeach()
